#include "skin/LayerWnd.h"

#include <algorithm>

#include "framework/DC.h"
#include "framework/Wnd.h"
#include "skin/LayerAnimation.h"
#include "skin/LayerDialog.h"
#include "skin/SkinDraw.h"

IMPLEMENT_DYNAMIC(CLayerWnd, CObject)

namespace {

RECT Offset(RECT rect, int dx, int dy) {
    ::OffsetRect(&rect, dx, dy);
    return rect;
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

// Moves the DC's viewport origin for one paint and puts it back afterwards.
class ViewportShift {
public:
    ViewportShift(CDC* dc, POINT origin) : m_dc(dc), m_old(dc->SetViewportOrg(origin.x, origin.y)) {}
    ~ViewportShift() { m_dc->SetViewportOrg(m_old.x, m_old.y); }
    ViewportShift(const ViewportShift&) = delete;
    ViewportShift& operator=(const ViewportShift&) = delete;
    POINT Old() const { return m_old; }

private:
    CDC* m_dc;
    POINT m_old;
};

} // namespace

CLayerWnd::~CLayerWnd() {
    Destroy();
}

void CLayerWnd::Destroy() {
    if (CLayerWnd* root = GetRootLayer(); root && root != this)
        root->ForgetLayer(this);
    // A layer deleted by its owner rather than by its parent must not stay in the parent's list, and its
    // own children go with it.
    DestroyChildren();
    if (m_parent)
        m_parent->RemoveChild(this);
    m_parent = nullptr;
}

void CLayerWnd::ForgetLayer(CLayerWnd* /*layer*/) {}

void CLayerWnd::Draw(CDC* /*dc*/) {}

void CLayerWnd::Update() {
    CLayerWnd* root = GetRootLayer();
    if (root && root != this && root->IsKindOf(RUNTIME_CLASS(CLayerDialog)))
        static_cast<CLayerDialog*>(root)->Present(this);
}

BOOL CLayerWnd::Create(const RECT& rect, CLayerWnd* parent, UINT id) {
    m_rect = rect;
    m_id = id;
    m_parent = parent;
    if (parent)
        parent->AddChild(this);
    m_created = TRUE;
    return TRUE;
}

void CLayerWnd::DestroyChildren() {
    // The list is taken over first: a dying child's destructor looks for itself in it.
    std::vector<CLayerWnd*> children;
    children.swap(m_children);
    for (CLayerWnd* child : children) {
        child->DestroyChildren();
        delete child;
    }
}

void CLayerWnd::DrawChildren(CDC* dc, const RECT* clip) {
    for (CLayerWnd* child : m_children) {
        if (!child->m_visible)
            continue;
        if (clip && !Intersects(child->GetRectInHost(), *clip))
            continue;
        const RECT paint = child->GetPaintRect();
        POINT old = dc->GetViewportOrg();
        ViewportShift shift(dc, {old.x + paint.left, old.y + paint.top});
        // The clip goes down with it: a container repainted for a small area paints only what meets it.
        child->DrawChildren(dc, clip);
    }
}

RECT CLayerWnd::GetClientRect() const {
    return {0, 0, GetWidth(), GetHeight()};
}

RECT CLayerWnd::GetRect() const {
    return m_rect;
}

RECT CLayerWnd::GetPaintRect() const {
    return GetRect();
}

CLayerWnd* CLayerWnd::DispatchTarget(POINT point) const {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CLayerWnd* child = *it;
        if (child->m_visible && child->IsEnabled(TRUE) && child->HitTest(point))
            return child;
    }
    return nullptr;
}

void CLayerWnd::OnLButtonDown(UINT flags, POINT point) {
    if (CLayerWnd* child = DispatchTarget(point))
        child->OnLButtonDown(flags, ToLocal(child, point));
}

void CLayerWnd::OnRButtonDown(UINT flags, POINT point) {
    if (CLayerWnd* child = DispatchTarget(point))
        child->OnRButtonDown(flags, ToLocal(child, point));
}

void CLayerWnd::OnLButtonUp(UINT flags, POINT point) {
    if (CLayerWnd* child = DispatchTarget(point))
        child->OnLButtonUp(flags, ToLocal(child, point));
}

void CLayerWnd::OnLButtonDblClk(UINT flags, POINT point) {
    if (CLayerWnd* child = DispatchTarget(point))
        child->OnLButtonDblClk(flags, ToLocal(child, point));
}

void CLayerWnd::OnRButtonUp(UINT flags, POINT point) {
    if (CLayerWnd* child = DispatchTarget(point))
        child->OnRButtonUp(flags, ToLocal(child, point));
}

