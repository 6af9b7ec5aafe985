#pragma once
// The channel, bass management and environment pages on their shipped markup: the tone page fixture with a
// driver that answers selector-argument keys per selector, plays test sounds into a log, and reports the
// device's playable channels and headphone amplifier; the real speaker-test player behind the main handler.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TonePageFixture.h"
#include "app/SoundPlayer.h"

namespace oc::test {

using Log = std::vector<std::wstring>;

class ChannelDriver : public ToneDriver {
public:
    // A key read with an int selector argument is kept as "<key>#<selector>".
    static std::wstring SelectorKey(const wchar_t* name, const void* arguments) {
        return std::wstring(name) + L"#" + std::to_wstring(*static_cast<const int32_t*>(arguments));
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize, void* arguments,
                        int32_t argumentType, uint32_t argumentSize, bool storeInCache, bool fromCache) override {
        if (arguments && argumentSize == sizeof(int32_t))
            return ToneDriver::GetProperty(SelectorKey(name, arguments).c_str(), result, valueType, valueSize, nullptr,
                                           0, 0, storeInCache, fromCache);
        return ToneDriver::GetProperty(name, result, valueType, valueSize, arguments, argumentType, argumentSize,
                                       storeInCache, fromCache);
    }
    int32_t GetDefaultRenderProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize,
                                     void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                     bool fromCache) override {
        return GetProperty(name, result, valueType, valueSize, arguments, argumentType, argumentSize, storeInCache,
                           fromCache);
    }
    uint32_t GetChannelCount(int32_t) override { return m_playable; }
    int32_t HasHeadphoneAmplifier() override { return m_hasAmplifier; }
    bool PlayTestSound(const std::wstring&, int32_t channel) override {
        m_sounds.push_back(L"play " + std::to_wstring(channel));
        return true;
    }
    bool StopTestSound(bool) override {
        m_sounds.push_back(L"stop");
        return true;
    }
    bool CloseTestSound() override { return true; }

    uint32_t m_playable = 8;
    int32_t m_hasAmplifier = 0;
    Log m_sounds;
};

class PlayerMainHandler : public RecordingMainHandler {
public:
    ISoundPlayer* GetSoundPlayer() override { return &m_soundPlayer; }
    CSoundPlayer m_soundPlayer;
};

class ChannelPageTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        services.m_driver = &channel;
        dialog.SetListener(&playerMain);
        waves =
            std::filesystem::temp_directory_path() / ("oc_channel_waves_" + std::to_string(::GetCurrentProcessId()));
        std::filesystem::create_directories(waves);
        for (const char* name : {"L-Front.wav", "R-Front.wav", "L-BackSurround.wav", "R-BackSurround.wav", "Center.wav",
                                 "Subwoofer.wav", "L-Surround.wav", "R-Surround.wav"})
            std::ofstream(waves / name) << "RIFF";
        playerMain.m_soundPlayer.SetDriver(&channel);
        playerMain.m_soundPlayer.SetWaveFolder(waves.wstring() + L"\\");
    }
    void TearDown() override {
        playerMain.m_soundPlayer.SetListener(nullptr);
        TonePageTest::TearDown();
        std::error_code ignored;
        std::filesystem::remove_all(waves, ignored);
    }
    void ClearLogs() {
        channel.m_writes.clear();
        channel.m_sounds.clear();
        playerMain.m_announced.clear();
    }
    bool Visible(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control && control->IsVisible();
    }
    int Selected(const std::wstring& name) const {
        auto* combo = dynamic_cast<IxSkinComboBox*>(Control(name));
        return combo ? combo->GetCurSel() : -99;
    }
    Log Items(const std::wstring& name) const {
        Log items;
        if (auto* combo = dynamic_cast<IxSkinComboBox*>(Control(name))) {
            for (int i = 0; i < combo->GetCount(); ++i)
                items.push_back(combo->GetItemName(i));
        }
        return items;
    }

    PlayerMainHandler playerMain;
    ChannelDriver channel;
    std::filesystem::path waves;
};

} // namespace oc::test
