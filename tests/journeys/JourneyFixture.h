#pragma once
// One start of the real program for every journey: a private simulated device (its state file and control
// pipe are the run's own), the data folder emptied with English as the language, and the probe enabled.
// Each journey begins from the main window as the user left it, with no other dialog open.
#include "RunningProgram.h"
#include "SimPipe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace oc::journey {

class Journey : public testing::Test {
public:
    // The default device; a suite of its own may start the program against another scenario instead.
    static void SetUpTestSuite() { StartProgram(L"default", true); }
    static void StartProgram(const wchar_t* scenario, bool welcome);
    // Starts the program again after it ended, with the same device and data folder.
    static void Restart();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // --- for the journeys and their helpers
    static RunningProgram& Program() { return *s_program; }
    static const SimPipe& Device() { return *s_device; }
    static const std::filesystem::path& Scratch();
    // Where the journeys leave their pictures of the program's windows (kept after the run).
    static std::filesystem::path Pictures();

    // The main window as it is now; a failed expectation and an empty window when it does not answer.
    static ProbedWindow Main();
    // The text of a language key in a shipped culture ("en-US", "de-DE").
    static std::wstring Text(const std::wstring& key, const std::wstring& culture = L"en-US");

    // Clicks a control of the window by name; false (with a failed expectation) when it is not shown.
    static bool ClickControl(const ProbedWindow& window, const std::wstring& name);
    static void ClickAt(const ProbedWindow& window, const ProbedControl& control) {
        Program().Click(window.hwnd, control.Center());
    }
    // Where the pages are shown, in screen pixels.
    static RECT ContentArea(const ProbedWindow& main);
    // The shown page's first slider moved one page towards the end farther from its thumb.
    static bool MoveFirstSlider(const ProbedWindow& main);
    // The endpoints of the device's volume writes since the call log was last cleared, in order.
    static std::vector<std::wstring> VolumeWriteEndpoints();
    // A number the device holds ("get <endpoint> <property>").
    static double DeviceValue(const std::wstring& endpoint, const std::wstring& property);

    // What the user sees of the window agrees with what the program drew (its back buffer), waiting a few
    // seconds for the picture to settle; otherwise a failed expectation naming the step, with both pictures
    // kept beside the journeys' other pictures. Other windows of the program over it (a tooltip) are left
    // out of the comparison.
    static bool ScreenShowsBackBuffer(HWND window, const std::string& step);

    // A double click on the tray icon, as the shell reports it.
    static void RestoreFromTray();
    // Waits until the main window passes the test; the last answer either way.
    static ProbedWindow MainWhen(const RunningProgram::WindowTest& test,
                                 std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    static void CloseOtherDialogs();

    static std::unique_ptr<RunningProgram> s_program;
    static std::unique_ptr<SimPipe> s_device;
};

// The rows of the device list, with the simulated device's endpoint behind each (empty: the default
// device has no such endpoint) and the language key of the endpoint's volume page header.
struct DeviceRow {
    const wchar_t* row;
    const wchar_t* endpoint;
    const wchar_t* header;
};
extern const DeviceRow kDeviceRows[11];
const DeviceRow& RowOf(const std::wstring& row);

} // namespace oc::journey
