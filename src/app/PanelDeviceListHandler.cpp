#include "app/PanelDeviceListHandler.h"

#include <algorithm>
#include <memory>

#include "app/AppSettings.h"
#include "app/HandlerFactory.h"
#include "app/HandlerServices.h"
#include "app/MainHandler.h"
#include "app/OvercoatApp.h"
#include "driver/IDriverInstance.h"
#include "framework/Dialog.h"
#include "markup/ILytController.h"
#include "skin/IxSkinMenuItem.h"
#include "skin/IxSkinPanel.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinMenu.h"
#include "skin/SkinRadioButton.h"

namespace {

struct DeviceRow {
    const wchar_t* endpoint;
    const wchar_t* panel;
    const wchar_t* icon;
    const wchar_t* marker;
};

const DeviceRow kRows[CPanelDeviceListHandler::kRowCount] = {
    {L"Speaker", L"PanelSpeaker", L"MenuSpeakers", L"DefaultSpeakers"},
    {L"SpeakerQuarter", L"PanelSpeakerQuarter", L"MenuSpeakersQuarter", L"DefaultSpeakersQuarter"},
    {L"HeadPhone", L"PanelHeadPhone", L"MenuHeadPhone", L"DefaultHeadPhone"},
    {L"HDMI", L"PanelHDMI", L"MenuHDMI", L"DefaultHDMI"},
    {L"SPDIFOut", L"PanelSPDIFOut", L"MenuSPDIFOut", L"DefaultSPDIFOut"},
    {L"MicIn", L"PanelMicIn", L"MenuMicIn", L"DefaultMicIn"},
    {L"DesktopMic", L"PanelDesktopMic", L"MenuDesktopMic", L"DefaultDesktopMic"},
    {L"LineIn", L"PanelLineIn", L"MenuLineIn", L"DefaultLineIn"},
    {L"SPDIFIn", L"PanelSPDIFIn", L"MenuSPDIFIn", L"DefaultSPDIFIn"},
    {L"SPDIFInRCA", L"PanelSPDIFInRCA", L"MenuSPDIFInRCA", L"DefaultSPDIFInRCA"},
    {L"StereoMix", L"PanelStereoMixer", L"MenuStereoMixer", L"DefaultStereoMixer"},
};

constexpr wchar_t kIconList[] = L"PanelDeviceIconList";
constexpr wchar_t kScrollUp[] = L"ScrollUp";
constexpr wchar_t kScrollDown[] = L"ScrollDown";
constexpr wchar_t kJackMenuHandler[] = L"PanelJackMenu";
// The outside-effects launchers stay in every jack menu: they are programs, not device features.
constexpr const wchar_t* kAlwaysListed[] = {L"VexaroAudioEffects", L"VexaroMicEffects"};

// Endpoint kinds that get a row; kind 1 is a fully supported endpoint, the others show disabled.
bool IsListedKind(uint32_t kind) {
    return kind == 1 || kind == 2 || kind == 3 || kind == 4 || kind == 8;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

void MoveRectTo(RECT* r, int top) {
    const int height = Height(*r);
    r->top = top;
    r->bottom = top + height;
}

} // namespace

int CPanelDeviceListHandler::s_rowStep = 0;

CPanelDeviceListHandler::CPanelDeviceListHandler() {
    m_name = L"PanelDeviceListHandler";
}

CPanelDeviceListHandler::~CPanelDeviceListHandler() {
    DestroyJackMenu();
}

std::wstring CPanelDeviceListHandler::GetAudioDeviceName() const {
    const CAppSettings* settings = theApp.GetSettings();
    return settings ? settings->m_strAudioDevice : std::wstring();
}

void CPanelDeviceListHandler::ShowMainWindowContent(const std::wstring& content) {
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->ShowContent(content, 0);
}

void CPanelDeviceListHandler::RefreshMainWindowPanels() {
    if (auto* main = dynamic_cast<CMainHandler*>(GetMainHandler()))
        main->RefreshPanels();
}

void CPanelDeviceListHandler::EnableScrollButtons() {
    EnableControl(kScrollUp, TRUE);
    EnableControl(kScrollDown, TRUE);
}

int CPanelDeviceListHandler::OnPanelNotify(BOOL, int) {
    EnableScrollButtons();
    return 0;
}

int CPanelDeviceListHandler::IsControlEnabled(const std::wstring& name) {
    auto* list = dynamic_cast<IxSkinPanel*>(FindControl(kIconList));
    if (!list)
        return 1;
    const int position = list->GetScrollPos(TRUE);
    if (name == kScrollUp)
        return position != 0;
    if (name == kScrollDown)
        return position < list->GetScrollSize(TRUE);
    return 1;
}

void CPanelDeviceListHandler::Initialize() {
    CxSkinCtrl* first = FindControl(kRows[0].panel);
    RECT rowRect = first ? first->GetRect() : RECT{};
    if (rowRect.top > 0)
        MoveRectTo(&rowRect, 0);
    const int top = rowRect.top;
    if (s_rowStep <= 0) {
        // Without a second row to measure against, rows are stacked edge to edge; left unmeasured, every row
        // would land on the first.
        CxSkinCtrl* second = FindControl(kRows[1].panel);
        const int step = second ? second->GetRect().top - top : 0;
        s_rowStep = step > 0 ? step : Height(rowRect);
    }
    CxSkinCtrl* marker = FindControl(kRows[0].marker);
    const int bottomMargin = marker ? rowRect.bottom - marker->GetRect().bottom - top : 0;

    IDriverInstance* driver = GetDriver();
    if (driver && driver->GetDeviceCount() >= 1)
        LayoutDeviceRows(&rowRect);
    AddDeviceItem();
    SelectDeviceItem(FALSE);

    CxSkinCtrl* listControl = FindControl(kIconList);
    auto* list = dynamic_cast<IxSkinPanel*>(listControl);
    bool scrollable = false;
    if (list) {
        const int overflow = rowRect.top - bottomMargin - top - listControl->GetHeight();
        scrollable = overflow > 0;
        // A list that fits has nothing to scroll; a negative size would let the page steps run backwards.
        list->SetScrollSize(scrollable ? overflow : 0, TRUE);
        // Rows came or went: a position past the new end would leave an empty slot, and the selected row
        // may have moved out of sight. A list that fits returns to 0.
        list->SetScrollPos(PositionShowingSelectedRow(*listControl, *list), TRUE, TRUE);
    }
    for (const wchar_t* name : {kScrollUp, kScrollDown}) {
        if (CxSkinCtrl* button = FindControl(name))
            button->SetVisible(scrollable ? TRUE : FALSE, FALSE);
    }
    if (scrollable)
        EnableScrollButtons();
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

int CPanelDeviceListHandler::PositionShowingSelectedRow(const CxSkinCtrl& listControl, const IxSkinPanel& list) {
    const int scrollSize = list.GetScrollSize(TRUE);
    const int now = list.GetScrollPos(TRUE);
    int position = now;
    for (const auto& row : kRows) {
        auto* icon = dynamic_cast<CxSkinRadioButton*>(FindControl(row.icon));
        CxSkinCtrl* panel = icon && icon->GetCheck() ? FindControl(row.panel) : nullptr;
        if (!panel || !panel->IsVisible())
            continue;
        // The row's extent in the list's content, which is shifted up by the position now.
        const RECT inList = listControl.GetRectInHost(), inHost = panel->GetRectInHost();
        const int rowTop = inHost.top - inList.top + now, rowBottom = inHost.bottom - inList.top + now;
        if (rowTop < position)
            position = rowTop;
        else if (rowBottom > position + listControl.GetHeight())
            position = rowBottom - listControl.GetHeight();
        break;
    }
    return std::clamp(position, 0, scrollSize);
}

void CPanelDeviceListHandler::LayoutDeviceRows(RECT* rowRect) {
    IDriverInstance* driver = GetDriver();
    uint32_t kinds[kRowCount] = {};
    int count = 0;
    for (int row = 0; row < kRowCount; ++row) {
        if (!FindControl(kRows[row].panel))
            continue;
        kinds[row] = driver->GetDeviceKindByName(kRows[row].endpoint);
        if (IsListedKind(kinds[row]))
            ++count;
    }
    if (CxSkinCtrl* list = FindControl(kIconList)) {
        const int used = count * s_rowStep;
        if (list->GetHeight() > used)
            MoveRectTo(rowRect, (list->GetHeight() - used) / 2);
    }
    for (int row = 0; row < kRowCount; ++row) {
        CxSkinCtrl* panel = FindControl(kRows[row].panel);
        if (!panel)
            continue;
        if (!IsListedKind(kinds[row])) {
            panel->ShowWindow(SW_HIDE);
            continue;
        }
        panel->Enable(kinds[row] == 1 ? TRUE : FALSE, FALSE);
        panel->ShowWindow(SW_SHOW);
        panel->SetRect(*rowRect, FALSE);
        MoveRectTo(rowRect, rowRect->top + s_rowStep);
    }
}

void CPanelDeviceListHandler::AddDeviceItem() {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    const std::wstring current = driver->GetCurrentEndpointName();
    for (const auto& row : kRows) {
        if (current != row.endpoint)
            continue;
        if (auto* icon = dynamic_cast<CxSkinRadioButton*>(FindControl(row.icon)))
            icon->Select(TRUE);
        return;
    }
}

void CPanelDeviceListHandler::SelectDeviceItem(int redraw) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    struct Range {
        int first, end;
        std::wstring endpoint;
    };
    const Range ranges[] = {{0, kFirstCaptureRow, driver->GetDefaultRenderEndpointName()},
                            {kFirstCaptureRow, kRowCount, driver->GetDefaultCaptureEndpointName()}};
    for (const Range& range : ranges) {
        for (int row = range.first; row < range.end; ++row) {
            auto* marker = dynamic_cast<CxSkinRadioButton*>(FindControl(kRows[row].marker));
            if (!marker)
                continue;
            if (range.endpoint == kRows[row].endpoint) {
                marker->Select(redraw ? TRUE : FALSE);
                break;
            }
            if (marker->GetCheck())
                marker->SetCheck(0, redraw ? TRUE : FALSE);
        }
    }
}

int CPanelDeviceListHandler::OnClick(const std::wstring& name) {
    if (name == kScrollUp || name == kScrollDown) {
        if (auto* list = dynamic_cast<IxSkinPanel*>(FindControl(kIconList))) {
            if (name == kScrollUp)
                list->ScrollPageBack(TRUE);
            else
                list->ScrollPageForward(TRUE);
        }
        EnableScrollButtons();
    } else {
        int found = -1;
        bool onIcon = false;
        for (int row = 0; row < kRowCount && found < 0; ++row) {
            if (name == kRows[row].icon || name == kRows[row].marker) {
                found = row;
                onIcon = name == kRows[row].icon;
            }
        }
        if (found < 0)
            return 0;
        // Only an endpoint the device has and drives can become a default or show its page; the row of any
        // other would act on whichever endpoint is current.
        const DeviceRow& row = kRows[found];
        IDriverInstance* driver = GetDriver();
        if (!driver || driver->GetDeviceKindByName(row.endpoint) != 1)
            return 0;
        // A click on either control of a row selects its partner too.
        SetDefaultEndpoint(row.endpoint, onIcon ? row.marker : row.icon, found < kFirstCaptureRow);
    }
    RefreshMainWindowPanels();
    return 1;
}

void CPanelDeviceListHandler::SetDefaultEndpoint(const std::wstring& endpoint, const std::wstring& controlName,
                                                 bool isRender) {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return;
    if (isRender) {
        driver->SetDefaultRenderEndpointByName(endpoint);
        driver->RestoreListening();
    } else {
        driver->SetDefaultCaptureEndpointByName(endpoint);
    }
    if (auto* control = dynamic_cast<CxSkinRadioButton*>(FindControl(controlName)))
        control->Select(FALSE);
    ShowMainWindowContent(driver->GetEndpointContent(endpoint));
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CPanelDeviceListHandler::SetDeviceItemCaption() {
    const std::wstring device = GetAudioDeviceName();
    for (const auto& row : kRows) {
        CxSkinCtrl* panel = FindControl(row.panel);
        if (!panel || !panel->IsVisible())
            continue;
        auto* child = dynamic_cast<CxSkinCtrl*>(panel->GetFirstChild());
        if (!child)
            continue;
        // The device name is added once; a tooltip that already names it keeps its text.
        const std::wstring tip = child->GetToolTip();
        if (tip.find(L'(') == std::wstring::npos)
            child->SetToolTip(tip + L"(" + device + L")");
    }
}

int CPanelDeviceListHandler::OnRButtonUp(const std::wstring& name) {
    for (const auto& row : kRows) {
        if (name == row.icon) {
            ShowJackMenu(name);
            return 1;
        }
    }
    return 0;
}

void CPanelDeviceListHandler::DestroyJackMenu() {
    // The menu's destructor takes its window down first and releases the menu's handler.
    delete m_jackMenu;
    m_jackMenu = nullptr;
}

void CPanelDeviceListHandler::ShowJackMenu(const std::wstring& iconName) {
    DestroyJackMenu();
    CxSkinCtrl* icon = FindControl(iconName);
    CLayerWnd* mainLayer = m_owner ? m_owner->GetRootLayer() : nullptr;
    CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    ILytController* controller = Services().GetLytController();
    if (!icon || !mainLayer || !host || !controller)
        return;

    auto menu = std::make_unique<CxSkinMenu>(CDialog::IDD_POPUP, host);
    menu->SetDestroyLayersAfterWindow(TRUE);
    if (IHandler* handler = CreateHandler(kJackMenuHandler)) {
        handler->SetWindow(mainLayer);
        menu->SetListener(handler);
    }
    if (!menu->Create(CDialog::IDD_POPUP, host))
        return;
    const std::wstring path = Services().GetSkinFolder() + iconName + L".lyt";
    if (!controller->Load(path.c_str(), menu.get(), nullptr))
        return; // a jack menu without its rows cannot open
    menu->SetTransparency(Services().GetUITransparent(), FALSE);
    FilterJackMenuItems(menu.get());

    const RECT r = icon->GetRectInHost();
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(host->GetSafeHwnd(), &centre);
    m_jackMenu = menu.release();
    m_jackMenu->TrackPopup(centre.x, centre.y);
}

void CPanelDeviceListHandler::FilterJackMenuItems(CxSkinMenu* menu) {
    IDriverInstance* driver = GetDriver();
    for (int index = 0;;) {
        IxSkinMenuItem* item = menu->GetItem(index);
        if (!item)
            break;
        const std::wstring name = item->GetName();
        bool keep = false;
        for (const wchar_t* listed : kAlwaysListed)
            keep = keep || name == listed;
        if (!keep && !(driver && driver->IsFeatureSupported(name)))
            menu->RemoveItem(index); // the next item moves into this index
        else
            ++index;
    }
}
