#include "framework/Wnd.h"

#include "framework/Exception.h"

#include <exception>
#include <map>
#include <mutex>
#include <tuple>

IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace {

// The window property that ties an HWND to its object; properties are per window and need no lock.
constexpr wchar_t kObjectProperty[] = L"Overcoat.CWnd";

// The object whose window is being created on this thread, handed from CreateEx to the hook.
thread_local CWnd* t_windowInCreation = nullptr;

void ReportContained(const wchar_t* what, UINT message) {
    wchar_t text[200];
    swprintf(text, 200, L"Overcoat: %ls escaped the handler of message 0x%04X and was stopped\n", what, message);
    ::OutputDebugStringW(text);
}

} // namespace

CWnd::~CWnd() {
    if (!m_hWnd)
        return;
    if (m_owned)
        DestroyWindow(); // the derived parts are gone: from here on the base handling alone runs
    else
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd)
        return nullptr;
    // Another program built on this framework keeps its own pointers in the same property.
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process != ::GetCurrentProcessId())
        return nullptr;
    return static_cast<CWnd*>(::GetPropW(hwnd, kObjectProperty));
}

BOOL CWnd::Attach(HWND hwnd) {
    if (m_hWnd || !hwnd || FromHandlePermanent(hwnd))
        return FALSE;
    if (!::SetPropW(hwnd, kObjectProperty, this))
        return FALSE;
    m_hWnd = hwnd;
    m_owned = false;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd && !m_owned) {
        ::RemovePropW(hwnd, kObjectProperty);
        m_hWnd = nullptr;
    }
    return m_owned ? nullptr : hwnd;
}

void CWnd::BindAndSubclass(HWND hwnd) {
    ::SetPropW(hwnd, kObjectProperty, this);
    m_hWnd = hwnd;
    m_owned = true;
    m_superProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::FrameworkWndProc)));
    if (m_superProc == &CWnd::FrameworkWndProc) // a class registered by RegisterWndClass
        m_superProc = ::DefWindowProcW;
}

void CWnd::Unbind() {
    ::RemovePropW(m_hWnd, kObjectProperty);
    if (m_superProc)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    m_superProc = nullptr;
    m_hWnd = nullptr;
    m_owned = false;
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    // The first window created after CreateEx armed the hook is the one it asked for: windows made
    // during its WM_CREATE come later.
    if (code == HCBT_CREATEWND && t_windowInCreation) {
        CWnd* wnd = t_windowInCreation;
        t_windowInCreation = nullptr;
        wnd->BindAndSubclass(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND CWnd::CreateHooked(const std::function<HWND()>& create) {
    if (m_hWnd)
        return nullptr;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId());
    if (!hook)
        return nullptr;
    CWnd* outer = t_windowInCreation;
    t_windowInCreation = this;
    HWND hwnd = create();
    t_windowInCreation = outer;
    ::UnhookWindowsHookEx(hook);
    // A window whose creation failed after the hook bound it has already passed WM_NCDESTROY.
    return hwnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU idOrMenu, LPVOID param) {
    HWND hwnd = CreateHooked([&] {
        return ::CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent, idOrMenu,
                                 ::GetModuleHandleW(nullptr), param);
    });
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    if (!m_owned) {
        HWND hwnd = Detach();
        return ::DestroyWindow(hwnd);
    }
    return ::DestroyWindow(m_hWnd);
}

LPCWSTR CWnd::RegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    using Key = std::tuple<UINT, HCURSOR, HBRUSH, HICON>;
    static std::mutex lock;
    static std::map<Key, std::wstring> names;
    std::lock_guard guard(lock);
    Key key{classStyle, cursor, background, icon};
    auto found = names.find(key);
    if (found != names.end())
        return found->second.c_str();
    std::wstring name = L"Overcoat:" + std::to_wstring(names.size());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::FrameworkWndProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name.c_str();
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return names.emplace(key, std::move(name)).first->second.c_str();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc)
        return ::CallWindowProcW(m_superProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        ReportContained(e->GetClassName(), message);
        e->Delete();
    } catch (const std::exception&) {
        ReportContained(L"std::exception", message);
    } catch (...) {
        ReportContained(L"an exception", message);
    }
    // A window whose creation handler failed is not created.
    return (message == WM_CREATE) ? -1 : 0;
}

LRESULT CALLBACK CWnd::FrameworkWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (!wnd)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = wnd->Dispatch(message, wParam, lParam);
    if (message == WM_NCDESTROY && wnd->m_hWnd == hwnd) {
        wnd->Unbind();
        try {
            wnd->PostNcDestroy();
        } catch (CException* e) {
            ReportContained(e->GetClassName(), message);
            e->Delete();
        } catch (...) {
            ReportContained(L"an exception", message);
        }
    }
    return result;
}

void CWnd::CenterWindow(HWND alternateOwner) {
    RECT self{};
    GetWindowRect(&self);
    HWND owner = alternateOwner ? alternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
    if (!owner)
        owner = GetParent();
    RECT area{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        area = monitor.rcWork;
    int width = self.right - self.left;
    int height = self.bottom - self.top;
    int x = (area.left + area.right - width) / 2;
    int y = (area.top + area.bottom - height) / 2;
    // Keep the window on the work area of its monitor.
    const RECT& work = monitor.rcWork;
    if (x + width > work.right)
        x = work.right - width;
    if (x < work.left)
        x = work.left;
    if (y + height > work.bottom)
        y = work.bottom - height;
    if (y < work.top)
        y = work.top;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::ClientToScreen(RECT* rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ScreenToClient(RECT* rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

std::wstring CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetExStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        SetWindowPos(nullptr, 0, 0, 0, 0, swpFlags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}
