// The profile strip on a real skinned host against a recording driver, with its profiles in a scratch
// program and data folder: what the row lists and in which order, what a click writes, what the factory
// reset writes on each output terminal, and which item the strip marks for the device state.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../app/DialogGallery.h"
#include "../skin/ControlHost.h"
#include "FakeProfileDriver.h"
#include "TestPaths.h"
#include "app/HandlerServices.h"
#include "markup/ILytController.h"
#include "markup/ILytEnvironment.h"
#include "markup/LytSkinElements.h"
#include "profiles/PanelProfileHandler.h"
#include "profiles/ProfileDialogHost.h"
#include "skin/SkinPanel.h"
#include "app/UIDialog.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

class StripEnvironment : public ILytEnvironment {
public:
    std::wstring TranslateText(const std::wstring& value) const override { return value; }
    std::wstring GetSkinFilePath(const std::wstring& value) const override { return GetSkinFolder() + value; }
    std::wstring GetSkinFolder() const override { return (ProgramDir() / "Skin" / "Overcoat").wstring() + L"\\"; }
    int GetScreenDpi() const override { return 96; }
};

class StripServices : public IHandlerServices {
public:
    StripServices(IDriverInstance& driver, ILytController& controller) : m_driver(driver), m_controller(controller) {}
    IDriverInstance* GetDriver() override { return &m_driver; }
    ILytController* GetLytController() override { return &m_controller; }
    std::wstring GetSkinFolder() override { return StripEnvironment().GetSkinFolder(); }
    std::wstring GetLanguageText(const std::wstring& key) override { return key; }
    std::wstring FindLanguageKey(const std::wstring&) override { return {}; }
    std::wstring TranslateText(const std::wstring& text) override { return text; }
    int GetUITransparent() override { return 100; }

private:
    IDriverInstance& m_driver;
    ILytController& m_controller;
};

// The recording driver with an output terminal switch: every terminal set is logged, and the switch
// answers what was set last.
class TerminalDriver : public FakeProfileDriver {
public:
    int32_t GetControlDeviceProperty(const wchar_t* name, void* result, int32_t, uint32_t, void* arguments, int32_t,
                                     uint32_t, bool, bool) override {
        if (!m_hasTerminal || std::wcscmp(name, L"OutputTerminalTypeControl") != 0)
            return -1;
        int32_t which = 0;
        std::memcpy(&which, arguments, sizeof which);
        const int32_t value = which == 2 ? m_available : m_terminal;
        std::memcpy(result, &value, sizeof value);
        return kDriverOk;
    }
    int32_t SetControlDeviceProperty(const wchar_t* name, const void* value, int32_t, uint32_t, const void*, int32_t,
                                     uint32_t) override {
        int32_t v = 0;
        std::memcpy(&v, value, sizeof v);
        m_controlWrites.push_back(std::wstring(name) + L"=" + std::to_wstring(v));
        if (std::wcscmp(name, L"OutputTerminalTypeControl") == 0)
            m_terminal = v;
        return kDriverOk;
    }
    int32_t GetProperty(const wchar_t*, void*, int32_t, uint32_t, void*, int32_t, uint32_t, bool, bool) override {
        return m_hasTerminal ? kDriverOk : -1;
    }

    // Reads from the cache answer what the last storing read saw, as the driver's cache does.
    int32_t GetEndpointProperty(int32_t code, const wchar_t* name, void* result, int32_t valueType, uint32_t size,
                                void* arguments, int32_t argumentType, uint32_t argumentSize, bool storeInCache,
                                bool fromCache) override {
        const auto key = std::make_pair(code, std::wstring(name));
        if (fromCache) {
            auto cached = m_cache.find(key);
            if (cached == m_cache.end())
                return -1;
            const int32_t value = static_cast<int32_t>(cached->second);
            std::memcpy(result, &value, sizeof value);
            return kDriverOk;
        }
        const int32_t read = FakeProfileDriver::GetEndpointProperty(code, name, result, valueType, size, arguments,
                                                                    argumentType, argumentSize, storeInCache, false);
        if (read == kDriverOk && storeInCache)
            m_cache[key] = m_values[key];
        return read;
    }

