#pragma once
// A device context that cleans up after itself: every object selected into it is selected out again
// (so the bitmaps and fonts it used can be deleted), and the DC is released the way it was obtained.
#include <string>
#include <windows.h>

class CBitmap;
class CFont;

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // Ways to obtain a DC; each fails when this object already holds one.
    BOOL CreateCompatibleDC(HDC reference); // a memory DC, deleted at the end
    BOOL GetWindowDC(HWND hwnd);            // GetDC of the window's client area, released at the end
    BOOL BeginPaint(HWND hwnd);             // inside WM_PAINT; EndPaint at the end
    BOOL Attach(HDC dc);                    // someone else's DC: only the selections are undone
    HDC Detach();                           // undoes the selections and lets go without releasing
    BOOL DeleteDC();                        // undoes the selections and frees the DC now
    const PAINTSTRUCT& GetPaintStruct() const { return m_paint; }

    // Selection; the object that was selected first of each kind is restored by RestoreObjects.
    HGDIOBJ SelectObject(HGDIOBJ object);
    HGDIOBJ SelectObject(const CBitmap& bitmap);
    HGDIOBJ SelectObject(const CFont& font);
    HGDIOBJ SelectStockObject(int index) { return SelectObject(::GetStockObject(index)); }
    void RestoreObjects();

    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    POINT SetViewportOrg(int x, int y);
    POINT GetViewportOrg() const;
    BOOL BitBlt(int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, width, height, source, sx, sy, rop);
    }
    void FillSolidRect(const RECT& rect, COLORREF color);
    int FillRect(const RECT& rect, HBRUSH brush) { return ::FillRect(m_hDC, &rect, brush); }
    int FrameRect(const RECT& rect, HBRUSH brush) { return ::FrameRect(m_hDC, &rect, brush); }
    BOOL Rectangle(const RECT& rect) { return ::Rectangle(m_hDC, rect.left, rect.top, rect.right, rect.bottom); }
    int DrawText(const std::wstring& text, RECT* rect, UINT format) {
        return ::DrawTextW(m_hDC, text.c_str(), static_cast<int>(text.size()), rect, format);
    }
    BOOL TextOut(int x, int y, const std::wstring& text) {
        return ::TextOutW(m_hDC, x, y, text.c_str(), static_cast<int>(text.size()));
    }
    SIZE GetTextExtent(const std::wstring& text) const;
    BOOL GetTextMetrics(TEXTMETRICW* metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }
    int IntersectClipRect(const RECT& rect) {
        return ::IntersectClipRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
    }
    int SelectClipRgn(HRGN region) { return ::SelectClipRgn(m_hDC, region); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

private:
    enum class Source { None, Created, Window, Paint, Attached };
    void Release();

    Source m_source = Source::None;
    HWND m_window = nullptr;
    PAINTSTRUCT m_paint{};
    // The objects that were in the DC before this object first replaced them, one per kind.
    HGDIOBJ m_original[4] = {};
};
