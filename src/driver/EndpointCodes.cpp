#include "driver/EndpointCodes.h"

#include <algorithm>
#include <iterator>

namespace {

struct EndpointName {
    int32_t code;
    const wchar_t* name;
};

const EndpointName kEndpointNames[] = {
    {kEndpointSpeaker, L"Speaker"},
    {kEndpointMicIn, L"MicIn"},
    {kEndpointLineIn, L"LineIn"},
    {kEndpointSPDIFOut, L"SPDIFOut"},
    {kEndpointHeadPhone, L"HeadPhone"},
    {kEndpointStereoMix, L"StereoMix"},
    {kEndpointHDMI, L"HDMI"},
    {kEndpointDesktopMic, L"DesktopMic"},
    {kEndpointSPDIFInRCA, L"SPDIFInRCA"},
    {kEndpointSpeakerQuarter, L"SpeakerQuarter"},
    {kEndpointSPDIFIn, L"SPDIFIn"},
};

// Names that begin with another name come first, so the longest fitting name wins.
const EndpointName kPrefixOrder[] = {
    {kEndpointSpeakerQuarter, L"SpeakerQuarter"},
    {kEndpointSpeaker, L"Speaker"},
    {kEndpointHeadPhone, L"HeadPhone"},
    {kEndpointSPDIFOut, L"SPDIFOut"},
    {kEndpointMicIn, L"MicIn"},
    {kEndpointDesktopMic, L"DesktopMic"},
    {kEndpointLineIn, L"LineIn"},
    {kEndpointSPDIFInRCA, L"SPDIFInRCA"},
    {kEndpointSPDIFIn, L"SPDIFIn"},
    {kEndpointStereoMix, L"StereoMix"},
    {kEndpointHDMI, L"HDMI"},
};

const int32_t kRenderCodes[] = {kEndpointSpeaker, kEndpointHeadPhone, kEndpointSPDIFOut, kEndpointHDMI,
                                kEndpointSpeakerQuarter};
const int32_t kCaptureCodes[] = {kEndpointMicIn,   kEndpointDesktopMic, kEndpointLineIn,
                                 kEndpointSPDIFIn, kEndpointStereoMix,  kEndpointSPDIFInRCA};

} // namespace

const DeviceKindRow g_DeviceKindTable[kDeviceKindCount] = {
    {kEndpointSpeakerQuarter, L"SpeakersQuarter", L"Out"},
    {kEndpointSpeaker, L"Speakers", L"Out"},
    {kEndpointSPDIFOut, L"SPDIF", L"Out"},
    {kEndpointMicIn, L"Mic", L"In"},
    {kEndpointDesktopMic, L"DesktopMic", L"In"},
    {kEndpointLineIn, L"Line", L"In"},
    {kEndpointSPDIFIn, L"SPDIF", L"In"},
    {kEndpointHeadPhone, L"Headphone", L"Out"},
    {kEndpointStereoMix, L"StereoMix", L"In"},
    {kEndpointAux, L"Aux", L"Out"},
    {kEndpointCDPlayer, L"CDPlayer", L"Out"},
    {kEndpointHDMI, L"HDMI", L"Out"},
};

int32_t EndpointNameToCode(std::wstring_view name) {
    for (const EndpointName& entry : kEndpointNames) {
        if (name == entry.name)
            return entry.code;
    }
    return kEndpointNone;
}

int32_t EndpointPrefixToCode(std::wstring_view text) {
    for (const EndpointName& entry : kPrefixOrder) {
        if (text.starts_with(entry.name))
            return entry.code;
    }
    return kEndpointNone;
}

std::wstring EndpointCodeToName(int32_t code) {
    for (const EndpointName& entry : kEndpointNames) {
        if (entry.code == code)
            return entry.name;
    }
    return L"Unknown";
}

bool IsRenderEndpointCode(int32_t code) {
    return std::find(std::begin(kRenderCodes), std::end(kRenderCodes), code) != std::end(kRenderCodes);
}

bool IsCaptureEndpointCode(int32_t code) {
    return std::find(std::begin(kCaptureCodes), std::end(kCaptureCodes), code) != std::end(kCaptureCodes);
}
