#include "skin/SkinComboBox.h"

#include <algorithm>
#include <utility>

#include "framework/DC.h"
#include "skin/LayerDialog.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinButton.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinDropList.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinComboBox, CxSkinCtrl)

namespace {

POINT SystemCursorPos() {
    POINT point{};
    ::GetCursorPos(&point);
    return point;
}

} // namespace

CxSkinComboBox::CxSkinComboBox() : m_cursorSource(&SystemCursorPos) {
    m_backColor = 0xFFFFFFFF;
    m_foreColor = 0xFF000000;
    m_dropList = std::make_unique<CxSkinDropList>(static_cast<IxSkinComboBoxListener*>(this));
    m_dropButton = new CxSkinButton;
}

CxSkinComboBox::~CxSkinComboBox() {
    *m_alive = false;
    // The list may still be showing: whatever closes it now must not report to a combo that is going.
    m_dropList->SetListener(nullptr);
    m_dropList.reset();
    // A created button is a child layer: the layer tree frees it (or already has, with the combo's parent).
    if (!m_dropButtonCreated)
        delete m_dropButton;
    m_dropButton = nullptr;
}

void CxSkinComboBox::SetCursorSource(CursorSource source) {
    m_cursorSource = source ? source : &SystemCursorPos;
}

int CxSkinComboBox::Create() {
    const BOOL created = Create(GetDesignRect(), m_parentLayer, static_cast<UINT>(m_ctrlId));
    if (!created)
        return created;
    m_dropButton->SetParent(this);
    m_dropButton->SetId(m_dropButtonId);
    m_dropButton->SetLeft(m_dropButtonRect.left);
    m_dropButton->SetTop(m_dropButtonRect.top);
    m_dropButton->SetWidth(m_dropButtonRect.right - m_dropButtonRect.left);
    m_dropButton->SetHeight(m_dropButtonRect.bottom - m_dropButtonRect.top);
    m_dropButtonCreated = m_dropButton->Create() ? TRUE : FALSE;
    m_dropButton->m_buttonListener = this;
    m_listener = dynamic_cast<IxSkinComboBoxListener*>(FindListener());
    if (ILayerToolTip* toolTip = FindToolTip()) {
        m_toolTip = kToolTipMarker;
        const RECT area = GetRectInHost();
        toolTip->AddTool(this, L"", &area, kToolId);
        // The label's tip tells a text cut short in full; a read-only choice is shown disabled and cut alike.
        toolTip->ShowWhileDisabled(this, kToolId);
    }
    return created;
}

// ---- items

int CxSkinComboBox::GetCount() {
    return m_dropList->GetCount();
}

int CxSkinComboBox::GetCurSel() {
    return m_dropList->GetCurSel();
}

void CxSkinComboBox::SetLabel(const std::wstring& text, BOOL redraw) {
    m_labelText = text;
    if (redraw && IsCreated())
        InvalidateRect(m_labelRect, FALSE);
}

int CxSkinComboBox::SetCurSel(int index, int redraw) {
    if (m_dropList->SetCurSel(index) == -1)
        return -1;
    std::wstring text = m_labelText;
    m_dropList->GetItemText(index, text);
    SetLabel(text, redraw);
    SetToolTip(m_labelText);
    return index;
}

void CxSkinComboBox::ResetContent() {
    m_dropList->ResetContent();
    SetLabel(std::wstring(), TRUE);
    SetToolTip(std::wstring());
}

int CxSkinComboBox::AddString(const std::wstring& text) {
    return m_dropList->AddString(text);
}

int CxSkinComboBox::DeleteString(int index) {
    const int before = m_dropList->GetCurSel();
    const int count = m_dropList->RemoveItem(index);
    if (count == -1)
        return -1;
    if (before != -1 && m_dropList->GetCurSel() == -1) {
        SetLabel(std::wstring(), TRUE);
        SetToolTip(std::wstring());
    }
    return count;
}

int CxSkinComboBox::SetItemName(int index, const std::wstring& name) {
    return m_dropList->SetItemName(index, name);
}

std::wstring CxSkinComboBox::GetItemName(int index) {
    return m_dropList->GetItemName(index);
}

std::int64_t CxSkinComboBox::GetItemData(int index) {
    return m_dropList->GetItemData(index);
}

int CxSkinComboBox::SetItemData(int index, std::int64_t data) {
    return m_dropList->SetItemData(index, data);
}

void CxSkinComboBox::GetItemText(int index, std::wstring& text) {
    m_dropList->GetItemText(index, text);
}

// ---- look

void CxSkinComboBox::SetLabelBkImage(const std::wstring& path) {
    m_labelBackground = xSkinLoadBitmapOrThrow(path, L"SetLabelBkImage: failed to load %ls");
}

void CxSkinComboBox::SetDropButtonRect(const RECT& rect) {
    m_dropButtonRect = rect;
    m_dropButton->SetRect(rect, FALSE);
}

void CxSkinComboBox::SetDropButtonLeft(int x) {
    ::OffsetRect(&m_dropButtonRect, x - m_dropButtonRect.left, 0);
    m_dropButton->SetLeft(x);
}

