// The virtual speaker page on its shipped markup: speaker geometry between the room panel and the driver,
// the level steps, the switch, the rotation modes with their stored flags, the change poll, the start-up
// defaults, and the panel's turning thread writing through the handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include "../TonePageFixture.h"
#include "SkinTestSupport.h"
#include "app/UIDialog.h"
#include "handlers/effects/VirtualHandler.h"
#include "skin/LayerDialog.h"
#include "skin/PanelVirtualSpeaker.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;
namespace fs = std::filesystem;

namespace {

// Premultiplied back-buffer pixels over the window background, as the main window shows a page.
void SaveBackBuffer(const CLayerDialog& dialog, const fs::path& file) {
    Gdiplus::Bitmap image(dialog.GetSurfaceWidth(), dialog.GetSurfaceHeight(), PixelFormat32bppARGB);
    for (int y = 0; y < dialog.GetSurfaceHeight(); ++y) {
        for (int x = 0; x < dialog.GetSurfaceWidth(); ++x) {
            const uint32_t p = dialog.GetPixel(x, y);
            const int a = Alpha(p);
            auto over = [a](int c, int bg) { return c + bg * (255 - a) / 255; };
            image.SetPixel(x, y, Gdiplus::Color(255, over(Red(p), 0x1E), over(Green(p), 0x21), over(Blue(p), 0x26)));
        }
    }
    fs::create_directories(file.parent_path());
    SavePng(image, file);
}

// A device whose level follows the distance one decibel per unit: distance 19 is +4 dB, 36 is -13 dB.
int LevelOf(int32_t distance) {
    return 23 - distance;
}
int32_t DistanceOf(int decibels) {
    return 23 - decibels;
}

// The tone pages' driver, plus the two level queries and endpoint writes that may come from the turning
// thread (guarded, and able to hold that thread inside a write).
class RoomDriver : public ToneDriver {
public:
    int32_t GetProperty(const wchar_t* name, void* result, int32_t valueType, uint32_t valueSize, void* arguments,
                        int32_t argumentType, uint32_t argumentSize, bool storeInCache, bool fromCache) override {
        const std::wstring key(name);
        if (key == L"GetSpeakerShiftVolumeLevel" || key == L"GetSpeakerShiftDistanceByDB") {
            const auto* block = static_cast<const int32_t*>(arguments);
            m_queries.push_back(key + L" " + std::to_wstring(block[0]) + L"," + std::to_wstring(block[1]) + L" " +
                                std::to_wstring(argumentType) + L"/" + std::to_wstring(argumentSize));
            if (m_queriesFail)
                return 5;
            *static_cast<int32_t*>(result) =
                key == L"GetSpeakerShiftVolumeLevel" ? LevelOf(block[1]) : DistanceOf(block[1]);
            return 0;
        }
        Journal(L"read " + key);
        return ToneDriver::GetProperty(name, result, valueType, valueSize, arguments, argumentType, argumentSize,
                                       storeInCache, fromCache);
    }
    int32_t SetEndpointProperty(int32_t code, const wchar_t* name, const void* value, int32_t valueType, uint32_t,
                                const void*, int32_t, uint32_t) override {
        ++m_entered;
        if (m_gate)
            WaitForSingleObject(m_gate, 10000);
        std::lock_guard<std::mutex> guard(m_mutex);
        m_endpointWrites.push_back(std::to_wstring(code) + L":" + Describe(name, Decode(value), valueType));
        m_journal.push_back(L"endpoint " + std::wstring(name));
        ++m_endpointCount;
        return 0;
    }
    std::vector<std::wstring> EndpointWrites() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_endpointWrites;
    }
    std::vector<std::wstring> JournalCopy() {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_journal;
    }
    bool WaitForEndpointWrites(int count) {
        for (int i = 0; i < 500 && m_endpointCount < count; ++i)
            Sleep(10);
        return m_endpointCount >= count;
    }
    void PutDistance(int index, int32_t distance) { PutCached(CVirtualHandler::kDistanceKeys[index], distance); }

    std::vector<std::wstring> m_queries;
    bool m_queriesFail = false;
    HANDLE m_gate = nullptr;
    std::atomic<int> m_endpointCount{0};
    std::atomic<int> m_entered{0};

private:
    static double Decode(const void* value) { return *static_cast<const int32_t*>(value); }
    void Journal(const std::wstring& entry) {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_journal.push_back(entry);
    }
    std::mutex m_mutex;
    std::vector<std::wstring> m_endpointWrites;
    std::vector<std::wstring> m_journal;
};

