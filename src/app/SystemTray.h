#pragma once
// The program's icon in the notification area and the hidden window that hears its mouse notices. A single
// click opens the master-volume pop-up ("SystemTrayLClick.lyt") once the double-click time has passed, a
// double click shows the main window instead, and a right click opens the tray menu ("SystemTrayRClick.lyt").

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/IMainDialogHandler.h"
#include "framework/Wnd.h"

class CxSkinDialog;
class CxSkinMenu;
class IHandler;
class IHandlerServices;

// Where the taskbar sits.
enum TaskbarEdge : int { kEdgeLeft = 0, kEdgeTop = 1, kEdgeBottom = 2, kEdgeRight = 3 };

class CSystemTray : public CWnd, public IMainTray {
    DECLARE_DYNAMIC(CSystemTray)
public:
    static constexpr UINT_PTR kClickTimer = 3456;
    static constexpr UINT kClickDelayMs = 300;
    static constexpr UINT kMsgClosePopups = 1136;
    // The shell's record with the version-5 fields: its size field is what the shell checks.
    static constexpr DWORD kNotifyDataSize = 976;

    CSystemTray();
    ~CSystemTray() override;

    // Does nothing before Windows NT 4 / 95. parent: the main window, which hears the notices when it has a
    // window; the tray window hears them otherwise. True when the icon was added.
    BOOL Create(CWnd* parent, UINT callbackMessage, const std::wstring& tip, HICON icon, UINT id);
    void HideIcon() override;
    void AddIcon();
    void RemoveIcon();
    void ModifyIcon(HICON icon);
    void RefreshPopup() override;
    void NotifyOwner();
    // The window the tray acts for when it was created without a parent.
    void SetMainWindow(CWnd* main) { m_mainWindow = main ? main->GetSafeHwnd() : nullptr; }
    void ShowIcon() override { AddIcon(); }
    void ClosePopups() override { NotifyOwner(); }

    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);
    // The icon's button on the taskbar in screen coordinates and the taskbar's edge; false when the taskbar
    // or its notification area cannot be found.
    BOOL GetIconRect(RECT* rect, int* edge);

    BOOL IsAdded() const { return m_added; }
    BOOL IsHidden() const { return m_hidden; }
    const NOTIFYICONDATAW& GetNotifyData() const { return m_data; }
    CxSkinDialog* GetPopup() const { return m_popup; }
    CxSkinMenu* GetMenu() const { return m_menu; }
    RECT GetStoredIconRect() const { return m_iconRect; }
    int GetTaskbarEdge() const { return m_edge; }

    // Seams, each defaulting to the program's own: the shell call, how the icon is measured, how handlers are
    // made, the services (skin folder, markup controller, driver), the title the icon's button carries and
    // the window the tray acts for (null: the parent given at creation).
    std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)> m_notifyIcon;
    std::function<BOOL(RECT* rect, int* edge)> m_measureIcon;
    // Where the cursor is, in screen coordinates: where a click landed when the icon cannot be measured.
    std::function<POINT()> m_cursorPos;
    std::function<IHandler*(const std::wstring& name)> m_createHandler;
    IHandlerServices* m_services = nullptr;
    std::wstring m_appTitle;
    // The system's major version (0: ask the system).
    DWORD m_systemMajorVersion = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BOOL Notify(DWORD message, UINT flags);
    IHandlerServices& Services() const;
    IHandler* MakeHandler() const;
    CWnd* MainWindow() const;
    void OnClickTimer();
    void OpenPopup();
    void PlacePopup();
    void OpenMenu();
    void TrackMenu();
    void DestroyPopup();
    void DestroyMenu();
    void DestroyPopupWindows();
    BOOL MeasureIcon();
    POINT CursorPos() const;

    int m_added = 0;
    int m_hidden = 0;
    NOTIFYICONDATAW m_data{};
    // The icon animation the shell record allows for; nothing in the program starts it.
    std::vector<HICON> m_animationIcons;
    UINT_PTR m_animationTimer = 0;
    DWORD m_animationStart = 0;
    int m_animationIndex = 0;
    DWORD m_animationLimit = 0;
    HICON m_savedIcon = nullptr;
    UINT_PTR m_clickTimer = 0;
    int m_leftDown = 0;
    int m_inNotice = 0;
    RECT m_iconRect{};
    int m_edge = kEdgeRight;
    CxSkinDialog* m_popup = nullptr;
    CxSkinMenu* m_menu = nullptr;
    HWND m_mainWindow = nullptr;
};

// Makes the program's tray for the main dialog (the main dialog's tray seam).
class COvercoatDlg;
std::unique_ptr<IMainTray> MakeSystemTray(COvercoatDlg& owner, const std::wstring& tip, UINT message, HICON icon);
