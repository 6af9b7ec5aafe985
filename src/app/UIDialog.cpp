#include "app/UIDialog.h"

#include "app/BaseHandler.h"
#include "app/IChildDialogStack.h"
#include "app/IHandler.h"
#include "app/MessageBoxHandler.h"
#include "app/OvercoatApp.h"
#include "markup/ILytController.h"
#include "skin/SkinCtrl.h"

IMPLEMENT_DYNAMIC(CUIDialog, CxSkinDialog)

namespace {

// Whether the listener is the given handler. Compares addresses only: the handler of a queued request may
// be gone already, so it is never dereferenced before it is found.
bool IsHandler(const IxSkinListener* listener, const IHandler* handler) {
    return listener && listener == static_cast<const IxSkinListener*>(handler);
}

bool TreeHoldsHandler(const CLayerWnd* layer, const IHandler* handler) {
    for (int i = 0; i < layer->GetChildCount(); ++i) {
        const CLayerWnd* child = layer->GetChild(i);
        if (const auto* object = dynamic_cast<const CxSkinObject*>(child);
            object && IsHandler(object->GetListener(), handler))
            return true;
        if (TreeHoldsHandler(child, handler))
            return true;
    }
    return false;
}

} // namespace

CUIDialog::CUIDialog(UINT templateId, CWnd* parent) : CxSkinDialog(templateId, parent) {}

CUIDialog::~CUIDialog() = default;

std::wstring CUIDialog::MarkupPathOf(const std::wstring& skinFolder, const std::wstring& name) {
    return skinFolder + name + L".lyt";
}

std::wstring CUIDialog::GetControlName(const std::wstring& key) const {
    const auto found = m_controlNames.find(key);
    return found == m_controlNames.end() ? std::wstring() : found->second;
}

void CUIDialog::ShowDialog() {
    if (!GetSafeHwnd() || !IsWindowVisible())
        return;
    constexpr UINT kInPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(nullptr, 0, 0, 0, 0, kInPlace | SWP_HIDEWINDOW);
    SetWindowPos(nullptr, 0, 0, 0, 0, kInPlace | SWP_SHOWWINDOW);
    CLayerWnd::Invalidate(TRUE);
}

IHandler* CUIDialog::GetHandler() const {
    return dynamic_cast<IHandler*>(GetListener());
}

ILytController* CUIDialog::Controller() const {
    if (m_controller)
        return m_controller;
    // The running application's, reached without naming the program's own object: a program that only
    // borrows the application class links this too.
    const auto* app = dynamic_cast<const COvercoatApp*>(AfxGetApp());
    return app ? app->GetLytController() : nullptr;
}

IChildDialogStack* CUIDialog::ChildDialogStack() const {
    CWinApp* app = AfxGetApp();
    CWnd* main = app ? app->m_pMainWnd : nullptr;
    if (IsMainWindow() || !main || main == this || !main->GetSafeHwnd())
        return nullptr;
    return dynamic_cast<IChildDialogStack*>(main);
}

BOOL CUIDialog::OnInitDialog() {
    CxSkinDialog::OnInitDialog();
    if (IChildDialogStack* stack = ChildDialogStack()) {
        stack->AddChildDialog(this);
        m_onStack = true;
    }
    if (!m_markupPath.empty()) {
        ILytController* controller = Controller();
        const bool loaded =
            controller && controller->Load(m_markupPath.c_str(), static_cast<CxSkinObject*>(this), nullptr) != 0;
        if (loaded) {
            if (IHandler* handler = GetHandler())
                handler->InitControls();
        } else {
            m_markupFailed = true;
            // Posted, not ended here: the modal loop is not running yet.
            PostMessage(WM_COMMAND, IDCANCEL, 0);
        }
    }
    CenterWindow();
    if (!GetDestroyLayersAfterWindow())
        CLayerWnd::Invalidate(TRUE);
    return TRUE;
}

BOOL CUIDialog::OnEscapeKey() {
    if (IsMainWindow()) {
        // The main window answers every key itself (no dialog manager closes it): Escape is its close
        // command, which hides it to the tray or ends the program as the tray setting says.
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    // As the main window closes a dialog: the handler takes back what it only previewed, then the dialog ends.
    if (IHandler* handler = GetHandler())
        handler->OnDeactivate();
    EndDialog(IDCANCEL);
    return TRUE;
}

bool CUIDialog::HoldsHandler(const IHandler* handler) const {
    return handler && (IsHandler(GetListener(), handler) || TreeHoldsHandler(this, handler));
}

CxSkinCtrl* CUIDialog::ControlInTree(WPARAM wParam) const {
    auto* control = reinterpret_cast<CxSkinCtrl*>(wParam);
    // CLayerWnd is the control's first, non-virtual base: the conversion reads nothing through the pointer.
    const CLayerWnd* layer = control;
    return control && IsDescendant(layer) ? control : nullptr;
}

void CUIDialog::OnDeferredInitControls(WPARAM wParam) {
    // A content switch may have released the handler while the request was queued.
    auto* handler = reinterpret_cast<IHandler*>(wParam);
    if (HoldsHandler(handler))
        handler->InitControls();
}

void CUIDialog::OnRedrawControl(WPARAM wParam) {
    // The request was posted from another thread; the control may have gone with its panel since.
    if (CxSkinCtrl* control = ControlInTree(wParam))
        control->Redraw(TRUE);
}

BOOL CUIDialog::PreTranslateMessage(MSG* msg) {
    // A message box answers Enter and Escape like any dialog does; other skinned dialogs keep their keys.
    if (msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE) &&
        GetSafeHwnd() && (msg->hwnd == GetSafeHwnd() || ::IsChild(GetSafeHwnd(), msg->hwnd))) {
        if (auto* box = dynamic_cast<CMessageBoxHandler*>(GetHandler()))
            return box->OnDialogKey(static_cast<UINT>(msg->wParam)) ? TRUE : FALSE;
    }
    return CxSkinDialog::PreTranslateMessage(msg);
}

LRESULT CUIDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_endMessage != 0 && message == m_endMessage && (wParam & m_endBit) != 0) {
        EndDialog(IDCANCEL);
        return 0;
    }
    switch (message) {
    case WM_DESTROY:
        if (m_onStack) {
            // The stack is asked again: the main window may have gone first.
            if (IChildDialogStack* stack = ChildDialogStack())
                stack->RemoveChildDialog(this);
            m_onStack = false;
        }
        break;
    case kMsgDeferredInitControls:
        OnDeferredInitControls(wParam);
        break;
    case kMsgRedrawOwnControl:
    case kMsgRedrawControl:
        OnRedrawControl(wParam);
        break;
    default:
        break;
    }
    return CxSkinDialog::WindowProc(message, wParam, lParam);
}
