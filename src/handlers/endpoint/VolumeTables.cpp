#include "handlers/endpoint/VolumeTables.h"

const std::array<BalancePairNames, 12> g_BalancePairTable = {{
    {L"LeftChannel", L"LdB", L"RightChannel", L"RdB", L"Balance"},
    {L"RightChannel", L"RdB", L"LeftChannel", L"LdB", L"Balance"},
    {L"AALeft", L"AALdB", L"AARight", L"AARdB", L"AABalance"},
    {L"AARight", L"AARdB", L"AALeft", L"AALdB", L"AABalance"},
    {L"FrontLeft", L"LFdB", L"FrontRight", L"RFdB", L"FrontBalance"},
    {L"FrontRight", L"RFdB", L"FrontLeft", L"LFdB", L"FrontBalance"},
    {L"RearLeft", L"LBdB", L"RearRight", L"RBdB", L"RearBalance"},
    {L"RearRight", L"RBdB", L"RearLeft", L"LBdB", L"RearBalance"},
    {L"CWLeft", L"CdB", L"CWRight", L"WdB", L"CWBalance"},
    {L"CWRight", L"WdB", L"CWLeft", L"CdB", L"CWBalance"},
    {L"SideLeft", L"LSdB", L"SideRight", L"RSdB", L"SideBalance"},
    {L"SideRight", L"RSdB", L"SideLeft", L"LSdB", L"SideBalance"},
}};

const std::array<VolumedBNames, 12> g_VolumedBTable = {{
    {L"LdB", L"LeftChannel"},
    {L"RdB", L"RightChannel"},
    {L"AALdB", L"AALeft"},
    {L"AARdB", L"AARight"},
    {L"LFdB", L"FrontLeft"},
    {L"RFdB", L"FrontRight"},
    {L"LBdB", L"RearLeft"},
    {L"RBdB", L"RearRight"},
    {L"CdB", L"CWLeft"},
    {L"WdB", L"CWRight"},
    {L"LSdB", L"SideLeft"},
    {L"RSdB", L"SideRight"},
}};

BalancePair FindBalancePair(const std::wstring& sliderName) {
    for (const BalancePairNames& row : g_BalancePairTable) {
        if (sliderName == row.slider)
            return {row.slider, row.dBBox, row.partnerSlider, row.partnerdBBox, row.balanceButton};
    }
    return {};
}

VolumedBPair FindVolumedBPair(const std::wstring& boxName) {
    for (const VolumedBNames& row : g_VolumedBTable) {
        if (boxName == row.dBBox)
            return {row.dBBox, row.slider};
    }
    return {};
}
