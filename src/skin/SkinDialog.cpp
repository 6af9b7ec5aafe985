#include "skin/SkinDialog.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "skin/SkinToolTip.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinDialog, CLayerDialog)

namespace {

constexpr UINT kLastMouseMessage = 0x20E; // WM_MOUSEHWHEEL
constexpr wchar_t kTextBoxClass[] = L"CxSkinTextBox";
// Input-method messages a focused text box sees before the dialog does.
constexpr UINT kTextBoxImeMessages[] = {WM_IME_STARTCOMPOSITION, WM_IME_ENDCOMPOSITION, WM_IME_COMPOSITION,
                                        WM_IME_SETCONTEXT};

// Client coordinates are signed: a captured drag left of or above the window arrives as small negatives,
// which must not read as 65 5xx.
POINT MessagePoint(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

bool IsMouseMessage(UINT message) {
    return message >= WM_MOUSEFIRST && message <= kLastMouseMessage;
}

bool IsTextBoxMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           std::find(std::begin(kTextBoxImeMessages), std::end(kTextBoxImeMessages), message) !=
               std::end(kTextBoxImeMessages);
}

bool IsHelpCommand(WPARAM wParam) {
    const UINT id = LOWORD(wParam);
    return std::find(std::begin(CxSkinDialog::kHelpCommands), std::end(CxSkinDialog::kHelpCommands), id) !=
           std::end(CxSkinDialog::kHelpCommands);
}

// The window outline with 25 x 25 quarter arcs at the corners, over (0, 0, right, bottom).
std::unique_ptr<GraphicsPath> RoundedOutline(int right, int bottom) {
    constexpr int c = CxSkinDialog::kCornerSize;
    auto path = std::make_unique<GraphicsPath>();
    path->AddArc(right - c, 0, c, c, 270, 90);
    path->AddArc(right - c, bottom - c, c, c, 0, 90);
    path->AddArc(0, bottom - c, c, c, 90, 90);
    path->AddArc(0, 0, c, c, 180, 90);
    path->CloseFigure();
    return path;
}

} // namespace

CxSkinDialog::CxSkinDialog() {
    InitFields();
}

CxSkinDialog::CxSkinDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {
    InitFields();
}

void CxSkinDialog::InitFields() {
    // Both constructors tie the skin object to the root layer, so listener look-ups from the controls
    // always end at this dialog's layer.
    SetLayer(static_cast<CLayerDialog*>(this));
}

CxSkinDialog::~CxSkinDialog() {
    // The window goes first, while this object is whole: WM_DESTROY releases the handler, the layers and
    // the tooltip in their order.
    if (m_hWnd)
        DestroyWindow();
    DestroyChildren();
    DestroyToolTip();
}

int CxSkinDialog::Create() {
    std::unique_ptr<GraphicsPath> outline;
    if (m_roundCorners && m_shapeWidth > 0 && m_shapeHeight > 0)
        outline = RoundedOutline(m_shapeWidth - 1, m_shapeHeight - 1);
    SetBackground(m_shapeWidth, m_shapeHeight, outline.get(), kBorderWidth, kBorderColor);
    return 1;
}

void CxSkinDialog::SetTransparency(int percent, BOOL redraw) {
    CLayerDialog::SetTransparency(percent);
    if (redraw)
        CLayerWnd::Invalidate(TRUE);
}

void CxSkinDialog::SetFocusLayer(CLayerWnd* layer) {
    if (layer == m_focusLayer)
        return;
    if (m_focusLayer)
        m_focusLayer->OnKillFocus(layer);
    m_focusLayer = layer;
}

void CxSkinDialog::ForgetLayer(CLayerWnd* layer) {
    // A dying layer: drop every pointer to it without calling it, it is half destroyed already.
    CLayerDialog::ForgetLayer(layer);
    if (m_focusLayer == layer)
        m_focusLayer = nullptr;
    if (m_captureLayer == layer)
        m_captureLayer = nullptr;
    if (m_releaseTarget == layer)
        m_releaseTarget = nullptr;
    if (m_toolTipWnd)
        m_toolTipWnd->ForgetOwner(layer);
}

