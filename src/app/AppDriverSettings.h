#pragma once
// The driver object's view of setting.ini: the last content panel, the device's friendly name and the
// listen-to-device switches, read from and written to the application's settings object.
#include "driver/DriverEnvironment.h"

class COvercoatApp;

class CAppDriverSettings final : public IDriverSettings {
public:
    explicit CAppDriverSettings(const COvercoatApp& app) : m_app(app) {}
    CAppDriverSettings(const CAppDriverSettings&) = delete;
    CAppDriverSettings& operator=(const CAppDriverSettings&) = delete;

    // The settings object is freed at exit before the driver object is released: every call copes with
    // its absence by reading defaults and storing nothing.
    std::wstring GetLastApoName() override;
    void SetAudioDevice(const std::wstring& name) override;
    int32_t GetListenToDevice(ListenSource source) override;

private:
    const COvercoatApp& m_app;
};