// The panel's turning thread, stepped by the test.
class SteppedClock : public CPanelVirtualSpeaker::IStepClock {
public:
    SteppedClock() : m_steps(CreateSemaphoreW(nullptr, 0, 1000, nullptr)) {}
    ~SteppedClock() { CloseHandle(m_steps); }
    bool WaitForStep(HANDLE stopEvent, DWORD) override {
        const HANDLE handles[] = {stopEvent, m_steps};
        return WaitForMultipleObjects(2, handles, FALSE, 10000) == WAIT_OBJECT_0 + 1;
    }
    void Step() { ReleaseSemaphore(m_steps, 1, nullptr); }

private:
    HANDLE m_steps;
};

const wchar_t* const kLevelTexts[] = {L"C_dB", L"LF_dB", L"LB_dB", L"LS_dB", L"RF_dB", L"RB_dB", L"RS_dB", L"W_dB"};
// Every control the page greys while the effect is off.
const wchar_t* const kPageControls[] = {
    L"Clockwise", L"CounterClockwise", L"WiseArround", L"Manual",        L"Reset",       L"BtnSubdB",
    L"BtnAdddB",  L"IMG_VOLUME",       L"ChannelCopy", L"ChannelCopyTB", L"PanelVSRoom", L"LF_title",
    L"LF_dB",     L"LF_dB_text",       L"LF_dB_Bar",   L"RF_title",      L"RF_dB",       L"RF_dB_text",
    L"RF_dB_Bar", L"C_title",          L"C_dB",        L"C_dB_text",     L"C_dB_Bar",    L"W_title",
    L"W_dB",      L"W_dB_text",        L"W_dB_Bar",    L"LB_title",      L"LB_dB",       L"LB_dB_text",
    L"LB_dB_Bar", L"RB_title",         L"RB_dB",       L"RB_dB_text",    L"RB_dB_Bar",   L"LS_title",
    L"LS_dB",     L"LS_dB_text",       L"LS_dB_Bar",   L"RS_title",      L"RS_dB",       L"RS_dB_text",
    L"RS_dB_Bar", L"VSS_Logo"};
const wchar_t* const kFlags[] = {L"__Manual", L"__Clockwise", L"__CounterClockwise", L"__WiseArround"};

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern, int group = 0) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[group].str());
    return found;
}

std::set<std::string> CultureKeys(const char* culture) {
    // The page's header is the jack menu's name for it, which the status texts hold.
    return Matches(ReadText(ProgramDir() / "lang" / culture / "VirtualSpeaker.xaml") +
                       ReadText(ProgramDir() / "lang" / culture / "Tone.xaml") +
                       ReadText(ProgramDir() / "lang" / culture / "Status.xaml"),
                   std::regex("x:Key=\"(ml_[A-Za-z0-9_]+)\""), 1);
}

const wchar_t* const kPages[] = {L"SpeakerVirtual", L"SpeakerQuarterVirtual", L"HeadPhoneVirtual", L"SPDIFOutVirtual"};

TEST(VirtualPageFiles, NameOnlyBuiltImagesAndTranslatedTexts) {
    const std::set<std::string> english = CultureKeys("en-US");
    const std::set<std::string> german = CultureKeys("de-DE");
    for (const wchar_t* page : kPages) {
        const fs::path file = ShippedSkinDir() / (L"apo" + std::wstring(page) + L".lyt");
        SCOPED_TRACE(file.filename().string());
        const std::string text = ReadText(file);
        ASSERT_FALSE(text.empty());
        const std::set<std::string> images = Matches(text, std::regex("\"([A-Za-z]+/[A-Za-z0-9_]+\\.png)\""), 1);
        EXPECT_GE(images.size(), 20u); // room, head and eight speakers, each with a disabled look
        for (const std::string& image : images)
            EXPECT_TRUE(fs::exists(ShippedSkinDir() / image)) << image;
        for (const std::string& key : Matches(text, std::regex("ml_[A-Za-z0-9_]+"))) {
            EXPECT_TRUE(english.contains(key)) << key;
            EXPECT_TRUE(german.contains(key)) << key;
        }
    }
}

