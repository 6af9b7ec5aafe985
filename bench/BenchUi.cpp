// The main window's costs measured in one process against the floor of the same work done bare:
//   - a full repaint and present of the main window against a blit of a composed 900 x 600 picture and an
//     UpdateLayeredWindow into a bare layered window;
//   - the master-volume slider dragged by mouse input until the simulated device sees the write: the
//     latency (against the bare present) and how many presents each move costs (against one);
//   - presents while the window rests on the virtual-speaker page (against none).
// Presents are counted at UpdateLayeredWindow through this program's import table.
// usage: oc_bench_ui.exe <program folder> <scratch folder>
#include <windows.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/BaseHandler.h"
#include "app/HandlerServices.h"
#include "app/IMainDialogHandler.h"
#include "app/OvercoatApp.h"
#include "app/OvercoatDlg.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinSlider.h"

COvercoatApp theApp;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// ---- presents, counted at the import of UpdateLayeredWindow ----

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
UpdateLayeredWindowFn g_updateLayeredWindow = nullptr;
std::atomic<int> g_presents{0};

BOOL WINAPI CountingUpdateLayeredWindow(HWND hwnd, HDC screen, POINT* position, SIZE* size, HDC source,
                                        POINT* origin, COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    ++g_presents;
    return g_updateLayeredWindow(hwnd, screen, position, size, source, origin, key, blend, flags);
}

// Points this program's import of `function` from `dll` at `replacement`; the original goes to `original`.
bool HookImport(const char* dll, const char* function, void* replacement, void** original) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0)
                continue;
            DWORD protection = 0;
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection);
            *original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            ::VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
            return true;
        }
    }
    return false;
}

// ---- message pumping ----

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpFor(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
}

// ---- the bare floor: a composed picture blitted into a back buffer and pushed ----

