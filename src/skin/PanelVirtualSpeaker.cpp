#include "skin/PanelVirtualSpeaker.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "framework/DC.h"
#include "skin/IPanelVirtualSpeakerListener.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CPanelVirtualSpeaker, CxSkinCtrl)

const std::array<float, CPanelVirtualSpeaker::kSpeakers> CPanelVirtualSpeaker::kDefaultAngles = {
    0.0f, -0.7853975f, -2.3561925f, -1.570795f, 0.7853975f, 2.3561925f, 1.570795f, 0.26179917f};

namespace {

constexpr float kPi = 3.14159f;
constexpr float kTwoPi = 2 * kPi;
// Below this a speaker is drawn as its image stands.
constexpr float kRotationThreshold = 0.02f;
constexpr float kDegreesPerRadian = 57.3f;
// Speaker 0 must have turned this far since the last repaint for the turning to ask for another.
constexpr float kRedrawAngle = 0.03f;
constexpr DWORD kJoinWaitMs = 1000;
constexpr wchar_t kNoImage[] = L"Null";

class SystemStepClock : public CPanelVirtualSpeaker::IStepClock {
public:
    bool WaitForStep(HANDLE stopEvent, DWORD periodMs) override {
        return ::WaitForSingleObject(stopEvent, periodMs) == WAIT_TIMEOUT;
    }
};

SystemStepClock g_systemClock;

RECT Inset(const RECT& rect, int by) {
    return {rect.left + by, rect.top + by, rect.right - by, rect.bottom - by};
}

Rect ToRect(const RECT& r) {
    return Rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Every layer of the parent but this one, put back after it, so this one is drawn first (beneath).
void MoveToBack(CLayerWnd* parent, CLayerWnd* layer) {
    std::vector<CLayerWnd*> others;
    for (int i = 0; i < parent->GetChildCount(); ++i) {
        if (CLayerWnd* child = parent->GetChild(i); child != layer)
            others.push_back(child);
    }
    for (CLayerWnd* child : others)
        parent->RemoveChild(child);
    for (CLayerWnd* child : others)
        parent->AddChild(child);
}

} // namespace

CPanelVirtualSpeaker::CPanelVirtualSpeaker() {
    // Until the handler places them, the speakers stand at their own angles on the ring.
    m_angles = kDefaultAngles;
    m_savedAngles = kDefaultAngles;
    m_distances.fill(kMaxDistance);
}

CPanelVirtualSpeaker::~CPanelVirtualSpeaker() {
    StopTurning();
    // The objects find the host through this panel, so they go while it is still whole.
    m_head.reset();
    for (auto& speaker : m_speakers)
        speaker.reset();
}

// ---- creation ----------------------------------------------------------------------------------------

BOOL CPanelVirtualSpeaker::Create(const RECT& rect, CLayerWnd* parent, UINT id) {
    if (!parent)
        throw new CxSkinControlsException(L"CPanelVirtualSpeaker::Create: pParent is NULL, Create failed!");
    if (!CxSkinCtrl::Create(rect, parent, id))
        return FALSE;
    MoveToBack(parent, this);
    if (auto* found = dynamic_cast<IPanelVirtualSpeakerListener*>(FindListener()))
        m_panelListener = found;

    const RECT client = GetClientRect();
    m_circleRect = Inset(client, kCircleInset);
    m_backgroundRect = Inset(client, kBackgroundInset);

    // Made aside and kept only when all are made, so a failure cannot leave half a set.
    auto head =
        MakeObject(kHeadId, {client.right / 2, client.bottom / 2}, m_headPath, m_headDisabledPath, m_headToolTip);
    std::array<std::unique_ptr<CBaseObj>, kSpeakers> speakers;
    for (int i = 0; i < kSpeakers; ++i)
        speakers[i] = MakeObject(i, {0, 0}, m_speakerPaths[i], m_speakerDisabledPaths[i], m_speakerToolTips[i]);

    CxLockGuard guard(m_lock);
    m_head = std::move(head);
    m_speakers = std::move(speakers);
    for (int i = 0; i < kSpeakers; ++i)
        Place(i, m_angles[i], m_distances[i]);
    return TRUE;
}

std::unique_ptr<CBaseObj> CPanelVirtualSpeaker::MakeObject(int id, POINT point, const std::wstring& path,
                                                           const std::wstring& disabledPath,
                                                           const std::wstring& toolTip) {
    auto object = std::make_unique<CBaseObj>();
    object->Create(this, id, point);
    // A picture that cannot be loaded leaves that object without images; the panel still works.
    try {
        object->setSkinImages(path, kNoImage, disabledPath, kNoImage, kNoImage, {0, 0});
        object->SetToolTipText(toolTip);
    } catch (CxSkinControlsException* e) {
        e->Delete();
    }
    return object;
}

void CPanelVirtualSpeaker::LoadBackground(std::unique_ptr<Bitmap>& slot, const std::wstring& path,
                                          const wchar_t* setter) {
    if (path.empty())
        return;
    slot = xSkinLoadBitmap(path.c_str());
    if (!slot)
        throw new CxSkinControlsException(
            (std::wstring(L"CPanelVirtualSpeaker::") + setter + L": failed to load skin (" + path + L")!").c_str());
}

int CPanelVirtualSpeaker::SetBarNormalSkin(const std::wstring& path) {
    LoadBackground(m_background, path, L"SetBarNormalSkin");
    return 1;
}

int CPanelVirtualSpeaker::SetBarDisableSkin(const std::wstring& path) {
    LoadBackground(m_disabledBackground, path, L"SetBarDisableSkin");
    return 1;
}

std::wstring* CPanelVirtualSpeaker::PathSlot(int index, bool disabled) {
    if (index == kHeadId)
        return disabled ? &m_headDisabledPath : &m_headPath;
    if (!IsSpeakerIndex(index))
        return nullptr;
    return disabled ? &m_speakerDisabledPaths[index] : &m_speakerPaths[index];
}

int CPanelVirtualSpeaker::SetSpeakerSkin(int index, const std::wstring& path) {
    std::wstring* slot = PathSlot(index, false);
    if (!slot)
        return 0;
    *slot = path;
    return 1;
}

int CPanelVirtualSpeaker::SetSpeakerDisableSkin(int index, const std::wstring& path) {
    std::wstring* slot = PathSlot(index, true);
    if (!slot)
        return 0;
    *slot = path;
    return 1;
}

int CPanelVirtualSpeaker::SetSpeakerToolTip(int index, const std::wstring& text) {
    std::wstring* slot = index == kHeadId        ? &m_headToolTip
                         : IsSpeakerIndex(index) ? &m_speakerToolTips[index]
                                                 : nullptr;
    if (!slot)
        return 0;
    *slot = text;
    if (CBaseObj* object = GetSpeaker(index))
        object->SetToolTipText(text);
    return 1;
}

CBaseObj* CPanelVirtualSpeaker::GetSpeaker(int index) const {
    if (index == kHeadId)
        return m_head.get();
    return IsSpeakerIndex(index) ? m_speakers[index].get() : nullptr;
}

// ---- geometry ----------------------------------------------------------------------------------------

float CPanelVirtualSpeaker::WrapAngle(float angle) {
    if (!std::isfinite(angle))
        return 0.0f;
    if (angle >= -kPi && angle <= kPi)
        return angle;
    return std::remainder(angle, kTwoPi);
}

POINT CPanelVirtualSpeaker::PointOf(float angle, float distance) const {
    const int cx = (m_circleRect.left + m_circleRect.right) / 2, cy = (m_circleRect.top + m_circleRect.bottom) / 2;
    const float width = static_cast<float>(m_circleRect.right - m_circleRect.left);
    const float b = kHalfPi - angle;
    return {cx + static_cast<LONG>(0.5f * std::cos(b) * distance * width),
            cy - static_cast<LONG>(0.5f * std::sin(b) * distance * width)};
}

CPanelVirtualSpeaker::Polar CPanelVirtualSpeaker::PolarOf(POINT point) const {
    const int cx = (m_circleRect.left + m_circleRect.right) / 2, cy = (m_circleRect.top + m_circleRect.bottom) / 2;
    const float width = static_cast<float>(m_circleRect.right - m_circleRect.left);
    if (width <= 0)
        return {0.0f, 0.0f};
    const float u = static_cast<float>(point.x - cx) * 2 / width;
    const float v = static_cast<float>(point.y - cy) * -2 / width;
    return {kHalfPi - std::atan2(v, u), std::sqrt(u * u + v * v)};
}

POINT CPanelVirtualSpeaker::Constrain(POINT point, Polar* polar) const {
    Polar p = PolarOf(point);
    const bool outside = p.distance > kMaxDistance || p.distance <= kMinDistance;
    p.distance = std::clamp(p.distance, kMinDistance, kMaxDistance);
    if (polar)
        *polar = p;
    return outside ? PointOf(p.angle, p.distance) : point;
}

void CPanelVirtualSpeaker::Place(int index, float angle, float distance) {
    m_angles[index] = angle;
    m_distances[index] = distance;
    if (CBaseObj* speaker = m_speakers[index].get())
        speaker->SetPosition(PointOf(angle, distance));
}

int CPanelVirtualSpeaker::SetSpeakerPosition(int index, float angle, float distance) {
    if (!IsSpeakerIndex(index) || !std::isfinite(angle) || !std::isfinite(distance))
        return 0;
    CxLockGuard guard(m_lock);
    Place(index, WrapAngle(angle), std::clamp(distance, kMinDistance, kMaxDistance));
    return 1;
}

int CPanelVirtualSpeaker::SetSpeakerDistance(int index, float distance) {
    if (!IsSpeakerIndex(index) || !std::isfinite(distance))
        return 0;
    CxLockGuard guard(m_lock);
    Place(index, m_angles[index], std::clamp(distance, kMinDistance, kMaxDistance));
    return 1;
}

float CPanelVirtualSpeaker::GetAngle(int index) const {
    if (!IsSpeakerIndex(index))
        return 0.0f;
    CxLockGuard guard(m_lock);
    return m_angles[index];
}

float CPanelVirtualSpeaker::GetDistance(int index) const {
    if (!IsSpeakerIndex(index))
        return 0.0f;
    CxLockGuard guard(m_lock);
    return m_distances[index];
}

int CPanelVirtualSpeaker::SpeakerAt(POINT point) const {
    CxLockGuard guard(m_lock);
    for (int i = kSpeakers - 1; i >= 0; --i) {
        if (m_speakers[i] && m_speakers[i]->HitTest(point))
            return i;
    }
    return -1;
}

CLayerWnd* CPanelVirtualSpeaker::LayerFromPoint(POINT point) {
    CxLockGuard guard(m_lock);
    auto contains = [point](const CBaseObj* object) {
        const RECT rect = object ? object->GetRect() : RECT{};
        return object && ::PtInRect(&rect, point);
    };
    if (contains(m_head.get()))
        return m_head.get();
    for (const auto& speaker : m_speakers) {
        if (contains(speaker.get()))
            return speaker.get();
    }
    return this;
}

// ---- mouse -------------------------------------------------------------------------------------------

void CPanelVirtualSpeaker::SyncObjectStates() {
    const int state = IsEnabled(TRUE) ? CBaseObj::kStateNormal : CBaseObj::kStateDisabled;
    if (m_head)
        m_head->SetState(state);
    for (auto& speaker : m_speakers) {
        if (speaker)
            speaker->SetState(state);
    }
}

void CPanelVirtualSpeaker::OnLButtonDown(UINT flags, POINT point) {
    if (!IsEnabled(TRUE))
        return;
    SyncObjectStates();
    m_dragged = SpeakerAt(point);
    if (m_dragged >= 0)
        ApplyCursor(TRUE);
    if (m_mode == kModeTurnAll && m_dragged >= 0 && m_dragged != kSubwoofer) {
        CxLockGuard guard(m_lock);
        m_savedAngles = m_angles;
    }
    CxSkinCtrl::OnLButtonDown(flags, point);
}

void CPanelVirtualSpeaker::OnMouseMove(UINT flags, POINT point) {
    const int mode = m_mode;
    const bool turning = mode == kModeClockwise || mode == kModeCounterClockwise;
    ApplyCursor(!turning && SpeakerAt(point) >= 0);
    if (m_dragged >= 0) {
        if (mode == kModeDrag)
            DragOne(point);
        else if (mode == kModeTurnAll && m_dragged != kSubwoofer)
            DragAll(point);
    }
    CxSkinCtrl::OnMouseMove(flags, point);
}

void CPanelVirtualSpeaker::DragOne(POINT point) {
    const int i = m_dragged;
    CBaseObj* speaker = m_speakers[i].get();
    if (!speaker)
        return;
    // The speaker's whole picture must stay inside the panel.
    const SIZE size = speaker->GetSize();
    const RECT box{point.x - size.cx / 2, point.y - size.cy / 2, point.x - size.cx / 2 + size.cx,
                   point.y - size.cy / 2 + size.cy};
    const RECT client = GetClientRect();
    if (box.left < client.left || box.top < client.top || box.right > client.right || box.bottom > client.bottom)
        return;
    Polar polar{};
    const POINT placed = Constrain(point, &polar);
    polar.angle = WrapAngle(polar.angle);
    {
        CxLockGuard guard(m_lock);
        m_angles[i] = polar.angle;
        m_distances[i] = polar.distance;
        speaker->SetPosition(placed);
    }
    Refresh();
    if (IPanelVirtualSpeakerListener* listener = m_panelListener)
        listener->OnSpeakerMoved(i, polar.angle, polar.distance, 1);
}

void CPanelVirtualSpeaker::DragAll(POINT point) {
    const RECT client = GetClientRect();
    const int cx = client.right / 2, cy = client.bottom / 2;
    const float pointer = kHalfPi - std::atan2(-static_cast<float>(point.y - cy), static_cast<float>(point.x - cx));
    std::array<float, kSpeakers> angles{};
    {
        CxLockGuard guard(m_lock);
        const float turn = pointer - m_savedAngles[m_dragged];
        for (int k = 0; k < kSpeakers; ++k) {
            if (k != kSubwoofer)
                Place(k, WrapAngle(m_savedAngles[k] + turn), m_distances[k]);
        }
        angles = m_angles;
    }
    if (IPanelVirtualSpeakerListener* listener = m_panelListener)
        listener->OnSpeakersRotated(angles.data(), 0);
    Refresh();
}

void CPanelVirtualSpeaker::OnLButtonUp(UINT flags, POINT point) {
    m_dragged = -1;
    Refresh();
    CxSkinCtrl::OnLButtonUp(flags, point);
}

void CPanelVirtualSpeaker::OnMouseOut() {
    ApplyCursor(FALSE);
    CxSkinCtrl::OnMouseOut();
}

// ---- painting ----------------------------------------------------------------------------------------

void CPanelVirtualSpeaker::Refresh() {
    const int mode = m_mode;
    if ((mode == kModeClockwise || mode == kModeCounterClockwise) && !IsTurning())
        return;
    Redraw(FALSE);
}

BOOL CPanelVirtualSpeaker::NeedsRedraw() const {
    if (!IsTurning())
        return FALSE;
    CxLockGuard guard(m_lock);
    if (std::fabs(m_angles[0] - m_lastDrawnAngle) < kRedrawAngle)
        return FALSE;
    m_lastDrawnAngle = m_angles[0];
    return TRUE;
}

void CPanelVirtualSpeaker::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

void CPanelVirtualSpeaker::Draw(Graphics* graphics) {
    DrawTransformed(graphics, [this](Graphics& transformed) { Paint(transformed); });
}

void CPanelVirtualSpeaker::Paint(Graphics& graphics) {
    const bool enabled = IsEnabled(TRUE) != FALSE;
    const Rect background = ToRect(m_backgroundRect);
    if (enabled) {
        if (m_background)
            xSkinDrawImage(graphics, m_background.get(), background, 0, false, false, 0, 0);
    } else if (m_disabledBackground) {
        xSkinDrawImage(graphics, m_disabledBackground.get(), background, 0, false, false, 0, 0);
    } else if (m_background) {
        CBaseObj::DrawGrey(graphics, m_background.get(), background);
    }

    CxLockGuard guard(m_lock);
    SyncObjectStates();
    if (m_head)
        m_head->Draw(graphics);
    // The dragged speaker last, so it lies on top of the others.
    for (int i = 0; i < kSpeakers; ++i) {
        if (i != m_dragged)
            PaintSpeaker(graphics, i);
    }
    if (IsSpeakerIndex(m_dragged))
        PaintSpeaker(graphics, m_dragged);
}

void CPanelVirtualSpeaker::PaintSpeaker(Graphics& graphics, int index) {
    CBaseObj* speaker = m_speakers[index].get();
    if (!speaker)
        return;
    // Wrapped, so a speaker turned once round is drawn as it stands, not spun by a full turn.
    const float turn = WrapAngle(m_angles[index] - kDefaultAngles[index]);
    if (std::fabs(turn) <= kRotationThreshold) {
        speaker->Draw(graphics);
        return;
    }
    // Saved and restored rather than reset: the graphics carries the viewport and the control's transform.
    const GraphicsState state = graphics.Save();
    const POINT centre = speaker->GetCenter();
    graphics.TranslateTransform(static_cast<REAL>(centre.x), static_cast<REAL>(centre.y));
    graphics.RotateTransform(turn * kDegreesPerRadian);
    graphics.TranslateTransform(-static_cast<REAL>(centre.x), -static_cast<REAL>(centre.y));
    speaker->Draw(graphics);
    graphics.Restore(state);
}

// ---- modes and the turning thread ----------------------------------------------------------------------

void CPanelVirtualSpeaker::SetMode(int mode) {
    if (mode == m_mode)
        return;
    m_mode = mode;
    if (mode == kModeClockwise || mode == kModeCounterClockwise)
        StartTurning(); // a running thread follows the new direction
    else if (mode == kModeDrag || mode == kModeTurnAll)
        StopTurning();
}

BOOL CPanelVirtualSpeaker::IsTurning() const {
    return m_thread && m_finishedEvent && ::WaitForSingleObject(m_finishedEvent.get(), 0) == WAIT_TIMEOUT;
}

void CPanelVirtualSpeaker::StartTurning() {
    if (IsTurning())
        return;
    StopTurning(); // joins a thread that has ended on its own
    m_stop = false;
    if (!m_stopEvent)
        m_stopEvent.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!m_finishedEvent)
        m_finishedEvent.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_stopEvent || !m_finishedEvent)
        return;
    ::ResetEvent(m_finishedEvent.get());
    m_thread = AfxBeginThread(&CPanelVirtualSpeaker::TurnThreadProc, this, THREAD_PRIORITY_NORMAL);
}