class VirtualPageTest : public TonePageTest {
protected:
    void SetUp() override {
        TonePageTest::SetUp();
        services.m_driver = &room;
        for (int i = 0; i < 8; ++i)
            room.PutDistance(i, DistanceOf(-4));
        room.PutCached(L"Enable_SS_LFX", 1);
        room.PutCached(L"__Manual", 1);
        room.m_features.insert(L"Spaceline");
    }
    void TearDown() override {
        // The turning thread goes with the page; it must not be waiting on a held write.
        if (room.m_gate)
            SetEvent(room.m_gate);
        TonePageTest::TearDown();
        if (room.m_gate)
            CloseHandle(room.m_gate);
    }
    CVirtualHandler* OpenPage(const std::wstring& panel = L"SpeakerVirtual") {
        handler = Open(panel, static_cast<CVirtualHandler*>(new CSpeakerVirtualHandler));
        return handler;
    }
    CPanelVirtualSpeaker* Panel() const { return dynamic_cast<CPanelVirtualSpeaker*>(Control(L"PanelVSRoom")); }
    int Mode() const { return Panel() ? Panel()->GetMode() : -1; }
    bool Selected(const std::wstring& name) const {
        auto* radio = dynamic_cast<IxSkinButton*>(Control(name));
        return radio && radio->GetCheck();
    }
    std::vector<int> Flags() const {
        std::vector<int> flags;
        for (const wchar_t* flag : kFlags)
            flags.push_back(static_cast<int>(room.Live(flag)));
        return flags;
    }
    size_t Wrote(const std::wstring& entry) const {
        return std::count(room.m_writes.begin(), room.m_writes.end(), entry);
    }

    RoomDriver room;
    CVirtualHandler* handler = nullptr;
};

