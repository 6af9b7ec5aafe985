#include "handlers/endpoint/LineInVolHandler.h"

#include "driver/IDriverInstance.h"
#include "skin/SkinCtrl.h"

void CLineInVolHandler::InitAAPath() {
    CxSkinCtrl* left = FindControl(L"LeftChannel");
    CxSkinCtrl* aaLeft = FindControl(L"AALeft");
    if (m_nFirstStart) {
        m_nFirstStart = 0;
        if (left)
            m_rcLeftChannel = left->GetRect();
        if (left && aaLeft)
            m_nHalfDistance = (aaLeft->GetRect().left - m_rcLeftChannel.left) / 2;
    }
    IDriverInstance* driver = GetDriver();
    const BOOL supported = driver && driver->IsFeatureSupported(L"AAVolumeControl") ? TRUE : FALSE;
    m_nLayoutChanged = aaLeft && supported != aaLeft->IsVisible();
    if (aaLeft)
        aaLeft->SetVisible(supported, FALSE);
    // The rest of the path goes with its slider: a device without the path shows none of its controls.
    if (CxSkinCtrl* group = FindControl(L"AAGroup"))
        group->SetVisible(supported, FALSE);
    if (supported) {
        SetControlCheck(L"AAMute", GetMute(L"AAMute"));
        SetControlCheck(L"AABalance", GetBalance(L"AABalance"));
        RefreshVolume(L"AALeft");
        RefreshVolume(L"AARight");
    }
    // Listening is offered only on devices without the second path; a page kept across a device change
    // offers it again.
    for (const wchar_t* name : {L"ListenToDevice", L"ListenTB"}) {
        if (CxSkinCtrl* control = FindControl(name))
            control->SetVisible(!supported, FALSE);
    }
    if (m_nLayoutChanged && left) {
        RECT rect = m_rcLeftChannel;
        if (!supported) {
            rect.left += m_nHalfDistance;
            rect.right += m_nHalfDistance;
        }
        left->SetRect(rect, FALSE);
    }
}

void CLineInVolHandler::InitControls() {
    InitAAPath();
    CVolHandler::InitControls();
}
