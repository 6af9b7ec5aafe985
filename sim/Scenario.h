#pragma once
// What a scenario file says about the simulated device: its identity, its endpoints with their property
// groups, limits and starting values, its hardware buttons, and the failures to inject.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace oc::sim {

struct LevelRange {
    double min = 0;
    double max = 0;
    double step = 1;
    double initial = 0;
};

struct ScenarioEndpoint {
    std::wstring name; // the section's name: how control commands and the state file refer to it
    int32_t code = 0;
    uint32_t flow = 0;
    uint32_t kind = 1;
    std::wstring friendlyName;
    uint32_t features[3] = {0, 0, 0};
    std::set<std::wstring> groups;
    std::set<std::wstring> unsupported;                 // names removed from the groups
    std::set<std::wstring> failing;                     // names whose every call fails
    std::set<std::wstring> unset;                       // names without a value until the first write (a fresh device)
    std::map<std::wstring, std::wstring> initialValues; // "set.<name>[#qualifier] = value"
    uint16_t channels = 2;                              // most channels the endpoint can play
    std::vector<uint32_t> rates{44100, 48000};
    std::vector<uint16_t> bitDepths{16};
    LevelRange volume{-45, 0, 0.5, -15};
    LevelRange analogVolume{-34.5, 12, 0.5, 0};
    LevelRange amplifier{0, 12, 2, 6};
    LevelRange boost{0, 30, 10, 0};
    int32_t terminal = 0; // output terminal type it stands for (1 Speaker, 2 HeadPhone, 3 SPDIF)
    bool jack = false;    // shares the analog jack: present only while its terminal is selected
    bool present = true;
    bool isDefault = false;
    std::wstring virtualSurroundGuid;
};

struct ScenarioButton {
    uint32_t id = 0;
    int32_t code = 0;
    uint32_t flow = 0;
    uint64_t report = 1;
};

struct Scenario {
    std::wstring path;
    std::wstring deviceId = L"usb\\vid_0d8c&pid_0014&mi_00";
    std::wstring codecName = L"USB Audio Codec";
    std::wstring driverVersion = L"1.0.0.0";
    std::wstring firmwareVersion = L"1.00";
    std::wstring directXVersion = L"DirectX 12";
    int32_t terminal = 1;
    uint32_t terminalsAvailable = 7;
    bool createListFails = false;
    bool echoWrites = false; // announce the program's own writes as events, as some drivers do
    bool hid = true;
    std::vector<ScenarioEndpoint> endpoints;
    std::vector<ScenarioButton> buttons;
    std::vector<std::wstring> errors; // what was wrong with the file; the device still loads what it could

    static Scenario Load(const std::wstring& path);
    static Scenario FromText(const std::string& utf8);

    // The four characters after "vid_" and "pid_" of the device ID, lower-case; empty when missing.
    std::wstring VendorId() const;
    std::wstring ProductId() const;
};

// Where the scenario lives: the OC_SIM_SCENARIO environment variable (a path, or a bare name looked up in the
// scenarios folder), else "default" in the scenarios folder under `folder`.
std::wstring ResolveScenarioPath(const std::wstring& scenariosFolder);

// Folder of the module that holds this code, with a trailing backslash.
std::wstring ModuleFolder();

} // namespace oc::sim
