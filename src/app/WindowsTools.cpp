#include "app/WindowsTools.h"

#include <shellapi.h>

#include <algorithm>

namespace {

constexpr int kUnknownVersion = 20;

// The codes with the newer mixer and the newer recorder.
constexpr int kNewMixerCodes[] = {7, 9, 10, 11, 12};
constexpr int kNewRecorderCodes[] = {7, 9, 10, 11};
constexpr int kStoreRecorderCode = 12;

template <size_t N> bool IsOneOf(const int (&codes)[N], int code) {
    return std::find(std::begin(codes), std::end(codes), code) != std::end(codes);
}

int Windows95FamilyCode(const OsVersionRecord& record) {
    if (record.major != 4)
        return kUnknownVersion;
    switch (record.minor) {
    case 0:
        return 0;
    case 10:
        return record.servicePack.size() > 1 && record.servicePack[1] == L'A' ? 2 : 1;
    case 90:
        return 3;
    default:
        return kUnknownVersion;
    }
}

// What the ordinary call reports as 6.2 may be 6.2, 6.3 or 10.0.
int RealSixTwoCode(const RealVersionReader& realVersion) {
    struct RealCode {
        DWORD major, minor;
        int code;
    };
    static constexpr RealCode kRealCodes[] = {{6, 2, 10}, {6, 3, 11}, {10, 0, 12}};
    DWORD major = 0, minor = 0;
    if (!realVersion || !realVersion(&major, &minor))
        return 7;
    for (const RealCode& real : kRealCodes) {
        if (real.major == major && real.minor == minor)
            return real.code;
    }
    return 7;
}

int NtFamilyCode(const OsVersionRecord& record, const RealVersionReader& realVersion) {
    if (record.major < 5)
        return 4;
    if (record.major == 5)
        return record.minor == 0 ? 5 : 6;
    if (record.major > 6)
        return kUnknownVersion;
    switch (record.minor) {
    case 1:
        return 9;
    case 2:
        return RealSixTwoCode(realVersion);
    default:
        return 7;
    }
}

bool ReadNtVersionNumbers(DWORD* major, DWORD* minor) {
    using RtlGetNtVersionNumbersFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto* read = ntdll ? reinterpret_cast<RtlGetNtVersionNumbersFn>(
                             reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetNtVersionNumbers")))
                       : nullptr;
    if (!read)
        return false;
    DWORD build = 0;
    read(major, minor, &build);
    return true;
}

INT_PTR ShellOpen(const std::wstring& file, const std::wstring& parameters) {
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(
        nullptr, L"open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL));
}

} // namespace

int GetOSVersionCode(const OsVersionRecord& record, const RealVersionReader& realVersion) {
    switch (record.platform) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return Windows95FamilyCode(record);
    case VER_PLATFORM_WIN32_NT:
        return NtFamilyCode(record, realVersion);
    default:
        return kUnknownVersion;
    }
}

int GetOSVersionCode() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info))
        return kUnknownVersion;
#pragma GCC diagnostic pop
    OsVersionRecord record{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.szCSDVersion};
    return GetOSVersionCode(record, &ReadNtVersionNumbers);
}

CWindowsTools::CWindowsTools() : m_open(&ShellOpen) {}

int CWindowsTools::VersionCode() const {
    return m_osVersionCode >= 0 ? m_osVersionCode : GetOSVersionCode();
}

std::wstring CWindowsTools::ProgramFolder() const {
    std::wstring folder = m_programFolder;
    if (folder.empty()) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        folder.assign(path, length < MAX_PATH ? length : 0);
        folder.erase(std::min(folder.size(), folder.find_last_of(L"\\/")));
    }
    // The recorder's path adds its own separator.
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

void CWindowsTools::StartMediaPlayer() {
    if (m_open(L"wmplayer.exe", L"") <= 32)
        m_open(L"mplayer2.exe", L"");
}

void CWindowsTools::StartVolumeMixer() {
    m_open(IsOneOf(kNewMixerCodes, VersionCode()) ? L"sndvol.exe" : L"sndvol32.exe", L"");
}

void CWindowsTools::StartSoundControlPanel() {
    m_open(L"control.exe", L"mmsys.cpl");
}

void CWindowsTools::StartSoundRecorder() {
    const int code = VersionCode();
    if (IsOneOf(kNewRecorderCodes, code))
        m_open(L"SoundRecorder.exe", L"");
    else if (code == kStoreRecorderCode)
        m_open(ProgramFolder() + L"/SoundRecorder/Recorder.exe", L"");
    else
        m_open(L"sndrec32.exe", L"");
}
