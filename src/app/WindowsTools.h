#pragma once
// Starts the Windows sound tools the tray menu offers. Which program a tool is depends on the system: the
// launchers pick by a version code computed from the system's version record.

#include <windows.h>

#include <functional>
#include <string>

// The parts of the system's version record the version code reads.
struct OsVersionRecord {
    DWORD platform = 0; // 1: the Windows 95 family, 2: the NT family
    DWORD major = 0;
    DWORD minor = 0;
    std::wstring servicePack;
};

// Version codes (see GetOSVersionCode): 0 95, 1 98, 2 98 SE, 3 ME, 4 NT 4, 5 2000, 6 XP/2003, 7 Vista (and any
// unknown 6.x), 9 7, 10 8, 11 8.1, 12 10, 20 unknown.
// realVersion reads the true major and minor of an NT system, which the ordinary version call reports as 6.2
// for everything later; false when it cannot.
using RealVersionReader = std::function<bool(DWORD* major, DWORD* minor)>;
int GetOSVersionCode(const OsVersionRecord& record, const RealVersionReader& realVersion);
// The code of the running system.
int GetOSVersionCode();

class CWindowsTools {
public:
    // The shell's open action: its result, 32 or less on failure.
    using OpenFunction = std::function<INT_PTR(const std::wstring& file, const std::wstring& parameters)>;

    CWindowsTools();

    void StartMediaPlayer();
    void StartVolumeMixer();
    void StartSoundControlPanel();
    void StartSoundRecorder();

    // Seams: how a program is opened, the system's version code (negative: ask the system) and the program
    // folder the recorder of code 12 lives under (empty: the folder of this executable).
    OpenFunction m_open;
    int m_osVersionCode = -1;
    std::wstring m_programFolder;

private:
    int VersionCode() const;
    std::wstring ProgramFolder() const;
};
