// The main window's costs measured in one process over the simulated device, each against a floor or a
// peer measured in the same run:
//   - a full repaint and present against a blit of a composed picture of the same size and an
//     UpdateLayeredWindow into a bare layered window;
//   - the master-volume slider dragged by mouse input until the device sees the write (against the bare
//     present) and the presents each move costs (against one);
//   - presents while the window rests on the virtual-speaker page (against none);
//   - a page switch: CPU (against the full repaint) and presents (against one);
//   - the virtual speakers turning on screen: CPU per minute against a full repaint every step and against a
//     bare layered window presenting the panel's area every step, presents and pixels per step; then hidden to the tray: CPU per minute against the idle limit and against the
//     angle writes alone (a bare thread writing them every step), presents;
//   - the first switch to the profile strip with 0, 50 and 500 user profiles: CPU and memory against the
//     strip with none, and per card against the goal;
//   - the equalizer page shown and its preset list opened with 10, 1,000 and 100,000 user presets:
//     CPU against 10 presets.
// CPU is the whole process's, read from the host's /proc; the X server's share is not in it.
// usage: oc_bench_ui.exe <program folder> <scratch folder> [seconds of each rotation run [rotation]]
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "BarePresent.h"
#include "BenchSupport.h"
#include "MainWindowBench.h"
#include "PresentCounter.h"
#include "app/AppSettings.h"
#include "app/HandlerServices.h"
#include "app/IMainDialogHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"
#include "handlers/effects/EQPresetFile.h"
#include "handlers/effects/VirtualHandler.h"
#include "markup/IProfileController.h"
#include "profiles/ProfileCapture.h"
#include "skin/ItemAnimation.h"
#include "skin/PanelVirtualSpeaker.h"
#include "skin/SkinComboBox.h"
#include "skin/SkinDropList.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinSlider.h"

COvercoatApp theApp;