    std::map<std::pair<int32_t, std::wstring>, double> m_cache;
    bool m_hasTerminal = false;
    int32_t m_terminal = 1;
    int32_t m_available = 3;
    std::vector<std::wstring> m_controlWrites;
};

void WriteText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Item(const char* name) {
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<RadioButton Name=\"") + name +
           "\" Width=\"100\" Height=\"60\" GroupName=\"ProfileItems\" Text=\"" + name + "\" />\n";
}

// A settings document for one endpoint: (key, value) pairs under one effect page.
std::string Settings(const char* endpoint, const char* page, std::vector<std::pair<const char*, const char*>> rows) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Profile Name=\"UserDefine\">\n  <Endpoint Name=\"";
    text += std::string(endpoint) + "\" DataFlow=\"Out\">\n    <ApoEffect Name=\"" + page + "\">\n";
    for (const auto& [key, value] : rows)
        text += std::string("      <Property Name=\"") + key + "\" Value=\"" + value +
                "\" UIName=\"\" ValueType=\"\" Args=\"\" ArgsType=\"\" />\n";
    return text + "    </ApoEffect>\n  </Endpoint>\n</Profile>\n";
}

class ProfileStrip : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        m_root = fs::path(temp) /
                 (L"oc-strip-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++s_counter));
        fs::remove_all(m_root);
        m_program = m_root / "program";
        m_data = m_root / "data";
        fs::create_directories(m_program / "profile" / "default");
        fs::create_directories(m_data);
        m_driver.Support(L"SpeakerEQ");
        m_driver.Support(L"SpeakerEM");
        m_driver.Support(L"HeadPhoneEQ");
        m_driver.Support(L"SpeakerHWEQ");
        m_driver.Support(L"SpeakerSetting");
        // Volume, mute and balance answer as on a real device, where the volume is rarely at 0 dB.
        m_driver.Support(L"SpeakerVol");
        m_driver.SetValue(kEndpointSpeaker, L"VolumeControl", -12);
        m_driver.SetValue(kEndpointSpeaker, L"MuteControl", 1);
    }
    void TearDown() override {
        m_handler.reset();
        m_host.reset();
        if (m_controller)
            m_controller->Release();
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    void AddBuiltIn(const char* title, const std::string& settings) {
        WriteText(m_program / "profile" / "default" / (std::string(title) + ".lyt"), Item(title));
        WriteText(m_program / "profile" / "default" / (std::string(title) + ".profile"), settings);
    }
    void AddUser(const char* endpoint, const char* title, const std::string& settings) {
        WriteText(m_data / "Profile" / endpoint / (std::string(title) + ".lyt"), Item(title));
        if (!settings.empty())
            WriteText(m_data / "Profile" / endpoint / (std::string(title) + ".profile"), settings);
    }
    void AddUserDefinedItem() {
        WriteText(m_program / "profile" / "UserDefine.lyt", Item("UserDefine"));
        WriteText(m_program / "profile" / "UserDefineFormwork.lyt", Item("Template"));
    }

    // Builds the host, its list panel and the handler, and lists the profiles as the markup does.
    void Open() {
        m_controller = CreateSkinLytController(m_environment);
        m_services = std::make_unique<StripServices>(m_driver, *m_controller);
        m_host = std::make_unique<ControlHost>();
        m_panel = m_host->Place(new CxSkinPanel, 0, 0, ControlHost::kWidth, ControlHost::kHeight);
        m_panel->SetName(L"PanelProfileList");
        m_panel->Create();
        m_panel->SetPageSize(100, FALSE);
        m_handler = std::make_unique<CPanelProfileHandler>();
        m_handler->SetServices(m_services.get());
        m_handler->SetFolders(m_program.wstring() + L"\\", m_data.wstring() + L"\\");
        m_handler->SetSleep([](DWORD) {});
        m_handler->SetWindow(&m_host->m_root);
        // Warnings are recorded, not shown: nothing waits for a click.
        m_handler->SetMessageBoxRunner([this](const std::wstring& text, const std::wstring&, UINT) {
            m_warnings.push_back(text);
            return INT_PTR(IDOK);
        });
        const LytRect placement{0, 20, 100, 80};
        m_handler->EnumerateProfiles(static_cast<CxSkinObject*>(m_panel), &placement);
        m_handler->Initialize();
    }

    // The visible items, left to right.
    std::vector<std::wstring> Row() const {
        std::vector<std::pair<LONG, std::wstring>> shown;
        for (const auto& [name, item] : m_handler->GetItems())
            if (item->IsVisible())
                shown.emplace_back(item->GetRect().left, name);
        std::sort(shown.begin(), shown.end());
        std::vector<std::wstring> names;
        for (const auto& entry : shown)
            names.push_back(entry.second);
        return names;
    }

    std::vector<std::wstring> WrittenKeys() const {
        std::vector<std::wstring> keys;
        for (const EndpointWrite& write : m_driver.m_writes)
            keys.push_back(write.name);
        return keys;
    }

    static inline int s_counter = 0;
    fs::path m_root, m_program, m_data;
    TerminalDriver m_driver;
    StripEnvironment m_environment;
    ILytController* m_controller = nullptr;
    std::unique_ptr<StripServices> m_services;
    std::unique_ptr<ControlHost> m_host;
    CxSkinPanel* m_panel = nullptr;
    std::unique_ptr<CPanelProfileHandler> m_handler;
    std::vector<std::wstring> m_warnings;
};

