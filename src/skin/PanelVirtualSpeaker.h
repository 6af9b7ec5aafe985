#pragma once
// The virtual speaker room: eight speakers placed around the listener by angle and distance. The user drags
// one speaker (mode 0) or turns the whole set by dragging (mode 3); a worker thread can turn the set on its
// own one way or the other (modes 1 and 2). Every change goes to the listener, the virtual-room handler,
// which writes the driver properties. The speakers and the head are CBaseObj objects the panel owns, draws
// and hit-tests itself; they are not in the layer tree.
//
// Threads: the turning thread changes the placement and calls the listener; the user-interface thread
// paints, drags and changes modes. The placement is guarded by the panel's own lock, which is never held
// while the listener runs. The thread touches no window: its listener posts the repaint.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "framework/Thread.h"
#include "skin/BaseObj.h"
#include "skin/IPanelVirtualSpeaker.h"
#include "skin/Lock.h"
#include "skin/SkinCtrl.h"

class IPanelVirtualSpeakerListener;

class CPanelVirtualSpeaker : public CxSkinCtrl, public virtual IPanelVirtualSpeaker {
    DECLARE_DYNAMIC(CPanelVirtualSpeaker)
public:
    static constexpr int kSpeakers = 8;
    static constexpr int kSubwoofer = 7;
    static constexpr int kHeadId = 100;
    enum Mode : int { kModeDrag = 0, kModeClockwise = 1, kModeCounterClockwise = 2, kModeTurnAll = 3 };
    static constexpr float kHalfPi = 1.570795f;
    static constexpr float kMinDistance = 0.38f;
    static constexpr float kMaxDistance = 1.0f;
    static constexpr float kStepAngle = 0.035f;
    static constexpr DWORD kStepPeriodMs = 150;
    static constexpr DWORD kFinishWaitMs = 5000;
    static constexpr int kCircleInset = 30;
    static constexpr int kBackgroundInset = 10;
    // The angle each speaker's image is drawn at unrotated.
    static const std::array<float, kSpeakers> kDefaultAngles;

    // How the turning thread waits between steps. The system clock waits on the stop event for the step
    // period; tests step the thread by hand.
    class IStepClock {
    public:
        // Waits up to periodMs; true when the period ran out (time for the next step), false when stopEvent
        // was signalled.
        virtual bool WaitForStep(HANDLE stopEvent, DWORD periodMs) = 0;

    protected:
        ~IStepClock() = default;
    };

    struct Polar {
        float angle;
        float distance;
    };

    CPanelVirtualSpeaker();
    ~CPanelVirtualSpeaker() override;

    // IxSkinCtrl: throws a CxSkinControlsException (as a pointer) for a null parent. Joins the parent as its
    // first child (drawn beneath the other controls), finds the listener and makes the head and speakers.
    BOOL Create(const RECT& rect, CLayerWnd* parent, UINT id) override;
    using CxSkinCtrl::Create;

    // IPanelVirtualSpeaker
    int SetBarNormalSkin(const std::wstring& path) override;
    int SetBarDisableSkin(const std::wstring& path) override;
    int SetSpeakerSkin(int index, const std::wstring& path) override;
    int SetSpeakerDisableSkin(int index, const std::wstring& path) override;
    void SetListener(IPanelVirtualSpeakerListener* listener) override { m_panelListener = listener; }
    using CxSkinObject::SetListener;
    int SetSpeakerPosition(int index, float angle, float distance) override;
    int GetMode() override { return m_mode; }
    void SetMode(int mode) override;

    // Stores the tooltip of a speaker (0..7) or the head (100), shown once the object exists; other
    // indices return 0.
    virtual int SetSpeakerToolTip(int index, const std::wstring& text);
    // Moves one speaker to a new distance at its angle; no redraw. 0 for a bad index or a value that is not
    // a number.
    int SetSpeakerDistance(int index, float distance);
    // Redraws, except while an automatic mode is set and no turning thread runs.
    void Refresh();
    // The head for 100, a speaker for 0..7, else null.
    CBaseObj* GetSpeaker(int index) const;
    // Whether the turning has moved the speakers far enough since the last time to be worth a repaint.
    BOOL NeedsRedraw() const;
    // The layer tree asks this of every layer before each scroll step, fade or flip frame: a turning room
    // keeps moving while they run.
    BOOL IsAnimated() const override { return NeedsRedraw(); }

