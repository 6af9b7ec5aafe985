#include "SimLibrary.h"

#include "IniText.h"

#include <windows.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

namespace oc::sim {
namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH * 4];
    DWORD length = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
    return length > 0 && length < std::size(value) ? std::wstring(value, length) : std::wstring();
}

using Arguments = std::vector<std::wstring>;
using Command = std::function<bool(SimLibrary&, const Arguments&, std::wstring&)>;

bool ResultReply(int32_t result, std::wstring& reply) {
    reply = result == oc::driver::kSimOk ? L"ok" : L"error " + std::to_wstring(result);
    return result == oc::driver::kSimOk;
}

bool ParseLong(const std::wstring& text, long long& value) {
    return ParseInteger(text, value);
}

// Forwards a button press to the stand-in PLHID loaded in the same process.
bool PressButton(const Arguments& args, std::wstring& reply) {
    long long id = 0;
    if (!ParseLong(args[1], id)) {
        reply = L"error button id";
        return false;
    }
    HMODULE hid = GetModuleHandleW(L"PLHID_X64.dll");
    auto press =
        hid ? reinterpret_cast<int32_t (*)(uint32_t)>(reinterpret_cast<void*>(GetProcAddress(hid, "SimHidPress")))
            : nullptr;
    if (!press) {
        reply = L"error the HID library is not loaded";
        return false;
    }
    return ResultReply(press(static_cast<uint32_t>(id)), reply);
}

struct CommandRow {
    size_t arguments; // words after the verb
    Command run;
};

const std::map<std::wstring, CommandRow>& Commands() {
    static const std::map<std::wstring, CommandRow> commands = {
        {L"ping", {0, [](SimLibrary&, const Arguments&, std::wstring& reply) { return reply = L"pong", true; }}},
        {L"event",
         {2,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              long long event = 0;
              long long flags = 0;
              if (!ParseLong(args[1], event) || !ParseLong(args[2], flags))
                  return reply = L"error number", false;
              library.FireEvent(static_cast<int32_t>(event), static_cast<uint32_t>(flags));
              return reply = L"ok", true;
          }}},
        {L"plug",
         {2,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              return ResultReply(library.Device().SetPresent(args[1], args[2] != L"0"), reply);
          }}},
        {L"set",
         {3,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              double value = 0;
              if (!ParseNumber(args[3], value))
                  return reply = L"error number", false;
              return ResultReply(library.Device().SetRawValue(args[1], args[2], value), reply);
          }}},
        {L"get",
         {2,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              double value = 0;
              int32_t result = library.Device().GetRawValue(args[1], args[2], value);
              if (result != oc::driver::kSimOk)
                  return ResultReply(result, reply);
              std::wostringstream text;
              text << value;
              reply = text.str();
              return true;
          }}},
        {L"fail",
         {3,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              return ResultReply(library.Device().SetFailing(args[1], args[2], args[3] != L"0"), reply);
          }}},
        {L"surroundfx",
         {2,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              return ResultReply(library.Device().SetVirtualSurroundEffect(args[1], args[2]), reply);
          }}},
        {L"failcreate",
         {1,
          [](SimLibrary& library, const Arguments& args, std::wstring& reply) {
              library.Device().SetCreateListFails(args[1] != L"0");
              return reply = L"ok", true;
          }}},
        {L"press",
         {1, [](SimLibrary&, const Arguments& args, std::wstring& reply) { return PressButton(args, reply); }}},
        {L"log",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              for (const auto& entry : library.Device().CallLog())
                  reply += entry + L"\n";
              return true;
          }}},
        {L"calls",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              return reply = std::to_wstring(library.Device().CallCount()), true;
          }}},
        {L"clearlog",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              library.Device().ClearCallLog();
              return reply = L"ok", true;
          }}},
        {L"sound",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              TestSoundState sound = library.Device().SoundState();
              reply = std::wstring(sound.playing ? L"playing" : L"idle") + L" plays=" + std::to_wstring(sound.plays) +
                      L" ends=" + std::to_wstring(sound.endEvents) + L" mask=" + std::to_wstring(sound.channelMask) +
                      L" duration=" + std::to_wstring(sound.durationMs) + L" path=" + sound.path;
              return true;
          }}},
        {L"listen",
         {0, [](SimLibrary& library, const Arguments&,
                std::wstring& reply) { return reply = library.Device().ListeningText(), true; }}},
        {L"endpoints",
         {0, [](SimLibrary& library, const Arguments&,
                std::wstring& reply) { return reply = library.Device().EndpointsText(), true; }}},
        {L"asio",
         {0, [](SimLibrary& library, const Arguments&,
                std::wstring& reply) { return reply = std::to_wstring(library.OpenAsioPanels()), true; }}},
        {L"scenario",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              reply = library.Device().ScenarioPath() + L"\n";
              for (const auto& error : library.Device().ScenarioErrors())
                  reply += L"error: " + error + L"\n";
              return true;
          }}},
        {L"save",
         {0,
          [](SimLibrary& library, const Arguments&, std::wstring& reply) {
              bool saved = library.Device().SaveState();
              return ResultReply(saved ? int32_t{oc::driver::kSimOk} : int32_t{oc::driver::kSimBadFile}, reply);
          }}},
    };
    return commands;
}

} // namespace

