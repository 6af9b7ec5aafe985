#include "app/AppSettings.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "markup/FileIo.h"

namespace {

constexpr wchar_t kSection[] = L"Setting";
constexpr wchar_t kDefaultSkin[] = L"Overcoat";
// Values are read into a buffer of this many characters, terminator included.
constexpr DWORD kValueBuffer = 100;

struct StringKey {
    const wchar_t* key;
    std::wstring CAppSettings::*field;
};

struct IntKey {
    const wchar_t* key;
    int CAppSettings::*field;
    int defaultValue;
};

// In the order they are read and written.
constexpr StringKey kStringKeys[] = {
    {L"AudioDevice", &CAppSettings::m_strAudioDevice}, {L"AsioDriver", &CAppSettings::m_strAsioDriver},
    {L"MultiLanguage", &CAppSettings::m_strLanguage},  {L"Skin", &CAppSettings::m_strSkin},
    {L"LastAPOName", &CAppSettings::m_strLastAPOName},
};

constexpr IntKey kIntKeys[] = {
    {L"UITransparent", &CAppSettings::m_nUITransparent, 1},
    {L"SystemTray", &CAppSettings::m_nSystemTray, 1},
    {L"WelcomeMsg", &CAppSettings::m_nWelcomeMsg, 1},
    {L"MicInListenToDevice", &CAppSettings::m_nMicInListenToDevice, 0},
    {L"LineInListenToDevice", &CAppSettings::m_nLineInListenToDevice, 0},
    {L"AuxInListenToDevice", &CAppSettings::m_nAuxInListenToDevice, 0},
    {L"EQIndex", &CAppSettings::m_nEQIndex, 0},
    {L"QuarterEQIndex", &CAppSettings::m_nQuarterEQIndex, 0},
};

struct CultureEntry {
    WORD primary;
    int sub; // -1: any sub-language
    const wchar_t* culture;
};

constexpr CultureEntry kCultures[] = {
    {LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL, L"zh-TW"},
    {LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED, L"zh-CN"},
    {LANG_DANISH, -1, L"da-DK"},
    {LANG_GERMAN, -1, L"de-DE"},
    {LANG_SPANISH, -1, L"es-ES"},
    {LANG_FRENCH, -1, L"fr-FR"},
    {LANG_ITALIAN, -1, L"it-IT"},
    {LANG_JAPANESE, -1, L"ja-JP"},
    {LANG_KOREAN, -1, L"ko-KR"},
    {LANG_DUTCH, -1, L"nl-NL"},
    {LANG_PORTUGUESE, -1, L"pt-PT"},
    {LANG_RUSSIAN, -1, L"ru-RU"},
    {LANG_SWEDISH, -1, L"sv-SE"},
    {LANG_THAI, -1, L"th-TH"},
    {LANG_TURKISH, -1, L"tr-TR"},
    {LANG_INDONESIAN, -1, L"id-ID"},
};

std::wstring DecodeAnsi(const char* bytes, size_t length) {
    if (length == 0)
        return L"";
    const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(units, 0)), L'\0');
    if (units > 0)
        ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), text.data(), units);
    return text;
}

// The integer reading of the profile functions: blanks, a sign and decimal digits, wrapping at 32 bits;
// anything else ends the number (so a word reads as 0).
int ParseProfileInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - L'0');
    return static_cast<int>(negative ? 0u - value : value);
}

} // namespace

SettingsFileState ReadSettingsFile(const std::wstring& path, CSettingsText& text, std::string* bytesOut) {
    text.Clear();
    // Any size is read: the parse is linear, and only a file that does not fit in memory stays unread.
    std::string bytes;
    switch (fileio::ReadAll(path.c_str(), bytes)) {
    case fileio::ReadResult::Missing:
        return SettingsFileState::Missing;
    case fileio::ReadResult::Unreadable:
        return SettingsFileState::Unopened;
    case fileio::ReadResult::Read:
        break;
    }
    try {
        text.Parse(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &DecodeAnsi);
    } catch (const std::bad_alloc&) {
        text.Clear();
        return SettingsFileState::Unopened;
    }
    if (bytesOut)
        *bytesOut = std::move(bytes);
    return SettingsFileState::Read;
}

