#pragma once
// The base of every handler: do-nothing answers to every IHandler and listener operation, and the helpers
// all handlers share: finding a control by name under the handler's layer, enabling controls, reaching
// the driver object and the main-window handler, asking the main window for a content, re-translating
// control texts, the text box's context menu, stopping the speaker test on a worker thread, and the rules
// that switch off the effects a newly switched-on effect excludes.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/IHandler.h"

class CLayerWnd;
class CWorkerThread;
class CxSkinCtrl;
class CxSkinMenu;
class IDriverInstance;
class IHandlerServices;
class IMainHandler;

// Messages a handler posts to the window that hosts its layer.
enum HandlerMessage : UINT {
    kMsgShowSettingContent = 1124,  // wParam: endpoint code
    kMsgRedrawControl = 1133,       // wParam: the control (CxSkinCtrl*)
    kMsgShowSurroundContent = 1141, // wParam: endpoint code
};

class CBaseHandler : public IHandler {
public:
    // The speaker-test stop worker is waited for this long before the caller goes on.
    static constexpr DWORD kStopWaitMs = 5000;

    CBaseHandler();
    ~CBaseHandler() override;
    CBaseHandler(const CBaseHandler&) = delete;
    CBaseHandler& operator=(const CBaseHandler&) = delete;

    // IHandler
    int OnPanelNotify(BOOL, int) override { return 0; }
    std::wstring GetName() const override { return m_name; }
    void InitControls() override {}
    int OnDriverNotify(uint64_t, uint32_t) override { return 0; }
    void SetWindow(CLayerWnd* owner) override { m_owner = owner; }
    void OnDeactivate() override {}
    int KeepContentLoaded() override { return 0; }
    void Release() override { delete this; }
    int UpdateFromDriver() override { return 0; }
    int UpdateView() override { return 1; }
    int IsControlEnabled(const std::wstring&) override { return 1; }

    // IxSkinButtonListener
    int OnClick(const std::wstring&) override { return 0; }
    int OnRButtonUp(const std::wstring&) override { return 0; }
    int OnDblClick(const std::wstring&) override { return 0; }
    // IxSkinComboBoxListener
    int OnSelChange(const std::wstring&, int) override { return 0; }
    // IxSkinTextBoxListener
    int OnTextCommitted(const std::wstring&, const std::wstring&) override { return 0; }
    // Opens the text box's cut/copy/paste menu at the point the box stored for the request.
    void OnContextMenu(const std::wstring& name) override;
    // Runs on the text box's blink timer thread: only posts the redraw request to the host window.
    int OnTextBoxNotify(const std::wstring& name) override;
    int OnTextChanged(const std::wstring&, const std::wstring&) override { return 1; }
    // IxSkinMenuListener
    void OnMenuPopup(const std::wstring&, int) override {}
    // The text box's menu closed: runs the chosen command on the box, or gives it the focus back.
    void OnMenuCommand(const std::wstring& menuName, int itemId, const std::wstring& itemName) override;
    // IPanelVirtualSpeakerListener
    int OnSpeakerMoved(int, float, float, int) override { return 0; }
    int OnSpeakersRotated(const float*, int) override { return 0; }
    void OnPanelRedraw() override {}
    // IxSkinSliderListener
    int OnSliderChanged(const std::wstring&, float, int) override { return 0; }
    // ISoundPlayListener
    void OnPlayStart(int) override {}
    void OnPlayEnd(int) override {}

    // Shared helpers.
    IDriverInstance* GetDriver() const;
    // The handler of the dialog that holds the owner layer when that is the main window's handler; null
    // without an owner or for any other dialog.
    IMainHandler* GetMainHandler() const;
    CxSkinCtrl* FindControl(const std::wstring& name) const;
    // Depth first over the skinned controls under the layer; the first whose name matches exactly.
    static CxSkinCtrl* FindControlIn(const CLayerWnd* layer, const std::wstring& name);
    void EnableControl(const std::wstring& name, BOOL redraw);
    // Ask the main window for this handler's endpoint "Setting" content, and for the surround content of
    // the current endpoint.
    void RequestSettingContent();
    void RequestSurroundContent();
    // forward: a language key to its text; otherwise a text back to its key.
    std::wstring GetLanguageText(const std::wstring& keyOrText, bool forward) const;
    void ShowMainContent(BOOL show);
    void ShowGreyContent(BOOL grey);
    // Turns the texts under the layer into language keys (backward) or keys into texts (forward).
    void FillControlTexts(CLayerWnd* layer, bool forward) const;
    std::wstring FindControlNameById(UINT id) const { return FindControlNameByIdIn(m_owner, id); }
    static std::wstring FindControlNameByIdIn(const CLayerWnd* layer, UINT id);
    // Stops the main window's speaker test on a worker thread and waits for it at most kStopWaitMs. Unless
    // keepListener is set, the player's listener is cleared first, so no end notice reaches a panel.
    void StopSoundOnWorker(BOOL keepListener);

    // Effect-exclusion rules: a handler about to switch its effect on switches off the competing effects
    // of the current endpoint and announces them to the main window.
    void ApplyEffectRuleDHDVS();
    void ApplyEffectRuleSurrSens();
    void ApplyEffectRuleDHDVSSurrSens();
    void ApplyEffectRuleSS();
    void ApplyEffectRulePLIIx();
    void ApplyEffectRulePLIIxNeo();
    void ApplyEffectRuleNeo();
    void ApplyEffectRuleENC();

    CLayerWnd* GetOwner() const { return m_owner; }
    CxSkinMenu* GetTextBoxMenu() const { return m_textBoxMenu; }
    const std::wstring& GetMenuTextBoxName() const { return m_menuTextBox; }
    // Tests give a handler their own driver, controller and texts; null goes back to the application's.
    void SetServices(IHandlerServices* services) { m_services = services; }
    // Tests hear of every control the handler looks for by name and its panel lacks.
    std::function<void(const std::wstring& name)> m_onControlMissing;

protected:
    IHandlerServices& Services() const;
    void DestroyTextBoxMenu();
    // Waits for a stop worker that is still running, at most timeoutMs; true when none runs any more. A
    // handler that owns the speaker-test player calls this before the player goes.
    bool WaitForStopWorker(DWORD timeoutMs);

    CLayerWnd* m_owner = nullptr;
    std::wstring m_name;
    CxSkinMenu* m_textBoxMenu = nullptr;
    std::wstring m_menuTextBox;
    // The stop worker of the last StopSoundOnWorker. The handler does not wait for it when it goes: a
    // stop hung in the driver would hold up the page switch or the exit. The worker touches only the main
    // window's player, whose owner waits for it a bounded time (CMainHandler).
    std::unique_ptr<CWorkerThread> m_stopWorker;
    int m_nReserved1 = 0;
    int m_nReserved2 = 0;
    int m_nReserved3 = 0;

private:
    void ApplyEffectRule(int rule);

    IHandlerServices* m_services = nullptr;
};
