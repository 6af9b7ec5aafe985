#pragma once
// What the surround speakers and surround headphone pages share: the effect switch both drive (told apart by
// "KESTAL_HPSPK_USEHP"), the music/movie mode controls, the change poll and the speaker test that walks the
// room.

#include <cstdint>
#include <span>
#include <string>

#include "app/BaseHandler.h"
#include "handlers/PageKeys.h"

class CSoundPlayer;

class CVimoSurroundPageHandler : public CBaseHandler {
public:
    // Speaker positions in the player's channel order.
    static constexpr int kSpeakerCount = 8;
    // The order "BtnSpeakerTest" walks the room in: round the listener, subwoofer last.
    static constexpr uint32_t kTestSequence[kSpeakerCount] = {0, 4, 1, 7, 3, 2, 6, 5};

    // Unknown names test the front left speaker.
    static int SpeakerIndexFromImage(const std::wstring& image);
    // Empty above the last speaker, so no image is touched.
    static std::wstring ImageFromSpeakerIndex(int index);

    // IHandler
    void OnDeactivate() override { StopSoundOnWorker(FALSE); }
    // Listeners
    void OnPlayStart(int channel) override;
    void OnPlayEnd(int channel) override;

protected:
    bool Read(const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache,
              uint32_t size = kDefaultNumberSize) const;
    bool Write(const wchar_t* key, uint32_t value) const;
    void CheckButton(const std::wstring& name, bool on, BOOL redraw) const;

    // The mode buttons and their labels: greyed with `enable` where the mode key reads, hidden where it does
    // not. True with the mode read.
    bool ShowModeControls(const wchar_t* modeKey, BOOL enable, uint32_t& mode);
    // The shared switch changed; or it is on in the cache and one of the page's settings changed; or the
    // channel count did.
    int PollSurround(std::span<const wchar_t* const> watchedWhileOn) const;

    // The test button and the speaker images; true when the name is one of them.
    bool OnTestClick(const std::wstring& name);
    // The effect went off: the test button and the speaker images show nothing playing. A running test
    // keeps running; its next start notice checks the button again.
    void ClearTestButtons();

private:
    CSoundPlayer* Player() const;
    void RunSpeakerTest();
    void ShowTestState(int channel, bool playing);
};