const std::string kGame = Settings("Speakers", "SpeakerEQ", {{"Enable_EQ_GFX", "1"}, {"EQ_Slider1", "4"}});
const std::string kMovie = Settings("Speakers", "SpeakerEQ", {{"Enable_EQ_GFX", "0"}, {"EQ_Slider1", "9"}});
const std::string kRock = Settings("Speakers", "SpeakerEQ", {{"Enable_EQ_GFX", "1"}, {"EQ_Slider1", "7"}});
const std::string kPhones = Settings("Headphone", "HeadPhoneEQ", {{"Enable_EQ_GFX", "1"}});

TEST_F(ProfileStrip, ListsBuiltInThenUserProfilesOfTheOutputAndTheUserDefinedItemLast) {
    AddBuiltIn("Movie", kMovie);
    AddBuiltIn("Game", kGame);
    AddBuiltIn("Phones", kPhones);
    AddUser("Speaker", "Rock", kRock);
    AddUser("Speaker", "NoSettings", "");
    AddUser("Speaker", "Broken", "<Profile><Endpoint Name=");
    AddUserDefinedItem();
    Open();

    EXPECT_EQ(Row(), (std::vector<std::wstring>{L"Game*", L"Movie*", L"Speaker_Rock", L"UserDefine$"}));
    // A list item without its settings is not offered; one whose settings do not parse gets no record and
    // is never placed; the template is no item.
    EXPECT_EQ(m_handler->GetItems().count(L"Speaker_NoSettings"), 0u);
    EXPECT_EQ(m_handler->GetRecords().count(L"Speaker_Broken"), 0u);
    EXPECT_FALSE(m_handler->GetItems().at(L"Speaker_Broken")->IsVisible());
    EXPECT_EQ(m_handler->GetItems().count(L"Template"), 0u);
    // The headphone profile stays hidden while the speakers are the output.
    EXPECT_FALSE(m_handler->GetItems().at(L"Phones*")->IsVisible());

    // Four items of 100 in a 200-wide panel scroll; the row starts at the left end.
    EXPECT_EQ(m_handler->IsControlEnabled(L"ScrollLeft"), 0);
    EXPECT_EQ(m_handler->IsControlEnabled(L"ScrollRight"), 1);
    m_host->Paint();
    SaveDialogPicture(m_host->m_root, L"ProfileStrip_Row");
}

