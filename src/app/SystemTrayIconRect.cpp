// Finding the button of the program's icon on the taskbar through the accessibility objects of the
// notification area's toolbar.
#include <windows.h>
#include <oleacc.h>

#include <iterator>
#include <memory>
#include <vector>

#include "app/SystemTray.h"

namespace {

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
using AccessiblePtr = std::unique_ptr<IAccessible, ComRelease>;

// Clears every VARIANT the accessibility call filled, whatever happens to the walk.
class CChildArray {
public:
    explicit CChildArray(long count) : m_children(static_cast<size_t>(count)) {}
    ~CChildArray() {
        for (VARIANT& child : m_children)
            ::VariantClear(&child);
    }
    CChildArray(const CChildArray&) = delete;
    CChildArray& operator=(const CChildArray&) = delete;
    VARIANT* Data() { return m_children.data(); }
    VARIANT& At(size_t index) { return m_children[index]; }

private:
    std::vector<VARIANT> m_children;
};

// The child object at a 0-based index; null when the index is out of range or the child is a simple element.
AccessiblePtr ChildAt(IAccessible* parent, long index) {
    long count = 0;
    if (FAILED(parent->get_accChildCount(&count)) || index < 0 || index >= count)
        return nullptr;
    CChildArray children(count);
    long obtained = 0;
    if (FAILED(::AccessibleChildren(parent, 0, count, children.Data(), &obtained)) || index >= obtained)
        return nullptr;
    VARIANT& child = children.At(static_cast<size_t>(index));
    if (child.vt != VT_DISPATCH || !child.pdispVal)
        return nullptr;
    IAccessible* accessible = nullptr;
    if (FAILED(child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&accessible))))
        return nullptr;
    return AccessiblePtr(accessible);
}

// The location of the first child (numbered from 1) whose name is exactly the title.
bool FindNamedChild(IAccessible* parent, const std::wstring& title, RECT* rect) {
    long count = 0;
    if (FAILED(parent->get_accChildCount(&count)))
        return false;
    for (long id = 1; id <= count; ++id) {
        VARIANT child;
        ::VariantInit(&child);
        child.vt = VT_I4;
        child.lVal = id;
        BSTR name = nullptr;
        const bool matches = SUCCEEDED(parent->get_accName(child, &name)) && name && title == name;
        ::SysFreeString(name);
        if (!matches)
            continue;
        long left = 0, top = 0, width = 0, height = 0;
        if (FAILED(parent->accLocation(&left, &top, &width, &height, child)))
            return false;
        *rect = {left, top, left + width, top + height};
        return true;
    }
    return false;
}

int TaskbarEdgeOf(const RECT& taskbar) {
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    if (taskbar.left >= w / 2 || taskbar.right >= w / 2) {
        if (taskbar.top < h / 2 && taskbar.bottom < h / 2)
            return kEdgeTop;
        if (taskbar.top <= h / 2 || taskbar.bottom <= h / 2)
            return kEdgeRight;
        return kEdgeBottom;
    }
    return kEdgeLeft;
}

} // namespace

BOOL CSystemTray::GetIconRect(RECT* rect, int* edge) {
    if (!rect || !edge)
        return FALSE;
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    RECT taskbarRect{};
    if (!taskbar || !::GetWindowRect(taskbar, &taskbarRect))
        return FALSE;
    const HWND notifyArea = ::FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
    if (!notifyArea)
        return FALSE;
    HWND area = ::FindWindowExW(notifyArea, nullptr, L"SysPager", nullptr);
    const bool pager = area != nullptr;
    if (!pager)
        area = ::FindWindowExW(notifyArea, nullptr, L"ToolbarWindow32", nullptr);
    if (!area)
        return FALSE;

    IAccessible* root = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(area, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&root))) ||
        !root)
        return FALSE;
    AccessiblePtr current(root);
    static constexpr long kPagerPath[] = {3, 0, 3};
    static constexpr long kToolbarPath[] = {3};
    const long* path = pager ? kPagerPath : kToolbarPath;
    const size_t steps = pager ? std::size(kPagerPath) : std::size(kToolbarPath);
    for (size_t step = 0; step < steps; ++step) {
        current = ChildAt(current.get(), path[step]);
        if (!current)
            return FALSE;
    }

    if (!FindNamedChild(current.get(), m_appTitle, rect)) {
        // Not found by name (the tip may differ from the title): a small rectangle round the cursor.
        POINT cursor{};
        ::GetCursorPos(&cursor);
        *rect = {cursor.x, cursor.y - 1, cursor.x + 2, cursor.y + 1};
    }
    *edge = TaskbarEdgeOf(taskbarRect);
    return TRUE;
}
