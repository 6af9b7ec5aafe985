// Starts the program, waits for its main window to be shown, saves a picture of it and ends the program:
// what to look at on a machine without a display.
// usage: overcoat_picture <program exe> <png file> [seconds to wait, 60 by default]
#include "RunningProgram.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;
using oc::journey::Eventually;
using oc::journey::ProbedWindow;
using oc::journey::RunningProgram;

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: overcoat_picture <program exe> <png file> [seconds]\n");
        return 2;
    }
    const fs::path exe = argv[1];
    const fs::path picture = argv[2];
    const int seconds = argc > 3 ? std::max(1, _wtoi(argv[3])) : 60;
    std::error_code error;
    const fs::path scratch =
        fs::temp_directory_path(error) / ("overcoat-picture-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(scratch, error);

    int status = 1;
    {
        RunningProgram program(exe, scratch);
        std::optional<ProbedWindow> main = program.WaitFor(RunningProgram::MainWindow(), std::chrono::seconds(seconds));
        if (!main) {
            std::fwprintf(stderr, L"the main window was not shown within %d s (program %ls)\n", seconds,
                          program.IsRunning() ? L"running" : L"ended");
            for (HWND window : program.Windows(false)) {
                wchar_t kind[128] = {};
                ::GetClassNameW(window, kind, 128);
                const std::optional<ProbedWindow> probed = program.Probe(window);
                std::fwprintf(stderr, L"  window %ls%ls: %ls\n", kind, ::IsWindowVisible(window) ? L", shown" : L"",
                              probed ? (L"skinned, " + std::to_wstring(probed->controls.size()) + L" controls").c_str()
                                     : L"no answer");
            }
        } else {
            // The first frames settle (the device list, the status panel) before the picture is taken.
            ::Sleep(1500);
            if (program.SavePicture(main->hwnd, picture)) {
                std::fwprintf(stdout, L"saved a picture of the main window to %ls\n", picture.c_str());
                status = 0;
            } else {
                std::fwprintf(stderr, L"could not save the picture to %ls\n", picture.c_str());
            }
        }
        program.Quit(main ? main->hwnd : nullptr);
    }
    fs::remove_all(scratch, error);
    return status;
}
