#pragma once
// Stand-ins for what a handler reaches: a driver object that records property writes and reads, services
// that hand a handler that driver, its own language texts and markup controller, and a main-window handler
// that records the announcements and owns a scripted speaker-test player.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "StubDriver.h"
#include "app/BaseHandler.h"
#include "app/HandlerServices.h"
#include "app/IMainHandler.h"
#include "app/ISoundPlayer.h"
#include "driver/IDriverInstance.h"
#include "markup/ILytController.h"

namespace oc::test {

using CallLog = std::vector<std::wstring>;

// Every write is logged as "set <name>=<int>/<type>", every read as "get <name>". Reads answer from
// m_values; a name it does not hold answers m_unknownKeyReadResult, as a device fails a read of an unknown
// key. Endpoint and control-device writes are taken without a record.
class RecordingDriver : public StubDriver {
public:
    RecordingDriver() { m_unknownKeyWriteResult = kDriverOk; }

    int32_t SetProperty(const wchar_t* name, const void* value, int32_t valueType, uint32_t, const void*, int32_t,
                        uint32_t) override {
        const int32_t v = value ? *static_cast<const int32_t*>(value) : -1;
        m_log.push_back(L"set " + std::wstring(name) + L"=" + std::to_wstring(v) + L"/" + std::to_wstring(valueType));
        if (m_journal)
            m_journal->push_back(m_log.back());
        return m_writeResult;
    }
    int32_t GetProperty(const wchar_t* name, void* result, int32_t, uint32_t, void*, int32_t, uint32_t, bool,
                        bool fromCache) override {
        m_log.push_back(L"get " + std::wstring(name) + (fromCache ? L" cached" : L""));
        if (m_journal)
            m_journal->push_back(m_log.back());
        auto it = m_values.find(name);
        if (it == m_values.end())
            return m_unknownKeyReadResult;
        *static_cast<int32_t*>(result) = it->second;
        return kDriverOk;
    }
    std::wstring GetCurrentEndpointName() override { return m_currentEndpoint; }
    // The prefixes the tests use, in the driver's order (the longer "SpeakerQuarter" before "Speaker").
    int32_t EndpointPrefixToCode(const std::wstring& name) override {
        static const std::pair<const wchar_t*, int32_t> prefixes[] = {
            {L"SpeakerQuarter", 12}, {L"Speaker", 1}, {L"HeadPhone", 7}, {L"MicIn", 2}};
        for (const auto& [prefix, code] : prefixes) {
            if (name.rfind(prefix, 0) == 0)
                return code;
        }
        return -1;
    }

    CallLog m_log;
    // Shared with other recorders, to see the order across them.
    CallLog* m_journal = nullptr;
    std::map<std::wstring, int32_t> m_values;
    int32_t m_writeResult = kDriverOk;
    std::wstring m_currentEndpoint = L"Speaker";
};

// Loads nothing but logs what it was asked to load; a test may fill the target itself.
class RecordingController : public ILytController {
public:
    IxSkinObject* LoadFile(const wchar_t*, ILytObject*, const LytRect*) override { return nullptr; }
    int Load(const wchar_t* path, IxSkinObject* parent, const LytRect*) override {
        m_paths.push_back(path);
        return m_onLoad ? m_onLoad(parent) : 0;
    }
    void Release() override {}

    std::vector<std::wstring> m_paths;
    std::function<int(IxSkinObject*)> m_onLoad;
};

class TestServices : public IHandlerServices {
public:
    IDriverInstance* GetDriver() override { return m_driver; }
    ILytController* GetLytController() override { return &m_controller; }
    std::wstring GetSkinFolder() override { return L"Z:\\skin\\"; }
    std::wstring GetLanguageText(const std::wstring& key) override {
        auto it = m_texts.find(key);
        return it == m_texts.end() ? std::wstring() : it->second;
    }
    std::wstring FindLanguageKey(const std::wstring& text) override {
        for (const auto& [key, value] : m_texts) {
            if (value == text)
                return key;
        }
        return {};
    }
    std::wstring TranslateText(const std::wstring& text) override {
        if (text.compare(0, 3, L"ml_") != 0)
            return text;
        const std::wstring found = GetLanguageText(text);
        return found.empty() ? text : found;
    }
    int GetUITransparent() override { return 7; }

    IDriverInstance* m_driver = nullptr;
    RecordingController m_controller;
    std::map<std::wstring, std::wstring> m_texts;
};

// A speaker-test player whose stop takes as long as the test says, on whatever thread calls it.
class ScriptedPlayer : public ISoundPlayer {
public:
    bool IsPlaying() const override { return m_playing.load(); }
    void SetListener(ISoundPlayListener* listener) override { m_listener = listener; }
    int Stop(int waitAfter) override {
        m_stopThread = ::GetCurrentThreadId();
        m_stopWaitAfter = waitAfter;
        if (m_stopDelayMs)
            ::Sleep(m_stopDelayMs);
        m_playing = false;
        ++m_stops;
        return 0;
    }

    std::atomic<bool> m_playing{false};
    ISoundPlayListener* m_listener = nullptr;
    DWORD m_stopDelayMs = 0;
    std::atomic<DWORD> m_stopThread{0};
    std::atomic<int> m_stopWaitAfter{-1};
    std::atomic<int> m_stops{0};
};

// The main window's handler as the other handlers see it: it logs announcements as "<key> <fromSwitch>".
class RecordingMainHandler : public CBaseHandler, public IMainHandler {
public:
    ~RecordingMainHandler() override { WaitForStopWorker(INFINITE); }
    void Release() override { ++m_releases; }

    void ShowInfoDialog() override {}
    void ShowAppSettingDialog() override {}
    void ShowMainWindow() override {}
    void MinimizeMainWindow() override {}
    void CloseMainWindow() override {}
    void ShowAsioPanel() override {}
    int RefreshEffectState(uint64_t, uint32_t) override { return 0; }
    void OpenWithShell(const std::wstring&) override {}
    void SwitchStatusProfilePanel(uint32_t, int) override {}
    void UpdateStatusPanel(const wchar_t* key, int fromSwitch) override {
        m_announced.push_back((key ? key : L"(null)") + std::wstring(L" ") + std::to_wstring(fromSwitch));
        if (m_journal)
            m_journal->push_back(L"announce " + m_announced.back());
    }
    float UpdateMasterVolume() override { return 0.0f; }
    ISoundPlayer* GetSoundPlayer() override { return &m_player; }

    CallLog m_announced;
    CallLog* m_journal = nullptr;
    ScriptedPlayer m_player;
    int m_releases = 0;
};

// A handler as every panel's: the base with a name and the test's services.
class TestHandler : public CBaseHandler {
public:
    explicit TestHandler(std::wstring name = L"TestHandler") { m_name = std::move(name); }
    using CBaseHandler::WaitForStopWorker;
};

} // namespace oc::test
