#pragma once
// The volume page of one endpoint: mute, the level of each channel on a slider (0..100 for the driver's
// 0..1) and in a dB box, the balance lock of each channel pair, and the listen-to-device switch of the
// inputs. The endpoint pages derive from it.
#include <string>

#include "app/BaseHandler.h"
#include "driver/PropertyValue.h"
#include "handlers/endpoint/IVolHandler.h"
#include "handlers/endpoint/VolumeTables.h"

class IVolumePageServices;

class CVolHandler : public CBaseHandler, public IVolHandler {
public:
    // Levels closer than this (0..1) count as unchanged: the driver rounds the scalar it reports.
    static constexpr float kScalarTolerance = 0.0019f;

    CVolHandler();

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float pos, int done) override;
    int OnTextCommitted(const std::wstring& name, const std::wstring& text) override;
    int OnTextChanged(const std::wstring& name, const std::wstring& text) override;

    // IVolHandler
    int SetMute(const std::wstring& name, int on) override;
    int SetBalance(const std::wstring& name, int on) override;
    int SetVolumeScalar(const std::wstring& name, int channel, float value) override;
    int SetVolumedB(const std::wstring& name, int channel, float dB) override;
    int SetSliderPos(const std::wstring& name, float pos) override;
    int SetControlText(const std::wstring& name, const std::wstring& text) override;
    int RefreshVolumeScalar(const std::wstring& name) override;
    int SetControlCheck(const std::wstring& name, int check) override;
    int RefreshVolume(const std::wstring& sliderName) override;
    int GetMute(const std::wstring& name) override;
    int Reserved() override { return 0; }
    int GetBalance(const std::wstring& name) override;

    // The level of the name's path and channel, scalar (0..1) or dB; 0.0 when the read fails.
    float ReadVolume(const std::wstring& name, int channel, int scalar);
    // The dB range of the name's path; 0.0 when the read fails.
    float GetVolumeRange(const std::wstring& name, int max);
    float ReadVolumeRange(const std::wstring& name, float value);
    static std::wstring FormatVolumedB(float value);
    std::wstring FormatClampedVolumedB(const std::wstring& name, float value);
    void ShowVolumeRangeError(const std::wstring& name);
    static BalancePair FindBalanceRow(const std::wstring& sliderName) { return FindBalancePair(sliderName); }
    static VolumedBPair FindVolumedBRow(const std::wstring& boxName) { return FindVolumedBPair(boxName); }
    // The dB entry rules: digits, one "." and a "-" only in front; a lone "-" or "." is no number.
    static bool IsValiddBText(const std::wstring& text);

    // Tests give a page their own application services; null goes back to the application's.
    void SetPageServices(IVolumePageServices* services) { m_pageServices = services; }

protected:
    IVolumePageServices& PageServices() const;
    // The channel index in the control's Tag; 0 when the control is missing.
    int GetChannel(const std::wstring& name) const;
    // A float or int driver value of the current device, with the channel (a signed number) as argument when
    // one is given. Numbers of the default width; an int is signed unless the type says otherwise.
    bool ReadFloat(const wchar_t* key, float& value, const int* channel, bool storeInCache = true,
                   bool fromCache = false) const;
    bool ReadInt(const wchar_t* key, int& value, int32_t valueType = kValueInt, bool storeInCache = true,
                 bool fromCache = false) const;
    // Live against cached, exactly; a read that fails counts as 0 on its side.
    bool IsIntChanged(const wchar_t* key, int32_t valueType = kValueInt) const;
    template <class T> T* FindAs(const std::wstring& name) const { return dynamic_cast<T*>(FindControl(name)); }
    void RedrawControl(const std::wstring& name);
    // Enables or greys the control without a redraw; a missing control is skipped.
    void EnableOnly(const std::wstring& name, bool enable);
    void RedrawOwner();
    void RefreshMainSpeakerVolume();
    void RefreshMainMuteButton();
    // The partner of a locked pair follows a moved slider (scalar difference) or a typed dB (dB difference).
    void FollowSlider(const BalancePair& row, float pos, float old, float partnerOld);
    void FollowdB(const std::wstring& sliderName, float value, float old);
    // Puts the slider's knob at the level the device reports; a level it does not report greys the slider
    // with its knob at the bottom. False when the level could not be read.
    bool ShowSliderLevel(const std::wstring& name, int channel);
    // Greys the channel controls of an endpoint whose level cannot be set.
    void DisableChannelControls();
    // The page that shows no volume for its endpoint (S/PDIF in before Vista, S/PDIF out without level).
    bool HasNoVolume();
    static const wchar_t* ScalarKey(const std::wstring& name);
    static const wchar_t* dBKey(const std::wstring& name);
    static bool IsAAName(const std::wstring& name);

    int m_nMicInListen = 0;
    int m_nLineInListen = 0;
    int m_nAuxInListen = 0;

private:
    void ToggleListenToDevice();
    IVolumePageServices* m_pageServices = nullptr;
};