void CLayerWnd::OnMouseMove(UINT flags, POINT point) {
    // No early stop: overlapping children may all show hover, and every other hovered one hears it left.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CLayerWnd* child = *it;
        if (!child->m_visible || !child->IsEnabled(FALSE))
            continue;
        if (child->IsContainer()) {
            child->OnMouseMove(flags, ToLocal(child, point));
        } else if (child->HitTest(point)) {
            child->m_hovered = TRUE;
            child->OnMouseMove(flags, ToLocal(child, point));
        } else if (child->m_hovered) {
            child->OnMouseOut();
        }
    }
}

void CLayerWnd::OnMouseLeave() {
    for (CLayerWnd* child : m_children) {
        if (child->m_hovered && child->m_visible && child->m_enabled)
            child->OnMouseLeave();
    }
}

void CLayerWnd::OnMouseOut() {
    m_hovered = FALSE;
}

BOOL CLayerWnd::OnMouseWheel(UINT flags, short delta, POINT point) {
    if (!m_visible || !m_enabled)
        return FALSE;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if ((*it)->OnMouseWheel(flags, delta, point))
            return TRUE;
    }
    return FALSE;
}

void CLayerWnd::OnKeyDown(UINT ch, UINT repeat, UINT flags) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if ((*it)->m_visible && (*it)->m_enabled)
            (*it)->OnKeyDown(ch, repeat, flags);
    }
}

BOOL CLayerWnd::PreTranslateMessage(MSG* msg) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if ((*it)->m_visible && (*it)->m_enabled)
            (*it)->PreTranslateMessage(msg);
    }
    return FALSE;
}

void CLayerWnd::OnKillFocus(CLayerWnd* /*newFocus*/) {}

BOOL CLayerWnd::HitTest(POINT point) const {
    const RECT rect = GetRect();
    return ::PtInRect(&rect, point);
}

void CLayerWnd::InvalidateRect(const RECT& rect, BOOL erase) {
    if (!m_parent)
        return;
    // While an animation runs, the whole area it started from is repainted, not just the moved layer.
    if (m_animation)
        m_parent->InvalidateRect(m_animationRect, erase);
    else
        m_parent->InvalidateRect(Offset(rect, m_rect.left, m_rect.top), erase);
}

void CLayerWnd::SetFocus() {
    if (CLayerWnd* root = GetRootLayer())
        root->SetFocusLayer(this);
}

void CLayerWnd::KillFocus() {
    if (CLayerWnd* root = GetRootLayer())
        root->SetFocusLayer(nullptr);
}

void CLayerWnd::ReleaseCapture() {
    if (CLayerWnd* root = GetRootLayer())
        root->SetCaptureLayer(nullptr);
}

void CLayerWnd::SetCapture() {
    if (CLayerWnd* root = GetRootLayer())
        root->SetCaptureLayer(this);
}

void CLayerWnd::DrawAt(CDC* dc) {
    const RECT paint = GetPaintRect();
    const RECT parentInHost = m_parent ? m_parent->GetRectInHost() : RECT{};
    ViewportShift shift(dc, {parentInHost.left + paint.left, parentInHost.top + paint.top});
    const RECT clip = GetRectInHost();
    DrawChildren(dc, &clip);
}

CLayerWnd* CLayerWnd::LayerFromPoint(POINT point) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CLayerWnd* child = *it;
        if (!child->m_visible || !child->HitTest(point))
            continue;
        if (!child->IsContainer())
            return child;
        if (CLayerWnd* inner = child->LayerFromPoint(ToLocal(child, point)))
            return inner;
    }
    return nullptr;
}

void CLayerWnd::SetFocusLayer(CLayerWnd* /*layer*/) {}

void CLayerWnd::SetCaptureLayer(CLayerWnd* /*layer*/) {}

LRESULT CLayerWnd::OnLayerMessage(UINT /*msg*/, LPARAM /*lParam*/) {
    return 0;
}

void CLayerWnd::SetVisible(BOOL visible, BOOL redraw) {
    visible = visible ? TRUE : FALSE;
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (redraw)
        Invalidate(FALSE);
}

void CLayerWnd::SetRect(const RECT& rect, BOOL redraw) {
    m_rect = rect;
    if (redraw)
        Invalidate(TRUE);
}

void CLayerWnd::MoveTo(int x, int y) {
    ::OffsetRect(&m_rect, x - m_rect.left, y - m_rect.top);
}

BOOL CLayerWnd::IsEnabled(BOOL withParents) const {
    if (!withParents)
        return m_enabled;
    for (const CLayerWnd* layer = this; layer; layer = layer->m_parent) {
        if (!layer->m_enabled)
            return FALSE;
    }
    return TRUE;
}

CLayerWnd* CLayerWnd::GetRootLayer() const {
    for (const CLayerWnd* layer = this; layer; layer = layer->m_parent) {
        if (layer->m_host)
            return const_cast<CLayerWnd*>(layer);
    }
    return nullptr;
}

CWnd* CLayerWnd::GetHostDialog() const {
    CLayerWnd* root = GetRootLayer();
    return root ? root->m_host : nullptr;
}