class BareLayeredWindow {
public:
    BareLayeredWindow(int width, int height) : m_width(width), m_height(height) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"OvercoatBenchBarePresent";
        ::RegisterClassExW(&windowClass);
        m_hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"", WS_POPUP, 0, 0,
                                   width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
        m_back = MakeSurface();
        m_composed = MakeSurface();
        ::PatBlt(m_composed.dc, 0, 0, width, height, WHITENESS);
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    ~BareLayeredWindow() {
        for (Surface* surface : {&m_back, &m_composed}) {
            ::SelectObject(surface->dc, surface->old);
            ::DeleteObject(surface->bitmap);
            ::DeleteDC(surface->dc);
        }
        ::DestroyWindow(m_hwnd);
    }
    void Present() {
        ::BitBlt(m_back.dc, 0, 0, m_width, m_height, m_composed.dc, 0, 0, SRCCOPY);
        ::GdiFlush();
        POINT position{0, 0}, origin{0, 0};
        SIZE size{m_width, m_height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        HDC screen = ::GetDC(nullptr);
        ::UpdateLayeredWindow(m_hwnd, screen, &position, &size, m_back.dc, &origin, 0, &blend, ULW_ALPHA);
        ::ReleaseDC(nullptr, screen);
    }

private:
    struct Surface {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ old = nullptr;
    };
    Surface MakeSurface() const {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        Surface surface;
        void* bits = nullptr;
        surface.dc = ::CreateCompatibleDC(nullptr);
        surface.bitmap = ::CreateDIBSection(surface.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        surface.old = ::SelectObject(surface.dc, surface.bitmap);
        return surface;
    }
    int m_width, m_height;
    HWND m_hwnd = nullptr;
    Surface m_back, m_composed;
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

void PrintRatio(const char* name, double value, const char* unit, const char* floorName, double floor) {
    std::printf("%-44s %10.3f %-6s %-28s %10.3f %-6s ratio %7.2f\n", name, value, unit, floorName, floor, unit,
                floor > 0 ? value / floor : 0.0);
}

// ---- the program's main window over the simulated device ----

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

using SimControlFn = int32_t (*)(const wchar_t*, wchar_t*, uint32_t);

// Writes of a driver property the simulated device has logged so far.
int CountWrites(SimControlFn control, const wchar_t* property) {
    std::vector<wchar_t> log(1 << 20);
    if (control(L"log", log.data(), static_cast<uint32_t>(log.size())) != 0)
        return -1;
    const std::wstring text(log.data());
    const std::wstring needle = std::wstring(L"PropertyControl write ") + property;
    int count = 0;
    for (size_t at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
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

LPARAM Point(POINT p) {
    return MAKELPARAM(p.x, p.y);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: oc_bench_ui <program folder> <scratch folder>\n");
        return 2;
    }
    const std::wstring programFolder = std::wstring(argv[1]) + L"\\";
    const std::wstring scratch = argv[2];
    if (!HookImport("user32.dll", "UpdateLayeredWindow", reinterpret_cast<void*>(&CountingUpdateLayeredWindow),
                    reinterpret_cast<void**>(&g_updateLayeredWindow))) {
        std::fprintf(stderr, "cannot count presents: no import of UpdateLayeredWindow\n");
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
        theApp.UseProgramFolder(programFolder);
        theApp.InitPaths();
        theApp.LoadLanguage(L"en-US");
        theApp.CreateLytController();
        if (theApp.OpenDevice() != DeviceCheck::Ready) {
            std::fprintf(stderr, "the simulated device did not open\n");
            return 1;
        }
        auto control = reinterpret_cast<SimControlFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"sysTuneLib.dll"), "SimControl")));
        CAppSettings settings(scratch + L"\\setting.ini");
        settings.m_nUITransparent = 0;
        settings.m_nWelcomeMsg = 0;
        settings.m_nSystemTray = 0;
        BenchServices services;
        {
            COvercoatDlg dialog(theApp, services, &settings);
            dialog.Create(CDialog::IDD_MAIN);
            dialog.ShowWindow(SW_SHOW);
            PumpFor(500);

            // Full repaint and present against the bare blit and push of the same size.
            const int width = dialog.GetSurfaceWidth(), height = dialog.GetSurfaceHeight();
            const double repaint = MedianMs(25, [&] { dialog.Update(); });
            double bare = 0;
            {
                BareLayeredWindow floor(width, height);
                bare = MedianMs(25, [&] { floor.Present(); });
            }
            PrintRatio("full repaint + present (main window)", repaint, "ms", "bare blit + ULW", bare);

            // The master volume dragged by the mouse, one move at a time, until the device sees each write.
            CxSkinSlider* slider = FindSlider(&dialog, L"SpeakerVol");
            if (slider && control) {
                PumpFor(200);
                const RECT inHost = slider->GetRectInHost();
                const RECT thumb = slider->GetThumbRect();
                POINT at{inHost.left + (thumb.left + thumb.right) / 2, inHost.top + (thumb.top + thumb.bottom) / 2};
                const HWND hwnd = dialog.GetSafeHwnd();
                ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(at));
                ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(at));
                Pump();
                const int direction = at.x - inHost.left > (inHost.right - inHost.left) / 2 ? -1 : 1;
                std::vector<double> latencies;
                int presents = 0, moves = 0;
                for (int i = 0; i < 20; ++i) {
                    const int before = CountWrites(control, L"VolumeScalarControl");
                    const int presentsBefore = g_presents;
                    at.x += direction * 4;
                    const auto start = Clock::now();
                    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, Point(at));
                    while (CountWrites(control, L"VolumeScalarControl") == before && MsSince(start) < 1000)
                        Pump();
                    latencies.push_back(MsSince(start));
                    PumpFor(30); // whatever the move queued is part of its cost
                    presents += g_presents - presentsBefore;
                    ++moves;
                }
                ::SendMessageW(hwnd, WM_LBUTTONUP, 0, Point(at));
                Pump();
                std::sort(latencies.begin(), latencies.end());
                PrintRatio("slider move to device write (median)", latencies[latencies.size() / 2], "ms",
                           "bare blit + ULW", bare);
                PrintRatio("presents per slider move", static_cast<double>(presents) / moves, "", "one present",
                           1.0);
            } else {
                std::fprintf(stderr, "no master volume slider (%d) or no simulated device control (%d)\n",
                             slider != nullptr, control != nullptr);
                status = 1;
            }

            // The virtual-speaker page at rest: nothing changes, so nothing is presented.
            if (auto* main = dynamic_cast<IMainDialogHandler*>(dialog.GetListener()))
                main->ShowContent(L"SpeakerVirtual", 0);
            PumpFor(1000);
            const int before = g_presents;
            PumpFor(5000);
            std::printf("%-44s %10d %-6s %-28s %10d\n", "presents in 5 s idle on the virtual speakers", g_presents - before,
                        "", "floor", 0);
            dialog.DestroyWindow();
            Pump();
        }
        theApp.ReleaseLytController();
        theApp.ReleaseDriver();
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    return status;
}
