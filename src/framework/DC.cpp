#include "framework/DC.h"

#include "framework/Bitmap.h"
#include "framework/Font.h"

namespace {

int SlotOf(HGDIOBJ object) {
    switch (::GetObjectType(object)) {
    case OBJ_BITMAP:
        return 0;
    case OBJ_FONT:
        return 1;
    case OBJ_PEN:
    case OBJ_EXTPEN:
        return 2;
    case OBJ_BRUSH:
        return 3;
    default:
        return -1; // regions are copied into the DC, nothing to restore
    }
}

} // namespace

CDC::~CDC() {
    Release();
}

BOOL CDC::CreateCompatibleDC(HDC reference) {
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(reference);
    m_source = m_hDC ? Source::Created : Source::None;
    return m_hDC != nullptr;
}

BOOL CDC::GetWindowDC(HWND hwnd) {
    if (m_hDC)
        return FALSE;
    m_hDC = ::GetDC(hwnd);
    if (!m_hDC)
        return FALSE;
    m_window = hwnd;
    m_source = Source::Window;
    return TRUE;
}

BOOL CDC::BeginPaint(HWND hwnd) {
    if (m_hDC)
        return FALSE;
    m_hDC = ::BeginPaint(hwnd, &m_paint);
    if (!m_hDC)
        return FALSE;
    m_window = hwnd;
    m_source = Source::Paint;
    return TRUE;
}

BOOL CDC::Attach(HDC dc) {
    if (m_hDC || !dc)
        return FALSE;
    m_hDC = dc;
    m_source = Source::Attached;
    return TRUE;
}

HDC CDC::Detach() {
    RestoreObjects();
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_window = nullptr;
    m_source = Source::None;
    return dc;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    Release();
    return TRUE;
}

void CDC::Release() {
    if (!m_hDC)
        return;
    RestoreObjects();
    switch (m_source) {
    case Source::Created:
        ::DeleteDC(m_hDC);
        break;
    case Source::Window:
        ::ReleaseDC(m_window, m_hDC);
        break;
    case Source::Paint:
        ::EndPaint(m_window, &m_paint);
        break;
    case Source::Attached:
    case Source::None:
        break;
    }
    m_hDC = nullptr;
    m_window = nullptr;
    m_source = Source::None;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
    if (!m_hDC || !object)
        return nullptr;
    HGDIOBJ previous = ::SelectObject(m_hDC, object);
    int slot = SlotOf(object);
    if (slot >= 0 && previous && previous != HGDI_ERROR && !m_original[slot])
        m_original[slot] = previous;
    return previous;
}

HGDIOBJ CDC::SelectObject(const CBitmap& bitmap) {
    return SelectObject(static_cast<HGDIOBJ>(bitmap.m_hObject));
}

HGDIOBJ CDC::SelectObject(const CFont& font) {
    return SelectObject(static_cast<HGDIOBJ>(font.m_hObject));
}

void CDC::RestoreObjects() {
    for (HGDIOBJ& original : m_original) {
        if (original && m_hDC)
            ::SelectObject(m_hDC, original);
        original = nullptr;
    }
}

POINT CDC::SetViewportOrg(int x, int y) {
    POINT previous{};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

POINT CDC::GetViewportOrg() const {
    POINT origin{};
    ::GetViewportOrgEx(m_hDC, &origin);
    return origin;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
    COLORREF previous = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

SIZE CDC::GetTextExtent(const std::wstring& text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(m_hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}
