#include "skin/SkinSlider.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "framework/DC.h"
#include "skin/IntelliTip.h"
#include "skin/IxSkinSliderListener.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinSlider, CxSkinCtrl)

namespace {

constexpr int kDefaultThumbSize = 5;
// The thumb is hit a little beyond the ends of the bar, so it can be caught at either end.
constexpr int kThumbHitSlack = 5;
// A press this close around the bar still pages.
constexpr int kBarPressSlack = 2;
constexpr int kTipGap = 2;
// The pointer must move this far over the thumb before the tip follows it.
constexpr int kTipMoveThreshold = 2;
constexpr float kTickTolerance = 0.01f;
constexpr int kStepsPerRange = 100;

// Grey through luminance, at half opacity: the disabled look when no disabled bar image exists.
const ColorMatrix kGreyMatrix = {{{0.299f, 0.299f, 0.299f, 0, 0},
                                  {0.587f, 0.587f, 0.587f, 0, 0},
                                  {0.114f, 0.114f, 0.114f, 0, 0},
                                  {0, 0, 0, 0.5f, 0},
                                  {0, 0, 0, 0, 1}}};

bool IsUsable(const Bitmap* image) {
    return image && const_cast<Bitmap*>(image)->GetLastStatus() == Ok && const_cast<Bitmap*>(image)->GetWidth() > 0 &&
           const_cast<Bitmap*>(image)->GetHeight() > 0;
}

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

// The markup gives values in displayed units; a value that would not fit in internal units is held at the
// limit instead of wrapping round.
int ScaleToInternal(int value, unsigned scale) {
    const int64_t scaled = static_cast<int64_t>(value) * scale;
    return static_cast<int>(
        std::clamp<int64_t>(scaled, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Stretches the whole image over dest. The edge pixels are mirrored rather than blended with nothing, so
// a stretched bar keeps its ends.
void DrawStretched(Graphics& graphics, Bitmap* image, const Rect& dest, const Rect& source, bool grey) {
    if (!image || dest.Width <= 0 || dest.Height <= 0 || source.Width <= 0 || source.Height <= 0)
        return;
    xSkinPrepareImage(image);
    ImageAttributes attributes;
    attributes.SetWrapMode(WrapModeTileFlipXY);
    if (grey)
        attributes.SetColorMatrix(&kGreyMatrix, ColorMatrixFlagsDefault, ColorAdjustTypeBitmap);
    graphics.DrawImage(image, dest, source.X, source.Y, source.Width, source.Height, UnitPixel, &attributes);
}

void DrawStretched(Graphics& graphics, Bitmap* image, const RECT& dest, bool grey) {
    if (!image)
        return;
    DrawStretched(graphics, image, Rect(dest.left, dest.top, Width(dest), Height(dest)),
                  Rect(0, 0, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight())), grey);
}

} // namespace

// Out of line: the value tip is only declared in the header.
CxSkinSlider::CxSkinSlider() = default;

CxSkinSlider::~CxSkinSlider() {
    // The timer thread posts about this layer: it stops, waiting for a running tick, before anything goes.
    m_repeat.Stop();
    DestroyTip();
}

// ---- properties ------------------------------------------------------------------------------------

void CxSkinSlider::SetType(int type) {
    m_type = type;
    if (type == 1) {
        m_thumbShown = FALSE;
        m_interactive = FALSE;
    } else if (type == 0) {
        m_thumbShown = TRUE;
        m_interactive = TRUE;
    }
}

void CxSkinSlider::SetSkinImage(ImageSlot slot, const std::wstring& path) {
    if (path.empty() || slot < 0 || slot >= kImageSlots)
        return;
    m_images[slot].reset();
    m_images[slot] = xSkinLoadBitmap(path.c_str());
    if (!m_images[slot])
        throw new CxSkinControlsException(
            (L"CxSkinSlider::SetSkinImage: failed to load skin (" + path + L")!").c_str());
}

void CxSkinSlider::Refresh(int enable) {
    Enable(enable, FALSE);
    Redraw(FALSE);
}

void CxSkinSlider::SetRange(int min, int max) {
    if (max <= min)
        throw new CxSkinControlsException(L"CxSkinSlider::SetRange: max <= min error, exchange them !");
    m_minimum = min;
    m_maximum = max;
}

int CxSkinSlider::SetPos(float value, int redraw) {
    if (m_valueScale >= 2)
        value *= static_cast<float>(m_valueScale);
    return SetValue(value, redraw);
}

void CxSkinSlider::SetTicks(std::vector<int> ticks) {
    m_ticks.insert(m_ticks.end(), ticks.begin(), ticks.end());
}

void CxSkinSlider::SetTooltipShow(int show) {
    m_tipShown = show;
    if (m_tip && m_tip->IsWindow())
        m_tip->Show();
}

void CxSkinSlider::SetValueScale(unsigned scale) {
    if (scale < 10) {
        m_valueScale = 1;
        return;
    }
    m_valueScale = scale;
    int decimals = 0;
    for (unsigned rest = scale; rest > 1; rest /= 10)
        ++decimals;
    m_valueFormat = L"%." + std::to_wstring(decimals) + L"f";
}

// ---- creation and geometry ---------------------------------------------------------------------------

int CxSkinSlider::Create() {
    const BOOL created = Create(GetDesignRect(), m_parentLayer, static_cast<UINT>(m_ctrlId));
    if (!created)
        return created;
    // A listener set directly (the drop list's) stays unless a handler serves this control.
    if (auto* found = dynamic_cast<IxSkinSliderListener*>(FindListener()))
        m_sliderListener = found;
    if (m_valueScale > 1) {
        m_minimum = ScaleToInternal(m_minimum, m_valueScale);
        m_maximum = ScaleToInternal(m_maximum, m_valueScale);
        m_position *= static_cast<float>(m_valueScale);
    }
    SetMap();
    UpdateTransform(FALSE);
    SetValue(m_position, FALSE);
    return TRUE;
}

void CxSkinSlider::SetMap() {
    if (!IsUsable(m_images[kBarNormal].get()))
        throw new CxSkinControlsException(L"CxSkinSlider::SetMap: bar image is invalid!");
    Bitmap* thumb = m_images[kThumbNormal].get();
    if (m_type == 0 && !IsUsable(thumb))
        throw new CxSkinControlsException(L"CxSkinSlider::SetMap: thumb image is invalid!");
    m_placed = FALSE;
    // The design size: a render transform changes the layer's box, not the control's own geometry.
    const int w = m_designWidth, h = m_designHeight;
    const int thumbWidth = IsUsable(thumb) ? static_cast<int>(thumb->GetWidth()) : kDefaultThumbSize;
    const int thumbHeight = IsUsable(thumb) ? static_cast<int>(thumb->GetHeight()) : kDefaultThumbSize;
    const int tw = std::min(thumbWidth, w), th = std::min(thumbHeight, h);
    Bitmap* bar = m_images[kBarNormal].get();
    if (IsHorizontal()) {
        const int bh = static_cast<int>(bar->GetHeight());
        const int y0 = std::max(0, (th - bh) / 2);
        m_barRect = {0, y0, w, y0 + bh};
        m_trackRect = {tw / 2, 0, tw / 2 + w - tw, th};
    } else {
        const int bw = static_cast<int>(bar->GetWidth());
        const int x0 = std::max(0, (tw - bw) / 2);
        m_barRect = {x0, 0, x0 + bw, h};
        m_trackRect = {0, th / 2, tw, th / 2 + h - th};
    }
    m_thumbRect = {0, 0, tw, th};
}

int CxSkinSlider::TrackLength() const {
    return IsHorizontal() ? Width(m_trackRect) : Height(m_trackRect);
}

int CxSkinSlider::UnitPixels() const {
    if (!HasRange())
        return 0;
    return static_cast<int>(TrackLength() / (static_cast<int64_t>(m_maximum) - m_minimum));
}

float CxSkinSlider::Clamp(float value) const {
    // Written out rather than std::clamp: a range set inverted through SetMinimum / SetMaximum must not
    // be undefined behaviour; it holds the value at the maximum.
    if (value < static_cast<float>(m_minimum))
        value = static_cast<float>(m_minimum);
    if (value > static_cast<float>(m_maximum))
        value = static_cast<float>(m_maximum);
    return value;
}

int CxSkinSlider::ThumbOffsetFor(float value) const {
    const double range = static_cast<double>(m_maximum) - m_minimum;
    const int length = TrackLength();
    if (IsHorizontal()) {
        // Without a range the thumb rests at the minimum end.
        const double part = range > 0 ? length * ((value - static_cast<double>(m_minimum)) / range) : 0.0;
        return static_cast<int>(std::trunc(part)) - Width(m_thumbRect) / 2 + m_trackRect.left;
    }
    const double part = range > 0 ? length * ((static_cast<double>(m_maximum) - value) / range) : length;
    return static_cast<int>(std::trunc(part)) - Height(m_thumbRect) / 2 + m_trackRect.top;
}

void CxSkinSlider::PlaceThumb(int offset) {
    if (IsHorizontal())
        ::OffsetRect(&m_thumbRect, offset - m_thumbRect.left, 0);
    else
        ::OffsetRect(&m_thumbRect, 0, offset - m_thumbRect.top);
}

int CxSkinSlider::SetValue(float value, BOOL redraw) {
    if (std::isnan(value))
        return 0;
    value = Clamp(value);
    // While the user drags, values from outside are ignored.
    if (m_placed && (m_dragging || value == m_position))
        return 0;
    m_position = value;
    m_placed = TRUE;
    PlaceThumb(ThumbOffsetFor(value));
    if (redraw)
        Redraw(FALSE);
    return 1;
}

bool CxSkinSlider::OnTick(float value) const {
    if (m_ticks.empty())
        return true;
    return std::any_of(m_ticks.begin(), m_ticks.end(),
                       [value](int tick) { return std::fabs(static_cast<float>(tick) - value) <= kTickTolerance; });
}

bool CxSkinSlider::SnapValue(float value) {
    const int step = m_smallChange;
    if (step <= 0) {
        m_position = value;
        return true;
    }
    const float delta = value - m_position;
    const float half = static_cast<float>(step) / 2.0f;
    if (std::fabs(delta) <= half)
        return false;
    float snapped = m_position + std::trunc((delta + (delta > 0 ? half : -half)) / static_cast<float>(step)) * step;
    // A position that was not on the step grid could snap past an end.
    snapped = Clamp(snapped);
    if (!OnTick(snapped))
        return false;
    m_position = std::trunc(snapped);
    return true;
}

RECT CxSkinSlider::ThumbHitRect() const {
    RECT hit = m_thumbRect;
    if (IsHorizontal()) {
        hit.left = std::max(hit.left, m_barRect.left - kThumbHitSlack);
        hit.right = std::min(hit.right, m_barRect.right + kThumbHitSlack);
    } else {
        hit.top = std::max(hit.top, m_barRect.top - kThumbHitSlack);
        hit.bottom = std::min(hit.bottom, m_barRect.bottom + kThumbHitSlack);
    }
    return hit;
}

// ---- stepping ----------------------------------------------------------------------------------------

int CxSkinSlider::StepSize(bool increase) const {
    if (!m_ticks.empty()) {
        // The tick nearest the position (the first on a tie), then the closest tick beyond it.
        size_t nearest = 0;
        for (size_t i = 1; i < m_ticks.size(); ++i) {
            if (std::fabs(m_position - static_cast<float>(m_ticks[i])) <
                std::fabs(m_position - static_cast<float>(m_ticks[nearest])))
                nearest = i;
        }
        const int from = m_ticks[nearest];
        bool found = false;
        int next = from;
        for (int tick : m_ticks) {
            if ((increase ? tick > from : tick < from) && (!found || (increase ? tick < next : tick > next))) {
                next = tick;
                found = true;
            }
        }
        if (found)
            return static_cast<int>(
                std::min<int64_t>(std::llabs(static_cast<int64_t>(next) - from), std::numeric_limits<int>::max()));
    }
    if (m_smallChange >= 1)
        return m_smallChange;
    const int64_t hundredth = (static_cast<int64_t>(m_maximum) - m_minimum) / kStepsPerRange;
    return static_cast<int>(std::clamp<int64_t>(hundredth, 1, std::numeric_limits<int>::max()));
}

bool CxSkinSlider::Step(bool increase, bool showTip) {
    const double step = StepSize(increase);
    const double target = increase ? m_position + step : m_position - step;
    if (!SetValue(Clamp(static_cast<float>(target)), TRUE))
        return false;
    if (showTip)
        ShowTip();
    else
        HideTip();
    // Last: the listener may switch the panel away and this control with it.
    Notify(1);
    return true;
}

void CxSkinSlider::PageStep(POINT point) {
    bool step = false;
    if (IsHorizontal()) {
        // The zone the pointer must leave: the thumb, or one unit centred on it when a unit is wider.
        int left = m_thumbRect.left, right = m_thumbRect.right;
        const int unit = UnitPixels();
        if (unit > right - left) {
            left = (left + right) / 2 - unit / 2;
            right = left + unit;
        }
        const int centre = (left + right) / 2;
        if (m_pageDirection == kUndecided) {
            if (point.x >= right)
                m_pageDirection = kTowardsMaximum;
            else if (point.x < left)
                m_pageDirection = kTowardsMinimum;
        }
        step = (m_pageDirection == kTowardsMaximum && point.x > centre) ||
               (m_pageDirection == kTowardsMinimum && point.x < centre);
    } else {
        // The maximum is at the top.
        if (m_pageDirection == kUndecided)
            m_pageDirection = point.y < (m_thumbRect.top + m_thumbRect.bottom) / 2 ? kTowardsMaximum : kTowardsMinimum;
        step = (m_pageDirection == kTowardsMaximum && point.y <= m_thumbRect.top) ||
               (m_pageDirection == kTowardsMinimum && point.y >= m_thumbRect.bottom);
    }
    if (step && Step(m_pageDirection == kTowardsMaximum, true))
        return;
    // The thumb has reached the pointer, or cannot move: the press now holds the thumb.
    StopRepeat();
    m_pageDirection = kUndecided;
    ApplyCursor(TRUE);
    if (m_thumbState != kThumbStateDown) {
        m_thumbState = kThumbStateDown;
        Redraw(FALSE);
    }
}

void CxSkinSlider::StartRepeat() {
    // Without a window to post to there is nothing to repeat: a null target would post to the timer's thread.
    CWnd* host = GetHostDialog();
    HWND target = host ? host->GetSafeHwnd() : nullptr;
    m_paging = target != nullptr;
    if (target)
        m_repeat.Start(target, kPageRepeatMessage, reinterpret_cast<WPARAM>(static_cast<CLayerWnd*>(this)));
}

void CxSkinSlider::StopRepeat() {
    m_paging = FALSE;
    m_repeat.Stop();
}

void CxSkinSlider::Notify(int final) {
    if (!m_sliderListener)
        return;
    const float shown = m_valueScale >= 2 ? m_position / static_cast<float>(m_valueScale) : m_position;
    m_sliderListener->OnSliderChanged(GetName(), shown, final);
}

// ---- value tip ---------------------------------------------------------------------------------------

std::wstring CxSkinSlider::FormatValue() const {
    const long long rounded = std::llround(m_position);
    if (m_valueScale < 2)
        return std::to_wstring(rounded);
    wchar_t text[64] = {};
    std::swprintf(text, std::size(text), m_valueFormat.c_str(), static_cast<double>(rounded) / m_valueScale);
    return text;
}

void CxSkinSlider::PlaceTip() {
    m_tip->SetText(FormatValue());
    const SIZE size = m_tip->GetSize();
    POINT anchor{};
    if (IsHorizontal()) {
        // Above the thumb, centred on it; the anchor is the tip's right edge.
        anchor = {(m_thumbRect.left + m_thumbRect.right) / 2 + size.cx / 2, m_thumbRect.top - kTipGap - size.cy};
    } else {
        // Left of the thumb, centred on it.
        anchor = {m_thumbRect.left - kTipGap, (m_thumbRect.top + m_thumbRect.bottom) / 2 - size.cy / 2};
    }
    m_tip->SetPosition(ClientToScreen(anchor));
}

void CxSkinSlider::ShowTip() {
    if (!m_tipShown)
        return;
    if (m_tip && !m_tip->IsWindow())
        m_tip.reset(); // its window went with the host's
    if (!m_tip) {
        auto tip = std::make_unique<CIntelliTip>();
        if (!tip->Create(GetHostDialog()))
            return;
        m_tip = std::move(tip);
    }
    PlaceTip();
    m_tip->Show();
}

void CxSkinSlider::HideTip() {
    if (m_tipShown && m_tip && m_tip->IsWindow())
        DestroyTip();
}

void CxSkinSlider::DestroyTip() {
    std::unique_ptr<CIntelliTip> tip = std::move(m_tip);
    if (tip && tip->IsWindow())
        tip->DestroyWindow();
}

void CxSkinSlider::DestroyChildren() {
    DestroyTip();
    CxSkinCtrl::DestroyChildren();
}

// ---- input -------------------------------------------------------------------------------------------

void CxSkinSlider::OnLButtonDown(UINT flags, POINT point) {
    if (!IsEnabled(TRUE) || !HasRange() || !m_interactive)
        return;
    const RECT hit = ThumbHitRect();
    // Half a unit back, so that a drag rounds to the nearest unit.
    const int half = UnitPixels() / 2;
    m_grabOffset = IsHorizontal() ? POINT{-half, 0} : POINT{0, -half};
    m_pageDirection = kUndecided;
    bool page = false;
    if (::PtInRect(&hit, point)) {
        m_dragging = TRUE;
        m_dragStartPosition = m_position;
        m_thumbState = kThumbStateDown;
        ApplyCursor(TRUE);
        Redraw(FALSE);
    } else {
        RECT bar = m_barRect;
        ::InflateRect(&bar, kBarPressSlack, kBarPressSlack);
        if (::PtInRect(&bar, point)) {
            ApplyCursor(TRUE);
            m_lastPointer = point;
            StartRepeat();
            page = true;
        }
    }
    SetFocus();
    CxSkinCtrl::OnLButtonDown(flags, point);
    // The first page step comes last: its listener may take this control away.
    if (page)
        PageStep(point);
}

void CxSkinSlider::OnMouseMove(UINT flags, POINT point) {
    if (!m_interactive || !IsEnabled(TRUE)) {
        CxSkinCtrl::OnMouseMove(flags, point);
        return;
    }
    if ((flags & MK_LBUTTON) && m_dragging) {
        Drag(point);
        return;
    }
    if (flags & MK_LBUTTON) {
        m_lastPointer = point;
    } else {
        Hover(point);
    }
    CxSkinCtrl::OnMouseMove(flags, point);
}

void CxSkinSlider::Hover(POINT point) {
    const RECT hit = ThumbHitRect();
    const bool overThumb = ::PtInRect(&hit, point) != FALSE;
    if (overThumb) {
        ApplyCursor(TRUE);
        const bool moved = std::abs(point.x - m_lastTipPoint.x) >= kTipMoveThreshold ||
                           std::abs(point.y - m_lastTipPoint.y) >= kTipMoveThreshold;
        if (m_tipShown && moved) {
            m_lastTipPoint = point;
            if (m_tip && m_tip->IsWindow())
                PlaceTip();
        }
    } else {
        ApplyCursor(FALSE);
        HideTip();
    }
    int state = m_thumbState;
    if (overThumb)
        state = kThumbStateOver;
    else if (!::PtInRect(&m_barRect, point))
        state = kThumbStateNormal;
    if (state != m_thumbState) {
        m_thumbState = state;
        Redraw(FALSE);
    }
}

void CxSkinSlider::Drag(POINT point) {
    const int length = TrackLength();
    const float before = m_position;
    if (length > 0 && HasRange()) {
        const int64_t range = static_cast<int64_t>(m_maximum) - m_minimum;
        int64_t value = 0;
        if (IsHorizontal()) {
            const int x = std::clamp<int>(point.x + m_grabOffset.x, m_trackRect.left, m_trackRect.right);
            value = (static_cast<int64_t>(x) - m_trackRect.left) * range / length + m_minimum;
        } else {
            const int y = std::clamp<int>(point.y + m_grabOffset.y, m_trackRect.top, m_trackRect.bottom);
            value = m_maximum - (static_cast<int64_t>(y) - m_trackRect.top) * range / length;
        }
        if (SnapValue(static_cast<float>(value)))
            PlaceThumb(std::max(0, ThumbOffsetFor(m_position)));
    }
    m_thumbState = kThumbStateDown;
    Redraw(FALSE);
    ShowTip();
    if (m_position != before)
        Notify(0);
}

void CxSkinSlider::OnLButtonUp(UINT flags, POINT point) {
    if (!IsEnabled(TRUE)) {
        CxSkinCtrl::OnLButtonUp(flags, point);
        return;
    }
    StopRepeat();
    if (m_thumbState != kThumbStateNormal) {
        m_thumbState = kThumbStateNormal;
        Redraw(FALSE);
    }
    const bool dragged = m_dragging != FALSE;
    m_dragging = FALSE;
    if (!dragged)
        m_pageDirection = kUndecided;
    ApplyCursor(FALSE);
    CxSkinCtrl::OnLButtonUp(flags, point);
    // Last: the listener may take this control away.
    if (dragged)
        Notify(1);
}

void CxSkinSlider::OnMouseOut() {
    StopRepeat();
    HideTip();
    ApplyCursor(FALSE);
    // The pointer left the window, the capture was lost or the window went inactive: the drag ends here.
    // Pages act on the final report (a profile match, a write they hold back during the drag), so a drag
    // that moved the value still gets one.
    const bool moved = m_dragging && m_position != m_dragStartPosition;
    m_dragging = FALSE;
    if (m_thumbState != kThumbStateNormal) {
        m_thumbState = kThumbStateNormal;
        Redraw(FALSE);
    }
    CxSkinCtrl::OnMouseOut();
    // Last: the listener may take this control away.
    if (moved)
        Notify(1);
}

BOOL CxSkinSlider::OnMouseWheel(UINT flags, short delta, POINT point) {
    return CxSkinCtrl::OnMouseWheel(flags, delta, point);
}

void CxSkinSlider::OnKeyDown(UINT ch, UINT /*repeat*/, UINT /*flags*/) {
    if (!IsEnabled(TRUE) || !m_interactive)
        return;
    switch (ch) {
    case VK_LEFT:
    case VK_DOWN:
        Step(false, false);
        break;
    case VK_UP:
    case VK_RIGHT:
        Step(true, false);
        break;
    default:
        break;
    }
}

LRESULT CxSkinSlider::OnLayerMessage(UINT msg, LPARAM /*lParam*/) {
    if (msg != kPageRepeatMessage)
        return 0;
    // A repeat queued before the paging ended must not step after the release.
    if (m_paging)
        PageStep(m_lastPointer);
    return 1;
}

// ---- painting ----------------------------------------------------------------------------------------

void CxSkinSlider::DrawChildren(CDC* dc, const RECT* /*clip*/) {
    DrawOnDC(dc);
}

void CxSkinSlider::Draw(Graphics* graphics) {
    DrawTransformed(graphics, [this](Graphics& transformed) { Paint(transformed); });
}

void CxSkinSlider::Paint(Graphics& graphics) {
    const bool enabled = IsEnabled(TRUE) != FALSE;
    Bitmap* bar = m_images[kBarNormal].get();
    bool grey = false;
    if (!enabled) {
        if (m_images[kBarDisable])
            bar = m_images[kBarDisable].get();
        else
            grey = true;
    }
    DrawStretched(graphics, bar, m_barRect, grey);
    if (enabled && m_colorShown)
        PaintColorPart(graphics);
    if (!m_thumbShown)
        return;
    static constexpr ImageSlot kThumbByState[] = {kThumbNormal, kThumbOver, kThumbDown};
    const int state = std::clamp(m_thumbState, 0, 2);
    Bitmap* thumb = m_images[enabled ? kThumbByState[state] : kThumbDisable].get();
    if (!IsUsable(thumb))
        thumb = m_images[kThumbNormal].get();
    DrawStretched(graphics, thumb, m_thumbRect, grey);
}

void CxSkinSlider::PaintColorPart(Graphics& graphics) {
    Bitmap* image = m_images[kBarColor].get();
    if (!IsUsable(image) || !HasRange())
        return;
    // Values set before a later SetMinimum / SetMaximum may lie outside the range: the part stays in the bar.
    const double fraction = std::clamp(
        (m_position - static_cast<double>(m_minimum)) / (static_cast<double>(m_maximum) - m_minimum), 0.0, 1.0);
    const int iw = static_cast<int>(image->GetWidth()), ih = static_cast<int>(image->GetHeight());
    const int bw = Width(m_barRect), bh = Height(m_barRect);
    if (IsHorizontal()) {
        const int length = static_cast<int>((bw - 2) * fraction);
        if (length < 2)
            return;
        DrawStretched(graphics, image, Rect(m_barRect.left + 1, m_barRect.top + (bh - ih) / 2 + 1, length, ih),
                      Rect(0, 0, static_cast<int>(iw * fraction), ih), false);
    } else {
        const int length = static_cast<int>((bh - 2) * fraction);
        if (length < 2)
            return;
        const int sourceHeight = static_cast<int>(ih * fraction);
        const int sourceTop = std::max(0, ih - sourceHeight - 1);
        DrawStretched(graphics, image,
                      Rect(m_barRect.left + (bw - iw) / 2 + 1, m_barRect.bottom - length - 1, iw, length),
                      Rect(0, sourceTop, iw, sourceHeight), false);
    }
}