void CxSkinDialog::EnableToolTips(BOOL enable) {
    m_toolTipsEnabled = enable;
    if (!enable && m_toolTipWnd)
        m_toolTipWnd->Hide();
}

void CxSkinDialog::ResetMouseState() {
    if (m_captureLayer)
        m_captureLayer->OnMouseOut();
    m_captureLayer = nullptr;
    if (m_focusLayer)
        m_focusLayer->OnKillFocus(nullptr);
    m_focusLayer = nullptr;
    ResetChildStates();
    ForgetPointer();
}

BOOL CxSkinDialog::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    CLayerDialog::Attach(this);
    auto toolTip = std::make_unique<CxSkinToolTip>();
    if (toolTip->Create(this)) {
        m_toolTipWnd = toolTip.release();
        SetToolTip(m_toolTipWnd);
    }
    return result;
}

void CxSkinDialog::DestroyToolTip() {
    // The layers reach the tooltip through the root's pointer: clear it before the window goes.
    SetToolTip(nullptr);
    std::unique_ptr<CxSkinToolTip> toolTip(m_toolTipWnd);
    m_toolTipWnd = nullptr;
    if (toolTip)
        toolTip->DestroyWindow();
}

POINT CxSkinDialog::ToLayer(const CLayerWnd* layer, POINT point) const {
    const RECT inHost = layer->GetRectInHost();
    return {point.x - inHost.left, point.y - inHost.top};
}

BOOL CxSkinDialog::FilterForTextBox(MSG* msg) {
    // Keys typed into another window never edit this dialog's text box.
    if (!m_focusLayer || msg->hwnd != m_hWnd || !IsTextBoxMessage(msg->message))
        return FALSE;
    if (!xSkinIsKindOfName(m_focusLayer, kTextBoxClass))
        return FALSE;
    return m_focusLayer->PreTranslateMessage(msg);
}

BOOL CxSkinDialog::PreTranslateMessage(MSG* msg) {
    if (!msg)
        return FALSE;
    if (IsInputBlocked()) {
        if (IsMouseMessage(msg->message))
            return TRUE;
    } else {
        if (!m_captureLayer && m_toolTipsEnabled && m_toolTipWnd)
            m_toolTipWnd->RelayEvent(msg);
        if (FilterForTextBox(msg))
            return TRUE;
    }
    if (msg->message == WM_INPUTLANGCHANGEREQUEST) {
        ::ActivateKeyboardLayout(reinterpret_cast<HKL>(msg->lParam), 0);
        return TRUE;
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        // Enter never closes a skinned dialog; a kind that acts on it gets it through the normal dispatch.
        return TakesEnterKey() ? FALSE : TRUE;
    }
    // A focused text box has had the key first; only Escape typed into this window itself closes it.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && msg->hwnd == m_hWnd && OnEscapeKey())
        return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CxSkinDialog::OnLButtonDownMessage(UINT flags, POINT point) {
    m_leftPressed = TRUE;
    if (ChildFromPoint(point, TRUE)) {
        OnLButtonDown(flags, point);
        if (m_hWnd)
            ::SetCapture(m_hWnd);
        return;
    }
    if (!m_draggable)
        return;
    POINT screen = point;
    ::ClientToScreen(m_hWnd, &screen);
    SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(screen.x, screen.y));
    // The system's move loop has taken the release.
    m_leftPressed = FALSE;
}

