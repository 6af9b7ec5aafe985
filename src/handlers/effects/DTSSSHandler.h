#pragma once
// The DTS Surround Sensation page: the switch, speaker or headphone output, the content type, the two
// sound-stage sliders (speakers only), the LFE mix and dialog clarity with its gain. The effect works on a
// two-channel output only; elsewhere the page shows its warning. Every value is read from the driver when
// needed: the handler keeps no state of its own.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

class IDTSSSHandler {
public:
    virtual int SetEnable() = 0;
    virtual uint32_t GetEnable() = 0;
    virtual int SetUseHeadphone(uint32_t value) = 0;
    virtual uint32_t GetUseHeadphone() = 0;
    virtual int SetContentType(uint32_t value) = 0;
    virtual uint32_t GetContentType() = 0;
    virtual int SetExpansionFactor(uint32_t value) = 0;
    virtual uint32_t GetExpansionFactor() = 0;
    virtual int SetSpeakerAngle(uint32_t value) = 0;
    virtual uint32_t GetSpeakerAngle() = 0;
    virtual int SetMixLFE(uint32_t value) = 0;
    virtual uint32_t GetMixLFE() = 0;
    virtual int SetDialogClarity(uint32_t value) = 0;
    virtual uint32_t GetDialogClarity() = 0;
    virtual int SetDialogClarityGain(uint32_t value) = 0;
    virtual uint32_t GetDialogClarityGain() = 0;

protected:
    ~IDTSSSHandler() = default;
};

class CDTSSSHandler : public CBaseHandler, public IDTSSSHandler {
public:
    CDTSSSHandler();

    // Start-up defaults, written only where the endpoint's switch cannot be read.
    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    // IDTSSSHandler: setters return the driver's result of the write (0 on success); failed reads give 0.
    int SetEnable() override;
    uint32_t GetEnable() override;
    int SetUseHeadphone(uint32_t value) override;
    uint32_t GetUseHeadphone() override;
    int SetContentType(uint32_t value) override;
    uint32_t GetContentType() override;
    int SetExpansionFactor(uint32_t value) override;
    uint32_t GetExpansionFactor() override;
    int SetSpeakerAngle(uint32_t value) override;
    uint32_t GetSpeakerAngle() override;
    int SetMixLFE(uint32_t value) override;
    uint32_t GetMixLFE() override;
    int SetDialogClarity(uint32_t value) override;
    uint32_t GetDialogClarity() override;
    int SetDialogClarityGain(uint32_t value) override;
    uint32_t GetDialogClarityGain() override;

    void UpdateDiagrams(BOOL redraw);

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int IsControlEnabled(const std::wstring& name) override;
    // Listeners
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int done) override;

private:
    uint32_t Read(const wchar_t* key) const;
    int Write(const wchar_t* key, uint32_t value) const;
    // Writes a level or selection and tells the status panel whether or not the write went through.
    int WriteAndAnnounce(const wchar_t* key, uint32_t value) const;
    void CheckButton(const wchar_t* name, uint32_t on, BOOL redraw) const;
    void SelectRadio(const wchar_t* name) const;
    void SetSlider(const wchar_t* name, uint32_t value) const;
    void EnableCanvas(const wchar_t* name, uint32_t enable, BOOL redraw) const;
    void RedrawOwner() const;
};

class CHeadPhoneDTSSSHandler : public CDTSSSHandler {
public:
    CHeadPhoneDTSSSHandler() { m_name = L"HeadPhoneDTSSSHandler"; }
};

class CSpeakerDTSSSHandler : public CDTSSSHandler {
public:
    CSpeakerDTSSSHandler() { m_name = L"SpeakerDTSSSHandler"; }
};