TEST(VirtualHandlerUnits, AnglesAndDistancesConvertBothWays) {
    const struct {
        float angle;
        int32_t degrees;
    } angles[] = {{-0.7853975f, -45},  {3.2f, -177},     {-3.2f, -183},
                  {0.5f, 28},          {0.0f, 0},        {2.3561925f, 135},
                  {-2.3561925f, -135}, {0.2617992f, 15}, {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const auto& row : angles)
        EXPECT_EQ(CVirtualHandler::AngleToDegrees(row.angle), row.degrees) << row.angle;

    const struct {
        float distance;
        int32_t driver;
    } distances[] = {{0.38f, 19},
                     {1.0f, 50},
                     {0.2f, 19},
                     {0.7f, 34} /* 34.99999 truncates */,
                     {std::numeric_limits<float>::infinity(), 19}};
    for (const auto& row : distances)
        EXPECT_EQ(CVirtualHandler::DistanceToDriver(row.distance), row.driver) << row.distance;

    EXPECT_FLOAT_EQ(CVirtualHandler::DegreesToAngle(-45), -0.7875f);
    EXPECT_FLOAT_EQ(CVirtualHandler::DistanceToPanel(25), 0.5f);
}

TEST_F(VirtualPageTest, DraggingASpeakerWritesItsPlaceAndShowsItsLevel) {
    OpenPage();
    room.m_writes.clear();
    room.m_queries.clear();
    Panel()->GetPanelListener()->OnSpeakerMoved(1, -0.7853975f, 0.5f, 1);
    EXPECT_EQ(room.m_writes, (std::vector<std::wstring>{L"SS_LF_ANGLE=-45/0", L"SS_LF_DIST=25/0"}));
    EXPECT_EQ(room.m_queries, (std::vector<std::wstring>{L"GetSpeakerShiftVolumeLevel 28,25 4/8"}));
    EXPECT_FLOAT_EQ(Pos(L"LF_dB_Bar"), -2.0f);
    EXPECT_EQ(Control(L"LF_dB")->GetText(), L"-2");
    EXPECT_EQ(main.m_announced.back(), L"SS_LF_DIST 0");

    // A refused write still shows the new level; a failed level query shows 0 dB.
    room.m_refused.insert(L"SS_RS_DIST");
    room.m_queriesFail = true;
    handler->SetSpeakerPosition(6, 3.2f, 0.2f, 0);
    EXPECT_EQ(room.m_writes.back(), L"SS_RS_DIST=19/0");
    EXPECT_FLOAT_EQ(Pos(L"RS_dB_Bar"), 0.0f);
    EXPECT_EQ(room.Live(L"SS_RS_ANGLE"), -177);
}

TEST_F(VirtualPageTest, RefreshPlacesSpeakersFromTheDriver) {
    room.PutCached(L"SS_LF_ANGLE", -45);
    room.PutDistance(1, 25);
    room.m_unreadable.insert(L"SS_RB_DIST");
    room.m_unreadable.insert(L"SS_RB_ANGLE");
    room.PutCached(L"Enable_Channel_COPY_LFX", 1);
    OpenPage();
    EXPECT_NEAR(Panel()->GetAngle(1), -0.7875f, 1e-5);
    EXPECT_NEAR(Panel()->GetDistance(1), 0.5f, 1e-5);
    EXPECT_EQ(Control(L"LF_dB")->GetText(), L"-2");
    // An unreadable speaker sits at distance 30 and at its default angle.
    EXPECT_NEAR(Panel()->GetAngle(5), 135 * 0.0175f, 1e-5);
    EXPECT_NEAR(Panel()->GetDistance(5), 0.6f, 1e-5);
    EXPECT_EQ(Control(L"RB_dB")->GetText(), L"-7");
    EXPECT_EQ(Check(L"ChannelCopy"), 1);
    EXPECT_TRUE(Control(L"ChannelCopyTB")->IsVisible());

    // Without the up-mix the channel copy switch is hidden.
    room.m_features.clear();
    handler->InitControls();
    EXPECT_FALSE(Control(L"ChannelCopy")->IsVisible());
    EXPECT_FALSE(Control(L"ChannelCopyTB")->IsVisible());
}

TEST_F(VirtualPageTest, LevelStepsMoveEverySpeakerWithinTheRange) {
    room.PutDistance(0, DistanceOf(4));   // already loudest
    room.PutDistance(3, DistanceOf(-13)); // already quietest
    OpenPage();
    room.m_writes.clear();
    Click(L"BtnAdddB");
    EXPECT_EQ(room.m_writes.size(), 7u);
    EXPECT_EQ(Wrote(L"SS_C_DIST=19/0"), 0u);
    EXPECT_EQ(Wrote(L"SS_LS_DIST=35/0"), 1u);
    EXPECT_EQ(Wrote(L"SS_LF_DIST=26/0"), 1u);
    EXPECT_EQ(Control(L"C_dB")->GetText(), L"4");
    EXPECT_EQ(Control(L"LF_dB")->GetText(), L"-3");
    EXPECT_NEAR(Panel()->GetDistance(1), 26 * 0.02f, 1e-5);

    room.m_writes.clear();
    room.PutDistance(3, DistanceOf(-13));
    Click(L"BtnSubdB");
    EXPECT_EQ(room.m_writes.size(), 7u);
    EXPECT_EQ(Wrote(L"SS_C_DIST=20/0"), 1u);
    EXPECT_EQ(Wrote(L"SS_LS_DIST=37/0"), 0u); // never below -13 dB
    EXPECT_EQ(Control(L"C_dB")->GetText(), L"3");
}

TEST_F(VirtualPageTest, ResetRestoresTheRoomAndManualMode) {
    room.PutCached(L"SS_C_ANGLE", 70);
    OpenPage();
    room.m_writes.clear();
    Click(L"Reset");
    const wchar_t* const expected[] = {L"SS_C_ANGLE=0/0",    L"SS_LF_ANGLE=-45/0", L"SS_LB_ANGLE=-135/0",
                                       L"SS_LS_ANGLE=-90/0", L"SS_RF_ANGLE=45/0",  L"SS_RB_ANGLE=135/0",
                                       L"SS_RS_ANGLE=90/0",  L"SS_LFE_ANGLE=15/0"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Wrote(expected[i]), 1u) << i;
        EXPECT_EQ(Wrote(std::wstring(CVirtualHandler::kDistanceKeys[i]) + L"=27/0"), 1u) << i;
        EXPECT_EQ(Control(kLevelTexts[i])->GetText(), L"-4");
    }
    EXPECT_NEAR(Panel()->GetAngle(0), 0.0f, 1e-6);
    EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_TRUE(Selected(L"Manual"));
}