namespace {

using namespace oc::bench;

constexpr double kIdleLimit = 0.05; // CPU seconds per minute hidden in the tray

class BenchServices : public IHandlerServices {
public:
    IDriverInstance* GetDriver() override { return theApp.GetDriver(); }
    ILytController* GetLytController() override { return theApp.GetLytController(); }
    std::wstring GetSkinFolder() override { return theApp.GetSkinFolder(); }
    std::wstring GetLanguageText(const std::wstring& key) override { return theApp.GetLanguageText(key); }
    std::wstring FindLanguageKey(const std::wstring& text) override { return theApp.FindLanguageKey(text); }
    std::wstring TranslateText(const std::wstring& text) override { return theApp.TranslateText(text); }
    int GetUITransparent() override { return 0; }
};

// What a case costs the process: CPU, presents, pixels presented and resident memory from its start.
class Cost {
public:
    Cost()
        : m_cpu(ProcessCpuSeconds()), m_presents(PresentCounter::Presents()), m_pixels(PresentCounter::Pixels()),
          m_memory(ResidentMegabytes()), m_start(Clock::now()) {}
    double CpuMs() const { return (ProcessCpuSeconds() - m_cpu) * 1000; }
    int Presents() const { return PresentCounter::Presents() - m_presents; }
    double Pixels() const { return PresentCounter::Pixels() - m_pixels; }
    double MemoryMb() const { return ResidentMegabytes() - m_memory; }
    double Seconds() const { return MsSince(m_start) / 1000; }

private:
    double m_cpu;
    int m_presents;
    double m_pixels;
    double m_memory;
    Clock::time_point m_start;
};

// Median milliseconds of `runs` calls of `work`, after one to warm up.
template <class Work> double MedianMs(int runs, Work work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(MsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The first slider of that name: the master volume's name is also the name of a content page.
CxSkinSlider* FindSlider(const CLayerWnd* layer, const std::wstring& name) {
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue;
        if (auto* slider = dynamic_cast<CxSkinSlider*>(control); slider && slider->GetName() == name)
            return slider;
        if (control->IsContainer()) {
            if (CxSkinSlider* found = FindSlider(control, name))
                return found;
        }
    }
    return nullptr;
}

// Controls below the layer whose names hold the text.
int CountNamesHolding(const CLayerWnd* layer, const std::wstring& text) {
    int count = 0;
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        if (auto* control = dynamic_cast<CxSkinCtrl*>(child);
            control && control->GetName().find(text) != std::wstring::npos)
            ++count;
        count += CountNamesHolding(child, text);
    }
    return count;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// ---- the cases ----

struct RepaintFigures {
    double repaintMs = 0;
    double bareMs = 0;
};

RepaintFigures FullRepaint(MainWindowBench& window) {
    RepaintFigures figures;
    COvercoatDlg& dialog = window.Dialog();
    figures.repaintMs = MedianMs(25, [&] { dialog.Update(); });
    BarePresent floor(dialog.GetSurfaceWidth(), dialog.GetSurfaceHeight());
    figures.bareMs = MedianMs(25, [&] { floor.Present(); });
    PrintRatio("full repaint + present (main window)", figures.repaintMs, "ms", "bare blit + ULW", figures.bareMs);
    return figures;
}

// The master volume dragged by the mouse, one move at a time. The clock runs from the move until the device
// has logged the write; the log is emptied before each move, outside the timed span, so that looking at it
// costs next to nothing.
bool SliderMoves(MainWindowBench& window, const RepaintFigures& repaint) {
    CxSkinSlider* slider = FindSlider(&window.Dialog(), L"SpeakerVol");
    if (!slider || window.Sim(L"ping") != L"pong") {
        std::fprintf(stderr, "no master volume slider (%d) or no simulated device control\n", slider != nullptr);
        return false;
    }
    window.Settle(200);
    const RECT inHost = slider->GetRectInHost();
    const RECT thumb = slider->GetThumbRect();
    POINT at{inHost.left + (thumb.left + thumb.right) / 2, inHost.top + (thumb.top + thumb.bottom) / 2};
    const HWND hwnd = window.Hwnd();
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    Pump();
    const int direction = at.x - inHost.left > (inHost.right - inHost.left) / 2 ? -1 : 1;
    std::vector<double> latencies;
    Cost all;
    constexpr int kMoves = 20;
    for (int i = 0; i < kMoves; ++i) {
        window.Sim(L"clearlog");
        at.x += direction * 4;
        const auto start = Clock::now();
        ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        while (!window.LoggedWrite(L"VolumeScalarControl") && MsSince(start) < 1000)
            Pump();
        latencies.push_back(MsSince(start));
        PumpFor(30); // whatever the move queued is part of its cost
    }
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    const double presents = static_cast<double>(all.Presents()) / kMoves;
    const double pixels = all.Pixels() / kMoves;
    window.Settle(200);
    const double surface = static_cast<double>(window.Dialog().GetSurfaceWidth()) * window.Dialog().GetSurfaceHeight();
    PrintRatio("slider move to device write (median)", Median(latencies), "ms", "bare blit + ULW", repaint.bareMs);
    PrintRatio("presents per slider move", presents, "", "one present", 1.0);
    PrintRatio("pixels presented per slider move", pixels / 1000, "kpx", "whole window", surface / 1000);
    return true;
}

void IdlePresents(MainWindowBench& window) {
    window.Main()->ShowContent(L"SpeakerVirtual", 0);
    window.Settle(1000);
    const Cost idle;
    PumpFor(5000);
    std::printf("%-52s %10d %-6s %-34s %10d\n", "presents in 5 s idle on the virtual speakers", idle.Presents(), "",
                "none", 0);
}

// Pages switched in turn as the device list's rows switch them; each switch is measured until nothing more
// is presented.
void PageSwitches(MainWindowBench& window, const RepaintFigures& repaint) {
    static const wchar_t* const kPages[] = {L"SpeakerEQ", L"SpeakerVirtual", L"SpeakerSetting", L"SpeakerVol"};
    IMainDialogHandler* main = window.Main();
    for (const wchar_t* page : kPages) { // once round to load each page
        main->ShowContent(page, 0);
        window.Settle();
    }
    std::vector<double> cpu;
    std::vector<double> presents;
    for (int round = 0; round < 3; ++round) {
        for (const wchar_t* page : kPages) {
            const Cost cost;
            main->ShowContent(page, 0);
            window.Settle(200);
            cpu.push_back(cost.CpuMs());
            presents.push_back(cost.Presents());
        }
    }
    PrintRatio("page switch, CPU (median)", Median(cpu), "ms", "full repaint + present", repaint.repaintMs);
    PrintRatio("presents per page switch (median)", Median(presents), "", "one present", 1.0);
}

// The device's side of a turning step alone: a bare thread writing the eight speaker angles through the
// driver every step, as the turning does whether the window shows or not. CPU seconds per minute.
double AngleWritesPerMinute(double seconds) {
    struct Writer {
        HANDLE stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI Run(void* param) {
            auto* self = static_cast<Writer*>(param);
            IDriverInstance* driver = theApp.GetDriver();
            for (int32_t step = 0;
                 ::WaitForSingleObject(self->stop, CPanelVirtualSpeaker::kStepPeriodMs) == WAIT_TIMEOUT; ++step) {
                for (const wchar_t* key : CVirtualHandler::kAngleKeys) {
                    const int32_t degrees = step % 360;
                    if (driver)
                        driver->SetProperty(key, &degrees, kValueInt, kDefaultNumberSize, nullptr, 0, 0);
                }
            }
            return 0;
        }
    } writer;
    const Cost cost;
    HANDLE thread = ::CreateThread(nullptr, 0, &Writer::Run, &writer, 0, nullptr);
    PumpFor(static_cast<int>(seconds * 1000));
    // Read while the writer lives: the time of a thread that has ended is no longer counted.
    const double perMinute = cost.CpuMs() / 1000 * 60 / cost.Seconds();
    ::SetEvent(writer.stop);
    if (thread) {
        ::WaitForSingleObject(thread, INFINITE);
        ::CloseHandle(thread);
    }
    ::CloseHandle(writer.stop);
    return perMinute;
}

// The virtual speakers turning clockwise, first on screen, then with the window hidden to the tray.
void Rotation(MainWindowBench& window, const RepaintFigures& repaint, double seconds) {
    window.Main()->ShowContent(L"SpeakerVirtual", 0);
    window.Settle();
    CxSkinCtrl* clockwise = window.Control(L"Clockwise");
    if (clockwise && !clockwise->IsEnabled(TRUE)) {
        window.Click(L"BtnEnableSpeakerVirtual");
        window.Settle();
    }
    auto* panel = dynamic_cast<CPanelVirtualSpeaker*>(window.Control(L"PanelVSRoom"));
    // Pressing the turning button of the running mode would stop it.
    if (panel && panel->GetMode() != CPanelVirtualSpeaker::kModeClockwise && clockwise && clockwise->IsEnabled(TRUE))
        window.Click(L"Clockwise");
    if (!panel || panel->GetMode() != CPanelVirtualSpeaker::kModeClockwise) {
        std::fprintf(stderr, "the virtual speakers cannot be turned clockwise\n");
        return;
    }
    PumpFor(1000);
    const double steps = seconds * 1000 / CPanelVirtualSpeaker::kStepPeriodMs;
    {
        const Cost shown;
        PumpFor(static_cast<int>(seconds * 1000));
        const double perMinute = shown.CpuMs() / 1000 * 60 / shown.Seconds();
        const double fullPerMinute = repaint.repaintMs / 1000 * 60000.0 / CPanelVirtualSpeaker::kStepPeriodMs;
        PrintRatio("rotation on screen, CPU", perMinute, "s/min", "a full repaint every step", fullPerMinute);
        PrintRatio("rotation on screen, presents per step", shown.Presents() / steps, "", "one present", 1.0);
        const double surface =
            static_cast<double>(window.Dialog().GetSurfaceWidth()) * window.Dialog().GetSurfaceHeight();
        PrintRatio("rotation on screen, pixels presented per step", shown.Pixels() / steps / 1000, "kpx",
                   "whole window", surface / 1000);
        // What any layered window pays to show the panel's area anew each step, whatever it draws.
        const RECT area = panel->GetRectInHost();
        BarePresent bare(window.Dialog().GetSurfaceWidth(), window.Dialog().GetSurfaceHeight());
        bare.PresentArea(area);
        constexpr int kBarePresents = 50;
        const Cost bareCost;
        for (int i = 0; i < kBarePresents; ++i)
            bare.PresentArea(area);
        const double barePerMinute =
            bareCost.CpuMs() / kBarePresents / 1000 * 60000.0 / CPanelVirtualSpeaker::kStepPeriodMs;
        PrintRatio("rotation on screen, CPU", perMinute, "s/min", "a bare present of its area every step",
                   barePerMinute);
    }
    window.Dialog().SendMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
    PumpFor(1000);
    double hiddenPerMinute = 0;
    int hiddenPresents = 0;
    {
        const Cost hidden;
        PumpFor(static_cast<int>(seconds * 1000));
        hiddenPerMinute = hidden.CpuMs() / 1000 * 60 / hidden.Seconds();
        hiddenPresents = hidden.Presents();
    }
    // The turning mode is stored with the endpoint's settings: back to dragging, so that later windows and
    // starts rest.
    window.Dialog().SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
    window.Settle();
    // The running mode's button pressed again stops the turning.
    window.Click(L"Clockwise");
    window.Settle();
    if (panel->GetMode() != CPanelVirtualSpeaker::kModeDrag || panel->IsTurning())
        std::fprintf(stderr, "the virtual speakers do not stop turning\n");
    // The floor: the same writes with nothing else running, the window hidden again.
    window.Dialog().SendMessage(WM_COMMAND, ID_MAIN_HIDE, 0);
    PumpFor(1000);
    const double writesPerMinute = AngleWritesPerMinute(seconds);
    window.Dialog().SendMessage(WM_COMMAND, ID_MAIN_SHOW, 0);
    window.Settle();
    PrintRatio("hidden in the tray with rotation on, CPU", hiddenPerMinute, "s/min", "limit", kIdleLimit);
    PrintRatio("hidden in the tray with rotation on, CPU", hiddenPerMinute, "s/min", "the angle writes alone",
               writesPerMinute);
    std::printf("%-52s %10d %-6s %-34s %10d\n", "hidden in the tray with rotation on, presents", hiddenPresents, "",
                "none", 0);
}

// ---- fresh windows over prepared data files ----

// User profiles made the way the add-profile dialog makes them: the device's settings captured once and
// the program's list-item template named after each profile.
class UserProfiles {
public:
    explicit UserProfiles(int count) {
        IDriverInstance* driver = theApp.GetDriver();
        IProfileController* controller = GetProfileController();
        if (!driver || !controller || count == 0)
            return;
        const std::wstring folder = theApp.GetDataFolder() + L"Profile\\" + driver->GetDefaultRenderEndpointName() + L"\\";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring firstSettings = folder + L"captured.profile";
        {
            CProfileCapture capture(*driver, *controller);
            if (!capture.WriteProfileObject(firstSettings)) {
                std::fprintf(stderr, "could not capture the device's settings into %ls\n", firstSettings.c_str());
                return;
            }
        }
        const std::string settings = ReadWholeFile(firstSettings);
        const std::string item = ReadWholeFile(theApp.GetProfileFolder() + L"UserDefineFormwork.lyt");
        for (int i = 0; i < count; ++i) {
            char title[32];
            std::snprintf(title, sizeof(title), "Bench %04d", i);
            std::string named = item;
            ReplaceAll(named, "\"UserProfile\"", std::string("\"") + title + "\"");
            ReplaceAll(named, "\"ml_PanelProfile_Item_UserProfile\"", std::string("\"") + title + "\"");
            const std::wstring base = folder + std::wstring(title, title + std::strlen(title));
            if (WriteWholeFile(base + L".lyt", named) && WriteWholeFile(base + L".profile", settings))
                m_files.insert(m_files.end(), {base + L".lyt", base + L".profile"});
        }
        ::DeleteFileW(firstSettings.c_str());
        if (m_files.size() != 2 * static_cast<size_t>(count))
            std::fprintf(stderr, "wrote %d of %d profiles into %ls\n", static_cast<int>(m_files.size() / 2), count,
                         folder.c_str());
    }
    ~UserProfiles() {
        for (const std::wstring& file : m_files)
            ::DeleteFileW(file.c_str());
    }
    UserProfiles(const UserProfiles&) = delete;
    UserProfiles& operator=(const UserProfiles&) = delete;

private:
    std::vector<std::wstring> m_files;
};

struct StripFigures {
    double cpuMs = 0;
    double memoryMb = 0;
    int cards = 0;
};

StripFigures FirstStripSwitch(IHandlerServices& services, CAppSettings& settings, int profiles) {
    const UserProfiles files(profiles);
    MainWindowBench window(services, settings);
    StripFigures figures;
    const Cost cost;
    if (!window.Click(L"PanelSwitchButton"))
        std::fprintf(stderr, "no profile strip switch\n");
    window.Settle();
    figures.cpuMs = cost.CpuMs();
    figures.memoryMb = cost.MemoryMb();
    figures.cards = CountNamesHolding(&window.Dialog(), L"_Bench "); // a card is named "<endpoint>_<title>"
    return figures;
}

void ProfileStrip(IHandlerServices& services, CAppSettings& settings) {
    FirstStripSwitch(services, settings, 0); // whatever is loaded once per process
    // A card costs a fraction of a millisecond against a switch of about half a second that swings by tens of
    // milliseconds from run to run: medians of alternated rounds.
    constexpr int kRounds = 3;
    constexpr int kCounts[] = {0, 50, 500};
    std::vector<double> cpu[std::size(kCounts)], memory[std::size(kCounts)];
    int cards[std::size(kCounts)] = {};
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < std::size(kCounts); ++i) {
            const StripFigures figures = FirstStripSwitch(services, settings, kCounts[i]);
            cpu[i].push_back(figures.cpuMs);
            memory[i].push_back(figures.memoryMb);
            cards[i] = figures.cards;
        }
    }
    const double noneCpu = Median(cpu[0]), noneMemory = Median(memory[0]);
    for (size_t i = 1; i < std::size(kCounts); ++i) {
        const int profiles = kCounts[i];
        const double withCpu = Median(cpu[i]), withMemory = Median(memory[i]);
        char name[96];
        std::snprintf(name, sizeof(name), "first strip switch, %d profiles, CPU (median)", profiles);
        PrintRatio(name, withCpu, "ms", "the strip with no user profile", noneCpu);
        std::snprintf(name, sizeof(name), "first strip switch, %d profiles, memory (median)", profiles);
        PrintRatio(name, withMemory, "MB", "the strip with no user profile", noneMemory);
        if (cards[i] != profiles)
            std::printf("  (the strip made %d cards of %d profiles)\n", cards[i], profiles);
        if (profiles == 500) {
            PrintRatio("CPU per profile card", (withCpu - noneCpu) / profiles, "ms", "goal", 0.2);
            PrintRatio("memory per profile card", (withMemory - noneMemory) * 1024 / profiles, "KB", "goal", 10);
        }
    }
}

