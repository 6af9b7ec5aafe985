#pragma once
// The name tables that tie a volume page's controls together: each channel slider with its dB box, its
// partner channel and the lock button of the pair, and each dB box with its slider. Rows 4 to 11 of the dB
// table are the speaker page's channels in the driver's channel order.
#include <array>
#include <string>

struct BalancePair {
    std::wstring slider;
    std::wstring dBBox;
    std::wstring partnerSlider;
    std::wstring partnerdBBox;
    std::wstring balanceButton;
};

struct VolumedBPair {
    std::wstring dBBox;
    std::wstring slider;
};

struct BalancePairNames {
    const wchar_t* slider;
    const wchar_t* dBBox;
    const wchar_t* partnerSlider;
    const wchar_t* partnerdBBox;
    const wchar_t* balanceButton;
};

struct VolumedBNames {
    const wchar_t* dBBox;
    const wchar_t* slider;
};

// Each pair is listed from both sides, so either channel can be the one the user moved.
extern const std::array<BalancePairNames, 12> g_BalancePairTable;
extern const std::array<VolumedBNames, 12> g_VolumedBTable;

// The first row whose slider is the name (exact, case-sensitive); five empty names when none is.
BalancePair FindBalancePair(const std::wstring& sliderName);
// The row of the dB box; two empty names when none is.
VolumedBPair FindVolumedBPair(const std::wstring& boxName);