void CxSkinComboBox::SetDropButtonTop(int y) {
    ::OffsetRect(&m_dropButtonRect, 0, y - m_dropButtonRect.top);
    m_dropButton->SetTop(y);
}

void CxSkinComboBox::SetDropButtonWidth(int width) {
    m_dropButtonRect.right = m_dropButtonRect.left + width;
    m_dropButton->SetWidth(width);
}

void CxSkinComboBox::SetDropButtonHeight(int height) {
    m_dropButtonRect.bottom = m_dropButtonRect.top + height;
    m_dropButton->SetHeight(height);
}

void CxSkinComboBox::SetDropButtonNormalImage(const std::wstring& path) {
    if (path.empty())
        throw new CxSkinControlsException(L"Drop Buttom Normal: Empty");
    m_dropButtonImages[kButtonNormal] = path;
    m_dropButton->SetContentSkin(path);
}

void CxSkinComboBox::SetDropButtonSelectedImage(const std::wstring& path) {
    m_dropButtonImages[kButtonSelected] = path;
    m_dropButton->SetContentDownSkin(path);
}

void CxSkinComboBox::SetDropButtonOverImage(const std::wstring& path) {
    m_dropButtonImages[kButtonOver] = path;
    m_dropButton->SetContentOverSkin(path);
}

void CxSkinComboBox::SetDropButtonDisableImage(const std::wstring& path) {
    m_dropButtonImages[kButtonDisabled] = path;
    m_dropButton->SetContentDisableSkin(path);
}

void CxSkinComboBox::SetItemHeight(int height) {
    m_dropList->SetItemHeight(height);
}

void CxSkinComboBox::SetDropListBkImage(const std::wstring& path) {
    const std::unique_ptr<Bitmap> image = xSkinLoadBitmapOrThrow(path, L"DropList background: failed to load %ls");
    if (m_dropListHeight == 0)
        m_dropListHeight = static_cast<int>(image->GetHeight());
    m_dropList->SetListBackgroundImage(path);
}

void CxSkinComboBox::SetDropListBottomHeight(int height) {
    m_dropList->SetBottomHeight(height);
}

void CxSkinComboBox::SetItemImage(int state, const std::wstring& path) {
    m_dropList->SetItemImage(state, path);
}

void CxSkinComboBox::SetDropListMargin(int left, int top, int right, int bottom) {
    m_dropList->SetMargins(left, top, right, bottom);
}

void CxSkinComboBox::SetBackgroundColor(int state, SkinColor argb) {
    m_dropList->SetStyleBackColor(state, argb);
}

void CxSkinComboBox::SetItemTextColor(int state, SkinColor argb) {
    m_dropList->SetStyleTextColor(state, argb);
}

void CxSkinComboBox::SetItemFontName(int state, const std::wstring& name) {
    m_dropList->SetStyleFontName(state, name);
    SetFontFamily(name);
}

void CxSkinComboBox::SetItemFontWeight(int state, int style) {
    m_dropList->SetStyleFontStyle(state, style);
    SetFontStyle(style);
}

void CxSkinComboBox::SetItemFontHeight(int state, int height) {
    m_dropList->SetStyleFontHeight(state, height);
    SetFontSize(height);
}

void CxSkinComboBox::SetScrollBkImage(const std::wstring& path) {
    m_dropList->SetScrollBkImage(path);
}

void CxSkinComboBox::SetScrollThumbImage(const std::wstring& path) {
    m_dropList->SetScrollThumbImage(path);
}

void CxSkinComboBox::SetScrollButtonImage(const std::wstring& path, int upButton, int state) {
    m_dropList->SetScrollButtonImage(path, upButton, state);
}

// ---- opening and closing

RECT CxSkinComboBox::ScreenRect() const {
    return RectToScreen(GetClientRect());
}

void CxSkinComboBox::SetDropButtonLook(const std::wstring& content, const std::wstring& over) {
    try {
        m_dropButton->SetContentSkin(content);
        m_dropButton->SetContentOverSkin(over);
    } catch (CxSkinControlsException* e) {
        e->Delete();
    }
}

void CxSkinComboBox::RestoreDropButton() {
    SetDropButtonLook(m_dropButtonImages[kButtonNormal], m_dropButtonImages[kButtonOver]);
    m_dropButton->SetCheck(0, TRUE);
}

int CxSkinComboBox::OnClick(const std::wstring& /*name*/) {
    if (m_suppressToggle) {
        m_suppressToggle = FALSE;
        return 0;
    }
    ToggleDropList();
    return 0;
}

int CxSkinComboBox::OnRButtonUp(const std::wstring& /*name*/) {
    m_suppressToggle = FALSE;
    return 0;
}

void CxSkinComboBox::ToggleDropList() {
    if (m_dropButton->GetCheck()) {
        // The list closes itself when it loses the focus; only the button has to follow.
        RestoreDropButton();
        return;
    }
    m_suppressToggle = FALSE;
    OpenDropList();
}