void CPanelVirtualSpeaker::StopTurning() {
    if (!m_thread)
        return;
    m_stop = true;
    if (m_stopEvent)
        ::SetEvent(m_stopEvent.get());
    // Asked from the thread itself (its listener changed the mode): it ends after this step, and whoever
    // starts or destroys next joins it.
    if (::GetCurrentThreadId() == m_thread->m_nThreadID)
        return;
    // Never terminated: a thread killed inside its listener would leave the handler's lock held, and one
    // left running would turn a panel that is gone. So the wait goes on until it has ended, answering what
    // the thread sends to this thread's windows meanwhile (a listener may wait on one).
    if (m_finishedEvent && !WaitAnsweringSends(m_finishedEvent.get(), kFinishWaitMs))
        ::OutputDebugStringW(L"Overcoat: the speaker turning thread is slow to stop\n");
    while (!m_thread->JoinAnsweringSends(kJoinWaitMs)) {
    }
    m_thread.reset();
    m_stopEvent.reset();
    m_finishedEvent.reset();
}

UINT CPanelVirtualSpeaker::TurnThreadProc(LPVOID param) {
    static_cast<CPanelVirtualSpeaker*>(param)->RunTurning();
    return 0;
}

void CPanelVirtualSpeaker::RunTurning() {
    IStepClock* clock = m_clock ? m_clock : &g_systemClock;
    while (!m_stop) {
        TurnStep();
        if (!clock->WaitForStep(m_stopEvent.get(), kStepPeriodMs) || m_stop)
            break;
    }
    ::SetEvent(m_finishedEvent.get());
}