// Damaged profile files (a user's settings file, a user's list item, and a copy of the shipped built-in Game
// profile with its settings damaged): their profiles stay off the strip, one warning names every damaged
// file, no file is changed, and listing the same files again in this run warns no more.
TEST_F(ProfileStrip, DamagedProfileFilesAreNamedOnceAndKeptAsTheyAre) {
    const fs::path shipped = ProgramDir() / "profile" / "default";
    const fs::path game = m_program / "profile" / "default" / "Game.profile";
    fs::copy_file(shipped / "Game.lyt", m_program / "profile" / "default" / "Game.lyt");
    std::ifstream in(shipped / "Game.profile", std::ios::binary);
    const std::string shippedGame((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(shippedGame.size(), 100u);
    const std::string damagedGame = shippedGame.substr(0, shippedGame.size() / 2) + "</Wrong>";
    WriteText(game, damagedGame);
    AddUser("Speaker", "Rock", kRock);
    AddUser("Speaker", "Broken", kRock);
    const std::string brokenSettings = kRock.substr(0, kRock.size() / 2) + "</Wrong>";
    WriteText(m_data / "Profile" / "Speaker" / "Broken.profile", brokenSettings);
    AddUser("Speaker", "BadItem", kRock);
    const std::string badItem = "<RadioButton Name=\"BadItem\" Width=\"1\xC3\x28\" Height=\"60\" />";
    WriteText(m_data / "Profile" / "Speaker" / "BadItem.lyt", badItem);
    AddUserDefinedItem();
    Open();

    EXPECT_EQ(Row(), (std::vector<std::wstring>{L"Speaker_Rock", L"UserDefine$"}));
    ASSERT_EQ(m_warnings.size(), 1u);
    for (const fs::path& named : {game, m_data / "Profile" / "Speaker" / "Broken.profile",
                                  m_data / "Profile" / "Speaker" / "BadItem.lyt"})
        EXPECT_NE(m_warnings[0].find(named.wstring()), std::wstring::npos) << named;
    EXPECT_EQ(m_warnings[0].find(L"Rock"), std::wstring::npos);
    const auto bytes = [](const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(game), damagedGame);
    EXPECT_EQ(bytes(m_data / "Profile" / "Speaker" / "Broken.profile"), brokenSettings);
    EXPECT_EQ(bytes(m_data / "Profile" / "Speaker" / "BadItem.lyt"), badItem);

    // The strip listed again, by a new handler as after a content switch: the user was told already.
    m_handler.reset();
    m_host.reset();
    m_controller->Release();
    m_controller = nullptr;
    Open();
    EXPECT_EQ(m_warnings.size(), 1u);
}

// A click reads the profile's file again: one that was damaged or removed since the strip was listed is
// named like a file that did not read at listing, nothing reaches the device and the mark stays.
TEST_F(ProfileStrip, AClickOnAProfileWhoseFileNoLongerReadsWritesNothingAndNamesTheFile) {
    const std::string damaged = kRock.substr(0, kRock.size() / 2) + "</Wrong>";
    struct Case {
        const char* title;
        bool removed;
    };
    for (const Case& change : {Case{"Damaged", false}, Case{"Removed", true}}) {
        SCOPED_TRACE(change.title);
        const fs::path settings = m_data / "Profile" / "Speaker" / (std::string(change.title) + ".profile");
        const std::wstring name = L"Speaker_" + fs::path(change.title).wstring();
        AddUser("Speaker", change.title, kRock);
        AddUserDefinedItem();
        m_warnings.clear();
        Open();
        ASSERT_TRUE(m_warnings.empty());
        ASSERT_EQ(m_handler->GetSelectedName(), L"P_UD");
        if (change.removed)
            fs::remove(settings);
        else
            WriteText(settings, damaged);
        m_driver.m_writes.clear();

        EXPECT_EQ(m_handler->SelectProfile(name), 0);
        EXPECT_TRUE(m_driver.m_writes.empty()) << "no effect switch went off and no setting was written";
        EXPECT_EQ(m_handler->GetSelectedName(), L"P_UD");
        ASSERT_EQ(m_warnings.size(), 1u);
        EXPECT_NE(m_warnings[0].find(settings.wstring()), std::wstring::npos);
        if (!change.removed) {
            std::ifstream file(settings, std::ios::binary);
            EXPECT_EQ(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()), damaged)
                << "the file is kept as it is";
        }
        m_handler.reset();
        m_host.reset();
        m_controller->Release();
        m_controller = nullptr;
        fs::remove_all(m_data / "Profile");
    }
}

TEST_F(ProfileStrip, StrayPairsAtTheTopOfTheProfileFolderAreDeletedButEndpointFoldersStay) {
    AddUser("Speaker", "Rock", kRock);
    WriteText(m_data / "Profile" / "Old.lyt", Item("Old"));
    WriteText(m_data / "Profile" / "Old.profile", kRock);
    Open();

    EXPECT_EQ(m_handler->RemoveUserProfileItems(0), 1);
    EXPECT_FALSE(fs::exists(m_data / "Profile" / "Old.lyt"));
    EXPECT_FALSE(fs::exists(m_data / "Profile" / "Old.profile"));
    EXPECT_TRUE(fs::exists(m_data / "Profile" / "Speaker" / "Rock.profile"));
    EXPECT_EQ(m_handler->GetItems().count(L"Speaker_Rock"), 0u);
}

TEST_F(ProfileStrip, ClickingAnItemWritesWhatDiffersInDocumentOrderAndMarksIt) {
    AddBuiltIn("Game", kGame);
    AddUserDefinedItem();
    m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", 0);
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 0);
    Open();
    EXPECT_EQ(m_handler->GetSelectedName(), L"P_UD");

    m_driver.m_writes.clear();
    EXPECT_EQ(m_handler->OnButtonClick(L"Game*"), 1);
    // The effect switches go off first, then the document's settings in their order.
    std::vector<std::wstring> afterReset;
    const std::vector<std::wstring> keys = WrittenKeys();
    auto first = std::find(keys.begin(), keys.end(), L"EQ_Slider1");
    ASSERT_NE(first, keys.end());
    EXPECT_EQ(*(first - 1), L"Enable_EQ_GFX");
    EXPECT_EQ(m_driver.m_writes.back().name, L"EQ_Slider1");
    EXPECT_EQ(m_driver.m_writes.back().value, 4);
    EXPECT_EQ(m_handler->GetSelectedName(), L"Game*");

    // Selecting the marked profile again writes nothing.
    m_driver.m_writes.clear();
    EXPECT_EQ(m_handler->SelectProfile(L"Game*"), 1);
    EXPECT_TRUE(m_driver.m_writes.empty());
    EXPECT_EQ(m_handler->SelectProfile(L"Nothing"), 0);
}

