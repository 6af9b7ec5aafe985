#pragma once
// The top-level window of the toolkit: a dialog whose client area is a layer tree hosted by its
// CLayerDialog part. It turns window messages into layer events (capture, hover, focus, keys), lets the
// user drag the window by any spot that holds no control, relays mouse and key messages to its tooltip
// window and carries the markup-facing IxSkinDialog. The markup dialog, the skinned menu and the drop
// list derive from it.

#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "skin/IxSkinDialog.h"
#include "skin/LayerDialog.h"
#include "skin/SkinObject.h"

class CxSkinToolTip;

class CxSkinDialog : public CDialog, public CLayerDialog, public CxSkinObject, public IxSkinDialog {
    DECLARE_DYNAMIC(CxSkinDialog)
public:
    static constexpr int kCornerSize = 25;
    static constexpr int kBorderWidth = 2;
    static constexpr Gdiplus::ARGB kBorderColor = 0xE0DDDDDD;
    // Beyond this distance from the client origin a captured move counts as the pointer having left.
    static constexpr int kFarPointer = 10000;
    // Help commands the framework may send; a skinned dialog has no help.
    static constexpr UINT kHelpCommands[] = {57667, 57669, 57670, 57671};

    CxSkinDialog();
    CxSkinDialog(UINT templateId, CWnd* parent);
    ~CxSkinDialog() override;

    // Names both bases carry. On the dialog they mean the window, except the repaint, which belongs to the
    // layer tree (a layered window shows only what the back buffer presents), and Create, which has all three
    // meanings: window, layer and skin object.
    using CDialog::Create;
    using CLayerDialog::SetTransparency;
    using CLayerWnd::ClientToScreen;
    using CLayerWnd::Create;
    using CLayerWnd::GetClientRect;
    using CLayerWnd::Invalidate;
    using CLayerWnd::InvalidateRect;
    using CWnd::ClientToScreen;
    using CWnd::GetClientRect;
    using CWnd::GetDC;
    using CWnd::GetParent;
    using CWnd::PostMessage;
    using CWnd::ReleaseDC;
    using CWnd::SetFocus;
    using CWnd::ShowWindow;

    // IxSkinObject: composes the background at the markup's size, with a rounded outline when asked.
    int Create() override;
    const wchar_t* GetTypeName() const override { return L"Dialog"; }

    // IxSkinDialog
    void SetTransparency(int percent, BOOL redraw) override;
    int GetTransparency() const override { return CLayerDialog::GetTransparency(); }
    void SetTitle(const std::wstring& text) override { SetWindowText(text); }
    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawBackground(CDC* dc, const RECT* clip) override { CLayerDialog::DrawChildren(dc, clip); }
    void SetBackgroundImage(const wchar_t* path) override { CLayerDialog::SetBackgroundImage(path); }
    void SetName(const std::wstring& name) override { m_dialogName = name; }
    void SetFocusLayer(CLayerWnd* layer) override;
    CLayerWnd* GetFocusLayer() const override { return m_focusLayer; }
    void SetHideOnDeactivate(BOOL hide) override { m_hideOnDeactivate = hide; }
    void SetInputBlocked(BOOL blocked) override { CLayerWnd::SetInputBlocked(blocked); }

    // Root-layer host accessors.
    void SetCaptureLayer(CLayerWnd* layer) override { m_captureLayer = layer; }
    CLayerWnd* GetCaptureLayer() const override { return m_captureLayer; }

    // Framework
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

    // Disabling also hides a tip that is showing.
    void EnableToolTips(BOOL enable);
    // Who answers WM_COPYDATA sent to any skinned dialog of the process (a test driving the program from
    // outside); none by default, and the message then takes the normal path.
    using CopyDataHandler = LRESULT (*)(CxSkinDialog& dialog, const COPYDATASTRUCT* data);
    static void SetCopyDataHandler(CopyDataHandler handler) { s_copyDataHandler = handler; }
    // Forgets capture and focus (telling both layers) and every layer's hover state.
    void ResetMouseState();

    const std::wstring& GetName() const { return m_dialogName; }
    // Null before initialisation, after destruction, or when the tip window could not be made.
    CxSkinToolTip* GetToolTipWindow() const { return m_toolTipWnd; }
    void SetDraggable(BOOL draggable) { m_draggable = draggable; }
    BOOL IsDraggable() const { return m_draggable; }
    // Set: the layers go after the window has gone (the final notice) rather than with WM_DESTROY.
    void SetDestroyLayersAfterWindow(BOOL later) { m_destroyLayersAfterWindow = later; }
    BOOL GetDestroyLayersAfterWindow() const { return m_destroyLayersAfterWindow; }
    // The markup's "Width", "Height" and "CornerRadius": the shape the outline is built for.
    void SetShapeWidth(int width) { m_shapeWidth = width; }
    void SetShapeHeight(int height) { m_shapeHeight = height; }
    void SetCornerRadius(int radius) { m_roundCorners = radius > 0; }
    BOOL HasRoundCorners() const { return m_roundCorners; }
    BOOL AreToolTipsEnabled() const { return m_toolTipsEnabled; }
    BOOL IsHideOnDeactivate() const { return m_hideOnDeactivate; }
    BOOL IsLeftButtonPressed() const { return m_leftPressed; }

protected:
    void ForgetLayer(CLayerWnd* layer) override;
    // A dialog kind that acts on Enter (the drop list) answers TRUE: the key then reaches the window and its
    // focus layer instead of being swallowed.
    virtual BOOL TakesEnterKey() const { return FALSE; }
    // Escape pressed on this window. A kind that is left with Escape (a menu, a markup dialog) closes itself and
    // answers TRUE; by default the key goes on to the focus layer.
    virtual BOOL OnEscapeKey() { return FALSE; }

private:
    void InitFields();
    void OnLButtonDownMessage(UINT flags, POINT point);
    void OnLButtonUpMessage(UINT flags, POINT point);
    void OnMouseMoveMessage(UINT flags, POINT point);
    void OnShowWindowMessage(BOOL shown);
    void OnActivateMessage(UINT state);
    void OnDestroyMessage();
    void DestroyToolTip();
    POINT ToLayer(const CLayerWnd* layer, POINT point) const;
    BOOL FilterForTextBox(MSG* msg);

    static inline CopyDataHandler s_copyDataHandler = nullptr;

    std::wstring m_dialogName;
    CLayerWnd* m_focusLayer = nullptr;
    CLayerWnd* m_captureLayer = nullptr;
    CLayerWnd* m_releaseTarget = nullptr; // the layer hearing a release; cleared if the release removes it
    CxSkinToolTip* m_toolTipWnd = nullptr;
    BOOL m_hideOnDeactivate = FALSE;
    BOOL m_draggable = TRUE;
    BOOL m_destroyLayersAfterWindow = FALSE;
    int m_shapeWidth = 0;
    int m_shapeHeight = 0;
    BOOL m_roundCorners = FALSE;
    BOOL m_toolTipsEnabled = TRUE;
    BOOL m_leftPressed = FALSE;
};
