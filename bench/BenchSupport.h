#pragma once
// What every case of the main-window benchmark uses: the message pump, the process's own CPU time and
// resident memory (from the host's /proc, which Wine shows as drive Z:, to the nanosecond), and one line
// of output per figure with its floor or peer and their ratio.
#include <windows.h>

#include <chrono>
#include <string>

namespace oc::bench {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start);

// Dispatches what is queued now.
void Pump();
// Dispatches messages for the given time, waking for each one.
void PumpFor(int ms);

// A whole file's bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);
// Replaces the file with the bytes; false when they were not all written.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

// CPU seconds of every thread of this process so far.
double ProcessCpuSeconds();
// Resident memory of this process in megabytes.
double ResidentMegabytes();

// "<figure>  <value> <unit>  <floor name>  <floor> <unit>  ratio <value / floor>"; a floor of 0 prints no
// ratio.
void PrintRatio(const char* name, double value, const char* unit, const char* floorName, double floor);

} // namespace oc::bench