TEST_F(ProfileStrip, StreamFormatKeysAreWrittenTogetherAsOneBlock) {
    AddBuiltIn("Studio", Settings("Speakers", "SpeakerSetting",
                                  {{"DevSampleRateControl", "48000"}, {"DevBitDepthControl", "24"}}));
    m_driver.SetValue(kEndpointSpeaker, L"DevSampleRateControl", 44100);
    m_driver.SetValue(kEndpointSpeaker, L"DevBitDepthControl", 16);
    Open();
    m_driver.m_writes.clear();
    ASSERT_EQ(m_handler->SelectProfile(L"Studio*"), 1);
    const std::vector<std::wstring> keys = WrittenKeys();
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ(keys[keys.size() - 3], L"DevSampleRateControl");
    EXPECT_EQ(keys[keys.size() - 2], L"DevBitDepthControl");
    EXPECT_EQ(keys.back(), L"DevFormatControl");
    EXPECT_EQ(m_driver.m_writes.back().value, 48000) << "the block starts with the sample rate";
}

TEST_F(ProfileStrip, FactoryResetWritesTheDefaultsOnEveryOutputTerminal) {
    WriteText(m_program / "FactoryDefault.xml",
              Settings("Speakers", "SpeakerEQ", {{"Enable_EQ_GFX", "0"}, {"DefaultDeviceControl", "1"}}));
    m_driver.m_hasTerminal = true;
    m_driver.m_terminal = 2;
    m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", 1); // the defaults differ from it
    Open();
    m_driver.m_writes.clear();

    EXPECT_EQ(m_handler->ApplyFactoryDefault(), 1);
    const std::vector<std::wstring> expected = {L"OutputTerminalTypeControl=1", L"DefaultDeviceControl=1",
                                                L"OutputTerminalTypeControl=2", L"DefaultDeviceControl=1",
                                                L"OutputTerminalTypeControl=1"};
    EXPECT_EQ(m_driver.m_controlWrites, expected)
        << "each terminal gets the defaults; the speakers, chosen as default, come back last";
    // The document reached the device on both passes.
    const std::vector<std::wstring> keys = WrittenKeys();
    EXPECT_EQ(std::count(keys.begin(), keys.end(), L"Enable_EQ_GFX"), 2);
}

