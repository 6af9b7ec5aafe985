#pragma once
// A real skinned dialog on the test display, with probe layers that log what reaches them, a listener
// that counts its releases, and messages delivered the way the modal loop delivers them.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "LoggingLayer.h"
#include "framework/Dialog.h"
#include "skin/LayerWnd.h"
#include "skin/SkinDialog.h"
#include "skin/SkinObject.h"

namespace oc::test {

using DialogLog = std::vector<std::wstring>;

inline LPARAM PointParam(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// A layer that logs its events. A control probe takes focus and capture on a press, as every skinned
// control does; a container probe passes presses on to its children and takes nothing.
class Probe : public LoggingLayer {
public:
    enum class Kind { Control, Container };

    Probe(DialogLog* log, std::wstring name, Kind kind = Kind::Control)
        : LoggingLayer(log, std::move(name), kind == Kind::Container), m_kind(kind) {}

    void OnRButtonUp(UINT flags, POINT p) override {
        Log(L"rup " + Point(p));
        CLayerWnd::OnRButtonUp(flags, p);
    }
    void OnKeyDown(UINT ch, UINT, UINT) override { Log(L"key " + std::to_wstring(ch)); }
    void OnKillFocus(CLayerWnd* next) override {
        const auto* probe = dynamic_cast<const Probe*>(next);
        Log(L"killfocus " + (probe ? probe->m_name : std::wstring(L"-")));
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        Log(L"pre " + std::to_wstring(msg->message) + L" " + std::to_wstring(msg->wParam));
        return m_takesMessages;
    }

    BOOL m_takesMessages = FALSE;

protected:
    void OnPress() override {
        if (m_kind == Kind::Control) {
            SetFocus();
            SetCapture();
        }
    }

private:
    Kind m_kind;
};

// Counts releases instead of freeing, so a second release shows.
class RecordingListener : public IxSkinListener {
public:
    void Release() override { ++m_releases; }
    int m_releases = 0;
};

// Intercepts the start of a window move, so a test can see it without entering the system's move loop.
class TestDialog : public CxSkinDialog {
public:
    TestDialog() : CxSkinDialog(CDialog::IDD_POPUP, nullptr) {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NCLBUTTONDOWN && m_interceptMoves) {
            m_moves.push_back({static_cast<UINT>(wParam), lParam});
            return 0;
        }
        if (message == WM_NOTIFY && !m_notifyText.empty()) {
            auto* info = reinterpret_cast<NMHDR*>(lParam);
            if (info->code == static_cast<UINT>(-530)) { // TTN_GETDISPINFOW
                m_notifyIds.push_back(static_cast<UINT>(info->idFrom));
                auto* display = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                wcsncpy(display->szText, m_notifyText.c_str(), 79);
                return 0;
            }
        }
        return CxSkinDialog::WindowProc(message, wParam, lParam);
    }
    BOOL TakesEnterKey() const override { return m_takesEnter; }
    BOOL OnInitDialog() override {
        const BOOL result = CxSkinDialog::OnInitDialog();
        if (m_onInit)
            m_onInit();
        return result;
    }

    struct Move {
        UINT hitTest;
        LPARAM point;
    };
    bool m_interceptMoves = true;
    bool m_takesEnter = false;
    std::wstring m_notifyText;
    std::vector<Move> m_moves;
    std::vector<UINT> m_notifyIds;
    std::function<void()> m_onInit;
};

// Creates and shows a 300 x 200 dialog with its top-left at the given screen point.
inline bool OpenDialog(TestDialog& dialog, POINT at = {100, 100}, int width = 300, int height = 200) {
    if (!dialog.Create(CDialog::IDD_POPUP, nullptr))
        return false;
    dialog.SetShapeWidth(width);
    dialog.SetShapeHeight(height);
    dialog.Create();
    dialog.MoveWindow(at.x, at.y, width, height, FALSE);
    dialog.CWnd::ShowWindow(SW_SHOW);
    return dialog.IsWindow() != FALSE;
}

template <class Layer = Probe, class... Args> Layer* AddProbe(CLayerWnd* parent, RECT rect, Args&&... args) {
    auto* layer = new Layer(std::forward<Args>(args)...);
    static_cast<CLayerWnd*>(layer)->Create(rect, parent, 0);
    return layer;
}

// The modal loop's way: the filter first, then translation and dispatch. False when the filter swallowed it.
inline bool Deliver(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    GetCursorPos(&msg.pt);
    if (CDialog::WalkPreTranslate(&msg))
        return false;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

} // namespace oc::test
