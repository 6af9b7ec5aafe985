#include "handlers/effects/VirtualHandler.h"

#include <cmath>
#include <cwchar>
#include <utility>

#include "app/HandlerServices.h"
#include "app/UIDialog.h"
#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinSlider.h"
#include "skin/LayerWnd.h"
#include "skin/PanelVirtualSpeaker.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinRadioButton.h"

namespace {

constexpr wchar_t kEnableKey[] = L"Enable_SS_LFX";
constexpr wchar_t kChannelCopyKey[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kChannelCountKey[] = L"DevChannelNumControl";
constexpr wchar_t kSurroundKey[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kRoomPanel[] = L"PanelVSRoom";
constexpr wchar_t kEnableButton[] = L"BtnEnableSpeakerVirtual";
constexpr wchar_t kChannelCopyButton[] = L"ChannelCopy";

// The driver numbers its speaker-shift queries; 28 asks for the level/distance relation.
constexpr int32_t kShiftQuery = 28;
// A distance the driver cannot give is shown as a speaker at a middle distance.
constexpr int32_t kUnreadDistance = 30;

constexpr const wchar_t* kLevelBars[CVirtualHandler::kSpeakerCount] = {
    L"C_dB_Bar", L"LF_dB_Bar", L"LB_dB_Bar", L"LS_dB_Bar", L"RF_dB_Bar", L"RB_dB_Bar", L"RS_dB_Bar", L"W_dB_Bar"};
constexpr const wchar_t* kLevelTexts[CVirtualHandler::kSpeakerCount] = {L"C_dB",  L"LF_dB", L"LB_dB", L"LS_dB",
                                                                        L"RF_dB", L"RB_dB", L"RS_dB", L"W_dB"};
// Kept as the float radians the room was designed with, so that the degrees written are what the
// conversion makes of them (the left back speaker lands on -135, not on a rounded neighbour).
constexpr float kDefaultAngles[CVirtualHandler::kSpeakerCount] = {0.0f,       -0.7853975f, -2.3561925f, -1.570795f,
                                                                  0.7853975f, 2.3561925f,  1.570795f,   0.2617992f};
constexpr int32_t kDefaultDegrees[CVirtualHandler::kSpeakerCount] = {0, -45, -135, -90, 45, 135, 90, 15};

struct ModeButton {
    int mode;
    const wchar_t* button;
    const wchar_t* flag;
};
// In the order the flags are written and read.
constexpr ModeButton kModes[] = {
    {1, L"Clockwise", L"__Clockwise"},
    {2, L"CounterClockwise", L"__CounterClockwise"},
    {3, L"WiseArround", L"__WiseArround"},
    {0, L"Manual", L"__Manual"},
};

// Greyed together while the effect is off.
const wchar_t* const kPageControls[] = {
    L"Clockwise", L"CounterClockwise", L"WiseArround", L"Manual",        L"Reset",       L"BtnSubdB",
    L"BtnAdddB",  L"IMG_VOLUME",       L"ChannelCopy", L"ChannelCopyTB", L"PanelVSRoom", L"LF_title",
    L"LF_dB",     L"LF_dB_text",       L"LF_dB_Bar",   L"RF_title",      L"RF_dB",       L"RF_dB_text",
    L"RF_dB_Bar", L"C_title",          L"C_dB",        L"C_dB_text",     L"C_dB_Bar",    L"W_title",
    L"W_dB",      L"W_dB_text",        L"W_dB_Bar",    L"LB_title",      L"LB_dB",       L"LB_dB_text",
    L"LB_dB_Bar", L"RB_title",         L"RB_dB",       L"RB_dB_text",    L"RB_dB_Bar",   L"LS_title",
    L"LS_dB",     L"LS_dB_text",       L"LS_dB_Bar",   L"RS_title",      L"RS_dB",       L"RS_dB_text",
    L"RS_dB_Bar", L"VSS_Logo"};
static_assert(std::size(kPageControls) == 44);

bool IsAutoRotation(int mode) {
    return mode == 1 || mode == 2;
}

class CLockGuard {
public:
    explicit CLockGuard(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ~CLockGuard() { LeaveCriticalSection(&m_lock); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

} // namespace

const wchar_t* const CVirtualHandler::kAngleKeys[kSpeakerCount] = {L"SS_C_ANGLE",  L"SS_LF_ANGLE", L"SS_LB_ANGLE",
                                                                   L"SS_LS_ANGLE", L"SS_RF_ANGLE", L"SS_RB_ANGLE",
                                                                   L"SS_RS_ANGLE", L"SS_LFE_ANGLE"};
const wchar_t* const CVirtualHandler::kDistanceKeys[kSpeakerCount] = {L"SS_C_DIST",  L"SS_LF_DIST", L"SS_LB_DIST",
                                                                      L"SS_LS_DIST", L"SS_RF_DIST", L"SS_RB_DIST",
                                                                      L"SS_RS_DIST", L"SS_LFE_DIST"};

CVirtualHandler::CVirtualHandler(int32_t endpointCode)
    : m_endpointCode(endpointCode), m_uiThread(GetCurrentThreadId()) {
    m_name = L"VirtualHandler";
    InitializeCriticalSection(&m_lock);
}

CVirtualHandler::~CVirtualHandler() {
    // The page releases its handler before it destroys its children, so the room panel is still whole here
    // and its turning thread could still call into this handler: stopping the turning joins that thread.
    if (CPanelVirtualSpeaker* panel = Panel(); panel && IsAutoRotation(panel->GetMode()))
        panel->SetMode(0);
    DeleteCriticalSection(&m_lock);
}

// ---- conversions ----

int32_t CVirtualHandler::AngleToDegrees(float angle) {
    const double scaled = static_cast<double>(angle) * -57.3;
    if (!std::isfinite(scaled) || std::fabs(scaled) > 2.0e9)
        return 0;
    const int32_t t = static_cast<int32_t>(scaled);
    const int32_t d = 180 - t;
    return d % 360 - 180;
}

int32_t CVirtualHandler::DistanceToDriver(float distance) {
    const double scaled = static_cast<double>(distance) * 50.0;
    if (!std::isfinite(scaled) || scaled < 19.0)
        return 19;
    return scaled > 2.0e9 ? 2000000000 : static_cast<int32_t>(scaled);
}

bool CVirtualHandler::Query(IDriverInstance* driver, const wchar_t* key, int32_t input, int32_t& result) {
    if (!driver)
        return false;
    int32_t arguments[2] = {kShiftQuery, input};
    int32_t answer = 0;
    if (driver->GetProperty(key, &answer, kValueInt, kDefaultNumberSize, arguments, kValueBlock, sizeof arguments, true,
                            false) != 0)
        return false;
    result = answer;
    return true;
}

int CVirtualHandler::GetSpeakerShiftDistanceByDB(int decibels) {
    return GetSpeakerShiftDistanceByDB(AppHandlerServices().GetDriver(), decibels);
}

int CVirtualHandler::GetSpeakerShiftDistanceByDB(IDriverInstance* driver, int decibels) {
    int32_t distance = kUnreadDistance;
    Query(driver, kDistanceQuery, decibels, distance);
    return distance;
}

// ---- small helpers ----

bool CVirtualHandler::ReadSigned(const wchar_t* key, int32_t& value) const {
    IDriverInstance* driver = GetDriver();
    int32_t read = 0;
    if (!driver || driver->GetProperty(key, &read, kValueInt, kDefaultNumberSize, nullptr, 0, 0, true, false) != 0)
        return false;
    value = read;
    return true;
}

bool CVirtualHandler::WriteSigned(const wchar_t* key, int32_t value) const {
    IDriverInstance* driver = GetDriver();
    return driver && driver->SetProperty(key, &value, kValueInt, kDefaultNumberSize, nullptr, 0, 0) == 0;
}

bool CVirtualHandler::Differs(const wchar_t* key, int32_t valueType, int32_t* live) const {
    IDriverInstance* driver = GetDriver();
    if (!driver)
        return false;
    int32_t now = 0;
    int32_t cached = 0;
    driver->GetProperty(key, &now, valueType, kDefaultNumberSize, nullptr, 0, 0, false, false);
    driver->GetProperty(key, &cached, valueType, kDefaultNumberSize, nullptr, 0, 0, false, true);
    if (live)
        *live = now;
    return now != cached;
}

void CVirtualHandler::RedrawOwner() const {
    if (m_owner)
        m_owner->Invalidate(FALSE);
}

CPanelVirtualSpeaker* CVirtualHandler::Panel() const {
    return dynamic_cast<CPanelVirtualSpeaker*>(FindControl(kRoomPanel));
}

int CVirtualHandler::PanelMode() const {
    CPanelVirtualSpeaker* panel = Panel();
    return panel ? panel->GetMode() : 0;
}

void CVirtualHandler::ShowLevel(int index, int decibels, int redraw) const {
    auto* bar = dynamic_cast<IxSkinSlider*>(FindControl(kLevelBars[index]));
    if (!bar)
        return;
    bar->SetPos(static_cast<float>(decibels), redraw);
    if (CxSkinCtrl* text = FindControl(kLevelTexts[index])) {
        wchar_t caption[16];
        swprintf(caption, std::size(caption), L"%d", decibels);
        text->SetText(caption);
    }
}

// ---- geometry and levels ----

int CVirtualHandler::SetSpeakerPosition(int index, float angle, float distance, int done) {
    if (index < 0 || index >= kSpeakerCount)
        return 1;
    WriteSigned(kAngleKeys[index], AngleToDegrees(angle));
    const int32_t driverDistance = DistanceToDriver(distance);
    WriteSigned(kDistanceKeys[index], driverDistance);
    ShowLevel(index, GetSpeakerShiftVolumeLevel(driverDistance), done);
    if (done) {
        if (CxSkinCtrl* text = FindControl(kLevelTexts[index]))
            text->Redraw(FALSE);
    }
    return 1;
}

int CVirtualHandler::OnSpeakerMoved(int index, float angle, float distance, int done) {
    static_cast<IVirtualHandler*>(this)->SetSpeakerPosition(index, angle, distance, done);
    if (index >= 0 && index < kSpeakerCount)
        AnnounceChange(*this, kDistanceKeys[index], 0);
    return 1;
}

int CVirtualHandler::OnSpeakersRotated(const float* angles, int redraw) {
    if (!angles)
        return 1;
    // The status panel and the profile strip are windows: the turning thread leaves them alone and hands
    // the keys it wrote to the user-interface thread, one message for all that pile up before it runs.
    const bool onUiThread = GetCurrentThreadId() == m_uiThread;
    unsigned written = 0;
    bool post = false;
    {
        CLockGuard guard(m_lock);
        IDriverInstance* driver = GetDriver();
        for (int index = 0; driver && index < kSpeakerCount; ++index) {
            const int32_t degrees = AngleToDegrees(angles[index]);
            if (driver->SetEndpointProperty(m_endpointCode, kAngleKeys[index], &degrees, kValueInt, kDefaultNumberSize,
                                            nullptr, 0, 0) == kDriverOk)
                written |= 1u << index;
        }
        // Hidden in the tray or minimised, nobody reads the status panel or the profile strip: showing the
        // window again refreshes both, so the steps meanwhile wake no window at all.
        if (!onUiThread && written && HostShowing()) {
            post = m_pendingAngles == 0;
            m_pendingAngles |= written;
        }
    }
    if (onUiThread) {
        for (int index = 0; index < kSpeakerCount; ++index) {
            if (written & (1u << index))
                AnnounceChange(*this, kAngleKeys[index], 0);
        }
    } else if (post) {
        CPanelVirtualSpeaker* panel = Panel();
        if (!panel || !panel->PostListenerNotice()) {
            CLockGuard guard(m_lock);
            m_pendingAngles = 0; // no window to carry it: the next step tries again
        }
    }
    if (redraw)
        RedrawOwner();
    return 1;
}

bool CVirtualHandler::HostShowing() const {
    const CWnd* host = m_owner ? m_owner->GetHostDialog() : nullptr;
    const HWND hwnd = host ? host->GetSafeHwnd() : nullptr;
    return hwnd && ::IsWindowVisible(hwnd) && !::IsIconic(hwnd);
}

void CVirtualHandler::OnTurningNotice() {
    unsigned pending = 0;
    {
        CLockGuard guard(m_lock);
        pending = std::exchange(m_pendingAngles, 0u);
    }
    for (int index = 0; index < kSpeakerCount; ++index) {
        if (pending & (1u << index))
            AnnounceChange(*this, kAngleKeys[index], 0);
    }
}

void CVirtualHandler::OnPanelRedraw() {
    // On the turning thread: the repaint is the user-interface thread's, so only a message goes there.
    // Nor is the panel drawn: the first step after the window shows again draws the ring where it stands.
    if (!m_owner || !m_owner->IsVisible() || !HostShowing())
        return;
    if (CxSkinCtrl* panel = FindControl(kRoomPanel))
        m_owner->PostMessage(kMsgRedrawOwnControl, reinterpret_cast<WPARAM>(panel), 0);
}

int CVirtualHandler::Reset() {
    CPanelVirtualSpeaker* panel = Panel();
    for (int index = 0; index < kSpeakerCount; ++index) {
        const int32_t degrees = AngleToDegrees(kDefaultAngles[index]);
        if (WriteSigned(kAngleKeys[index], degrees))
            AnnounceChange(*this, kAngleKeys[index], 0);
        const int32_t distance = GetSpeakerShiftDistanceByDB(GetDriver(), kResetDB);
        if (WriteSigned(kDistanceKeys[index], distance))
            AnnounceChange(*this, kDistanceKeys[index], 0);
        ShowLevel(index, kResetDB, 0);
        if (panel)
            panel->SetSpeakerPosition(index, DegreesToAngle(degrees), DistanceToPanel(distance));
    }
    RedrawOwner();
    return 1;
}

int CVirtualHandler::StepSpeakerDB(int step) {
    {
        CLockGuard guard(m_lock);
        CPanelVirtualSpeaker* panel = Panel();
        for (int index = 0; index < kSpeakerCount; ++index) {
            // An unreadable speaker steps from where the refresh shows it, not from distance 0.
            int32_t distance = kUnreadDistance;
            ReadSigned(kDistanceKeys[index], distance);
            const int current = GetSpeakerShiftVolumeLevel(distance);
            int next = current + step;
            next = next < kMinDB ? kMinDB : next > kMaxDB ? kMaxDB : next;
            if (next == current)
                continue;
            // Without the device's distance for the new level the speaker stays where it is.
            int32_t nextDistance = 0;
            if (!Query(GetDriver(), kDistanceQuery, next, nextDistance))
                continue;
            ShowLevel(index, next, 0);
            if (WriteSigned(kDistanceKeys[index], nextDistance))
                AnnounceChange(*this, kDistanceKeys[index], 0);
            if (panel)
                panel->SetSpeakerDistance(index, DistanceToPanel(nextDistance));
        }
    }
    RedrawOwner();
    return 0;
}

void CVirtualHandler::ShowSpeakerLevels() {
    float panelDistances[kSpeakerCount];
    for (int index = 0; index < kSpeakerCount; ++index) {
        int32_t distance = kUnreadDistance;
        ReadSigned(kDistanceKeys[index], distance);
        panelDistances[index] = DistanceToPanel(distance);
        ShowLevel(index, GetSpeakerShiftVolumeLevel(distance), 0);
    }
    // A turning room owns its angles; the driver's would pull the speakers back a step.
    if (CPanelVirtualSpeaker* panel = Panel(); panel && !IsAutoRotation(panel->GetMode())) {
        for (int index = 0; index < kSpeakerCount; ++index) {
            int32_t degrees = kDefaultDegrees[index];
            ReadSigned(kAngleKeys[index], degrees);
            panel->SetSpeakerPosition(index, DegreesToAngle(degrees), panelDistances[index]);
        }
    }
    if (CxSkinCtrl* copy = FindControl(kChannelCopyButton)) {
        IDriverInstance* driver = GetDriver();
        const bool supported = driver && driver->IsFeatureSupported(L"Spaceline") != 0;
        copy->SetVisible(supported ? TRUE : FALSE, FALSE);
        if (CxSkinCtrl* label = FindControl(L"ChannelCopyTB"))
            label->SetVisible(supported ? TRUE : FALSE, FALSE);
        if (supported) {
            uint32_t value = 0;
            uintkey::Read(driver, kChannelCopyKey, value, true, false);
            if (auto* button = dynamic_cast<IxSkinButton*>(copy))
                button->SetCheck(static_cast<int>(value), FALSE);
        }
    }
}

// ---- switch, modes, refresh ----

void CVirtualHandler::InitControls() {
    ShowSpeakerLevels();
    LoadRotationMode(1);
    RedrawOwner();
}

void CVirtualHandler::OnDeactivate() {
    StopRotation(0);
}

int CVirtualHandler::GetEnable() const {
    uint32_t on = 0;
    uintkey::Read(GetDriver(), kEnableKey, on, true, false);
    return static_cast<int>(on);
}

void CVirtualHandler::SetEnableValue(int on) const {
    uintkey::Write(GetDriver(), kEnableKey, on ? 1u : 0u);
}

int CVirtualHandler::IsControlEnabled(const std::wstring& name) {
    for (const wchar_t* control : kPageControls) {
        if (name == control)
            return GetEnable();
    }
    return 1;
}

int CVirtualHandler::OnClick(const std::wstring& name) {
    for (const ModeButton& row : kModes) {
        if (name == row.button) {
            SetRotationMode(row.mode);
            return 1;
        }
    }
    if (name == kEnableButton) {
        SetEnable();
    } else if (name == L"Reset") {
        SetRotationMode(0);
        Reset();
        ApplyRotationMode(1);
    } else if (name == L"BtnSubdB") {
        DecreaseSpeakerDB();
    } else if (name == L"BtnAdddB") {
        IncreaseSpeakerDB();
    } else if (name == kChannelCopyButton) {
        SetChannelCopy();
    }
    return 1;
}

int CVirtualHandler::SetEnable() {
    const int on = GetEnable() ? 0 : 1;
    SetEnableValue(on);
    IDriverInstance* driver = GetDriver();
    uint32_t channels = 0;
    uint32_t surround = 0;
    uintkey::Read(driver, kChannelCountKey, channels, true, false, kChannelCountSize);
    uintkey::Read(driver, kSurroundKey, surround, false, false);
    // Without the room or the surround path a stereo device has nothing to copy channels onto.
    if (!on && surround == 0 && channels == 2) {
        uintkey::Write(driver, kChannelCopyKey, 0);
        AnnounceChange(*this, kChannelCopyKey, 1);
    }
    LoadRotationMode(1);
    RedrawOwner();
    AnnounceChange(*this, kEnableKey, 1);
    return 1;
}

int CVirtualHandler::SetChannelCopy() {
    IDriverInstance* driver = GetDriver();
    uint32_t current = 0;
    uintkey::Read(driver, kChannelCopyKey, current, true, false);
    const uint32_t next = current ? 0 : 1;
    if (uintkey::Write(driver, kChannelCopyKey, next))
        AnnounceChange(*this, kChannelCopyKey, 0);
    if (next)
        ApplyEffectRulePLIIxNeo();
    return 1;
}

int CVirtualHandler::SetRotationMode(int mode) {
    CPanelVirtualSpeaker* panel = Panel();
    if (!panel)
        return 0;
    // The active turning button pressed again stops the turning.
    if (IsAutoRotation(panel->GetMode()) && panel->GetMode() == mode) {
        mode = 0;
        panel->SetMode(0);
        ApplyRotationMode(1);
    }
    for (const ModeButton& row : kModes)
        WriteSigned(row.flag, row.mode == mode ? 1 : 0);
    panel->SetMode(mode);
    return 0;
}

void CVirtualHandler::ApplyRotationMode(int redraw) {
    const int mode = PanelMode();
    for (const ModeButton& row : kModes) {
        if (row.mode != mode)
            continue;
        if (auto* radio = dynamic_cast<CxSkinRadioButton*>(FindControl(row.button)))
            radio->Select(redraw ? TRUE : FALSE);
    }
}

void CVirtualHandler::LoadRotationMode(int setSwitch) {
    const int on = GetEnable();
    if (setSwitch) {
        if (auto* button = dynamic_cast<IxSkinButton*>(FindControl(kEnableButton)))
            button->SetCheck(on, TRUE);
    }
    for (const wchar_t* name : kPageControls) {
        if (CxSkinCtrl* control = FindControl(name))
            control->Enable(IsControlEnabled(name) ? TRUE : FALSE, FALSE);
    }
    if (CPanelVirtualSpeaker* panel = Panel()) {
        int32_t flags[std::size(kModes)] = {};
        for (size_t i = 0; i < std::size(kModes); ++i)
            ReadSigned(kModes[i].flag, flags[i]);
        const int32_t clockwise = flags[0], counter = flags[1], around = flags[2], manual = flags[3];
        // A stored auto-rotation comes back only while the effect is on.
        int mode = 0;
        if (manual == 1)
            mode = 0;
        else if (around == 1)
            mode = 3;
        else if (counter == 1 && on)
            mode = 2;
        else if (clockwise == 1 && on)
            mode = 1;
        panel->SetMode(mode);
    }
    if (on)
        ApplyRotationMode(0);
}

void CVirtualHandler::StopRotation(int persist) {
    CPanelVirtualSpeaker* panel = Panel();
    if (!panel || !IsAutoRotation(panel->GetMode()))
        return;
    if (persist) {
        SetRotationMode(0);
        return;
    }
    // Leaving the page: the stored mode stays so that the next refresh turns the room again.
    panel->SetMode(0);
    ApplyRotationMode(1);
}

int CVirtualHandler::UpdateFromDriver() {
    int32_t on = 0;
    const bool enableDiffers = Differs(kEnableKey, kValueUInt, &on);
    if (on == 0)
        return enableDiffers ? 1 : 0;
    const int mode = PanelMode();
    if (enableDiffers)
        return 1;
    if (!IsAutoRotation(mode)) {
        for (const wchar_t* key : kAngleKeys) {
            if (Differs(key, kValueInt))
                return 1;
        }
    }
    for (int index = 0; index < kSpeakerCount; ++index) {
        int32_t live = 0;
        if (!Differs(kDistanceKeys[index], kValueInt, &live))
            continue;
        if (IsAutoRotation(mode)) {
            if (CPanelVirtualSpeaker* panel = Panel())
                panel->SetSpeakerDistance(index, DistanceToPanel(live));
        }
        return 1;
    }
    return Differs(kChannelCopyKey, kValueUInt) ? 1 : 0;
}

// ---- start-up defaults ----

void CVirtualHandler::InitDefaults(int32_t endpointCode) {
    WriteDefaults(AppHandlerServices().GetDriver(), endpointCode);
}

void CVirtualHandler::WriteDefaults(IDriverInstance* driver, int32_t endpointCode) {
    // The switch off first, then the room's speakers where they were designed.
    const uintkey::Default off[] = {{kEnableKey, 0}};
    if (!uintkey::WriteDefaults(driver, endpointCode, kEnableKey, off))
        return;
    const int32_t distance = GetSpeakerShiftDistanceByDB(driver, kResetDB);
    for (int index = 0; index < kSpeakerCount; ++index) {
        const int32_t degrees = AngleToDegrees(kDefaultAngles[index]);
        driver->SetEndpointProperty(endpointCode, kAngleKeys[index], &degrees, kValueInt, kDefaultNumberSize, nullptr,
                                    0, 0);
        driver->SetEndpointProperty(endpointCode, kDistanceKeys[index], &distance, kValueInt, kDefaultNumberSize,
                                    nullptr, 0, 0);
    }
}