RECT CLayerWnd::GetRectInHost() const {
    if (m_host || !m_parent)
        return GetClientRect();
    const RECT parent = m_parent->GetRectInHost();
    return Offset(m_rect, parent.left, parent.top);
}

POINT CLayerWnd::ClientToScreen(POINT point) const {
    const RECT inHost = GetRectInHost();
    point.x += inHost.left;
    point.y += inHost.top;
    if (CWnd* host = GetHostDialog(); host && host->GetSafeHwnd())
        host->ClientToScreen(&point);
    return point;
}

RECT CLayerWnd::RectToScreen(const RECT& rect) const {
    const POINT topLeft = ClientToScreen({rect.left, rect.top});
    return {topLeft.x, topLeft.y, topLeft.x + rect.right - rect.left, topLeft.y + rect.bottom - rect.top};
}

HDC CLayerWnd::GetDC() const {
    CWnd* host = GetHostDialog();
    return host ? host->GetDC() : nullptr;
}

void CLayerWnd::ReleaseDC(HDC dc) const {
    if (CWnd* host = GetHostDialog(); host && dc)
        host->ReleaseDC(dc);
}

BOOL CLayerWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    CWnd* host = GetHostDialog();
    if (!host || !host->GetSafeHwnd())
        return FALSE;
    return host->PostMessage(msg, wParam, lParam);
}

void CLayerWnd::AddChild(CLayerWnd* layer) {
    if (layer)
        m_children.push_back(layer);
}

void CLayerWnd::RemoveChild(CLayerWnd* layer) {
    auto it = std::find(m_children.begin(), m_children.end(), layer);
    if (it != m_children.end())
        m_children.erase(it);
}

CLayerWnd* CLayerWnd::GetChild(int index) const {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

CLayerWnd* CLayerWnd::GetNextChild(const CLayerWnd* child) const {
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end() || ++it == m_children.end())
        return nullptr;
    return *it;
}

BOOL CLayerWnd::IsDescendant(const CLayerWnd* layer) const {
    for (const CLayerWnd* child : m_children) {
        if (child == layer)
            return TRUE;
        if (child->IsContainer() && child->IsDescendant(layer))
            return TRUE;
    }
    return FALSE;
}

BOOL CLayerWnd::ContainsLayer(const CLayerWnd* layer) const {
    if (layer == this)
        return TRUE;
    for (const CLayerWnd* child : m_children) {
        if (child->ContainsLayer(layer))
            return TRUE;
    }
    return FALSE;
}

BOOL CLayerWnd::ChildFromPoint(POINT point, BOOL hitOnly) {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        CLayerWnd* child = *it;
        if (!child->m_visible || !child->HitTestForDrag(point))
            continue;
        if (hitOnly || !child->IsContainer())
            return TRUE;
        if (child->ChildFromPoint(ToLocal(child, point), FALSE))
            return TRUE;
    }
    return FALSE;
}

void CLayerWnd::CollectChildren(std::vector<CLayerWnd*>& list) const {
    for (CLayerWnd* child : m_children) {
        if (child->IsAnimated())
            list.push_back(child);
        else if (child->IsContainer())
            child->CollectChildren(list);
    }
}

void CLayerWnd::ResetChildStates() {
    for (CLayerWnd* child : m_children) {
        if (!child->m_visible)
            continue;
        child->m_hovered = FALSE;
        child->OnMouseOut();
        if (child->IsContainer())
            child->ResetChildStates();
    }
}

void CLayerWnd::RunAnimation(BOOL show) {
    CLayerWnd* root = GetRootLayer();
    // Whatever happens inside the run (no animation module, a throwing frame), input is unblocked, the
    // layer forgets the animation and clicks made meanwhile are dropped.
    struct RunGuard {
        CLayerWnd* layer;
        CLayerWnd* root;
        ~RunGuard() {
            layer->m_animation = nullptr;
            layer->m_animationMatrix = nullptr;
            if (root)
                root->m_inputBlocked = FALSE;
            xSkinFlushMouseMessages();
        }
    } guard{this, root};

    if (root)
        root->m_inputBlocked = TRUE;
    m_animationRect = m_rect;
    const int effect = show ? 2 : m_animationMode;
    LayerAnimationFactory factory = GetLayerAnimationFactory();
    std::unique_ptr<ILayerAnimation> animation = factory ? factory() : nullptr;
    if (!animation)
        return;
    m_animation = animation.get();
    const int frames = animation->Prepare(this, show ? 0 : 1, effect);
    std::vector<CLayerWnd*> animated;
    for (int i = 1; i <= frames; ++i) {
        animated.clear();
        if (root)
            root->CollectChildren(animated);
        for (CLayerWnd* layer : animated)
            layer->Invalidate(FALSE);
        animation->ApplyFrame(static_cast<float>(i) / static_cast<float>(frames));
    }
}
