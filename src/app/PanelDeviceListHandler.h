#pragma once
// The device list: one row per endpoint the device has (an icon button that opens the endpoint's content
// and a marker of the default render or capture endpoint), stacked and centred, with two buttons that
// scroll the list when it is taller than its window. A right click on an icon opens the endpoint's jack
// menu, a pop-up listing that endpoint's content panels.

#include <string>

#include "app/BaseHandler.h"
#include "app/MainPanelHandlers.h"

class CxSkinCtrl;
class CxSkinMenu;
class IxSkinPanel;

class CPanelDeviceListHandler : public CBaseHandler, public IDeviceListPanelHandler {
public:
    // Rows 0 to 4 are render endpoints, 5 to 10 capture endpoints.
    static constexpr int kRowCount = 11;
    static constexpr int kFirstCaptureRow = 5;

    CPanelDeviceListHandler();
    ~CPanelDeviceListHandler() override;

    // IHandler
    int OnPanelNotify(BOOL, int) override;
    void InitControls() override { Initialize(); }
    int IsControlEnabled(const std::wstring& name) override;
    int OnClick(const std::wstring& name) override;
    int OnRButtonUp(const std::wstring& name) override;

    // IDeviceListPanelHandler
    void AddDeviceItem() override;
    void SelectDeviceItem(int redraw) override;
    void RefreshCaptions() override { SetDeviceItemCaption(); }
    void CloseJackMenu() override { DestroyJackMenu(); }

    void Initialize();
    void SetDeviceItemCaption();
    void ShowJackMenu(const std::wstring& iconName);
    void DestroyJackMenu();
    CxSkinMenu* GetJackMenu() const { return m_jackMenu; }

    // The distance between two rows, measured on the first layout of the run and kept from then on.
    static int GetRowStep() { return s_rowStep; }

protected:
    // The "AudioDevice" setting: the device's name, added to every row's tooltip.
    virtual std::wstring GetAudioDeviceName() const;
    // What the list asks of the main window: show a content panel, refresh the panels after a new default.
    // Nothing happens outside the main window.
    virtual void ShowMainWindowContent(const std::wstring& content);
    virtual void RefreshMainWindowPanels();

private:
    void LayoutDeviceRows(RECT* rowRect);
    // The list's scroll position within its scroll size that shows the selected row whole, moving as
    // little as it can.
    int PositionShowingSelectedRow(const CxSkinCtrl& listControl, const IxSkinPanel& list);
    void SetDefaultEndpoint(const std::wstring& endpoint, const std::wstring& controlName, bool isRender);
    void FilterJackMenuItems(CxSkinMenu* menu);
    void EnableScrollButtons();

    // Owned; null while no jack menu is open.
    CxSkinMenu* m_jackMenu = nullptr;
    static int s_rowStep;
};