// The reset's walks collect the factory format; the next click, on a profile without one, writes none.
TEST_F(ProfileStrip, AfterTheFactoryResetAClickWritesNoFormatTheProfileLacks) {
    WriteText(m_program / "FactoryDefault.xml",
              Settings("Speakers", "SpeakerSamplingRate",
                       {{"DevSampleRateControl", "48000"}, {"DevBitDepthControl", "16"}, {"DevChannelNumControl", "2"}}));
    AddBuiltIn("Game", kGame);
    m_driver.m_hasTerminal = true;
    m_driver.SetValue(kEndpointSpeaker, L"DevSampleRateControl", 44100);
    m_driver.SetValue(kEndpointSpeaker, L"DevBitDepthControl", 24);
    m_driver.SetValue(kEndpointSpeaker, L"DevChannelNumControl", 8);
    Open();
    ASSERT_EQ(m_handler->ApplyFactoryDefault(), 1);
    m_driver.m_writes.clear();
    ASSERT_EQ(m_handler->SelectProfile(L"Game*"), 1);
    const std::vector<std::wstring> keys = WrittenKeys();
    ASSERT_FALSE(keys.empty());
    for (const wchar_t* format :
         {L"DevFormatControl", L"DevSampleRateControl", L"DevBitDepthControl", L"DevChannelNumControl"})
        EXPECT_EQ(std::count(keys.begin(), keys.end(), format), 0) << format;
}

TEST_F(ProfileStrip, FactoryResetWithoutTerminalSwitchWritesEveryEndpointOnce) {
    WriteText(m_program / "FactoryDefault.xml", Settings("Headphone", "HeadPhoneEQ", {{"Enable_EQ_GFX", "1"}}));
    Open();
    m_driver.m_writes.clear();
    EXPECT_EQ(m_handler->ApplyFactoryDefault(), 1);
    ASSERT_EQ(m_driver.m_writes.size(), 1u);
    EXPECT_EQ(m_driver.m_writes[0].code, kEndpointHeadPhone) << "the reset writes endpoints besides the output";
}

TEST_F(ProfileStrip, MarksTheMatchingProfileOrTheUserDefinedItem) {
    AddBuiltIn("Game", kGame);
    AddBuiltIn("Movie", kMovie);
    AddUser("Speaker", "Rock", kRock);
    AddUserDefinedItem();
    struct Case {
        const char* what;
        double eqSwitch, slider;
        const wchar_t* marked;
    } cases[] = {
        {"switch on, slider 4", 1, 4, L"Game*"},
        {"switch on, slider 7", 1, 7, L"Speaker_Rock"},
        {"switch off: the sliders are not compared", 0, 1, L"Movie*"},
        {"no profile holds slider 5", 1, 5, L"P_UD"},
    };
    for (const Case& c : cases) {
        m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", c.eqSwitch);
        m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", c.slider);
        m_driver.SetValue(kEndpointSpeaker, L"Enable_RFX_GFX", 0);
        Open();
        EXPECT_EQ(m_handler->GetSelectedName(), c.marked) << c.what;
        const std::wstring item = std::wstring(c.marked) == L"P_UD" ? L"UserDefine$" : c.marked;
        auto* radio = dynamic_cast<CxSkinRadioButton*>(m_handler->GetItems().at(item));
        ASSERT_NE(radio, nullptr);
        EXPECT_TRUE(radio->GetCheck()) << c.what;
        m_handler.reset();
        m_host.reset();
        m_controller->Release();
        m_controller = nullptr;
    }
}

