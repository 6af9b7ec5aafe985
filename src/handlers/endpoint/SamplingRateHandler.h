#pragma once
// The sampling-rate page of an endpoint: the stream format of the device as one of the table's rates, a bit
// depth, or one of the two encoded outputs. Only the rates and depths the device accepts at its present
// channel count are offered; the offered rate choices are packed into the markup's first places, so a
// device with few rates shows no holes.

#include <array>
#include <cstdint>
#include <string>

#include "app/BaseHandler.h"
#include "handlers/endpoint/ISamplingRateHandler.h"

struct SamplingRateRow {
    int rateHz;
    const wchar_t* canvas;
    const wchar_t* radio;
    const wchar_t* diagram;
};

inline constexpr int kSamplingRateCount = 7;
extern const SamplingRateRow g_SamplingRateTable[kSamplingRateCount];

class CSamplingRateHandler : public CBaseHandler, public ISamplingRateHandler {
public:
    CSamplingRateHandler();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int OnClick(const std::wstring& name) override;

    // ISamplingRateHandler
    int SetSampleRate(int rateHz) override;
    int GetSampleRate() override;
    int SetBitDepth(uint16_t depth) override;
    uint16_t GetBitDepth() override;
    int IsDolbyDigitalLiveSupported() override;
    int SetDolbyDigitalLive(int on) override;
    int GetDolbyDigitalLive() override;
    int IsDTSInteractiveSupported() override;
    int SetDTSInteractive(int on) override;
    int GetDTSInteractive() override;

    // Whether the device accepts the format; a failed query counts as not accepted.
    bool IsFormatSupported(uint16_t channels, uint16_t depth, uint32_t rateHz) const;
    // The device's present channel count; 0 when it cannot be read.
    uint16_t GetChannelCount() const;

protected:
    void SaveRatePositions();
    void ShowSupportedRates();
    void UpdateDepthCanvases(bool enabled);
    void ShowRateDiagram();
    void ShowDepthDiagram();

private:
    uint32_t ReadUnsigned(const wchar_t* key, uint32_t size, bool& ok) const;
    int SetSwitch(const wchar_t* key, int on);
    int GetSwitch(const wchar_t* key, int supported);
    void ShowControl(const std::wstring& name, bool show);
    void SetControlEnabled(const std::wstring& name, bool enabled);
    void SelectRadio(const std::wstring& name);
    void AnnounceFormat();
    // The device streams one format at a time: switches DTS Interactive (dts) or Dolby Digital Live on and the
    // other one off.
    void ChooseEncodedOutput(bool dts);
    // Back to PCM: every encoded output that is on is switched off.
    void LeaveEncodedOutputs();

    std::array<POINT, kSamplingRateCount> m_ratePositions{};
    int m_positionsSaved = 0;
};