struct PresetFigures {
    double pageCpuMs = 0;
    double openCpuMs = 0;
    int listed = 0;
};

PresetFigures OpenPresetList(IHandlerServices& services, CAppSettings& settings, int presets) {
    const std::wstring path = theApp.GetDataFolder() + L"EffectPlugins\\SpeakerEQProfile.dat";
    oc::eq::UserPresetMap map;
    for (int i = 0; i < presets; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"Preset %06d", i);
        oc::eq::BandGains gains{};
        gains[static_cast<size_t>(i % oc::eq::kBandCount)] = static_cast<float>(i % 13 - 6);
        map.emplace(name, gains);
    }
    oc::eq::WritePresetFile(path, map);
    PresetFigures figures;
    {
        MainWindowBench window(services, settings);
        const Cost page;
        window.Main()->ShowContent(L"SpeakerEQ", 0);
        window.Settle();
        figures.pageCpuMs = page.CpuMs();
        auto* list = dynamic_cast<CxSkinComboBox*>(window.Control(L"EQProfileList"));
        if (list && !list->IsEnabled(TRUE)) {
            window.Click(L"BtnEnableEQ");
            window.Settle();
        }
        if (!list || !list->IsEnabled(TRUE)) {
            std::fprintf(stderr, "no enabled preset list on the equalizer page\n");
            ::DeleteFileW(path.c_str());
            return figures;
        }
        figures.listed = list->GetCount();
        const Cost open;
        window.Click(L"EQProfileList");
        window.Settle();
        figures.openCpuMs = open.CpuMs();
        const CxSkinDropList* drop = list->GetDropList();
        if (!drop || !::IsWindowVisible(drop->GetSafeHwnd()))
            std::fprintf(stderr, "the preset list did not open\n");
    }
    ::DeleteFileW(path.c_str());
    return figures;
}

