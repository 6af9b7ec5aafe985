#include "skin/SkinDropList.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "framework/DC.h"
#include "skin/IntelliTip.h" // the slider's value tip, complete for its constructor
#include "skin/IxSkinComboBoxListener.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinRepeatButton.h"
#include "skin/SkinSlider.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinDropList, CxSkinDialog)

namespace {

constexpr wchar_t kUpButtonName[] = L"Button_Scroll_Up";
constexpr wchar_t kDownButtonName[] = L"Button_Scroll_Down";

// The tooltip class comes from the common controls library, loaded the first time a list opens: linked in,
// its start-up would cost every start of the program, and most runs never open a list. It stays loaded for
// the process, since tooltips of its class outlive any one list.
bool RegisterToolTipClass() {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    static const InitFn init = [] {
        HMODULE library = ::LoadLibraryW(L"comctl32.dll");
        return library ? reinterpret_cast<InitFn>(
                             reinterpret_cast<void (*)()>(::GetProcAddress(library, "InitCommonControlsEx")))
                       : nullptr;
    }();
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_WIN95_CLASSES};
    return init && init(&classes);
}

POINT MessagePoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

// One band of the background image: where it is taken from and where it lands, on one axis.
struct Band {
    int srcFrom, srcSize, dstFrom, dstSize;
};

} // namespace

CxSkinDropList::CxSkinDropList(IxSkinComboBoxListener* listener)
    : CxSkinDialog(CDialog::IDD_POPUP, nullptr), m_listener(listener) {
    m_uiThread = ::GetCurrentThreadId();
    m_styles[CDropListItem::kSelected].background = kDefaultSelectedBackground;
    SetDraggable(FALSE);
    const std::pair<std::unique_ptr<CxSkinRepeatButton>*, std::pair<const wchar_t*, UINT>> buttons[] = {
        {&m_upButton, {kUpButtonName, kUpButtonId}}, {&m_downButton, {kDownButtonName, kDownButtonId}}};
    for (const auto& [slot, identity] : buttons) {
        *slot = std::make_unique<CxSkinRepeatButton>();
        (*slot)->SetName(identity.first);
        (*slot)->SetId(static_cast<int>(identity.second));
        (*slot)->SetParent(this);
    }
    m_scrollBar = std::make_unique<CxSkinSlider>();
    m_scrollBar->SetOrientation(0);
    m_scrollBar->SetTooltipShow(0);
    m_scrollBar->SetId(static_cast<int>(kScrollBarId));
    m_scrollBar->SetParent(this);
    m_scrollBar->SetListener(this);
}

CxSkinDropList::~CxSkinDropList() {
    *m_alive = false;
    m_destroying = true;
    m_listener = nullptr;
    // The window goes while the scroll layers are still ours to take out of the tree.
    if (m_hWnd)
        DestroyWindow();
    DetachScrollLayers();
    m_scrollBar.reset();
    m_upButton.reset();
    m_downButton.reset();
}

BOOL CxSkinDropList::CreatePopup(CWnd* owner) {
    if (m_hWnd)
        return TRUE;
    if (!CDialog::Create(CDialog::IDD_POPUP, owner))
        return FALSE;
    ModifyStyleEx(0, WS_EX_TOOLWINDOW);
    SetWindowText(L"");
    CreateToolTipControl();
    return TRUE;
}

void CxSkinDropList::CreateToolTipControl() {
    if (!RegisterToolTipClass())
        return; // the list works without tips for cut texts
    m_toolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (m_toolTip)
        ::SendMessageW(m_toolTip, TTM_ACTIVATE, TRUE, 0);
}

void CxSkinDropList::Open(int x, int y, int width, int height, int transparency) {
    if (!m_hWnd)
        return;
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
    // The layered surface and back buffer at the list's size; the list paints its own background.
    CLayerDialog::SetBackground(m_width, m_height, nullptr, 0, 0);
    CxSkinDialog::SetTransparency(transparency, FALSE);
    MoveWindow(x, y, m_width, m_height, FALSE);
    m_rect = {0, 0, m_width, m_height};
    CWnd::ShowWindow(SW_SHOW);
}

// ---- items

