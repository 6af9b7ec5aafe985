#pragma once
// The simulated USB audio device behind the stand-in sysTuneLib: its endpoints with their typed property
// values, the device list the program enumerates, default endpoints and the output terminal, the test sound,
// listen-to-device, the call log, and the state file that keeps settings across restarts like a real driver.
// Every public operation takes the device's own lock: the program calls from several threads at once.
#include "PropertyTable.h"
#include "Scenario.h"
#include "driver/DriverLibraryAbi.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace oc::sim {

struct SimEndpoint {
    ScenarioEndpoint config;
    uint32_t id = 0;
    bool present = true;
    bool listening = false;
    std::set<std::wstring> failing;
    // Stored numbers by "<name>" or "<name>#<qualifier>"; a name missing here reads as never set.
    std::map<std::wstring, double> values;

    oc::driver::DeviceKey Key() const;
    bool Supports(const PropertyDef& def) const;
};

struct TestSoundState {
    bool open = false;
    bool playing = false;
    std::wstring path;
    uint32_t channelMask = 0;
    uint32_t endpointId = 0;
    uint32_t durationMs = 0;
    unsigned serial = 0;
    unsigned plays = 0;
    unsigned endEvents = 0;
};

class SimDevice {
public:
    // Announces a driver event; the library delivers it on its own thread after `delay`.
    using EventSink = std::function<void(int32_t event, uint32_t flags, std::optional<oc::driver::DeviceKey> key,
                                         std::chrono::milliseconds delay)>;
    // Runs a task on the library's thread after a delay (the end of a test wave, saving the state).
    using TimerSink = std::function<void(std::function<void()> task, std::chrono::milliseconds delay)>;

    SimDevice(Scenario scenario, std::wstring statePath, EventSink events, TimerSink timers);

    // --- the library's entry points
    int32_t CreateDeviceList();
    int32_t GetDeviceCount(uint32_t flow, int32_t* count);
    int32_t GetDeviceById(uint32_t flow, uint32_t index, oc::driver::DeviceKey* record);
    int32_t PropertyControl(const oc::driver::DeviceKey* key, const wchar_t* name, void** value, void** arguments,
                            uint8_t write);
    int32_t PlayTestSound(const wchar_t* path, uint32_t channelMask, const oc::driver::DeviceKey* key);
    int32_t StopTestSound();
    int32_t CloseTestSound();
    int32_t Listen(const oc::driver::DeviceKey* key, bool run);
    void Log(const std::wstring& entry);

    // --- the control surface (tests and the control pipe); endpoints by their scenario name
    int32_t SetPresent(const std::wstring& endpoint, bool present);
    int32_t SetRawValue(const std::wstring& endpoint, const std::wstring& valueKey, double value);
    int32_t GetRawValue(const std::wstring& endpoint, const std::wstring& valueKey, double& value);
    int32_t SetFailing(const std::wstring& endpoint, const std::wstring& name, bool failing);
    // Changes the endpoint's virtual-surround effect identifier ("{...}", or "none") and announces it.
    int32_t SetVirtualSurroundEffect(const std::wstring& endpoint, const std::wstring& identifier);
    void SetCreateListFails(bool fails);
    std::vector<std::wstring> CallLog() const;
    void ClearCallLog();
    // How many calls the log has taken since the device was made (the log itself keeps only the latest).
    unsigned long long CallCount() const;
    TestSoundState SoundState() const;
    std::wstring ListeningText() const;
    std::wstring EndpointsText() const;
    std::wstring ScenarioPath() const;
    std::vector<std::wstring> ScenarioErrors() const;

    // Writes the state file now when anything changed since the last save.
    bool SaveState();
    const std::wstring& StatePath() const { return m_statePath; }

    // The relation of the virtual speaker room between a speaker's distance and its level: each is the
    // other's exact inverse over the level range, so the program can go back and forth without drift.
    static int32_t LevelFromDistance(int32_t distance);
    static int32_t DistanceFromLevel(int32_t level);

    struct Call; // one property call in progress (defined in the source)

private:
    using Handler = int32_t (SimDevice::*)(Call& call);
    struct BehaviourHandlers {
        Handler read;
        Handler write;
    };
    static const BehaviourHandlers kHandlers[];

    SimEndpoint* FindById(uint32_t id);
    SimEndpoint* FindByName(const std::wstring& name);
    const SimEndpoint* FindByName(const std::wstring& name) const;
    void FillInitialValues(SimEndpoint& endpoint);
    void LoadState();
    std::string SerializeState() const;
    void MarkDirty();
    void SaveWhenQuiet();
    void Announce(const SimEndpoint& endpoint, const PropertyDef& def, std::chrono::milliseconds delay = {});
    void AnnounceDevice(const SimEndpoint* endpoint, uint32_t flags, std::chrono::milliseconds delay = {});
    void SelectTerminal(int32_t terminal);
    void ChooseDefaults();
    void EndSound(unsigned serial);
    std::wstring DescribeKey(const oc::driver::DeviceKey* key) const;
    void LogLocked(const std::wstring& entry);
    void Complain(const std::wstring& text);

    // Behaviours (see PropertyTable.h); each reads its value into call.reply or writes call's raw bytes.
    int32_t ReadPlain(Call& call);
    int32_t WritePlain(Call& call);
    int32_t WriteReadOnly(Call& call);
    int32_t ReadVolume(Call& call);
    int32_t WriteVolume(Call& call);
    int32_t ReadVolumeScalar(Call& call);
    int32_t WriteVolumeScalar(Call& call);
    int32_t ReadVolumeLimit(Call& call);
    int32_t ReadLevels(Call& call);
    int32_t WriteLevels(Call& call);
    int32_t ReadFormatPart(Call& call);
    int32_t WriteSampleRate(Call& call);
    int32_t WriteBitDepth(Call& call);
    int32_t WriteChannelCount(Call& call);
    int32_t ReadFormat(Call& call);
    int32_t WriteFormat(Call& call);
    int32_t ReadFormatQuery(Call& call);
    int32_t ReadDefaultDevice(Call& call);
    int32_t WriteDefaultDevice(Call& call);
    int32_t ReadOutputTerminal(Call& call);
    int32_t WriteOutputTerminal(Call& call);
    int32_t ReadDeviceText(Call& call);
    int32_t ReadFeatures(Call& call);
    int32_t ReadSpeakerShift(Call& call);
    int32_t ReadVirtualSurround(Call& call);
    int32_t WriteVirtualSurround(Call& call);

    mutable std::mutex m_mutex;
    Scenario m_scenario;
    std::wstring m_statePath;
    EventSink m_events;
    TimerSink m_timers;
    std::vector<SimEndpoint> m_endpoints;
    std::vector<uint32_t> m_list[2]; // ids per flow as of the last CreateDeviceList
    uint32_t m_defaultId[2] = {0, 0};
    int32_t m_terminal = 1;
    bool m_createListFails = false;
    bool m_dirty = false;
    bool m_saveScheduled = false;
    // A stream of writes (speakers turning every step) is saved after it pauses, or at the latest a while
    // after its first unsaved change: a file write per step would cost more than the writes themselves.
    std::chrono::steady_clock::time_point m_firstUnsaved;
    std::chrono::steady_clock::time_point m_lastChange;
    TestSoundState m_sound;
    std::deque<std::wstring> m_callLog;
    unsigned long long m_callCount = 0;
};

} // namespace oc::sim
