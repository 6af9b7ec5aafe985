#pragma once
// The status panel: a read-only summary of the device's default endpoints (their names, the channel
// configuration, the sampling rate) and one icon per sound effect the default endpoint supports, lit while
// that effect is on. Everything shown is read from the driver each time, so the handler keeps no state.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"
#include "app/MainPanelHandlers.h"

class CxSkinCtrl;

class CPanelStatusHandler : public CBaseHandler, public IStatusPanelHandler {
public:
    // Rows 11 to 16 of the effect table belong to the default capture endpoint, 17 to 39 to the default
    // render endpoint; rows below 11 are the endpoint names and carry no effect.
    static constexpr int kFirstCaptureEffectRow = 11;
    static constexpr int kFirstRenderEffectRow = 17;
    static constexpr int kEffectRowCount = 40;

    CPanelStatusHandler();
    ~CPanelStatusHandler() override = default;

    // IHandler
    void InitControls() override { Initialize(); }
    int UpdateFromDriver() override { return RefreshUI(); }
    // IStatusPanelHandler
    void OnControlChanged(const std::wstring& propertyKey) override { OnControlChanged(std::wstring(), propertyKey); }

    void Initialize();
    // Nonzero when a value the panel shows differs between the device and the driver's cache.
    int RefreshUI();
    void OnControlChanged(const std::wstring& text, const std::wstring& propertyKey);
    // Re-translates the panel's texts after a language switch.
    void ClosePanel();

    // The endpoint-mask bit of an endpoint code, as the profile files store it.
    static uint32_t EndpointCodeToMask(int32_t endpointCode);

    void UpdateMethodText();
    // Answers the last channel icon it handled (null when none exists).
    CxSkinCtrl* UpdateChannelIcon();
    void UpdateSampleRateText();
    bool IsEffectAvailable(int row) const;
    int GetEffectIconIndex(int row) const;
    void UpdateEffectIcons();
    void LayoutEffectGroups();

private:
    int ReadRenderChannels() const;
};