TEST_F(VirtualPageTest, SwitchGreysThePageAndClearsChannelCopyOnStereo) {
    OpenPage();
    EXPECT_TRUE(Enabled(L"Reset"));
    const struct {
        uint32_t channels;
        uint32_t surround;
        bool clearsCopy;
    } cases[] = {{2, 0, true}, {6, 0, false}, {2, 1, false}};
    for (const auto& row : cases) {
        room.PutCached(L"Enable_SS_LFX", 1);
        room.PutCached(L"Enable_Channel_COPY_LFX", 1);
        room.PutCached(L"DevChannelNumControl", row.channels);
        room.PutCached(L"Enable_KESTAL_HPSPK_LFX", row.surround);
        Click(L"BtnEnableSpeakerVirtual");
        EXPECT_EQ(room.Live(L"Enable_SS_LFX"), 0);
        EXPECT_EQ(room.Live(L"Enable_Channel_COPY_LFX"), row.clearsCopy ? 0 : 1) << row.channels;
        EXPECT_EQ(main.m_announced.back(), L"Enable_SS_LFX 1");
    }
    EXPECT_FALSE(Enabled(L"Reset"));
    EXPECT_FALSE(Enabled(L"PanelVSRoom"));
    EXPECT_FALSE(Enabled(L"LF_dB_Bar"));
    EXPECT_TRUE(Enabled(L"BtnEnableSpeakerVirtual"));
    EXPECT_EQ(handler->IsControlEnabled(L"Reset"), 0);
    EXPECT_EQ(handler->IsControlEnabled(L"BtnEnableSpeakerVirtual"), 1);
    EXPECT_EQ(handler->IsControlEnabled(L"reset"), 1); // names match whole and case-sensitively

    Click(L"BtnEnableSpeakerVirtual");
    EXPECT_EQ(room.Live(L"Enable_SS_LFX"), 1);
    EXPECT_TRUE(Enabled(L"Reset"));
    EXPECT_EQ(Check(L"BtnEnableSpeakerVirtual"), 1);
}

TEST_F(VirtualPageTest, ChannelCopySwitchesTheMatrixEffectsOffEvenWhenItsWriteFails) {
    OpenPage();
    room.m_refused.insert(L"Enable_Channel_COPY_LFX");
    main.m_announced.clear();
    Click(L"ChannelCopy");
    EXPECT_EQ(Wrote(L"Enable_Channel_COPY_LFX=1/1"), 1u);
    EXPECT_EQ(room.Live(L"Enable_PLIIX_LFX"), 0);
    EXPECT_EQ(room.Live(L"Enable_NEOPC_LFX"), 0);
    EXPECT_TRUE(std::find(main.m_announced.begin(), main.m_announced.end(), L"Enable_Channel_COPY_LFX 0") ==
                main.m_announced.end());

    room.m_refused.clear();
    room.PutCached(L"Enable_Channel_COPY_LFX", 1);
    room.m_writes.clear();
    Click(L"ChannelCopy");
    EXPECT_EQ(room.m_writes, (std::vector<std::wstring>{L"Enable_Channel_COPY_LFX=0/1"}));
}

TEST_F(VirtualPageTest, StoredRotationModeComesBackOnlyWhileTheEffectIsOn) {
    const struct {
        const wchar_t* flag;
        uint32_t on;
        int mode;
    } cases[] = {{L"__Clockwise", 0, 0},        {L"__Clockwise", 1, 1},   {L"__CounterClockwise", 0, 0},
                 {L"__CounterClockwise", 1, 2}, {L"__WiseArround", 0, 3}, {L"__Manual", 1, 0}};
    SteppedClock clock; // the turning thread never steps here
    OpenPage();
    Panel()->SetStepClock(&clock);
    for (const auto& row : cases) {
        for (const wchar_t* flag : kFlags)
            room.PutCached(flag, std::wstring(flag) == row.flag ? 1 : 0);
        room.PutCached(L"Enable_SS_LFX", row.on);
        handler->InitControls();
        EXPECT_EQ(Mode(), row.mode) << row.flag << L" " << row.on;
    }
    // Switching the effect on brings a stored clockwise turning back.
    for (const wchar_t* flag : kFlags)
        room.PutCached(flag, std::wstring(flag) == L"__Clockwise" ? 1 : 0);
    room.PutCached(L"Enable_SS_LFX", 0);
    handler->InitControls();
    EXPECT_EQ(Mode(), 0);
    Click(L"BtnEnableSpeakerVirtual");
    EXPECT_EQ(Mode(), 1);
    EXPECT_TRUE(Selected(L"Clockwise"));
    handler->StopRotation(0);
}

