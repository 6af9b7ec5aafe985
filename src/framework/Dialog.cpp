#include "framework/Dialog.h"

#include "framework/Exception.h"

#include <vector>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

namespace {

struct DialogShape {
    UINT id;
    DWORD style;
    DWORD exStyle;
};

// The skin draws every dialog itself (a layered window sized by its background), so the shapes differ
// only in how they meet the shell: the main window owns a taskbar button, the others follow their owner.
constexpr DialogShape kShapes[] = {
    {CDialog::IDD_MAIN, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_APPWINDOW},
    {CDialog::IDD_MESSAGE_BOX, WS_POPUP | WS_SYSMENU, 0},
    {CDialog::IDD_POPUP, WS_POPUP | WS_SYSMENU, 0},
};

const DialogShape* FindShape(UINT id) {
    for (const DialogShape& shape : kShapes) {
        if (shape.id == id)
            return &shape;
    }
    return nullptr;
}

void AppendString(std::vector<WORD>& words, const wchar_t* text) {
    do
        words.push_back(static_cast<WORD>(*text));
    while (*text++);
}

// A DLGTEMPLATEEX with no controls, no menu, the default dialog class and the shell font.
std::vector<WORD> BuildTemplate(const DialogShape& shape) {
    std::vector<WORD> words;
    auto push32 = [&](DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    };
    words.push_back(1);      // dlgVer
    words.push_back(0xFFFF); // signature: extended template
    push32(0);               // helpID
    push32(shape.exStyle);
    push32(shape.style | DS_SETFONT | DS_FIXEDSYS | DS_NOIDLEMSG);
    words.push_back(0);                      // no controls
    words.insert(words.end(), {0, 0, 0, 0}); // x, y, cx, cy: the skin sizes the window
    words.push_back(0);                      // no menu
    words.push_back(0);                      // default dialog class
    words.push_back(0);                      // no title
    words.push_back(8);                      // point size
    words.push_back(FW_NORMAL);
    words.push_back(0); // italic and character set bytes
    AppendString(words, L"MS Shell Dlg");
    return words;
}

} // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND parent) {
    const DialogShape* shape = FindShape(templateId);
    if (!shape)
        return nullptr;
    std::vector<WORD> words = BuildTemplate(*shape);
    // DLGTEMPLATEEX must be DWORD aligned: vector storage is.
    auto* dialogTemplate = reinterpret_cast<const DLGTEMPLATE*>(words.data());
    return CreateHooked([&] {
        return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), dialogTemplate, parent, &CDialog::DialogProc,
                                            0);
    });
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    m_modal = false;
    return CreateFromTemplate(templateId, parent ? parent->GetSafeHwnd() : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal() {
    // The owner of a popup is always a top-level window; that is the one to disable.
    HWND parent = m_pParentWnd ? ::GetAncestor(m_pParentWnd->GetSafeHwnd(), GA_ROOT) : nullptr;
    m_modal = true;
    m_endModal = false;
    m_modalResult = -1;
    // The owner is disabled while the dialog runs, as with any modal dialog.
    bool parentDisabled = parent && ::IsWindowEnabled(parent) && !::EnableWindow(parent, FALSE);

    HWND hwnd = CreateFromTemplate(m_nIDTemplate, parent);
    if (hwnd && !m_endModal && ::IsWindow(hwnd))
        ::ShowWindow(hwnd, SW_SHOW);
    while (hwnd && !m_endModal && m_hWnd == hwnd) {
        MSG msg;
        if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            // WM_QUIT belongs to the loop below this one (or ends the program): hand it on.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!WalkPreTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    if (parentDisabled)
        ::EnableWindow(parent, TRUE);
    if (m_hWnd) {
        // Hide first so that the system activates the owner, not some other window.
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    if (parent && ::GetActiveWindow() == nullptr)
        ::SetActiveWindow(parent);
    m_modal = false;
    return m_modalResult;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    if (m_modal) {
        m_endModal = true;
        // Wakes the loop when it waits in GetMessage (EndDialog called from a nested loop or a timer).
        if (m_hWnd)
            ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != 0 && HIWORD(wParam) != 1) // notifications other than clicks and accelerators
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    default:
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST || !m_hWnd)
        return FALSE;
    if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::WalkPreTranslate(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandlePermanent(hwnd);
        if (!wnd)
            continue;
        try {
            if (wnd->PreTranslateMessage(msg))
                return TRUE;
        } catch (CException* e) {
            // A failing filter must not tear the modal loop down with its owner left disabled.
            e->Delete();
            ::OutputDebugStringW(L"Overcoat: an exception escaped PreTranslateMessage and was stopped\n");
        } catch (...) {
            ::OutputDebugStringW(L"Overcoat: an exception escaped PreTranslateMessage and was stopped\n");
        }
    }
    return FALSE;
}