void CxSkinComboBox::OpenDropList() {
    CWnd* host = GetHostDialog();
    if (!host || !m_dropList->CreatePopup(host))
        return;
    const RECT screen = ScreenRect();
    const int listWidth = m_dropListWidth > 0 ? m_dropListWidth : static_cast<int>(screen.right - screen.left);
    // A fixed width needs no row measured; a dynamic one only rows that widen the list, up to twice its width.
    const SIZE needed = m_dynamicWidth
                            ? m_dropList->MeasureItems(listWidth - m_dropList->GetScrollBarWidth(), 2 * listWidth)
                            : m_dropList->MeasureItems(CTextWidthBound::kUnbounded);
    int width = listWidth;
    if (m_dynamicWidth) {
        int wanted = needed.cx;
        if (needed.cy > m_dropListHeight)
            wanted += m_dropList->GetScrollBarWidth();
        width = std::clamp(wanted, listWidth, 2 * std::max(listWidth, 0));
    }
    const int height = std::min(m_dropListHeight, static_cast<int>(needed.cy));
    CLayerWnd* root = GetRootLayer();
    const int transparency =
        root && root->IsKindOf(RUNTIME_CLASS(CLayerDialog)) ? static_cast<CLayerDialog*>(root)->GetTransparency() : 0;
    // The button shows the open state before the list takes the focus: a list that closes at once then
    // finds the button checked and puts it back.
    SetDropButtonLook(m_dropButtonImages[kButtonSelected], m_dropButtonImages[kButtonSelected]);
    m_dropButton->SetCheck(1, TRUE);
    m_dropList->Open(screen.left, screen.bottom, width, height, transparency);
}

int CxSkinComboBox::OnSelChange(const std::wstring& /*name*/, int index) {
    IxSkinComboBoxListener* listener = nullptr;
    if (index >= 0) {
        std::wstring text;
        m_dropList->GetItemText(index, text);
        SetLabel(text, TRUE);
        SetToolTip(text);
        listener = m_listener;
    } else if (index == -1) {
        // A press on the combo closed the list; its release must not open it again.
        const POINT cursor = m_cursorSource();
        const RECT screen = ScreenRect();
        if (::PtInRect(&screen, cursor))
            m_suppressToggle = TRUE;
    }
    if (m_dropButton->GetCheck())
        RestoreDropButton();
    if (listener) // last: the handler may destroy this combo
        listener->OnSelChange(GetName(), index);
    return 0;
}

void CxSkinComboBox::OnLButtonUp(UINT flags, POINT point) {
    const std::shared_ptr<bool> alive = m_alive;
    OnClick(std::wstring());
    if (*alive)
        CxSkinCtrl::OnLButtonUp(flags, point);
}

void CxSkinComboBox::OnRButtonUp(UINT flags, POINT point) {
    m_suppressToggle = FALSE;
    CxSkinCtrl::OnRButtonUp(flags, point);
}

// ---- painting

void CxSkinComboBox::Draw(Graphics* graphics) {
    DrawTransformed(graphics, [this](Graphics& transformed) { Paint(transformed); });
}

void CxSkinComboBox::Paint(Graphics& graphics) {
    const RECT paint = GetPaintRect();
    const int width = paint.right - paint.left, height = paint.bottom - paint.top;
    const bool enabled = IsEnabled(TRUE) != FALSE;
    if (m_labelBackground) {
        const int rightCap = width - m_dropButtonRect.left + kCapWidth;
        xSkinDrawImage(graphics, m_labelBackground.get(), Rect(0, 0, width, height), m_transparency, !enabled, true,
                       kCapWidth, rightCap);
    }
    const RectF area(static_cast<REAL>(m_labelRect.left), static_cast<REAL>(m_labelRect.top),
                     static_cast<REAL>(m_labelRect.right - m_labelRect.left),
                     static_cast<REAL>(m_labelRect.bottom - m_labelRect.top));
    if (!m_labelText.empty() && area.Width > 0 && area.Height > 0) {
        const CxSkinFontFace face(m_fontFamily);
        const Font font(face.Get(), static_cast<REAL>(m_fontSize), m_fontStyle, UnitPoint);
        const SolidBrush brush{Color(enabled ? m_foreColor : m_disabledTextColor)};
        StringFormat format(StringFormatFlagsNoWrap);
        format.SetTrimming(StringTrimmingEllipsisCharacter);
        format.SetAlignment(StringAlignmentNear);
        format.SetLineAlignment(StringAlignmentCenter);
        xSkinDrawStringToBitmap(graphics, m_labelText.c_str(), area, &font, &format, &brush, nullptr);
    }
}

void CxSkinComboBox::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    if (!dc)
        return;
    DrawOnDC(dc);
    if (!m_dropButtonCreated || !m_dropButton->IsVisible())
        return;
    const RECT button = m_dropButton->GetRect();
    const POINT old = dc->GetViewportOrg();
    dc->SetViewportOrg(old.x + button.left, old.y + button.top);
    m_dropButton->DrawChildren(dc, nullptr);
    dc->SetViewportOrg(old.x, old.y);
}