TEST_F(VirtualPageTest, RotationButtonsStoreOneFlagAndStopping) {
    SteppedClock clock;
    OpenPage();
    Panel()->SetStepClock(&clock);
    const struct {
        const wchar_t* button;
        int mode;
        std::vector<int> flags; // manual, clockwise, counter, around
    } presses[] = {
        {L"Clockwise", 1, {0, 1, 0, 0}},        {L"CounterClockwise", 2, {0, 0, 1, 0}},
        {L"CounterClockwise", 0, {1, 0, 0, 0}}, // the active turning pressed again stops it
        {L"WiseArround", 3, {0, 0, 0, 1}},      {L"Manual", 0, {1, 0, 0, 0}},
        {L"Clockwise", 1, {0, 1, 0, 0}},        {L"Clockwise", 0, {1, 0, 0, 0}},
    };
    for (const auto& press : presses) {
        Click(press.button);
        EXPECT_EQ(Mode(), press.mode) << press.button;
        EXPECT_EQ(Flags(), press.flags) << press.button;
    }

    // Leaving the page stops the turning but keeps the stored mode for the next visit.
    Click(L"CounterClockwise");
    handler->OnDeactivate();
    EXPECT_EQ(Mode(), 0);
    EXPECT_TRUE(Selected(L"Manual"));
    EXPECT_EQ(Flags(), (std::vector<int>{0, 0, 1, 0}));
    handler->InitControls();
    EXPECT_EQ(Mode(), 2);

    // The main window stops it before a profile or device change, and the stored mode becomes manual.
    auto* rotating = dynamic_cast<IRotatingHandler*>(static_cast<IHandler*>(handler));
    ASSERT_NE(rotating, nullptr);
    rotating->StopRotation(1, 1);
    EXPECT_EQ(Mode(), 0);
    EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 0, 0}));
}

TEST_F(VirtualPageTest, PressingTheLitTurningButtonAgainStopsTheTurning) {
    // Through the mouse, on every shipped page: the lit button must still hear the press.
    for (const wchar_t* name : kPages) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        SteppedClock clock;
        OpenPage(name);
        Panel()->SetStepClock(&clock);
        for (const wchar_t* button : {L"Clockwise", L"CounterClockwise"}) {
            MouseClick(button);
            EXPECT_EQ(Mode(), button == std::wstring(L"Clockwise") ? 1 : 2);
            EXPECT_TRUE(Selected(button));
            MouseClick(button);
            EXPECT_EQ(Mode(), 0) << "the lit button pressed again";
            EXPECT_TRUE(Selected(L"Manual"));
            EXPECT_FALSE(Selected(button));
            EXPECT_EQ(Flags(), (std::vector<int>{1, 0, 0, 0}));
        }
        // A lit mode without turning ignores a second press, as radio buttons do.
        MouseClick(L"WiseArround");
        MouseClick(L"WiseArround");
        EXPECT_EQ(Mode(), 3);
        EXPECT_TRUE(Selected(L"WiseArround"));
        delete page->GetOwner();
    }
}

TEST_F(VirtualPageTest, TurningThreadWritesAnglesToItsEndpointUnderTheLock) {
    SteppedClock clock;
    OpenPage();
    Panel()->SetStepClock(&clock);
    main.m_announced.clear();
    Click(L"Clockwise");
    clock.Step();
    ASSERT_TRUE(room.WaitForEndpointWrites(8));
    const std::vector<std::wstring> writes = room.EndpointWrites();
    ASSERT_GE(writes.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        const std::wstring prefix = L"1:" + std::wstring(CVirtualHandler::kAngleKeys[i]) + L"=";
        EXPECT_EQ(writes[i].rfind(prefix, 0), 0u) << writes[i];
    }
    // The status panel is a window: the turning thread announces nothing.
    EXPECT_TRUE(main.m_announced.empty());

    // A level step waits for a turning step that is inside its writes.
    Sleep(100); // the thread's steps so far have settled
    const int before = room.m_entered;
    ASSERT_EQ(before % 8, 0);
    room.m_gate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    clock.Step();
    for (int i = 0; i < 500 && room.m_entered < before + 1; ++i)
        Sleep(10);
    Sleep(50);
    ASSERT_EQ(room.m_entered.load(), before + 1) << "the turning thread is held inside its first write, in the lock";
    std::thread opener([gate = room.m_gate] {
        Sleep(200);
        SetEvent(gate);
    });
    handler->IncreaseSpeakerDB();
    opener.join();
    // Every distance read of the step comes after the whole turning step.
    const std::vector<std::wstring> journal = room.JournalCopy();
    const auto isEndpoint = [](const std::wstring& entry) { return entry.rfind(L"endpoint", 0) == 0; };
    const auto first = std::find_if(journal.begin(), journal.end(), isEndpoint);
    const auto last = std::find_if(journal.rbegin(), journal.rend(), isEndpoint).base();
    const auto stepRead = std::find_if(first, journal.end(), [](const std::wstring& entry) {
        return entry.rfind(L"read SS_", 0) == 0 && entry.find(L"_DIST") != std::wstring::npos;
    });
    ASSERT_NE(stepRead, journal.end());
    EXPECT_GE(stepRead, last) << "a level step ran inside a turning step";
    EXPECT_EQ(room.m_endpointCount.load(), before + 8);
    handler->StopRotation(0);
}

