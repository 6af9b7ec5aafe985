#include "skin/SkinCtrl.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "framework/DC.h"
#include "skin/LayerDialog.h"
#include "skin/LayerToolTip.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinFontFace.h"
#include "skin/SkinGraphics.h"
#include "skin/SystemCursor.h"

using namespace Gdiplus;

IMPLEMENT_DYNAMIC(CxSkinCtrl, CLayerWnd)

namespace {

constexpr double kScaleEpsilon = 0.001;
constexpr double kPi = 3.14159;
constexpr wchar_t kFallbackFace[] = L"Tahoma";
constexpr DWORD kFaceBufferBytes = 100;
constexpr int kTextExtentPadding = 5;
constexpr int kMaxToolRemovals = 64;
// Float noise in transformed corners must not widen the box by a pixel on every rebuild.
constexpr REAL kBoundsSlack = 1e-3f;

bool Differs(double a, double b) {
    return std::fabs(a - b) > kScaleEpsilon;
}

HCURSOR SharedArrow() {
    return xSkinSystemCursor(IDC_ARROW);
}

// The culture's face; empty while the system's dialog face serves. Only the UI thread sets and reads it.
std::wstring& CultureFace() {
    static std::wstring face;
    return face;
}

} // namespace

CxSkinCtrl::CxSkinCtrl() : m_cursor(SharedArrow()), m_fontFamily(GetDefaultFontFace()) {
    SetLayer(this);
}

CxSkinCtrl::~CxSkinCtrl() {
    // Every tool goes, whatever the text is now: a tool left behind would point at freed memory.
    RemoveToolTips();
    m_snapshot.Release();
    ReleaseCursor();
    m_matrix.reset();
    m_shape.reset();
    if (CLayerWnd* root = GetRootLayer()) {
        if (root->GetFocusLayer() == this)
            KillFocus();
        if (root->GetCaptureLayer() == this)
            ReleaseCapture();
    }
}