SimLibrary::SimLibrary() {
    Scenario scenario = Scenario::Load(ResolveScenarioPath(ModuleFolder() + L"scenarios\\"));
    std::wstring statePath = StatePathFor(scenario.path);
    m_device = std::make_unique<SimDevice>(
        std::move(scenario), statePath,
        [this](int32_t event, uint32_t flags, std::optional<oc::driver::DeviceKey> key,
               std::chrono::milliseconds delay) { m_pump.Post([=, this] { Deliver(event, flags, key); }, delay); },
        [this](std::function<void()> task, std::chrono::milliseconds delay) { m_pump.Post(std::move(task), delay); });
}

SimLibrary::~SimLibrary() {
    Shutdown();
}

void SimLibrary::Start() {
    m_pump.Start();
    m_pipe.Start(PipeName(), [this](const std::string& request) {
        std::wstring reply;
        bool ok = Control(Utf8ToWide(request), reply);
        (void)ok; // the reply says "error ..." itself
        return WideToUtf8(reply);
    });
}

void SimLibrary::Shutdown() {
    m_callback = nullptr;
    m_pipe.Stop();
    m_pump.Stop();
    m_panels.CloseAll();
    if (m_device)
        m_device->SaveState();
}

void SimLibrary::RegisterCallback(oc::driver::DriverEventCallback callback) {
    m_callback = callback;
    m_device->Log(callback ? L"RegisterCallbackFunction -> 0" : L"RegisterCallbackFunction (none) -> 0");
}

int32_t SimLibrary::ShowAsioPanel(const void* classId16) {
    int32_t result = m_panels.Show(classId16, L"USB Audio Device");
    m_device->Log(L"ShowAsioPanel -> " + std::to_wstring(result));
    return result;
}

bool SimLibrary::Control(const std::wstring& command, std::wstring& reply) {
    Arguments words = SplitList(command, L' ');
    if (words.empty()) {
        reply = L"error empty command";
        return false;
    }
    auto row = Commands().find(words[0]);
    if (row == Commands().end() || words.size() != row->second.arguments + 1) {
        reply = L"error unknown command or wrong argument count: " + command;
        return false;
    }
    return row->second.run(*this, words, reply);
}

void SimLibrary::FireEvent(int32_t event, uint32_t flags, std::chrono::milliseconds delay) {
    m_device->Log(L"control: event " + std::to_wstring(event) + L" flags " + std::to_wstring(flags));
    m_pump.Post([=, this] { Deliver(event, flags, std::nullopt); }, delay);
}

// Runs on the event thread only.
void SimLibrary::Deliver(int32_t event, uint32_t flags, std::optional<oc::driver::DeviceKey> key) {
    oc::driver::DriverEventCallback callback = m_callback;
    if (!callback)
        return;
    callback(event, flags, key ? &*key : nullptr);
}

std::wstring SimLibrary::StatePathFor(const std::wstring& scenarioPath) {
    std::wstring overridden = Environment(L"OC_SIM_STATE");
    if (!overridden.empty())
        return overridden;
    std::wstring base = Environment(L"LOCALAPPDATA");
    if (base.empty())
        base = Environment(L"TEMP");
    std::wstring stem = std::filesystem::path(scenarioPath).stem().wstring();
    return base + L"\\OvercoatSim\\" + (stem.empty() ? L"default" : stem) + L".state";
}

std::wstring SimLibrary::PipeName() {
    std::wstring overridden = Environment(L"OC_SIM_PIPE");
    return overridden.empty() ? L"\\\\.\\pipe\\OvercoatSim" : overridden;
}

} // namespace oc::sim
