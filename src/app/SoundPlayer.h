#pragma once
// The speaker-test player: plays the test wave of one speaker position, or of several one after another,
// through the driver object's test-sound calls. The driver reports the end of each wave; the main window
// hands that report to OnPlayEnd, which starts the next wave of a sequence.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ISoundPlayer.h"

class IDriverInstance;
class ISoundPlayListener;

class CSoundPlayer : public ISoundPlayer {
public:
    // Channels 0 to 7 have a test wave; higher ones have none.
    static constexpr uint32_t kChannelCount = 8;

    CSoundPlayer() = default;
    ~CSoundPlayer();
    CSoundPlayer(const CSoundPlayer&) = delete;
    CSoundPlayer& operator=(const CSoundPlayer&) = delete;

    // The driver the waves play through and the folder holding them (with a trailing backslash); the
    // owner sets both before the first play.
    void SetDriver(IDriverInstance* driver) { m_driver = driver; }
    void SetWaveFolder(std::wstring folder) { m_waveFolder = std::move(folder); }

    // ISoundPlayer
    bool IsPlaying() const override { return m_playing != 0; }
    void SetListener(ISoundPlayListener* listener) override { m_listener = listener; }
    int Stop(int waitAfter) override;
    // Waits up to timeoutMs for the stops running on other threads; true when none runs any more.
    bool WaitForStops(DWORD timeoutMs) const;

    // 1 when the channel's wave started; a channel already playing does nothing and answers 0.
    int PlayChannel(int channel);
    // Plays the channels in order; the caller's list is emptied. 0 while a sequence runs.
    int PlaySequence(std::vector<uint32_t>& channels);
    // The driver reported the end of the current wave.
    void OnPlayEnd();
    void Reset();
    // Empty when the channel has no wave or its file is missing.
    std::wstring GetWaveFilePath(uint32_t channel) const;

    ISoundPlayListener* GetListener() const { return m_listener; }
    bool IsSequence() const { return m_sequence != 0; }
    int GetCurrentChannel() const { return m_currentChannel; }

private:
    int Play(uint32_t channel);
    int PlayCurrent();
    void NotifyEnd(int channel) const;

    ISoundPlayListener* m_listener = nullptr;
    // Read by the framework's stop worker while the user-interface thread waits for it.
    volatile int32_t m_playing = 0;
    // Stops under way, on whatever thread: the owner must not free the player under one.
    std::atomic<int> m_stopsRunning{0};
    int32_t m_sequence = 0;
    std::vector<uint32_t> m_channels;
    int32_t m_index = 0;
    int32_t m_currentChannel = -1;
    uint32_t m_waveChannel = 0;
    int32_t m_previousChannel = -1;
    IDriverInstance* m_driver = nullptr;
    std::wstring m_waveFolder;
};
