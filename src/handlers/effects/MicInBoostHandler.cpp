#include "handlers/effects/MicInBoostHandler.h"

#include <cmath>

#include "app/HandlerServices.h"
#include "app/OvercoatApp.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "markup/StringUtils.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinParse.h"

namespace {

constexpr wchar_t kKey[] = L"BoostControl";
// The argument block of the Vista form selects the quantity.
enum BoostSelector : uint32_t { kCurrent = 0, kMaximum = 1, kMinimum = 2, kStep = 3 };
// Changes smaller than this are the device's rounding, not a change of the user's.
constexpr float kTolerance = 0.03f;

bool ReadFloat(IDriverInstance* driver, uint32_t selector, float& value, bool store, bool cache) {
    float read = 0.0f;
    if (!driver || driver->GetProperty(kKey, &read, kValueFloat, kDefaultNumberSize, &selector, kValueUInt,
                                       sizeof(selector), store, cache) != 0)
        return false;
    value = read;
    return true;
}

bool ReadOnOff(IDriverInstance* driver, uint32_t& value, bool store, bool cache) {
    uint32_t read = 0;
    if (!driver || driver->GetProperty(kKey, &read, kValueUInt, kDefaultNumberSize, nullptr, 0, 0, store, cache) != 0)
        return false;
    value = read;
    return true;
}

} // namespace

CMicInBoostHandler::CMicInBoostHandler() {
    m_name = L"MicInBoostHandler";
}

bool CMicInBoostHandler::IsVista() const {
    return m_vista < 0 ? theApp.IsVistaOrLater() : m_vista != 0;
}

bool CMicInBoostHandler::ReadBoost(float& value, bool storeInCache, bool fromCache) const {
    if (IsVista())
        return ReadFloat(GetDriver(), kCurrent, value, storeInCache, fromCache);
    uint32_t on = 0;
    if (!ReadOnOff(GetDriver(), on, storeInCache, fromCache))
        return false;
    value = static_cast<float>(on);
    return true;
}