void CxSkinDialog::OnLButtonUpMessage(UINT flags, POINT point) {
    // The press is over before anyone hears of the release: a click that opens a modal dialog must find the
    // mouse free.
    CLayerWnd* target = m_captureLayer;
    m_captureLayer = nullptr;
    m_leftPressed = FALSE;
    if (m_hWnd && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    // Only the layer that took the press hears the release: a press on an empty spot of a panel that ends
    // on a button clicks nothing.
    if (!target)
        return;
    const RECT area = target->GetRectInHost();
    m_releaseTarget = target;
    target->OnLButtonUp(flags, ToLayer(target, point));
    // The click may have removed the layer (a content switch); ForgetLayer has cleared the target then.
    if (m_releaseTarget && !::PtInRect(&area, point))
        m_releaseTarget->OnMouseOut();
    m_releaseTarget = nullptr;
}

void CxSkinDialog::OnMouseMoveMessage(UINT flags, POINT point) {
    if (std::abs(point.x) <= kFarPointer && std::abs(point.y) <= kFarPointer) {
        if (m_captureLayer)
            m_captureLayer->OnMouseMove(flags, ToLayer(m_captureLayer, point));
        else
            OnMouseMove(flags, point);
    } else if (m_captureLayer) {
        m_captureLayer->OnMouseOut();
    }
}

void CxSkinDialog::OnShowWindowMessage(BOOL shown) {
    if (!shown)
        return;
    HWND foreground = ::GetForegroundWindow();
    if (foreground != m_hWnd && !(foreground && ::IsChild(foreground, m_hWnd)))
        ::SetForegroundWindow(GetTopLevelParent());
    ::SetFocus(m_hWnd);
}

void CxSkinDialog::OnActivateMessage(UINT state) {
    if (state != WA_INACTIVE)
        return;
    if (m_hideOnDeactivate && IsWindowVisible())
        CWnd::ShowWindow(SW_HIDE);
    ResetMouseState();
}

void CxSkinDialog::OnDestroyMessage() {
    m_captureLayer = nullptr;
    m_focusLayer = nullptr;
    m_releaseTarget = nullptr;
    SetListener(nullptr);
    if (!m_destroyLayersAfterWindow)
        DestroyChildren();
    DestroyToolTip();
}

void CxSkinDialog::PostNcDestroy() {
    // Pop-ups ask for their layers to outlive the window; the tooltip is gone by now, so the controls find
    // none to unregister from.
    if (m_destroyLayersAfterWindow)
        DestroyChildren();
    CDialog::PostNcDestroy();
}

LRESULT CxSkinDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Layer messages reach their layer only while it is still in this tree, then take the normal path.
    LRESULT layerResult = 0;
    const BOOL delivered = DispatchLayerMessage(message, wParam, lParam, &layerResult);
    OnHostMessage(message, wParam, lParam);
    const UINT flags = static_cast<UINT>(wParam);
    switch (message) {
    case WM_COPYDATA:
        if (s_copyDataHandler)
            return s_copyDataHandler(*this, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDownMessage(flags, MessagePoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUpMessage(flags, MessagePoint(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMoveMessage(flags, MessagePoint(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(flags, MessagePoint(lParam));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(flags, MessagePoint(lParam));
        // A right click during a left drag leaves the drag its capture.
        if (!m_leftPressed)
            m_captureLayer = nullptr;
        return 0;
    case WM_MOUSEWHEEL: {
        POINT point = MessagePoint(lParam); // screen coordinates for this message
        ::ScreenToClient(m_hWnd, &point);
        OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), point);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(flags, MessagePoint(lParam));
        return 0;
    case WM_KEYDOWN:
        if (m_focusLayer)
            m_focusLayer->OnKeyDown(flags, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SIZE:
        if (LOWORD(lParam) >= 1 && HIWORD(lParam) >= 1)
            m_rect = {0, 0, LOWORD(lParam), HIWORD(lParam)};
        break;
    case WM_SHOWWINDOW:
        OnShowWindowMessage(static_cast<BOOL>(wParam));
        break;
    case WM_ACTIVATE:
        OnActivateMessage(LOWORD(wParam));
        break;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_MOUSELEAVE:
        return 0; // no mouse tracking is requested; nothing to undo
    case WM_ERASEBKGND:
        return 1; // the layered surface is the only picture
    case WM_DESTROY:
        OnDestroyMessage();
        break;
    case WM_COMMAND:
        if (IsHelpCommand(wParam))
            return 0;
        break;
    default:
        break;
    }
    const LRESULT result = CDialog::WindowProc(message, wParam, lParam);
    return delivered ? layerResult : result;
}
