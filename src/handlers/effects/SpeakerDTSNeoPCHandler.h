#pragma once
// The DTS Neo:PC up-mix page of the speaker outputs: the twin of the Pro Logic IIx page without the
// panorama switch, drawing the same sound-field picture.

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"

class IDriverInstance;

class ISpeakerDTSNeoPCHandler {
public:
    virtual int SetEnable() = 0;
    virtual int SetCenterGain(uint32_t value, int notify) = 0;
    virtual int SetDimension(uint32_t value, int notify) = 0;
    virtual int Reset() = 0;

protected:
    ~ISpeakerDTSNeoPCHandler() = default;
};

class CSpeakerDTSNeoPCHandler : public CBaseHandler, public ISpeakerDTSNeoPCHandler {
public:
    CSpeakerDTSNeoPCHandler() { m_name = L"SpeakerDTSNeoPC"; }

    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    int SetEnable() override;
    int SetCenterGain(uint32_t value, int notify) override;
    int SetDimension(uint32_t value, int notify) override;
    int Reset() override;

    int SetMusicMode();
    int SetMovieMode();
    void ApplyControlStates(BOOL readEnable, BOOL redraw);
    void DrawSoundField(BOOL redraw);

    // IHandler
    void InitControls() override;
    int UpdateFromDriver() override;
    int IsControlEnabled(const std::wstring& name) override;
    int OnClick(const std::wstring& name) override;
    int OnSliderChanged(const std::wstring& name, float position, int notify) override;

private:
    int SetMode(uint32_t mode);
    int SetLevel(const wchar_t* key, uint32_t value, int notify);
};
