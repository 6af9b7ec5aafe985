// The speaker-test player against a recording driver: single channels, channel switches, sequences with
// missing waves, stops, and failures that must leave the player idle.
#include <gtest/gtest.h>

#include <fstream>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "HandlerTestSupport.h"
#include "TestPaths.h"
#include "app/SoundPlayer.h"

using namespace oc::test;

namespace {

// Logs the test-sound calls into one journal with the listener's notices, so their order shows.
class SoundDriver : public RecordingDriver {
public:
    bool PlayTestSound(const std::wstring& path, int32_t channel) override {
        m_log.push_back(L"play " + std::to_wstring(channel) + L" " + path.substr(path.find_last_of(L'\\') + 1));
        return m_playResult;
    }
    bool StopTestSound(bool waitAfter) override {
        m_log.push_back(waitAfter ? L"stop wait" : L"stop");
        return true;
    }
    bool CloseTestSound() override {
        ++m_closes;
        return true;
    }

    bool m_playResult = true;
    int m_closes = 0;
};

class Listener : public ISoundPlayListener {
public:
    explicit Listener(CallLog& log) : m_log(log) {}
    void OnPlayStart(int channel) override { m_log.push_back(L"start " + std::to_wstring(channel)); }
    void OnPlayEnd(int channel) override { m_log.push_back(L"end " + std::to_wstring(channel)); }

private:
    CallLog& m_log;
};

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every wave but the centre speaker's exists.
        for (const char* name : {"L-Front.wav", "R-Front.wav", "L-BackSurround.wav", "R-BackSurround.wav",
                                 "Subwoofer.wav", "L-Surround.wav", "R-Surround.wav"})
            std::ofstream(folder / name) << "RIFF";
        player.SetDriver(&driver);
        player.SetWaveFolder(folder.Path().wstring() + L"\\");
        player.SetListener(&listener);
    }
    CallLog Take() { return std::exchange(driver.m_log, {}); }

    TempDir folder;
    SoundDriver driver;
    Listener listener{driver.m_log};
    CSoundPlayer player;
};

TEST_F(SoundPlayerTest, WavePathsComeFromTheTableAndOnlyWhenTheFileExists) {
    EXPECT_EQ(player.GetWaveFilePath(0), folder.Path().wstring() + L"\\L-Front.wav");
    EXPECT_EQ(player.GetWaveFilePath(7), folder.Path().wstring() + L"\\R-Surround.wav");
    EXPECT_EQ(player.GetWaveFilePath(4), L"") << "Center.wav is missing";
    EXPECT_EQ(player.GetWaveFilePath(8), L"");
    EXPECT_EQ(player.GetWaveFilePath(9), L"");
}

TEST_F(SoundPlayerTest, OneChannelPlaysReportsItsStartAndEndsIdle) {
    EXPECT_EQ(player.PlayChannel(1), 1);
    EXPECT_EQ(Take(), (CallLog{L"play 1 R-Front.wav", L"start 1"}));
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.PlayChannel(1), 0) << "the channel already playing";
    EXPECT_TRUE(Take().empty());

    player.OnPlayEnd();
    EXPECT_EQ(Take(), (CallLog{L"end 1"}));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.GetCurrentChannel(), -1);
    player.OnPlayEnd(); // a late notice while idle
    EXPECT_TRUE(Take().empty());
}