CDropListItem* CxSkinDropList::Item(int index) const {
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

const std::shared_ptr<Font>& CxSkinDropList::StyleFont(int state) {
    TextStyle& style = m_styles[Style(state)];
    if (!style.font) {
        const CxSkinFontFace face(style.fontName);
        style.font =
            std::make_shared<Font>(face.Get(), static_cast<REAL>(style.fontHeight), style.fontStyle, UnitPoint);
    }
    return style.font;
}

int CxSkinDropList::AddString(const std::wstring& text) {
    auto item = std::make_unique<CDropListItem>(text);
    for (int state : {CDropListItem::kNormal, CDropListItem::kSelected}) {
        CDropListItem::Look& look = item->GetLook(state);
        look.textColor = m_styles[state].textColor;
        look.background = m_styles[CDropListItem::kSelected].background;
        look.image = m_styles[state].image;
        look.font = StyleFont(state);
    }
    m_items.push_back(std::move(item));
    return GetCount() - 1;
}

int CxSkinDropList::RemoveItem(int index) {
    if (!Item(index))
        return -1;
    m_items.erase(m_items.begin() + index);
    if (m_selection == index)
        m_selection = -1;
    else if (m_selection > index)
        --m_selection;
    // The highlight follows its item, as the selection does.
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    return GetCount();
}

void CxSkinDropList::ResetContent() {
    m_items.clear();
    m_scrollOffset = 0;
    m_selection = -1;
    m_current = -1;
}

int CxSkinDropList::SetCurSel(int index) {
    if (index != -1 && !Item(index))
        return -1;
    m_selection = index;
    return index;
}

void CxSkinDropList::GetItemText(int index, std::wstring& text) const {
    if (const CDropListItem* item = Item(index))
        text = item->GetText();
}

std::wstring CxSkinDropList::GetItemName(int index) const {
    const CDropListItem* item = Item(index);
    return item ? item->GetName() : std::wstring();
}

int CxSkinDropList::SetItemName(int index, const std::wstring& name) {
    CDropListItem* item = Item(index);
    if (!item)
        return -1;
    item->SetName(name);
    return index;
}

std::int64_t CxSkinDropList::GetItemData(int index) const {
    const CDropListItem* item = Item(index);
    return item ? item->GetData() : -1;
}

int CxSkinDropList::SetItemData(int index, std::int64_t data) {
    CDropListItem* item = Item(index);
    if (!item)
        return -1;
    item->SetData(data);
    return index;
}

// ---- styles and images

void CxSkinDropList::SetStyleBackColor(int state, SkinColor argb) {
    m_styles[Style(state)].background = argb;
}

void CxSkinDropList::SetStyleTextColor(int state, SkinColor argb) {
    m_styles[Style(state)].textColor = argb;
}

// A font setter drops the style's font, so the items added next get one that matches; the items added
// before keep theirs.
void CxSkinDropList::SetStyleFontName(int state, const std::wstring& name) {
    m_styles[Style(state)].fontName = name;
    m_styles[Style(state)].font.reset();
}

void CxSkinDropList::SetStyleFontStyle(int state, int style) {
    m_styles[Style(state)].fontStyle = style;
    m_styles[Style(state)].font.reset();
}

void CxSkinDropList::SetStyleFontHeight(int state, int height) {
    m_styles[Style(state)].fontHeight = height;
    m_styles[Style(state)].font.reset();
}

void CxSkinDropList::SetListBackgroundImage(const std::wstring& path) {
    m_listBackground = xSkinLoadBitmapOrThrow(path, L"DropList background: failed to load %ls");
    CxSkinDialog::SetBackgroundImage(path.c_str());
}

void CxSkinDropList::SetItemImage(int state, const std::wstring& path) {
    if (path.empty())
        return;
    std::unique_ptr<Bitmap> image = xSkinLoadBitmapOrThrow(path, L"DropList ItemNormal: failed to load %ls");
    m_styles[Style(state)].image = std::shared_ptr<Bitmap>(std::move(image));
}

void CxSkinDropList::SetScrollBkImage(const std::wstring& path) {
    m_scrollBackground = xSkinLoadBitmapOrThrow(path, L"Scroll background: failed to load %ls");
    m_imagePaths[0] = path;
    m_scrollBar->SetBarNormalImage(path);
}

void CxSkinDropList::SetScrollThumbImage(const std::wstring& path) {
    xSkinLoadBitmapOrThrow(path, L"Scroll Block: failed to load %ls");
    m_imagePaths[1] = path;
    m_scrollBar->SetThumbNormalImage(path);
}

void CxSkinDropList::SetScrollButtonImage(const std::wstring& path, int upButton, int state) {
    using Setter = void (IxSkinButton::*)(const std::wstring&);
    static constexpr Setter kStateSetters[] = {&IxSkinButton::SetNormalSkin, &IxSkinButton::SetOverSkin,
                                               &IxSkinButton::SetDownSkin, &IxSkinButton::SetDisableSkin};
    if (state < 0 || state >= static_cast<int>(std::size(kStateSetters)))
        return;
    IxSkinButton& button = *(upButton ? m_upButton : m_downButton);
    (button.*kStateSetters[state])(path);
}

int CxSkinDropList::GetScrollBarWidth() const {
    return m_scrollBackground ? static_cast<int>(m_scrollBackground->GetWidth()) : 0;
}

SIZE CxSkinDropList::MeasureItems(int from, int enough) {
    SIZE size{0, 0};
    const int count = GetCount();
    size.cy = (count > 0 ? count : 3) * m_itemHeight + m_margins.top + m_margins.bottom;
    if (!m_styles[CDropListItem::kNormal].font)
        return size;
    const int sides = m_margins.left + m_margins.right;
    HDC screen = ::GetDC(nullptr);
    {
        Graphics graphics(screen);
        // As the rows are drawn (PaintItems): the screen's own hint fits glyphs to pixels and measures narrower.
        graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
        // One bound per font: the rows share their styles' fonts, bar those added before a style changed.
        std::map<const Font*, std::unique_ptr<CTextWidthBound>> bounds;
        const auto boundFor = [&](const Font* font) -> CTextWidthBound& {
            auto& bound = bounds[font];
            if (!bound)
                bound = std::make_unique<CTextWidthBound>(graphics, font);
            return *bound;
        };
        // Only a row that can be wider than both the widest so far and `from` is measured exactly.
        int widest = 0;
        for (const auto& item : m_items) {
            if (widest + sides >= enough)
                break;
            if (item->WidthBound(boundFor) + sides < std::max(widest + sides, from))
                continue;
            widest = std::max(widest, item->MeasureWidth(graphics));
        }
        size.cx = widest + sides;
    }
    ::ReleaseDC(nullptr, screen);
    return size;
}

// ---- layout and scrolling

void CxSkinDropList::LayOut() {
    m_itemArea = {m_margins.left, m_margins.top, std::max<LONG>(m_margins.left, m_width - m_margins.right),
                  std::max<LONG>(m_margins.top, m_height - m_margins.bottom)};
    m_scrollOffset = 0;
    const int overflow = GetCount() * m_itemHeight - Height(m_itemArea);
    m_maxOffset = std::max(0, overflow);
    if (overflow > 0) {
        PlaceScrollColumn(overflow);
    } else {
        for (CLayerWnd* layer : {static_cast<CLayerWnd*>(m_scrollBar.get()), static_cast<CLayerWnd*>(m_upButton.get()),
                                 static_cast<CLayerWnd*>(m_downButton.get())})
            if (layer->IsCreated())
                layer->SetVisible(FALSE, FALSE);
    }
    m_itemWidth = m_itemArea.right - m_itemArea.left;
}

void CxSkinDropList::PlaceScrollColumn(int overflow) {
    const int width = GetScrollBarWidth();
    const RECT column{m_itemArea.right - width, m_itemArea.top, m_itemArea.right, m_itemArea.bottom};
    m_itemArea.right = column.left;
    if (m_current >= 0 && (m_current + 1) * m_itemHeight > Height(m_itemArea))
        m_scrollOffset = std::min(m_maxOffset, (m_current + 1) * m_itemHeight - Height(m_itemArea));
    const int upHeight = m_upButton->GetNormalImageSize().cy;
    const int downHeight = m_downButton->GetNormalImageSize().cy;
    try {
        if (width > 0) {
            m_scrollBar->SetRange(0, overflow);
            AttachLayer(m_scrollBar.get(),
                        {column.left, column.top + upHeight, column.right, column.bottom - downHeight});
            m_scrollBar->SetPos(static_cast<float>(overflow - m_scrollOffset), FALSE);
            m_scrollBar->SetVisible(TRUE, FALSE);
        }
    } catch (CxSkinControlsException* e) {
        // A skin without scroll images still scrolls by wheel and keys.
        e->Delete();
        m_scrollBar->SetVisible(FALSE, FALSE);
    }
    const std::pair<CxSkinRepeatButton*, RECT> buttons[] = {
        {m_upButton.get(), {column.left, column.top, column.right, column.top + upHeight}},
        {m_downButton.get(), {column.left, column.bottom - downHeight, column.right, column.bottom}}};
    for (const auto& [button, rect] : buttons) {
        if (Height(rect) <= 0)
            continue;
        AttachLayer(button, rect);
        button->m_buttonListener = this;
        button->SetVisible(TRUE, FALSE);
    }
}

// (Re)creates a scroll layer at rect under the list: the slider lays out its geometry only when it is
// created, so a move is a fresh creation.
void CxSkinDropList::AttachLayer(CLayerWnd* layer, const RECT& rect) {
    if (layer->IsCreated())
        RemoveChild(layer);
    auto* control = dynamic_cast<CxSkinCtrl*>(layer);
    control->SetLeft(rect.left);
    control->SetTop(rect.top);
    control->SetWidth(rect.right - rect.left);
    control->SetHeight(rect.bottom - rect.top);
    static_cast<IxSkinObject*>(control)->Create();
}

void CxSkinDropList::DetachScrollLayers() {
    for (CLayerWnd* layer : {static_cast<CLayerWnd*>(m_scrollBar.get()), static_cast<CLayerWnd*>(m_upButton.get()),
                             static_cast<CLayerWnd*>(m_downButton.get())}) {
        if (!layer || !layer->IsCreated())
            continue;
        CxSkinDialog::ForgetLayer(layer);
        RemoveChild(layer);
    }
}

int CxSkinDropList::ItemAt(POINT point) const {
    if (m_itemHeight <= 0 || !::PtInRect(&m_itemArea, point))
        return -1;
    const int index = (point.y - m_itemArea.top + m_scrollOffset) / m_itemHeight;
    return index < GetCount() ? index : -1;
}

void CxSkinDropList::ScrollTo(int offset) {
    offset = std::clamp(offset, 0, m_maxOffset);
    if (offset == m_scrollOffset)
        return;
    m_scrollOffset = offset;
    SyncScrollBar(TRUE);
    CLayerWnd::Invalidate(FALSE);
}

void CxSkinDropList::ScrollBy(int delta) {
    ScrollTo(m_scrollOffset + delta);
}

void CxSkinDropList::SyncScrollBar(BOOL redraw) {
    if (m_scrollBar->IsCreated())
        m_scrollBar->SetPos(static_cast<float>(m_maxOffset - m_scrollOffset), redraw);
}

void CxSkinDropList::InvalidateItem(int index) {
    if (index < 0 || index >= GetCount() || m_itemHeight <= 0)
        return;
    const int top = m_itemArea.top - m_scrollOffset + index * m_itemHeight;
    const RECT item{m_itemArea.left, top, m_itemArea.right, top + m_itemHeight};
    RECT visible{};
    if (::IntersectRect(&visible, &item, &m_itemArea))
        CLayerDialog::InvalidateRect(visible, FALSE);
}

void CxSkinDropList::MoveCurrent(int delta) {
    if (GetCount() == 0)
        return; // nothing to highlight: Enter then closes without a choice
    const int previous = m_current;
    m_current = std::clamp(m_current + delta, 0, GetCount() - 1);
    const int top = m_current * m_itemHeight;
    if (top < m_scrollOffset)
        ScrollTo(top);
    else if (top + m_itemHeight > m_scrollOffset + Height(m_itemArea))
        ScrollTo(top + m_itemHeight - Height(m_itemArea));
    InvalidateItem(previous);
    InvalidateItem(m_current);
}

void CxSkinDropList::Close() {
    if (m_hWnd && IsWindowVisible())
        CWnd::ShowWindow(SW_HIDE);
}

// ---- listeners

int CxSkinDropList::OnSliderChanged(const std::wstring& /*name*/, float value, int /*final*/) {
    if (!m_hWnd)
        return 0;
    const int offset = std::clamp(m_scrollBar->GetMaximum() - static_cast<int>(value), 0, m_maxOffset);
    if (offset != m_scrollOffset) {
        m_scrollOffset = offset;
        CLayerDialog::InvalidateRect(m_itemArea, FALSE);
    }
    return 0;
}

int CxSkinDropList::OnClick(const std::wstring& name) {
    const bool up = name == kUpButtonName;
    if (!up && name != kDownButtonName)
        return 0;
    const WPARAM command = up ? kUpButtonId : kDownButtonId;
    // A held button clicks on its timer's thread, which must not touch the window.
    if (::GetCurrentThreadId() != m_uiThread) {
        if (HWND window = m_hWnd)
            ::PostMessageW(window, WM_COMMAND, command, 0);
        return 0;
    }
    SendMessage(WM_COMMAND, command, 0);
    return 0;
}

// ---- window messages

void CxSkinDropList::OnShown() {
    ::SetFocus(m_hWnd);
    m_pending = -1;
    m_current = m_selection;
    for (const auto& item : m_items)
        item->SetHover(FALSE);
    LayOut();
    CLayerWnd::Invalidate(TRUE);
}

void CxSkinDropList::OnHidden() {
    // Only a chosen item becomes the selection; a list closed by another key keeps the one it had.
    if (Item(m_pending))
        m_selection = m_pending;
    const int result = std::exchange(m_pending, -1);
    if (IxSkinComboBoxListener* listener = m_listener)
        listener->OnSelChange(std::wstring(), result); // last: the listener may destroy this list
}

void CxSkinDropList::OnMouseMoveMessage(POINT point) {
    if (!::PtInRect(&m_itemArea, point))
        return;
    const int under = ItemAt(point);
    for (int i = 0; i < GetCount(); ++i) {
        CDropListItem& item = *m_items[static_cast<size_t>(i)];
        const BOOL hover = i == under;
        if (hover && !item.IsHover())
            InvalidateItem(i);
        item.SetHover(hover);
    }
    if (under >= 0 && under != m_current) {
        InvalidateItem(std::exchange(m_current, under));
        InvalidateItem(m_current);
    }
}

void CxSkinDropList::OnKeyDownMessage(UINT key) {
    switch (key) {
    case VK_UP:
        MoveCurrent(-1);
        return;
    case VK_DOWN:
        MoveCurrent(1);
        return;
    case VK_RETURN:
        m_pending = Item(m_current) ? m_current : -1;
        Close();
        return;
    default:
        m_current = -1;
        m_pending = kClosedByKey;
        Close();
        return;
    }
}

BOOL CxSkinDropList::PreTranslateMessage(MSG* msg) {
    if (msg && m_hWnd && msg->hwnd == m_hWnd && msg->message == WM_KEYDOWN && !m_destroying) {
        OnKeyDownMessage(static_cast<UINT>(msg->wParam)); // may destroy the list: nothing follows
        return TRUE;
    }
    return CxSkinDialog::PreTranslateMessage(msg);
}

LRESULT CxSkinDropList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_destroying) {
        if (message == WM_DESTROY)
            DetachScrollLayers();
        return CxSkinDialog::WindowProc(message, wParam, lParam);
    }
    if (m_toolTip && message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relay{m_hWnd, message, wParam, lParam, 0, {}};
        ::SendMessageW(m_toolTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relay));
    }
    const std::shared_ptr<bool> alive = m_alive;
    switch (message) {
    case WM_DESTROY:
        DetachScrollLayers();
        m_toolTip = nullptr; // an owned window: it goes with the list
        m_toolTipTools = 0;
        break;
    case WM_SHOWWINDOW: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (!*alive)
            return result;
        if (wParam)
            OnShown();
        else
            OnHidden();
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (*alive)
            Close();
        return result;
    }
    case WM_LBUTTONDOWN: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (*alive && m_hWnd)
            ::SetCapture(m_hWnd);
        return result;
    }
    case WM_LBUTTONUP: {
        // A press taken by the scroll bar or a button ends there, wherever it is released.
        const BOOL pressOnLayer = GetCaptureLayer() != nullptr;
        const POINT point = MessagePoint(lParam);
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (!*alive || pressOnLayer || !::PtInRect(&m_itemArea, point))
            return result;
        if (const int index = ItemAt(point); index >= 0)
            m_pending = index;
        Close();
        return result;
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = CxSkinDialog::WindowProc(message, wParam, lParam);
        if (*alive)
            OnMouseMoveMessage(MessagePoint(lParam));
        return result;
    }
    case WM_MOUSEWHEEL:
        // The wheel scrolls whatever overflows, whether or not the skin gives the list a scroll bar; a list
        // that fits has nothing to scroll (the offset stays clamped to 0).
        ScrollBy(static_cast<short>(HIWORD(wParam)) < 0 ? m_itemHeight : -m_itemHeight);
        break;
    case WM_KEYDOWN:
        OnKeyDownMessage(static_cast<UINT>(wParam));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kUpButtonId || LOWORD(wParam) == kDownButtonId) {
            // A repeat still queued after the list closed scrolls nothing.
            if (!IsWindowVisible())
                return 0;
            ScrollBy(LOWORD(wParam) == kUpButtonId ? -m_itemHeight : m_itemHeight);
            ::SetFocus(m_hWnd);
            SyncScrollBar(TRUE);
            return 0;
        }
        break;
    case WM_PAINT:
        ValidateRect(nullptr);
        return 0;
    default:
        break;
    }
    return CxSkinDialog::WindowProc(message, wParam, lParam);
}

