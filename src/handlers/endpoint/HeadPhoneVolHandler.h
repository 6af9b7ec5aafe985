#pragma once
// The headphone page: its levels and mute are part of the main window's master level and master mute, so
// the main window refreshes those after each change here.
#include "handlers/endpoint/VolHandler.h"

class CHeadPhoneVolHandler : public CVolHandler {
public:
    CHeadPhoneVolHandler() { m_name = L"HeadPhoneVolHandler"; }

    int OnSliderChanged(const std::wstring& name, float pos, int done) override {
        const int result = CVolHandler::OnSliderChanged(name, pos, done);
        RefreshMainSpeakerVolume();
        return result;
    }
    int OnTextCommitted(const std::wstring& name, const std::wstring& text) override {
        const int result = CVolHandler::OnTextCommitted(name, text);
        RefreshMainSpeakerVolume();
        return result;
    }
    int OnClick(const std::wstring& name) override {
        const int result = CVolHandler::OnClick(name);
        RefreshMainMuteButton();
        return result;
    }
};
