#include "app/AppSettings.h"

#include <algorithm>

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

// A new file starts as UTF-16 with a byte-order mark, so that the profile functions keep names outside
// the ANSI code page (a device or driver name) instead of writing '?' for them.
bool CreateUnicodeFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const unsigned char bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    bool ok = ::WriteFile(file, bom, sizeof(bom), &written, nullptr) && written == sizeof(bom);
    ::CloseHandle(file);
    return ok;
}

} // namespace

CAppSettings::CAppSettings(std::wstring iniPath)
    : m_strLanguage(GetDefaultCulture()), m_strSkin(kDefaultSkin), m_iniPath(std::move(iniPath)) {
    Load();
}

void CAppSettings::Load() {
    for (const StringKey& entry : kStringKeys) {
        wchar_t value[kValueBuffer] = {};
        DWORD length = ::GetPrivateProfileStringW(kSection, entry.key, L"", value, kValueBuffer, m_iniPath.c_str());
        // An empty or missing value keeps what the field holds (its default at start-up).
        if (length > 0)
            this->*entry.field = std::wstring(value, std::min<DWORD>(length, kValueBuffer - 1));
    }
    for (const IntKey& entry : kIntKeys) {
        this->*entry.field =
            static_cast<int>(::GetPrivateProfileIntW(kSection, entry.key, entry.defaultValue, m_iniPath.c_str()));
    }
    // The transparency becomes the window's constant alpha, (100 - t) * 255 / 100, which must stay a
    // byte: a corrupt value would wrap it or make the window invisible.
    m_nUITransparent = std::clamp(m_nUITransparent, 0, 100);
}

bool CAppSettings::Save() const {
    const std::wstring temporary = m_iniPath + L".tmp";
    // Start from the current file: keys we do not write (empty strings) keep their stored values.
    ::DeleteFileW(temporary.c_str()); // a leftover of an interrupted save
    if (::GetFileAttributesW(m_iniPath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!::CopyFileW(m_iniPath.c_str(), temporary.c_str(), FALSE))
            return false; // the file exists but cannot be read: leave it alone
    } else if (!CreateUnicodeFile(temporary)) {
        return false;
    }
    bool written = true;
    for (const StringKey& entry : kStringKeys) {
        const std::wstring& value = this->*entry.field;
        if (!value.empty())
            written &= ::WritePrivateProfileStringW(kSection, entry.key, value.c_str(), temporary.c_str()) != 0;
    }
    for (const IntKey& entry : kIntKeys) {
        std::wstring value = std::to_wstring(this->*entry.field);
        written &= ::WritePrivateProfileStringW(kSection, entry.key, value.c_str(), temporary.c_str()) != 0;
    }
    // Flush the system's profile cache for the temporary file before it moves.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, temporary.c_str());
    if (!written ||
        !::MoveFileExW(temporary.c_str(), m_iniPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
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
