#pragma once
// The virtual speaker page: eight speakers around the listener in the room panel, each written to the driver
// as an angle in degrees and a distance, with the level the driver derives from the distance. The panel's
// turning thread writes the angles through this handler too, so the handler's lock serialises those writes
// with the level steps of the user-interface thread; that thread never touches a window here.

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/BaseHandler.h"
#include "app/MainPanelHandlers.h"
#include "handlers/effects/IVirtualHandler.h"

class CPanelVirtualSpeaker;

class CVirtualHandler : public CBaseHandler, public IVirtualHandler, public IRotatingHandler {
public:
    static constexpr int kSpeakerCount = 8;
    static constexpr int kMinDB = -13;
    static constexpr int kMaxDB = 4;
    static constexpr int kResetDB = -4;

    explicit CVirtualHandler(int32_t endpointCode = 0);
    ~CVirtualHandler() override;

    // IHandler
    void InitControls() override;
    void OnDeactivate() override;
    int KeepContentLoaded() override { return 1; }
    int UpdateFromDriver() override;
    int UpdateView() override { return 1; }
    int IsControlEnabled(const std::wstring& name) override;
    int OnClick(const std::wstring& name) override;

    // IVirtualHandler
    int SetEnable() override;
    int SetRotationMode(int mode) override;
    int Reset() override;
    int IncreaseSpeakerDB() override { return StepSpeakerDB(+1); }
    int DecreaseSpeakerDB() override { return StepSpeakerDB(-1); }
    int SetSpeakerPosition(int index, float angle, float distance, int done) override;
    int SetChannelCopy() override;

    // IPanelVirtualSpeakerListener
    int OnSpeakerMoved(int index, float angle, float distance, int done) override;
    int OnSpeakersRotated(const float* angles, int redraw) override;
    void OnPanelRedraw() override;
    // The angle keys the turning thread wrote go to the status panel and the profile strip here.
    void OnTurningNotice() override;

    // IRotatingHandler: the main handler stops a turning room before a profile or device change, and the
    // stored mode then says "manual".
    void StopRotation(int, int) override { StopRotation(1); }
    void StopRotation(int persist);

    void ShowSpeakerLevels();
    int GetEnable() const;
    void SetEnableValue(int on) const;
    void LoadRotationMode(int setSwitch);
    void ApplyRotationMode(int redraw);
    int32_t GetEndpointCode() const { return m_endpointCode; }

    int GetSpeakerShiftVolumeLevel(int32_t distance) const {
        int32_t level = 0;
        Query(GetDriver(), kLevelQuery, distance, level);
        return level;
    }
    // The process-wide driver, for the start-up defaults that run before any page exists. A device that
    // cannot say gives the distance a refresh shows for an unreadable speaker, never one outside the room.
    static int GetSpeakerShiftDistanceByDB(int decibels);
    static int GetSpeakerShiftDistanceByDB(IDriverInstance* driver, int decibels);
    static void InitDefaults(int32_t endpointCode);
    static void WriteDefaults(IDriverInstance* driver, int32_t endpointCode);

    // Unit conversions between the panel (radians, fraction of the radius) and the driver (whole degrees,
    // whole distance units).
    static int32_t AngleToDegrees(float angle);
    static float DegreesToAngle(int32_t degrees) { return static_cast<float>(degrees * 0.0175); }
    static float DistanceToPanel(int32_t distance) { return static_cast<float>(distance * 0.02); }
    static int32_t DistanceToDriver(float distance);

    static const wchar_t* const kAngleKeys[kSpeakerCount];
    static const wchar_t* const kDistanceKeys[kSpeakerCount];

private:
    static constexpr wchar_t kLevelQuery[] = L"GetSpeakerShiftVolumeLevel";
    static constexpr wchar_t kDistanceQuery[] = L"GetSpeakerShiftDistanceByDB";

    // One of the two level queries; false (result untouched) when the driver cannot answer.
    static bool Query(IDriverInstance* driver, const wchar_t* key, int32_t input, int32_t& result);
    int StepSpeakerDB(int step);
    void ShowLevel(int index, int decibels, int redraw) const;
    CPanelVirtualSpeaker* Panel() const;
    int PanelMode() const;
    // The room's angles, distances and turning flags are signed numbers (kValueInt).
    bool ReadSigned(const wchar_t* key, int32_t& value) const;
    bool WriteSigned(const wchar_t* key, int32_t value) const;
    // The live value against the cached one, of the given value type.
    bool Differs(const wchar_t* key, int32_t valueType, int32_t* live = nullptr) const;
    void RedrawOwner() const;
    // The main window is on the screen (neither hidden in the tray nor minimised); safe on any thread.
    bool HostShowing() const;

    int32_t m_endpointCode;
    DWORD m_uiThread;
    mutable CRITICAL_SECTION m_lock;
    // Under the lock: one bit per speaker whose angle the turning thread wrote since the last notice.
    unsigned m_pendingAngles = 0;
};

class CSpeakerVirtualHandler : public CVirtualHandler {
public:
    CSpeakerVirtualHandler() : CVirtualHandler(1) { m_name = L"SpeakerVirtualHandler"; }
};

class CSpeakerQuarterVirtualHandler : public CVirtualHandler {
public:
    CSpeakerQuarterVirtualHandler() : CVirtualHandler(12) { m_name = L"SpeakerQuarterVirtualHandler"; }
};

class CHeadPhoneVirtualHandler : public CVirtualHandler {
public:
    CHeadPhoneVirtualHandler() : CVirtualHandler(7) { m_name = L"HeadPhoneVirtualHandler"; }
};

class CSPDIFOutVirtualHandler : public CVirtualHandler {
public:
    CSPDIFOutVirtualHandler() : CVirtualHandler(4) { m_name = L"SPDIFOutVirtualHandler"; }
};
