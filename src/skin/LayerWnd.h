#pragma once
// A windowless element of a skinned window: a rectangle in its parent's coordinates with a name,
// visibility, an enabled flag, a hover flag and an ordered list of owned children. The host window paints
// the tree into its back buffer and feeds it mouse and key events. Children paint first to last, so the
// last lies on top, and every mouse search runs last to first.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Object.h"

class CDC;
class CWnd;
class ILayerAnimation;
namespace Gdiplus {
class Matrix;
}

// Messages posted with a layer as wParam come back to that layer's OnLayerMessage.
constexpr UINT kFirstLayerMessage = 2025;
constexpr UINT kLastLayerMessage = 2025 + 998;

class CLayerWnd : public CObject {
    DECLARE_DYNAMIC(CLayerWnd)
public:
    CLayerWnd() = default;
    ~CLayerWnd() override;
    CLayerWnd(const CLayerWnd&) = delete;
    CLayerWnd& operator=(const CLayerWnd&) = delete;

    virtual void Draw(CDC* dc);
    // Presents this layer through the root (the host window's back buffer).
    virtual void Update();
    virtual BOOL Create(const RECT& rect, CLayerWnd* parent, UINT id);
    // Deletes every child (and their children) in order.
    virtual void DestroyChildren();
    // The paint operation: controls override it to draw themselves; containers paint their children.
    virtual void DrawChildren(CDC* dc, const RECT* clip);
    virtual RECT GetClientRect() const;
    virtual RECT GetRect() const;
    virtual RECT GetPaintRect() const;
    virtual void OnLButtonDown(UINT flags, POINT point);
    virtual void OnRButtonDown(UINT flags, POINT point);
    virtual void OnMouseMove(UINT flags, POINT point);
    virtual void OnLButtonUp(UINT flags, POINT point);
    virtual void OnLButtonDblClk(UINT flags, POINT point);
    virtual void OnRButtonUp(UINT flags, POINT point);
    virtual void OnMouseLeave();
    virtual void OnMouseOut();
    virtual BOOL OnMouseWheel(UINT flags, short delta, POINT point);
    virtual void OnKeyDown(UINT ch, UINT repeat, UINT flags);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual void OnKillFocus(CLayerWnd* newFocus);
    // point is in the parent's coordinates.
    virtual BOOL HitTest(POINT point) const;
    // Whether a press at point lands on this layer rather than on the window behind it, which a draggable
    // window then moves; point is in the parent's coordinates. A layer that only shows something (a text,
    // an image) lets the press through.
    virtual BOOL HitTestForDrag(POINT point) const { return HitTest(point); }
    // rect is in this layer's coordinates; the root repaints and presents.
    virtual void InvalidateRect(const RECT& rect, BOOL erase);
    virtual void SetFocus();
    virtual void KillFocus();
    virtual void ReleaseCapture();
    virtual void DrawAt(CDC* dc);
    // Deepest visible, hit, non-container layer under point (this layer's coordinates), or null.
    virtual CLayerWnd* LayerFromPoint(POINT point);
    virtual BOOL IsContainer() const { return TRUE; }
    // Hosts keep the focus and capture layers; plain layers ignore these.
    virtual void SetFocusLayer(CLayerWnd* layer);
    virtual CLayerWnd* GetFocusLayer() const { return nullptr; }
    virtual void SetCaptureLayer(CLayerWnd* layer);
    virtual CLayerWnd* GetCaptureLayer() const { return nullptr; }
    virtual BOOL IsAnimated() const { return FALSE; }
    virtual LRESULT OnLayerMessage(UINT msg, LPARAM lParam);

    void Invalidate(BOOL erase) { InvalidateRect(GetClientRect(), erase); }
    void SetVisible(BOOL visible, BOOL redraw);
    BOOL IsVisible() const { return m_visible; }
    // Only SW_SHOW (5) shows; every other command hides.
    void ShowWindow(int cmd) { SetVisible(cmd == SW_SHOW, TRUE); }
    void SetRect(const RECT& rect, BOOL redraw);
    void MoveTo(int x, int y);
    POINT GetPos() const { return {m_rect.left, m_rect.top}; }
    int GetWidth() const { return m_rect.right - m_rect.left; }
    int GetHeight() const { return m_rect.bottom - m_rect.top; }
    BOOL IsEnabled(BOOL withParents) const;
    void SetEnabled(BOOL enabled) { m_enabled = enabled; }
    BOOL IsHovered() const { return m_hovered; }
    void SetHovered(BOOL hovered) { m_hovered = hovered; }
    UINT GetId() const { return m_id; }
    const std::wstring& GetLayerName() const { return m_name; }
    void SetLayerName(const std::wstring& name) { m_name = name; }
    BOOL IsCreated() const { return m_created; }
    CLayerWnd* GetParent() const { return m_parent; }