TEST_F(ProfileStrip, EachEndpointOfAProfileKeepsItsOwnSettings) {
    // The same key under two endpoints: the headphone's slider must not be taken for the speakers' one, which
    // would make the profile differ from speakers that hold exactly its speaker settings.
    std::string both = Settings("Speakers", "SpeakerEQ", {{"Enable_EQ_GFX", "1"}, {"EQ_Slider1", "4"}});
    const std::string phones = Settings("Headphone", "HeadPhoneEQ", {{"Enable_EQ_GFX", "1"}, {"EQ_Slider1", "9"}});
    const std::string endpoints = "  <Endpoint Name=\"";
    both.insert(both.find("</Profile>"), phones.substr(phones.find(endpoints), phones.find("</Profile>") -
                                                                               phones.find(endpoints)));
    AddUser("Speaker", "Both", both);
    AddUserDefinedItem();
    m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", 1);
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 4);
    m_driver.SetValue(kEndpointSpeaker, L"Enable_RFX_GFX", 0);
    Open();
    EXPECT_EQ(m_handler->GetSelectedName(), L"Speaker_Both");
}

TEST_F(ProfileStrip, AChangeKeepsAStillMatchingMarkAndOtherwiseSearches) {
    AddBuiltIn("Game", kGame);
    AddUser("Speaker", "Rock", kRock);
    AddUserDefinedItem();
    m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", 1);
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 4);
    Open();
    ASSERT_EQ(m_handler->GetSelectedName(), L"Game*");
    // The priming read gives the change poll its baseline, integers as the driver's signed type.
    auto storingReads = [this](const wchar_t* key) {
        std::vector<int32_t> types;
        for (const EndpointRead& read : m_driver.m_reads)
            if (read.code == kEndpointSpeaker && read.name == key && read.storeInCache)
                types.push_back(read.valueType);
        return types;
    };
    EXPECT_EQ(storingReads(L"EQ_Slider1"), std::vector<int32_t>{0});

    // A setting neither profile names changes: the mark stays.
    EXPECT_EQ(m_handler->MatchCurrentProfile(L"Speaker.EQ_Slider2"), 0);
    EXPECT_EQ(m_handler->GetSelectedName(), L"Game*");

    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 7);
    std::wstring key;
    EXPECT_EQ(m_handler->ReadDriverStateForTable(&key), 1);
    EXPECT_EQ(key, L"Speaker.EQ_Slider1");
    EXPECT_EQ(m_handler->MatchCurrentProfile(key), 1);
    EXPECT_EQ(m_handler->GetSelectedName(), L"Speaker_Rock");
    // The re-read with store (the unsigned type) makes the poll see the value as known.
    EXPECT_EQ(storingReads(L"EQ_Slider1"), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(m_handler->ReadDriverStateForTable(&key), 0);

    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 2);
    m_handler->MatchCurrentProfile(L"Speaker.EQ_Slider1");
    EXPECT_EQ(m_handler->GetSelectedName(), L"P_UD");
}

TEST_F(ProfileStrip, FloatSettingsMatchWithinTheToleranceOnly) {
    const struct {
        const char* text;
        double device;
        bool matches;
    } cases[] = {{"0.03", 0.0, false}, {"0.029", 0.0, true}, {"1.03", 1.0, true}, {"1.04", 1.0, false}};
    for (const auto& c : cases) {
        m_root /= "x";
        fs::create_directories(m_program = m_root / "program");
        fs::create_directories(m_data = m_root / "data");
        AddBuiltIn("Bass", Settings("Speakers", "SpeakerHWEQ", {{"HWEQBassControl", c.text}}));
        m_driver.SetValue(kEndpointSpeaker, L"HWEQBassControl", c.device);
        Open();
        EXPECT_EQ(m_handler->GetSelectedName() == L"Bass*", c.matches) << c.text;
        m_handler.reset();
        m_host.reset();
        m_controller->Release();
        m_controller = nullptr;
    }
}