// The keys the turning thread wrote reach the status panel and the profile strip on the window's thread,
// once each however many steps ran before the message did.
TEST_F(VirtualPageTest, TurningThreadHandsItsAngleNoticesToTheWindowThread) {
    SteppedClock clock;
    OpenPage();
    Panel()->SetStepClock(&clock);
    Click(L"Clockwise");
    clock.Step();
    ASSERT_TRUE(room.WaitForEndpointWrites(16));
    handler->StopRotation(0); // joins the thread: every step it made has posted what it will
    main.m_announced.clear();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    std::vector<std::wstring> expected;
    for (const wchar_t* key : CVirtualHandler::kAngleKeys)
        expected.push_back(std::wstring(key) + L" 0");
    EXPECT_EQ(main.m_announced, expected);
}

// Hidden in the tray (or minimised) the speakers keep turning on the device, but no step wakes the window:
// nothing is announced and no repaint is asked for until the window shows again.
TEST_F(VirtualPageTest, TurningBehindAHiddenWindowWritesAnglesButWakesNoWindow) {
    SteppedClock clock;
    OpenPage();
    Panel()->SetStepClock(&clock);
    const HWND hwnd = dialog.GetSafeHwnd();
    const auto drain = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    };
    const auto stepAndWait = [&](int writes) {
        clock.Step();
        ASSERT_TRUE(room.WaitForEndpointWrites(writes));
        Sleep(50); // the step's posts follow its writes
    };
    Click(L"Clockwise");
    ASSERT_TRUE(room.WaitForEndpointWrites(8));
    Sleep(50);
    drain();

    ShowWindow(hwnd, SW_HIDE);
    drain();
    main.m_announced.clear();
    ASSERT_NO_FATAL_FAILURE(stepAndWait(16));
    ASSERT_NO_FATAL_FAILURE(stepAndWait(24));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, 0, 0, PM_NOREMOVE | PM_QS_POSTMESSAGE)) << "message " << msg.message;
    drain();
    EXPECT_TRUE(main.m_announced.empty());

    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    drain();
    ASSERT_NO_FATAL_FAILURE(stepAndWait(32));
    EXPECT_TRUE(PeekMessageW(&msg, hwnd, kMsgRedrawOwnControl, kMsgRedrawOwnControl, PM_NOREMOVE))
        << "the first step after showing draws the ring where it stands";
    drain();
    EXPECT_FALSE(main.m_announced.empty());
    handler->StopRotation(0);
}

// A device that cannot give a distance: a level step moves an unreadable speaker from where the page shows
// it, and no write ever leaves the room's range of 19 to 50.
TEST_F(VirtualPageTest, FailedDistanceQueriesNeverWriteADistanceOutsideTheRoom) {
    room.m_unreadable.insert(L"SS_LB_DIST");
    OpenPage();
    room.m_writes.clear();
    Click(L"BtnAdddB");
    EXPECT_EQ(Wrote(L"SS_LB_DIST=29/0"), 1u) << "one decibel up from distance 30";
    EXPECT_EQ(Control(L"LB_dB")->GetText(), L"-6");

    room.m_queriesFail = true;
    room.m_writes.clear();
    Click(L"BtnSubdB");
    for (const std::wstring& write : room.m_writes)
        EXPECT_EQ(write.find(L"_DIST"), std::wstring::npos) << write;
    Click(L"Reset");
    for (const wchar_t* key : CVirtualHandler::kDistanceKeys)
        EXPECT_EQ(Wrote(std::wstring(key) + L"=30/0"), 1u) << key;

    room.m_unreadable.insert(L"Enable_SS_LFX");
    CVirtualHandler::WriteDefaults(&room, 7);
    for (const std::wstring& write : room.EndpointWrites()) {
        if (write.find(L"_DIST") != std::wstring::npos) {
            EXPECT_NE(write.find(L"=30/0"), std::wstring::npos) << write;
        }
    }
}