CAppSettings::CAppSettings(std::wstring iniPath)
    : m_strLanguage(GetDefaultCulture()), m_strSkin(kDefaultSkin), m_iniPath(std::move(iniPath)) {
    Load();
}

bool CAppSettings::ReadKeepingDamage(CSettingsText& text, SettingsFileState& state) const {
    std::string bytes;
    state = ReadSettingsFile(m_iniPath, text, &bytes);
    if (state == SettingsFileState::Unopened)
        return false;
    // The very bytes that were read are kept, not the file as it may be by now: another instance may
    // have written it in between.
    return !text.IsDamaged() || fileio::KeepCopy(m_iniPath.c_str(), bytes.data(), bytes.size());
}

void CAppSettings::Load() {
    CSettingsText text;
    SettingsFileState state = SettingsFileState::Missing;
    ReadKeepingDamage(text, state);
    m_unreadable = state == SettingsFileState::Unopened || text.IsDamaged();
    // Each key on its own: a damaged line costs only the key it holds.
    for (const StringKey& entry : kStringKeys) {
        std::wstring value;
        // An empty, missing or damaged value keeps what the field holds (its default at start-up).
        if (text.Get(kSection, entry.key, value) == CSettingsText::Lookup::Found && !value.empty())
            this->*entry.field = value.substr(0, kValueBuffer - 1);
    }
    for (const IntKey& entry : kIntKeys) {
        std::wstring value;
        const bool found = text.Get(kSection, entry.key, value) == CSettingsText::Lookup::Found && !value.empty();
        this->*entry.field = found ? ParseProfileInt(value) : entry.defaultValue;
    }
    // The transparency becomes the window's constant alpha, (100 - t) * 255 / 100, which must stay a
    // byte: a corrupt value would wrap it or make the window invisible.
    m_nUITransparent = std::clamp(m_nUITransparent, 0, 100);
}

bool CAppSettings::Save() const {
    CSettingsText text;
    SettingsFileState state = SettingsFileState::Missing;
    // A file that cannot be read, or whose damage could not be kept, is left alone.
    if (!ReadKeepingDamage(text, state))
        return false;
    text.DropDamagedLines();
    // Keys we do not write (empty strings, foreign keys) keep their stored values.
    for (const StringKey& entry : kStringKeys) {
        const std::wstring& value = this->*entry.field;
        if (!value.empty())
            text.Set(kSection, entry.key, value);
    }
    for (const IntKey& entry : kIntKeys)
        text.Set(kSection, entry.key, std::to_wstring(this->*entry.field));
    return ReplaceFile(m_iniPath, text.ToUtf16());
}

bool CAppSettings::ReplaceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".tmp";
    HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && ::FlushFileBuffers(file);
    ::CloseHandle(file);
    if (!ok ||
        !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    // The system's profile cache must not hand out what it read of the file before.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, path.c_str());
    return true;
}

void CAppSettings::SetSystemTray(int value) {
    if (value != m_nSystemTray && m_pTrayHost) {
        m_pTrayHost->ShowTrayIcon(value != 0);
        // Without the icon a hidden main window could never be reached again.
        if (value == 0 && !m_pTrayHost->IsMainWindowVisible())
            m_pTrayHost->RestoreMainWindow();
    }
    m_nSystemTray = value;
}

const wchar_t* CAppSettings::GetDefaultCulture() {
    return GetDefaultCulture(LANGIDFROMLCID(::GetSystemDefaultLCID()));
}

const wchar_t* CAppSettings::GetDefaultCulture(LANGID language) {
    const WORD primary = PRIMARYLANGID(language);
    const int sub = SUBLANGID(language);
    for (const CultureEntry& entry : kCultures) {
        if (entry.primary == primary && (entry.sub < 0 || entry.sub == sub))
            return entry.culture;
    }
    return L"en-US";
}
