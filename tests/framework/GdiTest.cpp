#include "framework/Bitmap.h"
#include "framework/DC.h"
#include "framework/Font.h"

#include <gtest/gtest.h>

namespace {

TEST(Gdi, DetachingADcRestoresEverythingSelectedIntoIt) {
    HDC raw = ::CreateCompatibleDC(nullptr);
    ASSERT_NE(raw, nullptr);
    HGDIOBJ originalBitmap = ::GetCurrentObject(raw, OBJ_BITMAP);
    HGDIOBJ originalFont = ::GetCurrentObject(raw, OBJ_FONT);

    CBitmap first, second;
    ASSERT_TRUE(first.CreateCompatibleBitmap(raw, 8, 8));
    ASSERT_TRUE(second.CreateCompatibleBitmap(raw, 4, 4));
    LOGFONTW logFont{};
    logFont.lfHeight = -12;
    wcscpy(logFont.lfFaceName, L"Tahoma");
    CFont font;
    ASSERT_TRUE(font.CreateFontIndirect(logFont));
    {
        CDC dc;
        ASSERT_TRUE(dc.Attach(raw));
        dc.SelectObject(first);
        dc.SelectObject(second); // the original, not the first bitmap, is what comes back
        dc.SelectObject(font);
        EXPECT_EQ(::GetCurrentObject(raw, OBJ_BITMAP), second.m_hObject);
        EXPECT_EQ(dc.Detach(), raw);
    }
    EXPECT_EQ(::GetCurrentObject(raw, OBJ_BITMAP), originalBitmap);
    EXPECT_EQ(::GetCurrentObject(raw, OBJ_FONT), originalFont);
    ::DeleteDC(raw);
}

TEST(Gdi, MemoryDcAndDibSectionReleaseTheirHandles) {
    DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 50; ++i) {
        CBitmap bitmap;
        CDC dc;
        ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 16;
        info.bmiHeader.biHeight = 16;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        ASSERT_TRUE(bitmap.CreateDIBSection(dc, info, &bits));
        ASSERT_NE(bits, nullptr);
        dc.SelectObject(bitmap);
        dc.FillSolidRect(RECT{0, 0, 16, 16}, RGB(10, 20, 30));
        ::GdiFlush();
        EXPECT_EQ(static_cast<const DWORD*>(bits)[0] & 0xFFFFFF, 0x0A141Eu);
        EXPECT_EQ(bitmap.GetSize().cx, 16);
        // dc ends first (declared last): the bitmap is free to be deleted after it.
    }
    DWORD after = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    // Wine may not count GDI objects (it answers 0); where it does, nothing leaked.
    EXPECT_LE(after, before + 2);
}

TEST(Gdi, WindowDcIsReleased) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        CDC dc;
        ASSERT_TRUE(dc.GetWindowDC(window));
        EXPECT_FALSE(dc.CreateCompatibleDC(nullptr)); // already holds one
        dc.SetViewportOrg(3, 4);
        EXPECT_EQ(dc.GetViewportOrg().x, 3);
    }
    ::DestroyWindow(window);
}

} // namespace
