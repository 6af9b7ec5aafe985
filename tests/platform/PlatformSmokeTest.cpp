// The platform the whole toolkit stands on: a layered window presented from a 32-bit premultiplied
// back buffer drawn with GDI+, and a library loaded by path from a subfolder.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "TestPaths.h"

namespace {

class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_ok)
            Gdiplus::GdiplusShutdown(m_token);
    }
    bool Ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

struct DibSection {
    HBITMAP bitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;

    DibSection(int w, int h) : width(w), height(h) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h; // bottom-up, as the host window's buffer is
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* raw = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
        bits = static_cast<uint32_t*>(raw);
    }
    ~DibSection() {
        if (bitmap)
            DeleteObject(bitmap);
    }
    // Top-down coordinates over bottom-up rows.
    uint32_t At(int x, int y) const { return bits[(height - 1 - y) * width + x]; }
};

int Alpha(uint32_t pixel) { return static_cast<int>(pixel >> 24); }
int Red(uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }

TEST(PlatformSmoke, LayeredWindowPresentsPremultipliedBackBuffer) {
    GdiplusSession gdiplus;
    ASSERT_TRUE(gdiplus.Ok());

    const int w = 64, h = 32;
    DibSection dib(w, h);
    ASSERT_NE(dib.bitmap, nullptr);
    {
        // A bottom-up DIB seen through a negative stride: GDI+ writes top-down rows into it.
        Gdiplus::Bitmap flipped(w, h, -w * 4, PixelFormat32bppPARGB,
                                reinterpret_cast<BYTE*>(dib.bits) + (h - 1) * w * 4);
        Gdiplus::Graphics g(&flipped);
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        Gdiplus::SolidBrush half(Gdiplus::Color(128, 255, 0, 0));
        g.FillRectangle(&half, 0, 0, w / 2, h);
        Gdiplus::SolidBrush opaque(Gdiplus::Color(255, 0, 0, 255));
        g.FillRectangle(&opaque, w / 2, 0, w / 2, h);
        g.Flush(Gdiplus::FlushIntentionSync);
    }
    GdiFlush();

    // Premultiplied: half-transparent red keeps alpha ~128 and red ~128.
    EXPECT_NEAR(Alpha(dib.At(5, 5)), 128, 2);
    EXPECT_NEAR(Red(dib.At(5, 5)), 128, 2);
    EXPECT_EQ(Alpha(dib.At(w - 5, h - 5)), 255);
    EXPECT_EQ(dib.At(w - 5, h - 5) & 0xFF, 0xFFu);

    HWND wnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"smoke", WS_POPUP, 10, 10, w, h,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib.bitmap);
    POINT origin{0, 0}, position{10, 10};
    SIZE size{w, h};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 127, AC_SRC_ALPHA};
    BOOL presented = UpdateLayeredWindow(wnd, screen, &position, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DestroyWindow(wnd);
    EXPECT_TRUE(presented);
}

TEST(PlatformSmoke, LoadsLibraryFromSubfolderByPath) {
    wchar_t exe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
    std::wstring path(exe);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\plugins\\smoke.dll";
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    using Twice = int(__cdecl*)(int);
    auto twice = reinterpret_cast<Twice>(reinterpret_cast<void*>(GetProcAddress(module, "SmokeTwice")));
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(twice(21), 42);
    EXPECT_TRUE(FreeLibrary(module));
}

} // namespace
