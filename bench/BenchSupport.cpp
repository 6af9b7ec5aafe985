#include "BenchSupport.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>

namespace oc::bench {

namespace {

// The process's times as Windows keeps them: only to the scheduler's tick, the fallback outside Wine.
double SystemProcessCpuSeconds() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// This process's folder in the host's /proc ("Z:\\proc\\<pid>\\"), or empty outside Wine. Wine opens files
// in its server, so /proc/self would be the server's: the process is found by its name, which Wine sets
// to the executable's, and by the Wine prefix in its environment.
std::wstring FindHostProcessFolder() {
    wchar_t prefix[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH))
        return {};
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    const wchar_t* slash = std::wcsrchr(module, L'\\');
    std::string name;
    for (const wchar_t* c = slash ? slash + 1 : module; *c && name.size() < 15; ++c)
        name += static_cast<char>(*c); // the host keeps 15 characters of a process name
    std::string environment = "WINEPREFIX=";
    for (const wchar_t* c = prefix; *c; ++c)
        environment += static_cast<char>(*c);
    environment += '\0';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::wstring folder;
    do {
        if (found.cFileName[0] < L'0' || found.cFileName[0] > L'9')
            continue;
        const std::wstring candidate = std::wstring(L"Z:\\proc\\") + found.cFileName + L"\\";
        if (ReadWholeFile(candidate + L"comm").rfind(name, 0) == 0 &&
            ReadWholeFile(candidate + L"environ").find(environment) != std::string::npos) {
            folder = candidate;
            break;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return folder;
}

const std::wstring& HostProcessFolder() {
    static const std::wstring folder = FindHostProcessFolder();
    return folder;
}

} // namespace

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpFor(int ms) {
    // Woken only by messages or the end: a poll every few milliseconds would be the bench's own CPU, counted
    // against the program.
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count() + 1;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        Pump();
    }
}

double ProcessCpuSeconds() {
    const std::wstring process = HostProcessFolder();
    WIN32_FIND_DATAW found{};
    HANDLE search =
        process.empty() ? INVALID_HANDLE_VALUE : ::FindFirstFileW((process + L"task\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return SystemProcessCpuSeconds();
    // Each thread's schedstat starts with its time on the CPU in nanoseconds. A thread that has ended is gone
    // from the list with its time, so the last figure read of each thread is kept: the sum never falls when a
    // thread ends, though what an ended thread ran after the last reading is lost. A case therefore still
    // reads its cost while the threads it measures live.
    static std::map<std::wstring, unsigned long long> lastSeen;
    static unsigned long long ended = 0;
    std::map<std::wstring, unsigned long long> seen;
    do {
        if (found.cFileName[0] == L'.')
            continue;
        const std::string stat = ReadWholeFile(process + L"task\\" + found.cFileName + L"\\schedstat");
        if (!stat.empty())
            seen[found.cFileName] = std::strtoull(stat.c_str(), nullptr, 10);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    if (seen.empty())
        return SystemProcessCpuSeconds();
    unsigned long long total = 0;
    for (const auto& [thread, ns] : seen)
        total += ns;
    for (const auto& [thread, ns] : lastSeen) {
        if (!seen.count(thread))
            ended += ns;
    }
    lastSeen = std::move(seen);
    return static_cast<double>(total + ended) / 1e9;
}

double ResidentMegabytes() {
    // Wine reports the host's resident size as the working set.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters)))
        return 0;
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}

void PrintRatio(const char* name, double value, const char* unit, const char* floorName, double floor) {
    if (floor > 0)
        std::printf("%-52s %10.3f %-6s %-34s %10.3f %-6s ratio %7.2f\n", name, value, unit, floorName, floor, unit,
                    value / floor);
    else
        std::printf("%-52s %10.3f %-6s %-34s %10.3f %-6s ratio       -\n", name, value, unit, floorName, floor, unit);
    std::fflush(stdout);
}

} // namespace oc::bench