    CLayerWnd* GetRootLayer() const;
    CWnd* GetHostDialog() const;
    RECT GetRectInHost() const;
    POINT ClientToScreen(POINT point) const;
    RECT RectToScreen(const RECT& rect) const;
    HDC GetDC() const;
    void ReleaseDC(HDC dc) const;
    BOOL PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const;
    void SetCapture();

    void AddChild(CLayerWnd* layer);
    void RemoveChild(CLayerWnd* layer);
    CLayerWnd* GetChild(int index) const;
    int GetChildCount() const { return static_cast<int>(m_children.size()); }
    CLayerWnd* GetFirstChild() const { return GetChild(0); }
    CLayerWnd* GetNextChild(const CLayerWnd* child) const;
    CLayerWnd* GetNextSibling() const { return m_parent ? m_parent->GetNextChild(this) : nullptr; }
    // Searches the children depth first, descending only into containers.
    BOOL IsDescendant(const CLayerWnd* layer) const;
    // Whether the layer is anywhere in this subtree (itself included). Compares addresses only, so it is
    // safe to ask about a pointer that may already be freed.
    BOOL ContainsLayer(const CLayerWnd* layer) const;
    // Whether a visible child takes a press at point (tested with HitTestForDrag); with hitOnly only the
    // children themselves, else containers are searched in depth.
    BOOL ChildFromPoint(POINT point, BOOL hitOnly);
    void CollectChildren(std::vector<CLayerWnd*>& list) const;
    void ResetChildStates();
    // Plays the show (or hide) animation of this layer's content with input blocked.
    void RunAnimation(BOOL show);

    // Animation state, written by the key-frame animation while it runs.
    ILayerAnimation* GetAnimation() const { return m_animation; }
    // Running while the layer tree drives an animation on it or the animation has given it a matrix.
    BOOL IsAnimationRunning() const { return m_animation != nullptr || m_animationMatrix != nullptr; }
    int GetAnimationMode() const { return m_animationMode; }
    void SetAnimationMode(int mode) { m_animationMode = mode; }
    const RECT& GetAnimationRect() const { return m_animationRect; }
    Gdiplus::Matrix* GetAnimationMatrix() const { return m_animationMatrix; }
    void SetAnimationMatrix(Gdiplus::Matrix* matrix) { m_animationMatrix = matrix; }
    int GetFade() const { return m_fade; }
    void SetFade(int fade) { m_fade = fade; }

    // Root-only host fields.
    BOOL IsInputBlocked() const { return m_inputBlocked; }
    void SetInputBlocked(BOOL blocked) { m_inputBlocked = blocked; }
    int GetBackgroundStretchMode() const { return m_backgroundStretchMode; }
    void SetBackgroundStretchMode(int mode) { m_backgroundStretchMode = mode; }

protected:
    // The root calls this for a layer that is going away; hosts drop every pointer they keep to it.
    virtual void ForgetLayer(CLayerWnd* layer);
    // Every child that is visible and enabled together with its ancestors and hit at point; last to first.
    CLayerWnd* DispatchTarget(POINT point) const;
    static POINT ToLocal(const CLayerWnd* child, POINT point) {
        return {point.x - child->m_rect.left, point.y - child->m_rect.top};
    }
    void SetHost(CWnd* host) { m_host = host; }

    UINT m_id = 0;
    std::wstring m_name;
    BOOL m_hovered = FALSE;
    BOOL m_visible = TRUE;
    std::vector<CLayerWnd*> m_children;
    BOOL m_created = FALSE;
    RECT m_rect{};
    CLayerWnd* m_parent = nullptr;
    CWnd* m_host = nullptr;
    ILayerAnimation* m_animation = nullptr;
    int m_animationMode = 0;
    RECT m_animationRect{};
    Gdiplus::Matrix* m_animationMatrix = nullptr;
    int m_fade = 0;
    BOOL m_inputBlocked = FALSE;
    int m_backgroundStretchMode = 0;
    BOOL m_enabled = TRUE;

private:
    void Destroy();
};