const std::wstring& CxSkinCtrl::GetDefaultFontFace() {
    static const std::wstring systemFace = ReadFontFace(
        HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", L"MS Shell Dlg 2");
    const std::wstring& culture = CultureFace();
    return culture.empty() ? systemFace : culture;
}

void CxSkinCtrl::SetDefaultFontFace(const std::wstring& face) {
    CultureFace() = face;
}

std::wstring CxSkinCtrl::ReadFontFace(HKEY root, const wchar_t* subKey, const wchar_t* valueName) {
    // RegGetValue terminates the string and fails rather than truncate; anything unreadable, too long
    // or empty falls back.
    wchar_t buffer[kFaceBufferBytes / sizeof(wchar_t)] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(root, subKey, valueName, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS ||
        buffer[0] == L'\0')
        return kFallbackFace;
    buffer[std::size(buffer) - 1] = L'\0';
    return buffer;
}

int CxSkinCtrl::Create() {
    const RECT rect = GetDesignRect();
    const BOOL created = Create(rect, m_parentLayer, static_cast<UINT>(m_ctrlId));
    if (created)
        UpdateTransform(FALSE);
    return created;
}

BOOL CxSkinCtrl::Create(const RECT& rect, CLayerWnd* parentLayer, UINT id) {
    return CLayerWnd::Create(rect, parentLayer, id);
}

void CxSkinCtrl::SetParent(IxSkinObject* parent) {
    m_parentObject = parent;
    m_parentLayer = nullptr;
    if (!parent)
        return;
    // Under a dialog the control hangs from the dialog's root layer, under a panel from the panel's own.
    if (std::wcscmp(parent->GetTypeName(), L"Dialog") == 0)
        m_parentLayer = dynamic_cast<CLayerWnd*>(parent);
    if (auto* object = dynamic_cast<CxSkinObject*>(parent); !m_parentLayer && object)
        m_parentLayer = object->GetLayer();
}

void CxSkinCtrl::Draw(Graphics* /*graphics*/) {}

void CxSkinCtrl::DrawChildren(CDC* /*dc*/, const RECT* /*clip*/) {}

void CxSkinCtrl::DrawOnDC(CDC* dc) {
    if (!dc)
        return;
    CxSkinGraphics graphics(dc->GetSafeHdc());
    Draw(graphics.Get());
}

void CxSkinCtrl::CaptureBackground(CDC* dc) {
    if (!dc)
        return;
    const RECT area = GetRectInHost();
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (!m_snapshot.Create(*dc, width, height))
        return;
    m_snapshot.GetDC()->BitBlt(0, 0, width, height, *dc, area.left, area.top, SRCCOPY);
}

void CxSkinCtrl::Redraw(BOOL erase) {
    Invalidate(IsContainer() ? erase : FALSE);
}

BOOL CxSkinCtrl::IsTransformed() const {
    return IsAnimationRunning() || m_rotation > 0 || Differs(m_scaleX, 1.0) || Differs(m_scaleY, 1.0) ||
           Differs(m_skewX, 0.0) || Differs(m_skewY, 0.0);
}

void CxSkinCtrl::UpdateTransform(BOOL redraw) {
    // The design-size rectangle centred on the layer's centre. Layer rectangles are whole pixels, so the
    // centre is a multiple of one half and the centred rectangle lands on whole pixels again.
    const double centreX = (m_rect.left + m_rect.right) / 2.0, centreY = (m_rect.top + m_rect.bottom) / 2.0;
    const int left = static_cast<int>(std::lround(centreX - m_designWidth / 2.0));
    const int top = static_cast<int>(std::lround(centreY - m_designHeight / 2.0));
    m_designLeft = left;
    m_designTop = top;
    const RECT centred{left, top, left + m_designWidth, top + m_designHeight};

    if (!IsTransformed()) {
        m_rect = centred;
    } else {
        if (!m_matrix)
            m_matrix = std::make_unique<Matrix>();
        m_matrix->Reset();
        if (m_rotation > 0)
            m_matrix->Rotate(static_cast<REAL>(m_rotation), MatrixOrderPrepend);
        if (Differs(m_scaleX, 1.0) || Differs(m_scaleY, 1.0))
            m_matrix->Scale(static_cast<REAL>(m_scaleX), static_cast<REAL>(m_scaleY), MatrixOrderPrepend);
        if (Differs(m_skewX, 0.0) || Differs(m_skewY, 0.0))
            m_matrix->Shear(static_cast<REAL>(m_skewX), static_cast<REAL>(m_skewY), MatrixOrderPrepend);

        const REAL originX = static_cast<REAL>(left + m_designWidth * m_originX);
        const REAL originY = static_cast<REAL>(top + m_designHeight * m_originY);
        PointF corners[4] = {{static_cast<REAL>(centred.left) - originX, static_cast<REAL>(centred.top) - originY},
                             {static_cast<REAL>(centred.right) - originX, static_cast<REAL>(centred.top) - originY},
                             {static_cast<REAL>(centred.right) - originX, static_cast<REAL>(centred.bottom) - originY},
                             {static_cast<REAL>(centred.left) - originX, static_cast<REAL>(centred.bottom) - originY}};
        m_matrix->TransformPoints(corners, 4);
        REAL minX = static_cast<REAL>(centreX), maxX = minX, minY = static_cast<REAL>(centreY), maxY = minY;
        for (const PointF& p : corners) {
            minX = std::min(minX, p.X + originX);
            maxX = std::max(maxX, p.X + originX);
            minY = std::min(minY, p.Y + originY);
            maxY = std::max(maxY, p.Y + originY);
        }
        m_rect = {static_cast<LONG>(std::floor(minX + kBoundsSlack)),
                  static_cast<LONG>(std::floor(minY + kBoundsSlack)), static_cast<LONG>(std::ceil(maxX - kBoundsSlack)),
                  static_cast<LONG>(std::ceil(maxY - kBoundsSlack))};
    }
    if (redraw)
        Redraw(FALSE);
    if (!m_toolTip.empty() && IsCreated()) {
        // The tool covers the rectangle it was added with: re-add it over the new one.
        RemoveToolTips();
        UpdateToolTip(ShownToolTip());
    }
}

void CxSkinCtrl::SetRotation(double degrees, BOOL redraw) {
    if (degrees == m_rotation)
        return;
    m_rotation = degrees;
    UpdateTransform(redraw);
}

void CxSkinCtrl::SetScale(double sx, double sy, BOOL redraw) {
    if (!Differs(sx, m_scaleX) && !Differs(sy, m_scaleY))
        return;
    m_scaleX = sx;
    m_scaleY = sy;
    UpdateTransform(redraw);
}

void CxSkinCtrl::SetFontSize(int size) {
    if (size > kMaxFontSize) {
        wchar_t message[96];
        std::swprintf(message, std::size(message), L"CxSkinCtrl::SetFontSize: font size is invalid (nFontSize=%d)!",
                      size);
        throw new CxSkinControlsException(message);
    }
    m_fontSize = size;
}

void CxSkinCtrl::SetToolTip(const std::wstring& text) {
    m_toolTip = text;
    // Once the control stands, its tool follows the text (an empty text removes it).
    if (IsCreated())
        UpdateToolTip(text);
}

void CxSkinCtrl::ReleaseCursor() {
    if (m_ownsCursor && m_cursor)
        ::DestroyCursor(m_cursor);
    m_ownsCursor = FALSE;
    m_cursor = SharedArrow();
}

void CxSkinCtrl::SetCursor(UINT id, BOOL system) {
    if (m_cursorApplied)
        ApplyCursor(FALSE);
    ReleaseCursor();
    if (id == kArrowCursorId)
        return;
    // System cursors are shared and never destroyed; a resource cursor is loaded as our own copy.
    HCURSOR cursor = nullptr;
    if (system) {
        cursor = xSkinSystemCursor(MAKEINTRESOURCEW(id));
    } else {
        cursor = static_cast<HCURSOR>(
            ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
        m_ownsCursor = cursor != nullptr;
    }
    if (cursor)
        m_cursor = cursor;
}

void CxSkinCtrl::ApplyCursor(BOOL apply) {
    if (m_cursor == SharedArrow())
        return;
    ::SetCursor(apply ? m_cursor : SharedArrow());
    m_cursorApplied = apply;
}

void CxSkinCtrl::Enable(BOOL enable, BOOL redraw) {
    enable = enable ? TRUE : FALSE;
    if (m_enabled == enable)
        return;
    m_enabled = enable;
    if (redraw)
        Redraw(TRUE);
    if (!enable)
        ApplyCursor(FALSE);
}

void CxSkinCtrl::SetShapePolygon(int angle, BOOL redraw) {
    // A negative opening has no shape: the control keeps the outline it has.
    if (angle == m_shapeAngle || angle < 0)
        return;
    m_shapeAngle = angle;
    if (angle >= 180) {
        m_shape.reset();
    } else {
        const RECT client = GetClientRect();
        const REAL w = static_cast<REAL>(client.right), h = static_cast<REAL>(client.bottom);
        const REAL wd = static_cast<REAL>(m_designWidth), hd = static_cast<REAL>(m_designHeight);
        const REAL t = static_cast<REAL>(std::tan((180 - angle) * 0.5 / 180 * kPi));
        auto shape = std::make_unique<GraphicsPath>();
        if (t * w > h) {
            // A downward point whose opening is the angle.
            const REAL s = static_cast<REAL>(std::tan(angle * 0.5 / 180 * kPi));
            const PointF points[] = {{w / 2 - s * h, 0}, {wd / 2, hd}, {w / 2 + s * h, 0}};
            shape->AddPolygon(points, 3);
        } else {
            // A rectangle with a pointed bottom.
            const PointF points[] = {{0, 0}, {0, h - t * w}, {wd / 2, hd}, {w, h - t * w}, {w, 0}};
            shape->AddPolygon(points, 5);
        }
        m_shape = std::move(shape);
    }
    if (redraw)
        Redraw(FALSE);
}

RECT CxSkinCtrl::GetPaintRect() const {
    if (IsTransformed())
        return GetDesignRect();
    return GetRect();
}

void CxSkinCtrl::OnLButtonDown(UINT flags, POINT point) {
    SetFocus();
    SetCapture();
    CLayerWnd::OnLButtonDown(flags, point);
}

void CxSkinCtrl::OnRButtonDown(UINT flags, POINT point) {
    SetFocus();
    CLayerWnd::OnRButtonDown(flags, point);
}

BOOL CxSkinCtrl::HitTest(POINT point) const {
    return !m_freeze && CLayerWnd::HitTest(point);
}

void CxSkinCtrl::CopyTextStyleTo(CxSkinCtrl* control) const {
    if (!control)
        return;
    control->Create(m_rect, m_parent, 1);
    control->SetText(m_text);
    control->SetForeColor(m_foreColor);
    control->SetFontSize(static_cast<int>(m_fontSize));
    control->SetFontFamily(m_fontFamily);
    control->SetFontStyle(m_fontStyle);
    control->SetTextAlign(m_textAlign);
    control->SetTextLineAlign(m_lineAlign);
    control->SetWidth(m_designWidth);
    control->SetHeight(m_designHeight);
}

void CxSkinCtrl::ApplyTransform(Graphics& graphics) const {
    graphics.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    graphics.SetSmoothingMode(SmoothingModeAntiAlias);
    if (!m_text.empty())
        graphics.SetTextRenderingHint(TextRenderingHintAntiAlias);
    if (!IsTransformed())
        return;
    if (Matrix* animation = GetAnimationMatrix()) {
        graphics.MultiplyTransform(animation);
        return;
    }
    if (!m_matrix)
        return;
    const REAL ox = static_cast<REAL>(m_designWidth * m_originX), oy = static_cast<REAL>(m_designHeight * m_originY);
    graphics.TranslateTransform(ox, oy);
    graphics.MultiplyTransform(m_matrix.get());
    graphics.TranslateTransform(-ox, -oy);
}

SIZE CxSkinCtrl::GetTextExtent() const {
    if (m_text.empty())
        return {0, 0};
    HDC dc = GetDC();
    const bool screen = dc == nullptr;
    if (screen)
        dc = ::GetDC(nullptr);
    SIZE extent{0, 0};
    {
        Graphics graphics(dc);
        const CxSkinFontFace face(m_fontFamily);
        Font font(face.Get(), static_cast<REAL>(m_fontSize), m_fontStyle, UnitPoint);
        const Size size = xSkinMeasureString(graphics, m_text.c_str(), &font, kTextExtentPadding);
        extent = {size.Width, size.Height};
    }
    if (screen)
        ::ReleaseDC(nullptr, dc);
    else
        ReleaseDC(dc);
    return extent;
}

void CxSkinCtrl::ResizeToContent() {
    const SIZE extent = GetTextExtent();
    m_designWidth = extent.cx;
    m_designHeight = extent.cy;
    m_rect = {m_designLeft, m_designTop, m_designLeft + m_designWidth, m_designTop + m_designHeight};
}

ILayerToolTip* CxSkinCtrl::FindToolTip() const {
    CLayerWnd* root = GetRootLayer();
    if (!root || !root->IsKindOf(RUNTIME_CLASS(CLayerDialog)))
        return nullptr;
    return static_cast<CLayerDialog*>(root)->GetToolTip();
}

void CxSkinCtrl::RemoveToolTips() {
    ILayerToolTip* toolTip = FindToolTip();
    if (!toolTip)
        return;
    // Bounded, so a tooltip that fails to remove a tool cannot hold the control in its destructor.
    for (int i = 0; i < kMaxToolRemovals && toolTip->HasTool(this, kToolId); ++i)
        toolTip->RemoveTool(this, kToolId);
}

void CxSkinCtrl::UpdateToolTip(const std::wstring& text) {
    ILayerToolTip* toolTip = FindToolTip();
    if (!toolTip)
        return;
    if (text.empty()) {
        RemoveToolTips();
    } else if (toolTip->HasTool(this, kToolId)) {
        toolTip->SetToolText(text.c_str(), this);
    } else {
        const RECT area = GetRectInHost();
        toolTip->AddTool(this, text.c_str(), &area, kToolId);
    }
}