TEST_F(SoundPlayerTest, ChannelsWithoutAWaveOrAFailingDriverStartNothingAndLeaveThePlayerIdle) {
    for (int channel : {9, 4, -1}) {
        EXPECT_EQ(player.PlayChannel(channel), 0) << channel;
        EXPECT_FALSE(player.IsPlaying()) << channel;
        EXPECT_EQ(player.GetCurrentChannel(), -1) << channel;
    }
    EXPECT_TRUE(Take().empty());

    driver.m_playResult = false;
    EXPECT_EQ(player.PlayChannel(0), 0);
    EXPECT_EQ(Take(), (CallLog{L"play 0 L-Front.wav"})) << "no start notice for a failed start";
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(SoundPlayerTest, SwitchingChannelsStopsTheOldWaveAndTheFirstEndNoticeBelongsToIt) {
    ASSERT_EQ(player.PlayChannel(0), 1);
    Take();
    EXPECT_EQ(player.PlayChannel(5), 1);
    EXPECT_EQ(Take(), (CallLog{L"stop wait", L"end 0", L"play 5 Subwoofer.wav", L"start 5"}));

    player.OnPlayEnd(); // the stopped wave's own end: channel 5 plays on and is not reported as ended
    EXPECT_TRUE(Take().empty());
    EXPECT_TRUE(player.IsPlaying());
    player.OnPlayEnd();
    EXPECT_EQ(Take(), (CallLog{L"end 5"}));
    EXPECT_FALSE(player.IsPlaying());
}

TEST_F(SoundPlayerTest, SequenceSkipsMissingWavesAndEndsOnceAfterTheLastChannel) {
    std::vector<uint32_t> channels{0, 4, 9, 1};
    EXPECT_EQ(player.PlaySequence(channels), 1);
    EXPECT_TRUE(channels.empty()) << "the caller's list is taken";
    EXPECT_EQ(Take(), (CallLog{L"play 0 L-Front.wav", L"start 0"}));
    EXPECT_TRUE(player.IsSequence());

    std::vector<uint32_t> second{2, 3};
    EXPECT_EQ(player.PlaySequence(second), 0) << "a running sequence is left alone";
    EXPECT_TRUE(second.empty());
    EXPECT_TRUE(Take().empty());

    player.OnPlayEnd();
    EXPECT_EQ(Take(), (CallLog{L"end 0", L"play 1 R-Front.wav", L"start 1"}));
    EXPECT_EQ(player.GetCurrentChannel(), 1);

    player.OnPlayEnd();
    EXPECT_EQ(Take(), (CallLog{L"end 1"}));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.IsSequence());
    EXPECT_EQ(player.GetCurrentChannel(), -1);
}

TEST_F(SoundPlayerTest, SequenceOfOnlyMissingWavesOrAnEmptyListPlaysNothing) {
    std::vector<uint32_t> none{4, 9};
    EXPECT_EQ(player.PlaySequence(none), 0);
    std::vector<uint32_t> empty;
    EXPECT_EQ(player.PlaySequence(empty), 0);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.IsSequence());
    EXPECT_TRUE(Take().empty());
}

TEST_F(SoundPlayerTest, StopHandsTheWaitToTheDriverAndReportsTheEnd) {
    EXPECT_EQ(player.Stop(1), 0);
    EXPECT_TRUE(Take().empty()) << "nothing plays";

    std::vector<uint32_t> channels{6, 7};
    ASSERT_EQ(player.PlaySequence(channels), 1);
    Take();
    EXPECT_EQ(player.Stop(0), 0);
    EXPECT_EQ(Take(), (CallLog{L"stop", L"end 6"}));
    EXPECT_FALSE(player.IsSequence());
    player.OnPlayEnd(); // the driver's notice for the stopped wave
    EXPECT_TRUE(Take().empty());

    ASSERT_EQ(player.PlayChannel(2), 1);
    Take();
    player.SetListener(nullptr);
    player.Stop(1);
    EXPECT_EQ(Take(), (CallLog{L"stop wait"}));
}

// A driver whose stop holds its caller until the test lets it go.
class HangingStopDriver : public SoundDriver {
public:
    bool StopTestSound(bool) override {
        ::WaitForSingleObject(m_release, 10000);
        return true;
    }
    HANDLE m_release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// The owner of the player can tell whether a stop on another thread is still inside it, within a bound.
TEST_F(SoundPlayerTest, WaitForStopsSeesAStopStillRunningElsewhere) {
    HangingStopDriver hanging;
    player.SetDriver(&hanging);
    EXPECT_TRUE(player.WaitForStops(0)) << "nothing runs";
    ASSERT_EQ(player.PlayChannel(0), 1);
    std::thread worker([&] { player.Stop(0); });
    while (player.IsPlaying())
        ::Sleep(1);
    EXPECT_FALSE(player.WaitForStops(100));
    ::SetEvent(hanging.m_release);
    EXPECT_TRUE(player.WaitForStops(5000));
    worker.join();
    ::CloseHandle(hanging.m_release);
    player.SetDriver(&driver);
}

TEST(SoundPlayerLifetime, DestructionStopsAndClosesTheTestSound) {
    TempDir folder;
    std::ofstream(folder / "L-Front.wav") << "RIFF";
    SoundDriver driver;
    {
        CSoundPlayer player;
        player.SetDriver(&driver);
        player.SetWaveFolder(folder.Path().wstring() + L"\\");
        ASSERT_EQ(player.PlayChannel(0), 1);
        driver.m_closes = 0;
    }
    EXPECT_EQ(driver.m_log.back(), L"stop");
    EXPECT_EQ(driver.m_closes, 1);
}

} // namespace