void CPanelVirtualSpeaker::TurnStep() {
    // The mode may have left the automatic ones while this thread is being stopped.
    const int mode = m_mode;
    if (mode != kModeClockwise && mode != kModeCounterClockwise)
        return;
    const float step = mode == kModeClockwise ? kStepAngle : -kStepAngle;
    std::array<float, kSpeakers> angles{};
    {
        CxLockGuard guard(m_lock);
        for (int i = 0; i < kSpeakers; ++i) {
            if (i != kSubwoofer)
                Place(i, WrapAngle(m_angles[i] + step), m_distances[i]);
        }
        angles = m_angles;
    }
    // The listener gets a copy: the placement may change again while it writes the driver properties.
    if (IPanelVirtualSpeakerListener* listener = m_panelListener) {
        listener->OnSpeakersRotated(angles.data(), 0);
        listener->OnPanelRedraw();
    }
}

BOOL CPanelVirtualSpeaker::PostListenerNotice() const {
    return PostMessage(kTurningNoticeMessage, reinterpret_cast<WPARAM>(static_cast<const CLayerWnd*>(this)), 0);
}

LRESULT CPanelVirtualSpeaker::OnLayerMessage(UINT msg, LPARAM lParam) {
    if (msg != kTurningNoticeMessage)
        return CxSkinCtrl::OnLayerMessage(msg, lParam);
    if (IPanelVirtualSpeakerListener* listener = m_panelListener)
        listener->OnTurningNotice();
    return 1;
}

void CPanelVirtualSpeaker::DestroyChildren() {
    // The layer tree's teardown: the thread must not call a handler that is about to go.
    StopTurning();
    CxSkinCtrl::DestroyChildren();
}