void PresetList(IHandlerServices& services, CAppSettings& settings) {
    OpenPresetList(services, settings, 10); // whatever is loaded once per process
    const PresetFigures few = OpenPresetList(services, settings, 10);
    for (int presets : {1000, 100000}) {
        const PresetFigures many = OpenPresetList(services, settings, presets);
        char name[96];
        std::snprintf(name, sizeof(name), "equalizer page shown, %d presets, CPU", presets);
        PrintRatio(name, many.pageCpuMs, "ms", "with 10 presets", few.pageCpuMs);
        std::snprintf(name, sizeof(name), "preset list opened, %d presets, CPU", presets);
        PrintRatio(name, many.openCpuMs, "ms", "with 10 presets", few.openCpuMs);
        if (many.listed != presets)
            std::printf("  (the list holds %d of the %d presets in the file)\n", many.listed, presets);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: oc_bench_ui <program folder> <scratch folder> [rotation seconds [rotation|strip]]\n");
        return 2;
    }
    const std::wstring programFolder = std::wstring(argv[1]) + L"\\";
    const std::wstring scratch = argv[2];
    const double rotationSeconds = argc > 3 ? std::max(5.0, _wtof(argv[3])) : 30.0;
    // A fourth argument measures one part alone: "rotation" the full repaint and the turning speakers,
    // "strip" the profile strip.
    const std::wstring only = argc > 4 ? argv[4] : L"";
    const bool rotationOnly = only == L"rotation";
    const bool stripOnly = only == L"strip";
    if (!PresentCounter::Install()) {
        std::fprintf(stderr, "cannot count presents: no import of UpdateLayeredWindow(Indirect)\n");
        return 1;
    }
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR gdiplus = 0;
    Gdiplus::GdiplusStartup(&gdiplus, &input, nullptr);
    int status = 0;
    {
        CxSkinImageCache images;
        ::SetEnvironmentVariableW(L"OC_SIM_STATE", (scratch + L"\\device.state").c_str());
        ::SetEnvironmentVariableW(L"OC_SIM_PIPE", L"\\\\.\\pipe\\OvercoatBenchUi");
        // The layers zoom and fade as in the program.
        RegisterItemAnimation();
        theApp.UseProgramFolder(programFolder);
        theApp.InitPaths();
        theApp.LoadLanguage(L"en-US");
        theApp.CreateLytController();
        if (theApp.OpenDevice() != DeviceCheck::Ready) {
            std::fprintf(stderr, "the simulated device did not open\n");
            return 1;
        }
        CAppSettings settings(scratch + L"\\setting.ini");
        settings.m_nUITransparent = 0;
        settings.m_nWelcomeMsg = 0;
        settings.m_nSystemTray = 0;
        BenchServices services;
        if (!stripOnly) {
            MainWindowBench window(services, settings);
            const RepaintFigures repaint = FullRepaint(window);
            if (!rotationOnly) {
                if (!SliderMoves(window, repaint))
                    status = 1;
                IdlePresents(window);
                PageSwitches(window, repaint);
            }
            Rotation(window, repaint, rotationSeconds);
        }
        if (!rotationOnly)
            ProfileStrip(services, settings);
        if (!rotationOnly && !stripOnly)
            PresetList(services, settings);
        theApp.ReleaseLytController();
        theApp.ReleaseDriver();
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    return status;
}