bool CMicInBoostHandler::WriteBoost(float position) const {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    if (IsVista()) {
        uint32_t selector = kCurrent;
        return driver->SetProperty(kKey, &position, kValueFloat, kDefaultNumberSize, &selector, kValueUInt,
                                   sizeof(selector)) == 0;
    }
    int32_t on = TruncatePosition(position) != 0 ? 1 : 0;
    return driver->SetProperty(kKey, &on, kValueInt, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

void CMicInBoostHandler::InitControls() {
    IDriverInstance* driver = GetDriver();
    bool checkBoxMode = true;
    if (IsVista()) {
        m_maximum = 30;
        m_step = 1;
        float value = 0.0f;
        if (ReadFloat(driver, kMaximum, value, false, false))
            m_maximum = TruncatePosition(value);
        if (ReadFloat(driver, kMinimum, value, false, false))
            m_minimum = TruncatePosition(value);
        // A step that truncates to nothing would divide by zero below; the page keeps single steps then.
        if (ReadFloat(driver, kStep, value, false, false))
            m_step = TruncatePosition(value) > 0 ? TruncatePosition(value) : 1;
        if (ReadFloat(driver, kCurrent, value, true, false))
            m_boost = TruncatePosition(value);
        checkBoxMode = (static_cast<int64_t>(m_maximum) - m_minimum) / m_step <= 1;
    } else {
        uint32_t on = 0;
        if (ReadOnOff(driver, on, true, false))
            m_boost = on != 0 ? 20 : 0;
    }
    ShowBoostControl(checkBoxMode);
    if (checkBoxMode) {
        if (auto* box = dynamic_cast<IxSkinButton*>(FindControl(L"BtnEnableBoost")))
            box->SetCheck(m_boost != 0, TRUE);
    } else {
        if (auto* slider = dynamic_cast<IxSkinSlider*>(FindControl(L"Boost"))) {
            slider->SetMaximum(m_maximum);
            slider->SetMinimum(m_minimum);
            slider->SetSmallChange(m_step);
            slider->SetPos(static_cast<float>(m_boost), FALSE);
        }
        SetNumber(L"BoostLowValue", m_minimum, FALSE);
        SetNumber(L"BoostHighValue", m_maximum, FALSE);
        SetNumber(L"BoostValue", m_boost, FALSE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

void CMicInBoostHandler::ShowBoostControl(bool checkBoxMode) {
    if (CxSkinCtrl* slider = FindControl(L"ShowSlider"))
        slider->SetVisible(!checkBoxMode, FALSE);
    if (CxSkinCtrl* box = FindControl(L"ShowCheckBox"))
        box->SetVisible(checkBoxMode, FALSE);
}

void CMicInBoostHandler::SetNumber(const wchar_t* control, int32_t value, BOOL redraw) {
    CxSkinCtrl* ctrl = FindControl(control);
    if (!ctrl)
        return;
    std::wstring text;
    ctrl->SetText(FormatString(text, L"%d", static_cast<int>(value)));
    if (redraw)
        ctrl->Redraw(FALSE);
}

int CMicInBoostHandler::SetBoost(float position) {
    const bool written = WriteBoost(position);
    if (written)
        m_boost = TruncatePosition(position);
    // Also after a refused write, so the read-out goes back to what the device holds.
    SetNumber(L"BoostValue", m_boost, TRUE);
    return written ? 1 : 0;
}

int CMicInBoostHandler::ToggleBoost() {
    float value = 0.0f;
    float next = 0.0f;
    if (ReadBoost(value, true, false))
        next = static_cast<float>(value == 0.0f ? m_maximum : m_minimum);
    SetBoost(next);
    return 1;
}

int CMicInBoostHandler::UpdateFromDriver() {
    IDriverInstance* driver = GetDriver();
    if (!driver || !driver->IsFeatureSupported(L"Boost"))
        return 0;
    if (IsVista()) {
        float live = 0.0f;
        float cached = 0.0f;
        ReadFloat(driver, kCurrent, live, false, false);
        ReadFloat(driver, kCurrent, cached, false, true);
        return xSkinIsNearlyEqual(live, cached, kTolerance) ? 0 : 1;
    }
    uint32_t live = 0;
    uint32_t cached = 0;
    ReadOnOff(driver, live, false, false);
    ReadOnOff(driver, cached, false, true);
    return live != cached ? 1 : 0;
}

int CMicInBoostHandler::OnClick(const std::wstring& name) {
    if (name == L"BtnEnableBoost")
        ToggleBoost();
    return 1;
}

int CMicInBoostHandler::OnSliderChanged(const std::wstring& name, float position, int) {
    return name == L"Boost" ? SetBoost(position) : 0;
}

void CMicInBoostHandler::InitDefaults(int32_t endpointCode) {
    InitDefaults(AppHandlerServices().GetDriver(), endpointCode, theApp.IsVistaOrLater());
}

void CMicInBoostHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode) {
    InitDefaults(driver, endpointCode, theApp.IsVistaOrLater());
}

void CMicInBoostHandler::InitDefaults(IDriverInstance* driver, int32_t endpointCode, bool vistaOrLater) {
    if (!driver)
        return;
    if (vistaOrLater) {
        uint32_t selector = kCurrent;
        float value = 0.0f;
        if (driver->GetEndpointProperty(endpointCode, kKey, &value, kValueFloat, kDefaultNumberSize, &selector,
                                        kValueUInt, sizeof(selector), false, false) == 0)
            return;
        value = 0.0f;
        driver->SetEndpointProperty(endpointCode, kKey, &value, kValueFloat, kDefaultNumberSize, &selector, kValueUInt,
                                    sizeof(selector));
        return;
    }
    // Before Vista the boost is on or off; anything else the device holds is put back to off.
    uint32_t value = 0;
    const bool read = driver->GetEndpointProperty(endpointCode, kKey, &value, kValueUInt, kDefaultNumberSize, nullptr,
                                                  0, 0, true, false) == 0;
    if (read && (value == 0 || value == 1))
        return;
    value = 0;
    driver->SetEndpointProperty(endpointCode, kKey, &value, kValueUInt, kDefaultNumberSize, nullptr, 0, 0);
}