TEST_F(VirtualPageTest, PollNoticesChangesBehindThePage) {
    OpenPage();
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
    const struct {
        const wchar_t* key;
        double value;
    } changes[] = {{L"SS_RF_ANGLE", 30}, {L"SS_LFE_DIST", 20}, {L"Enable_Channel_COPY_LFX", 1}, {L"Enable_SS_LFX", 0}};
    for (const auto& change : changes) {
        const double before = room.Live(change.key);
        room.Put(change.key, change.value);
        EXPECT_EQ(handler->UpdateFromDriver(), 1) << change.key;
        room.PutCached(change.key, std::isnan(before) ? 0 : before);
    }
    // While the effect is off only the switch counts.
    room.PutCached(L"Enable_SS_LFX", 0);
    room.Put(L"SS_RF_ANGLE", 10);
    EXPECT_EQ(handler->UpdateFromDriver(), 0);
}

TEST_F(VirtualPageTest, StartUpDefaultsAreWrittenOnlyToAnUnsetEndpoint) {
    room.m_unreadable.insert(L"Enable_SS_LFX");
    CVirtualHandler::WriteDefaults(&room, 7);
    const std::vector<std::wstring> writes = room.EndpointWrites();
    ASSERT_EQ(writes.size(), 17u);
    EXPECT_EQ(writes[0], L"7:Enable_SS_LFX=0/1");
    EXPECT_EQ(writes[1], L"7:SS_C_ANGLE=0/0");
    EXPECT_EQ(writes[2], L"7:SS_C_DIST=27/0");
    EXPECT_EQ(writes[5], L"7:SS_LB_ANGLE=-135/0");
    EXPECT_EQ(writes[15], L"7:SS_LFE_ANGLE=15/0");

    room.m_unreadable.clear();
    CVirtualHandler::WriteDefaults(&room, 7);
    EXPECT_EQ(room.EndpointWrites().size(), 17u);
}

TEST_F(VirtualPageTest, EveryPageDrawsTheRoom) {
    for (const wchar_t* panel : {L"SpeakerQuarterVirtual", L"HeadPhoneVirtual", L"SPDIFOutVirtual"}) {
        CVirtualHandler* opened = Open(panel, static_cast<CVirtualHandler*>(new CHeadPhoneVirtualHandler));
        EXPECT_NE(opened->FindControl(L"PanelVSRoom"), nullptr);
        for (const wchar_t* name : kPageControls)
            EXPECT_NE(opened->FindControl(name), nullptr) << name;
        EXPECT_NE(opened->FindControl(L"BtnEnableSpeakerVirtual"), nullptr);
        delete page->GetOwner();
    }
    environment.m_texts = {{L"ml_VS_Title", L"Virtual speakers"}, {L"ml_VS_Manual", L"Move speakers"},
                           {L"ml_VS_Clockwise", L"Clockwise"},    {L"ml_VS_CounterClockwise", L"Counterclockwise"},
                           {L"ml_VS_WholeRing", L"Turn all"},     {L"ml_VS_Reset", L"Reset"},
                           {L"ml_VS_Levels", L"Speaker levels"},  {L"ml_VS_dB", L"dB"},
                           {L"ml_VS_LevelDown", L"All -1 dB"},    {L"ml_VS_LevelUp", L"All +1 dB"},
                           {L"ml_VS_Rotation", L"Rotation"},      {L"ml_VS_ChannelCopy", L"Channel copy"}};
    OpenPage();
    const uint32_t empty = dialog.GetPixel(740, 380);
    // The listener's head is drawn in the middle of the room, the room inside its panel.
    EXPECT_NE(dialog.GetPixel(16 + 160, 52 + 160), empty);
    EXPECT_NE(dialog.GetPixel(16 + 160, 52 + 100), empty);
    SaveBackBuffer(dialog, ProgramDir().parent_path() / "gallery" / "apoSpeakerVirtual.png");
}

} // namespace
