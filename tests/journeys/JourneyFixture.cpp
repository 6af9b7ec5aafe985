#include "JourneyFixture.h"

#include "ScreenPicture.h"
#include "TestPaths.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

namespace oc::journey {

namespace fs = std::filesystem;

const DeviceRow kDeviceRows[11] = {
    {L"MenuSpeakers", L"Speaker", L"ml_Volume_Header_Speaker"},
    {L"MenuSpeakersQuarter", L"", L"ml_Volume_Header_SpeakerQuarter"},
    {L"MenuHeadPhone", L"HeadPhone", L"ml_Volume_Header_HeadPhone"},
    {L"MenuHDMI", L"", L"ml_Volume_Header_HDMI"},
    {L"MenuSPDIFOut", L"SPDIFOut", L"ml_Volume_Header_SPDIFOut"},
    {L"MenuMicIn", L"MicIn", L"ml_Volume_Header_MicIn"},
    {L"MenuDesktopMic", L"", L"ml_Volume_Header_DesktopMic"},
    {L"MenuLineIn", L"LineIn", L"ml_Volume_Header_LineIn"},
    {L"MenuSPDIFIn", L"SPDIFIn", L"ml_Volume_Header_SPDIFIn"},
    {L"MenuSPDIFInRCA", L"", L"ml_Volume_Header_SPDIFIn"},
    {L"MenuStereoMixer", L"StereoMix", L"ml_Volume_Header_StereoMix"},
};

const DeviceRow& RowOf(const std::wstring& row) {
    for (const DeviceRow& entry : kDeviceRows) {
        if (row == entry.row)
            return entry;
    }
    ADD_FAILURE() << "no device row " << testing::PrintToString(row);
    return kDeviceRows[0];
}

std::unique_ptr<RunningProgram> Journey::s_program;
std::unique_ptr<SimPipe> Journey::s_device;

namespace {

// The run's own folder: the device state, the probe's answers and the pictures.
test::TempDir& ScratchDir() {
    static test::TempDir dir;
    return dir;
}

// The program's data folder in this prefix: the settings, user profiles and presets of every start.
std::wstring DataFolder() {
    COvercoatApp probe;
    probe.UseProgramFolder(test::ProgramDir().wstring() + L"\\");
    probe.InitPaths();
    return probe.GetDataFolder();
}

void EmptyDataFolder() {
    std::error_code ignored;
    fs::remove_all(DataFolder(), ignored);
}

} // namespace

const fs::path& Journey::Scratch() {
    return ScratchDir().Path();
}

fs::path Journey::Pictures() {
    return test::ProgramDir().parent_path() / "gallery" / "journeys";
}

void Journey::StartProgram(const wchar_t* scenario, bool welcome) {
    std::error_code ignored;
    fs::create_directories(Pictures(), ignored);
    EmptyDataFolder();
    const fs::path data = DataFolder();
    fs::create_directories(data);
    std::ofstream(data / "setting.ini") << "[Setting]\nMultiLanguage=en-US\n"
                                        << (welcome ? "" : "WelcomeMsg=0\n");

    ::SetEnvironmentVariableW(L"OC_SIM_SCENARIO", scenario);
    ::SetEnvironmentVariableW(L"OC_SIM_STATE", (Scratch() / "device.state").c_str());
    const std::wstring pipe = L"\\\\.\\pipe\\OvercoatJourneys" + std::to_wstring(::GetCurrentProcessId());
    ::SetEnvironmentVariableW(L"OC_SIM_PIPE", pipe.c_str());
    s_device = std::make_unique<SimPipe>(pipe);
    s_program = std::make_unique<RunningProgram>(test::ProgramDir() / "Overcoat.exe", Scratch());
}

void Journey::Restart() {
    s_program.reset();
    s_program = std::make_unique<RunningProgram>(test::ProgramDir() / "Overcoat.exe", Scratch());
}

void Journey::TearDownTestSuite() {
    if (s_program) {
        HWND main = nullptr;
        for (HWND window : s_program->Windows(false)) {
            std::optional<ProbedWindow> probed = s_program->Probe(window);
            if (probed && probed->Find(L"PanelDeviceList"))
                main = window;
        }
        EXPECT_TRUE(s_program->Quit(main)) << "the program did not end when asked to quit";
    }
    s_program.reset();
    s_device.reset();
    for (const wchar_t* name : {L"OC_SIM_SCENARIO", L"OC_SIM_STATE", L"OC_SIM_PIPE"})
        ::SetEnvironmentVariableW(name, nullptr);
    EmptyDataFolder();
}

void Journey::SetUp() {
    ASSERT_TRUE(s_program && s_program->IsRunning()) << "the program is not running";
    ASSERT_TRUE(Program().WaitFor(RunningProgram::MainWindow())) << "the main window is not shown";
}

void Journey::TearDown() {
    // A journey that failed half-way may leave a dialog open or the window in the tray: the next one starts
    // from the main window all the same.
    if (!HasFailure() || !s_program || !s_program->IsRunning())
        return;
    CloseOtherDialogs();
    if (!Program().Find(RunningProgram::MainWindow()))
        RestoreFromTray();
}

void Journey::RestoreFromTray() {
    // What the shell sends the icon's window on a double click.
    const UINT trayNotice = ::RegisterWindowMessageW(L"Overcoat tray notification");
    for (HWND window : Program().Windows(false))
        Program().Post(window, trayNotice, COvercoatDlg::kTrayMenuId, WM_LBUTTONDBLCLK);
}

void Journey::CloseOtherDialogs() {
    for (HWND window : Program().Windows()) {
        std::optional<ProbedWindow> probed = Program().Probe(window);
        if (probed && !probed->Find(L"PanelDeviceList"))
            ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    Eventually([] {
        for (HWND window : Program().Windows()) {
            std::optional<ProbedWindow> probed = Program().Probe(window);
            if (probed && !probed->Find(L"PanelDeviceList"))
                return false;
        }
        return true;
    });
}

ProbedWindow Journey::Main() {
    std::optional<ProbedWindow> main = Program().Find(RunningProgram::MainWindow());
    EXPECT_TRUE(main) << "the main window does not answer";
    return main ? *main : ProbedWindow{};
}

ProbedWindow Journey::MainWhen(const RunningProgram::WindowTest& test, std::chrono::milliseconds timeout) {
    std::optional<ProbedWindow> last;
    Eventually(
        [&] {
            last = Program().Find(RunningProgram::MainWindow());
            return last && test(*last);
        },
        timeout);
    return last ? *last : ProbedWindow{};
}

namespace {

// The program's other shown windows over the window, in the window's pixels.
std::vector<RECT> WindowsOver(HWND window) {
    std::vector<RECT> over;
    for (HWND other : Journey::Program().Windows()) {
        RECT rect{};
        if (other != window && ::GetWindowRect(other, &rect))
            over.push_back(InWindow(window, rect));
    }
    return over;
}

// The worst tile difference of the two pictures, tiles under another window left out.
double ScreenDifference(const Picture& drawn, const Picture& seen, const std::vector<RECT>& over) {
    constexpr int kBand = 16;
    double worst = 0;
    for (LONG top = 0; top < drawn.Height(); top += kBand) {
        const RECT band{0, top, drawn.Width(), std::min<LONG>(top + kBand, drawn.Height())};
        bool covered = false;
        for (const RECT& rect : over) {
            RECT common{};
            covered = covered || ::IntersectRect(&common, &rect, &band);
        }
        if (!covered)
            worst = std::max(worst, drawn.WorstTileDifference(seen, band));
    }
    return worst;
}

} // namespace

bool Journey::ScreenShowsBackBuffer(HWND window, const std::string& step) {
    // Identical pixels differ by nothing; a stale or black window by far more than this.
    constexpr double kTolerance = 12.0;
    const fs::path drawnFile = Pictures() / (step + "-drawn.png");
    Picture drawn, seen;
    double difference = 0;
    const bool agree = Eventually(
        [&] {
            if (!Program().SavePicture(window, drawnFile))
                return false;
            drawn = Picture::FromFile(drawnFile);
            seen = Picture::FromScreen(window);
            if (!drawn.Loaded() || !seen.Loaded() || drawn.Width() != seen.Width() ||
                drawn.Height() != seen.Height())
                return false;
            difference = ScreenDifference(drawn, seen, WindowsOver(window));
            return difference <= kTolerance;
        },
        std::chrono::seconds(4));
    if (!agree) {
        seen.Save(Pictures() / (step + "-seen.png"));
        ADD_FAILURE() << "after " << step << " the screen does not show what the program drew (worst tile differs by "
                      << difference << ", " << drawn.Width() << "x" << drawn.Height() << " drawn, " << seen.Width()
                      << "x" << seen.Height() << " seen); see " << (Pictures() / step).string() << "-*.png";
    } else {
        std::error_code ignored;
        fs::remove(drawnFile, ignored);
    }
    return agree;
}

std::wstring Journey::Text(const std::wstring& key, const std::wstring& culture) {
    static std::map<std::wstring, std::unique_ptr<COvercoatApp>> languages;
    std::unique_ptr<COvercoatApp>& language = languages[culture];
    if (!language) {
        language = std::make_unique<COvercoatApp>();
        language->UseProgramFolder(test::ProgramDir().wstring() + L"\\");
        EXPECT_EQ(language->LoadLanguage(culture), 1) << "no language files for " << testing::PrintToString(culture);
    }
    const std::wstring text = language->GetLanguageText(key);
    EXPECT_FALSE(text.empty()) << "no text for " << testing::PrintToString(key);
    return text;
}

bool Journey::ClickControl(const ProbedWindow& window, const std::wstring& name) {
    const ProbedControl* control = window.Find(name);
    if (!control || !control->shown) {
        ADD_FAILURE() << testing::PrintToString(name) << (control ? " is not shown" : " is not in the window");
        return false;
    }
    Program().Click(window.hwnd, control->Center());
    return true;
}

RECT Journey::ContentArea(const ProbedWindow& main) {
    // The frame the pages are shown in has no control of its own: its place is the shipped markup's.
    std::ifstream file(test::ProgramDir() / "Skin" / "Overcoat" / "MainWindow.lyt");
    const std::string markup{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    static const std::regex frame(
        R"re(<Embed Name="FrameContent" Left="(\d+)" Top="(\d+)" Width="(\d+)" Height="(\d+)")re");
    std::smatch match;
    if (!std::regex_search(markup, match, frame)) {
        ADD_FAILURE() << "the main window's markup has no content frame";
        return {};
    }
    POINT origin{std::stoi(match[1]), std::stoi(match[2])};
    ::ClientToScreen(main.hwnd, &origin);
    return {origin.x, origin.y, origin.x + std::stoi(match[3]), origin.y + std::stoi(match[4])};
}

bool Journey::MoveFirstSlider(const ProbedWindow& main) {
    const std::vector<const ProbedControl*> sliders = main.ShownIn(ContentArea(main), L"slider");
    if (sliders.empty()) {
        ADD_FAILURE() << "the shown page has no slider";
        return false;
    }
    // A press on the bar away from the thumb pages towards it; one press near each end moves the slider
    // whatever its position and direction.
    const RECT& bar = sliders.front()->rect;
    const bool vertical = bar.bottom - bar.top > bar.right - bar.left;
    const POINT center = sliders.front()->Center();
    for (double along : {0.1, 0.9}) {
        POINT point = center;
        if (vertical)
            point.y = bar.top + static_cast<LONG>((bar.bottom - bar.top) * along);
        else
            point.x = bar.left + static_cast<LONG>((bar.right - bar.left) * along);
        Program().Click(main.hwnd, point);
    }
    return true;
}

std::vector<std::wstring> Journey::VolumeWriteEndpoints() {
    static const std::wregex write(L"PropertyControl write (?:AA)?VolumeScalarControl\\S* on (\\S+)");
    std::vector<std::wstring> endpoints;
    std::wistringstream lines(Device().Send(L"log"));
    std::wstring line;
    while (std::getline(lines, line)) {
        std::wsmatch match;
        if (std::regex_search(line, match, write))
            endpoints.push_back(match[1].str());
    }
    return endpoints;
}

double Journey::DeviceValue(const std::wstring& endpoint, const std::wstring& property) {
    const std::wstring reply = Device().Send(L"get " + endpoint + L" " + property);
    try {
        return std::stod(reply);
    } catch (const std::exception&) {
        ADD_FAILURE() << "the device answered " << testing::PrintToString(reply) << " for " << property;
        return 0;
    }
}

} // namespace oc::journey