    // Layer behaviour
    void DrawChildren(CDC* dc, const RECT* clip) override;
    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DestroyChildren() override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnMouseOut() override;
    // The head when the point is on it, else the first speaker holding it, else the panel.
    CLayerWnd* LayerFromPoint(POINT point) override;

    // Geometry over the circle rectangle.
    POINT PointOf(float angle, float distance) const;
    Polar PolarOf(POINT point) const;
    // The point held to the ring between the minimum and maximum distance, with its polar values.
    POINT Constrain(POINT point, Polar* polar) const;
    // Into [-pi, pi], so that endless turning never loses float precision; 0 for a value that is not a number.
    static float WrapAngle(float angle);

    // The layer message that brings a listener's notice from the turning thread to the user-interface
    // thread. Any thread may post it; the listener hears OnTurningNotice when it arrives, unless the panel
    // has gone by then.
    static constexpr UINT kTurningNoticeMessage = 2027;
    BOOL PostListenerNotice() const;
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override;

    // Null: the system clock. Set before the thread starts; the clock must outlive the thread.
    void SetStepClock(IStepClock* clock) { m_clock = clock; }
    IPanelVirtualSpeakerListener* GetPanelListener() const { return m_panelListener; }
    float GetAngle(int index) const;
    float GetDistance(int index) const;
    int GetDraggedIndex() const { return m_dragged; }
    BOOL IsTurning() const;
    RECT GetCircleRect() const { return m_circleRect; }
    RECT GetBackgroundRect() const { return m_backgroundRect; }
    Gdiplus::Bitmap* GetBackground() const { return m_background.get(); }
    Gdiplus::Bitmap* GetDisabledBackground() const { return m_disabledBackground.get(); }

private:
    struct HandleCloser {
        void operator()(HANDLE handle) const {
            if (handle)
                ::CloseHandle(handle);
        }
    };
    using UniqueHandle = std::unique_ptr<void, HandleCloser>;

    static bool IsSpeakerIndex(int index) { return index >= 0 && index < kSpeakers; }
    void LoadBackground(std::unique_ptr<Gdiplus::Bitmap>& slot, const std::wstring& path, const wchar_t* setter);
    std::wstring* PathSlot(int index, bool disabled);
    std::unique_ptr<CBaseObj> MakeObject(int id, POINT point, const std::wstring& path,
                                         const std::wstring& disabledPath, const std::wstring& toolTip);
    // Under the lock: stores the placement and moves the object.
    void Place(int index, float angle, float distance);
    int SpeakerAt(POINT point) const;
    void SyncObjectStates();
    void DragOne(POINT point);
    void DragAll(POINT point);
    void Paint(Gdiplus::Graphics& graphics);
    void PaintSpeaker(Gdiplus::Graphics& graphics, int index);

    void StartTurning();
    void StopTurning();
    static UINT TurnThreadProc(LPVOID param);
    void RunTurning();
    void TurnStep();

    std::unique_ptr<CBaseObj> m_head;
    std::array<std::unique_ptr<CBaseObj>, kSpeakers> m_speakers;
    std::array<float, kSpeakers> m_angles{};
    std::array<float, kSpeakers> m_distances{};
    std::array<float, kSpeakers> m_savedAngles{};
    std::wstring m_headPath, m_headDisabledPath, m_headToolTip;
    std::array<std::wstring, kSpeakers> m_speakerPaths, m_speakerDisabledPaths, m_speakerToolTips;
    std::unique_ptr<Gdiplus::Bitmap> m_background;
    std::unique_ptr<Gdiplus::Bitmap> m_disabledBackground;
    std::atomic<IPanelVirtualSpeakerListener*> m_panelListener{nullptr};
    std::atomic<int> m_mode{kModeDrag};
    int m_dragged = -1;
    RECT m_circleRect{};
    RECT m_backgroundRect{};
    mutable float m_lastDrawnAngle = 0.0f; // under the lock
    // Guards the placement (angles, distances, object positions) between the turning and UI threads.
    mutable CxLock m_lock;
    IStepClock* m_clock = nullptr;
    UniqueHandle m_stopEvent;
    UniqueHandle m_finishedEvent;
    std::atomic<bool> m_stop{false};
    // Last: it is joined before anything the thread reads goes.
    std::unique_ptr<CWorkerThread> m_thread;
};
