#pragma once
// The handler of a small modal message that the user can switch off: its exit button ends the dialog, its
// turn-off button flips the message's setting (the first press switches the message off, a second press
// in the same dialog on again) and saves the settings.

#include <string>

#include "app/BaseHandler.h"

class CAppSettings;

class CPromptMsgHandler : public CBaseHandler {
public:
    static constexpr wchar_t kExitButton[] = L"BtnExit";

    void InitControls() override;
    int OnClick(const std::wstring& name) override;

    int IsMessageEnabled() const { return m_enabled; }
    // Tests give the handler their own settings; null goes back to the application's.
    void SetSettings(CAppSettings* settings) { m_settings = settings; }

protected:
    explicit CPromptMsgHandler(const wchar_t* turnOffButton);
    // The setting the turn-off button writes.
    virtual int& Setting(CAppSettings& settings) const = 0;

private:
    CAppSettings* Settings() const;

    int m_enabled = 1;
    const wchar_t* m_turnOffButton;
    CAppSettings* m_settings = nullptr;
};