// ---- painting

void CxSkinDropList::DrawChildren(CDC* dc, const RECT* clip) {
    if (!dc)
        return;
    {
        CxSkinGraphics graphics(dc->GetSafeHdc());
        if (clip)
            graphics->SetClip(Rect(clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top),
                              CombineModeIntersect);
        PaintBackground(*graphics);
    }
    CLayerWnd::DrawChildren(dc, clip);
    CxSkinGraphics graphics(dc->GetSafeHdc());
    RECT area = m_itemArea;
    if (clip && !::IntersectRect(&area, &area, clip))
        area = {};
    graphics->SetClip(Rect(area.left, area.top, area.right - area.left, area.bottom - area.top), CombineModeIntersect);
    PaintItems(*graphics);
}

void CxSkinDropList::PaintBackground(Graphics& graphics) {
    graphics.SetCompositingMode(CompositingModeSourceCopy);
    Bitmap* image = m_listBackground.get();
    if (!image) {
        const SolidBrush fill{Color(m_styles[CDropListItem::kNormal].background)};
        graphics.FillRectangle(&fill, 0, 0, m_width, m_height);
        graphics.SetCompositingMode(CompositingModeSourceOver);
        return;
    }
    const int iw = static_cast<int>(image->GetWidth()), ih = static_cast<int>(image->GetHeight());
    const int bottom = std::clamp(m_bottomHeight, 0, std::min(ih, m_height));
    const int upper = m_height - bottom;
    const int right = std::clamp(m_width - static_cast<int>(m_itemArea.right) + kCapWidth, 0, m_width);
    const int left = std::min(kCapWidth, m_width - right);
    const int srcRight = std::min(right, iw);
    const int srcLeft = std::min(left, iw - srcRight);
    // Columns: unscaled caps, the middle stretched. Rows: the top part of the image (never stretched past
    // what the window needs) and the bottom band.
    const Band columns[] = {{0, srcLeft, 0, left},
                            {srcLeft, iw - srcLeft - srcRight, left, m_width - left - right},
                            {iw - srcRight, srcRight, m_width - right, right}};
    const Band rows[] = {{0, std::min(upper, ih - bottom), 0, upper}, {ih - bottom, bottom, upper, bottom}};
    graphics.SetInterpolationMode(InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(PixelOffsetModeHalf);
    xSkinPrepareImage(image);
    for (const Band& row : rows) {
        for (const Band& column : columns) {
            if (row.srcSize <= 0 || column.srcSize <= 0 || row.dstSize <= 0 || column.dstSize <= 0)
                continue;
            graphics.DrawImage(image, Rect(column.dstFrom, row.dstFrom, column.dstSize, row.dstSize), column.srcFrom,
                               row.srcFrom, column.srcSize, row.srcSize, UnitPixel);
        }
    }
    graphics.SetCompositingMode(CompositingModeSourceOver);
    graphics.SetPixelOffsetMode(PixelOffsetModeDefault);
}

void CxSkinDropList::ClearItemToolTips() {
    if (!m_toolTip)
        return;
    for (int id = 1; id <= m_toolTipTools; ++id) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = m_hWnd;
        tool.uId = static_cast<UINT_PTR>(id);
        ::SendMessageW(m_toolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    m_toolTipTools = 0;
}

void CxSkinDropList::PaintItems(Graphics& graphics) {
    ClearItemToolTips();
    graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    int y = m_itemArea.top - m_scrollOffset;
    for (int i = 0; i < GetCount(); ++i, y += m_itemHeight) {
        CDropListItem& item = *m_items[static_cast<size_t>(i)];
        if (y + m_itemHeight <= m_itemArea.top || y >= m_itemArea.bottom || m_itemHeight <= 0) {
            item.SetRect({});
            continue;
        }
        item.SetRect({m_itemArea.left, y, m_itemArea.left + m_itemWidth, y + m_itemHeight});
        item.Draw(graphics, i == m_current);
        if (!item.IsTextCut() || !m_toolTip)
            continue;
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = 0;
        tool.hwnd = m_hWnd;
        tool.uId = static_cast<UINT_PTR>(++m_toolTipTools);
        tool.rect = item.GetRect();
        std::wstring text = item.GetText();
        tool.lpszText = text.data();
        ::SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}
