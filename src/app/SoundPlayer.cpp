#include "app/SoundPlayer.h"

#include <windows.h>

#include "app/ISoundPlayListener.h"
#include "driver/IDriverInstance.h"

namespace {

// Indexed by channel number.
constexpr const wchar_t* kWaveFiles[CSoundPlayer::kChannelCount] = {
    L"L-Front.wav", L"R-Front.wav",   L"L-BackSurround.wav", L"R-BackSurround.wav",
    L"Center.wav",  L"Subwoofer.wav", L"L-Surround.wav",     L"R-Surround.wav",
};

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CSoundPlayer::~CSoundPlayer() {
    Stop(0);
    if (m_driver)
        m_driver->CloseTestSound();
}

std::wstring CSoundPlayer::GetWaveFilePath(uint32_t channel) const {
    if (channel >= kChannelCount)
        return {};
    std::wstring path = m_waveFolder + kWaveFiles[channel];
    return FileExists(path) ? path : std::wstring();
}

void CSoundPlayer::NotifyEnd(int channel) const {
    if (m_listener)
        m_listener->OnPlayEnd(channel);
}

void CSoundPlayer::Reset() {
    m_playing = 0;
    m_sequence = 0;
    m_currentChannel = -1;
}

int CSoundPlayer::Play(uint32_t channel) {
    m_waveChannel = channel;
    return PlayCurrent();
}

int CSoundPlayer::PlayCurrent() {
    const std::wstring path = GetWaveFilePath(m_waveChannel);
    if (path.empty() || !m_driver)
        return 0;
    m_driver->CloseTestSound();
    m_playing = 1;
    if (!m_driver->PlayTestSound(path, static_cast<int32_t>(m_waveChannel)))
        return 0;
    if (m_listener)
        m_listener->OnPlayStart(static_cast<int>(m_waveChannel));
    return 1;
}

int CSoundPlayer::PlayChannel(int channel) {
    if (channel == m_currentChannel)
        return 0;
    if (m_playing) {
        m_previousChannel = m_currentChannel;
        Stop(1);
    } else {
        m_previousChannel = channel;
    }
    m_currentChannel = channel;
    // A negative channel has no wave: the conversion makes it one past every table entry.
    const int result = Play(static_cast<uint32_t>(channel));
    if (!result)
        Reset();
    return result;
}

int CSoundPlayer::PlaySequence(std::vector<uint32_t>& channels) {
    if (m_sequence) {
        channels.clear();
        return 0;
    }
    if (m_playing)
        Stop(1);
    int result = 0;
    if (!channels.empty()) {
        m_channels = channels;
        m_index = 0;
        m_currentChannel = static_cast<int32_t>(m_channels.front());
        result = Play(m_channels.front());
        if (result)
            m_sequence = 1;
    }
    if (!result)
        Reset();
    channels.clear();
    return result;
}

void CSoundPlayer::OnPlayEnd() {
    if (!m_playing)
        return;
    if (m_sequence) {
        const int32_t last = static_cast<int32_t>(m_channels.size()) - 1;
        if (m_index >= last) {
            m_playing = 0;
            m_sequence = 0;
        }
        NotifyEnd(m_currentChannel);
        if (m_playing) {
            bool started = false;
            while (!started && ++m_index <= last) {
                m_currentChannel = static_cast<int32_t>(m_channels[m_index]);
                started = Play(m_channels[m_index]) != 0;
            }
            if (!started) {
                m_playing = 0;
                m_sequence = 0;
                NotifyEnd(m_currentChannel);
            }
        }
    } else if (m_previousChannel != m_currentChannel) {
        // After a switch from one channel to another the first end notice belongs to the stopped wave,
        // whose end Stop has reported already: the wave now playing has not ended, so nobody is told.
        m_previousChannel = m_currentChannel;
    } else {
        m_playing = 0;
        NotifyEnd(m_currentChannel);
    }
    if (!m_playing)
        Reset();
}

bool CSoundPlayer::WaitForStops(DWORD timeoutMs) const {
    const ULONGLONG start = ::GetTickCount64();
    while (m_stopsRunning.load() > 0) {
        if (::GetTickCount64() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

int CSoundPlayer::Stop(int waitAfter) {
    struct Running {
        std::atomic<int>& count;
        explicit Running(std::atomic<int>& c) : count(c) { ++count; }
        ~Running() { --count; }
    } running(m_stopsRunning);
    if (!m_playing)
        return 0;
    const int channel = m_currentChannel;
    Reset();
    // The driver itself waits the device's settle time after the stop when asked to.
    if (m_driver)
        m_driver->StopTestSound(waitAfter != 0);
    NotifyEnd(channel);
    return 0;
}
