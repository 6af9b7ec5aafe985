#pragma once
// The start-up benchmark's seam: when OC_BENCH_FIRST_FRAME names a file, the first time the main window is
// on screen with its picture, the wall time in nanoseconds since 1970 is written there. Under Wine that is
// the host's real-time clock, so a script on the host subtracts its own launch time from it. The bench's
// bare window writes the same stamp the same way.
#include <windows.h>

#include <cstdint>
#include <cstdio>

namespace oc::bench {

inline std::uint64_t UnixTimeNs() {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull; // 1970-01-01 in 100 ns ticks since 1601
    return (ticks - kUnixEpochTicks) * 100;
}

// Writes the stamp to the file named by OC_BENCH_FIRST_FRAME, once; nothing when the variable is unset.
inline void WriteFirstFrameStamp() {
    static bool written = false;
    if (written)
        return;
    written = true;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"OC_BENCH_FIRST_FRAME", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::uint64_t stamp = UnixTimeNs();
    if (std::FILE* file = ::_wfopen(path, L"w")) {
        std::fprintf(file, "%llu\n", static_cast<unsigned long long>(stamp));
        std::fclose(file);
    }
}

} // namespace oc::bench