TEST_F(ProfileStrip, AddingAStateThatAProfileHoldsWarnsInsteadOfOpeningTheDialog) {
    AddBuiltIn("Game", kGame);
    AddUserDefinedItem();
    m_driver.SetValue(kEndpointSpeaker, L"Enable_EQ_GFX", 1);
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 4);
    Open();
    int dialogs = 0;
    std::wstring warning;
    m_handler->SetDialogRunner([&](CUIDialog&) { return ++dialogs, INT_PTR(IDCANCEL); });
    m_handler->SetMessageBoxRunner([&](const std::wstring& text, const std::wstring&, UINT) {
        warning = text;
        return INT_PTR(IDOK);
    });
    EXPECT_EQ(m_handler->OnButtonClick(L"AddProfile"), 1);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(warning, L"ml_PanelProfile_HasTheSameSettingInProfileList");

    // Away from every profile the dialog opens.
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 5);
    m_handler->MatchCurrentProfile(L"Speaker.EQ_Slider1");
    m_handler->UpdateUserDefineItem(0);
    m_handler->OnButtonClick(L"AddProfile");
    EXPECT_EQ(dialogs, 1);
}

// The dialog reports a saved profile whose list item cannot be loaded: nothing new is marked or listed.
TEST_F(ProfileStrip, ASavedProfileWhoseItemDoesNotLoadIsNotMarked) {
    AddBuiltIn("Game", kGame);
    AddUserDefinedItem();
    m_driver.SetValue(kEndpointSpeaker, L"EQ_Slider1", 5);
    Open();
    ASSERT_EQ(m_handler->GetSelectedName(), L"P_UD");
    WriteText(m_data / "Profile" / "Speaker" / "Ghost.profile", kRock); // its ".lyt" is missing
    m_handler->SetDialogRunner([](CUIDialog& dialog) {
        dialog.SetControlName(L"AddingFile", L"Ghost");
        return INT_PTR(IDYES);
    });
    EXPECT_EQ(m_handler->OnButtonClick(L"AddProfile"), 1);
    EXPECT_EQ(m_handler->GetSelectedName(), L"P_UD");
    EXPECT_EQ(m_handler->GetRecords().count(L"Speaker_Ghost"), 0u);
    EXPECT_TRUE(dynamic_cast<CxSkinRadioButton*>(m_handler->GetItems().at(L"UserDefine$"))->GetCheck());
}

TEST_F(ProfileStrip, DeletingTheMarkedProfileMarksTheUserDefinedState) {
    AddUser("Speaker", "Rock", kRock);
    AddUser("Speaker", "Jazz", kGame);
    AddUserDefinedItem();
    Open();
    m_handler->SetSelectedName(L"Speaker_Rock");
    const std::wstring deleted = (m_data / "Profile" / "Speaker" / "Rock.lyt").wstring();
    std::vector<std::wstring> offered;
    m_handler->SetDialogRunner([&](CUIDialog& dialog) {
        offered = GetDialogProfileKeys(dialog);
        dialog.SetControlName(L"DeletingFileCount", L"1");
        dialog.SetControlName(L"0", deleted);
        return INT_PTR(IDOK);
    });
    EXPECT_EQ(m_handler->OnButtonClick(L"DeleteProfile"), 1);
    EXPECT_EQ(offered, (std::vector<std::wstring>{L"Speaker_Jazz", L"Speaker_Rock"}));
    EXPECT_EQ(m_handler->GetItems().count(L"Speaker_Rock"), 0u);
    EXPECT_EQ(m_handler->GetRecords().count(L"Speaker_Rock"), 0u);
    EXPECT_EQ(m_handler->GetSelectedName(), L"P_UD");
}

} // namespace
