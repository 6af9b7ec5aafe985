#pragma once
// A window object bound to one HWND. Messages reach the object through the virtual WindowProc (no
// message maps); the framework's window procedure is the only place where a C++ exception could meet
// a Win32 frame, so it stops every exception there.
#include "framework/Object.h"

#include <functional>
#include <string>
#include <windows.h>

class CWnd : public CObject {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    // A window this object created is destroyed with it; an attached one is only let go.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The object bound to a window by CreateEx, a dialog or Attach; null for foreign windows.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Binds an existing window without taking it over: its messages keep their own procedure and
    // the window outlives this object.
    BOOL Attach(HWND hwnd);
    HWND Detach();

    // Creates a window of any class; from its first message on (WM_NCCREATE) it runs through WindowProc.
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU idOrMenu = nullptr, LPVOID param = nullptr);
    BOOL DestroyWindow();

    // Registers (once per distinct set of arguments) a window class whose procedure is the framework's
    // and returns its name, for CreateEx.
    static LPCWSTR RegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                    HICON icon = nullptr);

    // Every message of a created window; the default passes it on to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's original handling (its class procedure, or the system's default).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The modal loop offers each queued message to this window and its parents before dispatch;
    // TRUE swallows the message.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // The final notice after WM_NCDESTROY; m_hWnd is already null. An object that lives on the heap
    // for the life of its window may delete itself here.
    virtual void PostNcDestroy() {}

    // Thin wrappers over the window functions.
    BOOL IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL ShowWindow(int cmdShow) { return ::ShowWindow(m_hWnd, cmdShow); }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE) {
        ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
    }
    void CenterWindow(HWND alternateOwner = nullptr);
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ClientToScreen(POINT* point) const { ::ClientToScreen(m_hWnd, point); }
    void ClientToScreen(RECT* rect) const;
    void ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }
    void ScreenToClient(RECT* rect) const;
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
    void ValidateRect(const RECT* rect) { ::ValidateRect(m_hWnd, rect); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, TIMERPROC proc = nullptr) {
        return ::SetTimer(m_hWnd, id, elapseMs, proc);
    }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    void SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hWnd, text.c_str()); }
    std::wstring GetWindowText() const;
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetTopLevelParent() const { return ::GetAncestor(m_hWnd, GA_ROOT); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    HICON SetIcon(HICON icon, BOOL big) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon));
    }
    void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)font, redraw); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    HDC GetDC() { return ::GetDC(m_hWnd); }
    int ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

protected:
    // Takes over an existing window: its messages run through WindowProc from now on.
    void BindAndSubclass(HWND hwnd);
    // Runs the creation call with the window hook armed, so the new window is taken over before its
    // first message.
    HWND CreateHooked(const std::function<HWND()>& create);

private:
    static LRESULT CALLBACK FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Unbind();

    WNDPROC m_superProc = nullptr; // the procedure this window had before the framework took it over
    bool m_owned = false;          // created (or taken over) by this object, so destroyed with it
};
