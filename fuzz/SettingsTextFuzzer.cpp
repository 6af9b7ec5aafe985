// setting.ini as the program reads and writes it: any bytes parse without harm; a damaged line costs only
// its key; what is written back reads back with every value that was set, and stays undamaged.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/SettingsText.h"

namespace {

void Require(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Bytes without a byte-order mark as Latin-1: the native build has no ANSI code page.
std::wstring Latin1(const char* bytes, std::size_t length) {
    std::wstring text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    return text;
}

const wchar_t* const kKeys[] = {L"AudioDevice", L"AsioDriver", L"MultiLanguage", L"Skin", L"LastAPOName",
                                L"UITransparent", L"SystemTray", L"WelcomeMsg", L"EQIndex"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CSettingsText text;
    text.Parse(data, size, &Latin1);
    for (const wchar_t* key : kKeys) {
        std::wstring value;
        if (text.Get(L"Setting", key, value) == CSettingsText::Lookup::Found)
            Require(value.size() <= CSettingsText::kMaxLine);
    }
    // A save: damaged lines dropped, every key set.
    text.DropDamagedLines();
    for (const wchar_t* key : kKeys)
        text.Set(L"Setting", key, std::wstring(L"v-") + key);
    const std::string bytes = text.ToUtf16();
    CSettingsText again;
    again.Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &Latin1);
    for (const wchar_t* key : kKeys) {
        std::wstring value;
        Require(again.Get(L"Setting", key, value) == CSettingsText::Lookup::Found);
        Require(value == std::wstring(L"v-") + key);
    }
    Require(again.ToUtf16() == bytes);
    return 0;
}
