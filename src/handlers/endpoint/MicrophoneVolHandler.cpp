#include "handlers/endpoint/MicrophoneVolHandler.h"

#include "driver/IDriverInstance.h"
#include "skin/SkinCtrl.h"

namespace {

struct EffectKey {
    const wchar_t* feature;
    const wchar_t* key;
};

constexpr EffectKey kNoiseEffects[] = {
    {L"MicInAEC", L"Enable_AEC_LFX"},
    {L"MicInBeamForming", L"Enable_MICARRAY_LFX"},
    {L"MicInNoiseReduction", L"Enable_NOISEREDUCTION_LFX"},
};

constexpr const wchar_t* kMonoHidden[] = {L"RightChannel", L"RdB",   L"Balance",   L"LeftTB",   L"RightTB",
                                          L"AARight",      L"AARdB", L"AABalance", L"AALeftTB", L"AARightTB"};

struct FixedPosition {
    const wchar_t* name;
    int x;
    int y;
};

// Where the one-channel layout of the page's markup puts the remaining controls.
constexpr FixedPosition kMonoPositions[] = {
    {L"LeftChannel", 90, 31}, {L"AALeft", 90, 31},  {L"LdB", 85, 251},   {L"AALdB", 85, 251},
    {L"Mute", 95, 275},       {L"AAMute", 95, 275}, {L"dBTB", 129, 255}, {L"AAdBTB", 129, 255},
};

} // namespace

void CMicrophoneVolHandler::UpdateEffectButtons() {
    IDriverInstance* driver = GetDriver();
    int value = 0;
    for (const EffectKey& effect : kNoiseEffects) {
        if (value == 1)
            break;
        if (driver && driver->IsFeatureSupported(effect.feature)) {
            int read = 0;
            value = ReadInt(effect.key, read, kValueUInt) ? read : 0;
        }
    }
    EnableOnly(L"Balance", value == 0);
    if (value == 1) {
        SetBalance(L"Balance", 1);
        // The effects run on both channels: they start equal.
        int channel = 0;
        float level = 0.0f;
        if (ReadFloat(L"VolumeScalarControl", level, &channel))
            SetVolumeScalar(L"RightChannel", 1, level);
    } else {
        SetBalance(L"Balance", GetBalance(L"Balance"));
    }
}

void CMicrophoneVolHandler::ApplyMonoLayout() {
    for (const wchar_t* name : kMonoHidden) {
        if (CxSkinCtrl* control = FindControl(name))
            control->SetVisible(FALSE, FALSE);
    }
    for (const FixedPosition& place : kMonoPositions) {
        if (CxSkinCtrl* control = FindControl(place.name))
            control->MoveTo(place.x, place.y);
    }
}

void CMicrophoneVolHandler::CheckMonoDevice() {
    float level = 0.0f;
    int left = 0;
    int right = 1;
    const bool leftRead = ReadFloat(L"VolumeControl", level, &left);
    const bool rightRead = ReadFloat(L"VolumeControl", level, &right);
    if (!leftRead || !rightRead)
        ApplyMonoLayout();
}

void CMicrophoneVolHandler::InitControls() {
    InitAAPath();
    IDriverInstance* driver = GetDriver();
    if (driver && driver->IsFeatureSupported(L"MicInENC")) {
        EnableOnly(L"Balance", false);
        if (!GetBalance(L"Balance"))
            SetBalance(L"Balance", 1);
    } else {
        UpdateEffectButtons();
    }
    CheckMonoDevice();
    CVolHandler::InitControls();
}

int CMicrophoneVolHandler::UpdateFromDriver() {
    for (const wchar_t* key : {L"Enable_NOISEREDUCTION_LFX", L"Enable_MICARRAY_LFX", L"Enable_AEC_LFX"}) {
        if (IsIntChanged(key, kValueUInt))
            return 1;
    }
    return CVolHandler::UpdateFromDriver();
}
