// The floor the program is measured against: a bare 900 x 600 layered window that decodes one PNG, draws
// it and one line of text with GDI+ into a 32-bit DIB, presents it with UpdateLayeredWindow and shows it.
// It then idles in its message loop until it is closed or killed; the bench sees its first frame from
// outside, when the X server maps the window, as it sees the program's.
// usage: oc_bench_bare.exe <image.png>
#include <windows.h>
#include <gdiplus.h>
#include <shellapi.h>


namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 600;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// The picture and a line of text, drawn into the DIB selected into dc, and pushed to the window.
// The DIB's rows are bottom-up: GDI+ sees them top-down through a negative stride, with alpha.
void Present(HWND hwnd, HDC dc, void* bits, const wchar_t* imagePath) {
    {
        BYTE* top = static_cast<BYTE*>(bits) + static_cast<size_t>(kHeight - 1) * kWidth * 4;
        Gdiplus::Bitmap surface(kWidth, kHeight, -kWidth * 4, PixelFormat32bppPARGB, top);
        Gdiplus::Graphics graphics(&surface);
        Gdiplus::Bitmap image(imagePath);
        graphics.DrawImage(&image, Gdiplus::Rect(0, 0, kWidth, kHeight));
        Gdiplus::FontFamily family(L"Tahoma");
        Gdiplus::Font font(&family, 16, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 255, 255, 255));
        graphics.DrawString(L"Bare layered window", -1, &font, Gdiplus::PointF(54, 14), &brush);
    }
    POINT origin{0, 0}, position{100, 100};
    SIZE size{kWidth, kHeight};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC screen = ::GetDC(nullptr);
    ::UpdateLayeredWindow(hwnd, screen, &position, &size, dc, &origin, 0, &blend, ULW_ALPHA);
    ::ReleaseDC(nullptr, screen);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv || count < 2)
        return 2;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return 1;

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"OvercoatBenchBareWindow";
    ::RegisterClassExW(&windowClass);
    HWND hwnd = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW, windowClass.lpszClassName, L"Bare layered window",
                                  WS_POPUP, 100, 100, kWidth, kHeight, nullptr, nullptr, instance, nullptr);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP dib = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, dib);
    Present(hwnd, dc, bits, argv[1]);
    ::ShowWindow(hwnd, SW_SHOW);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(dib);
    ::DeleteDC(dc);
    ::LocalFree(argv);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
