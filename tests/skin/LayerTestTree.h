#pragma once
// A fake layer tree: a root with a (windowless) host that keeps focus, capture and hover like a skinned
// dialog, and probe layers that log what reaches them.

#include <windows.h>

#include <string>
#include <vector>

#include "LoggingLayer.h"
#include "framework/Wnd.h"
#include "skin/LayerWnd.h"

namespace oc::test {

using EventLog = std::vector<std::wstring>;

class ProbeLayer : public LoggingLayer {
public:
    ProbeLayer(EventLog* log, std::wstring name, bool container = false)
        : LoggingLayer(log, std::move(name), container) {}
    ~ProbeLayer() override { Log(L"destroyed"); }

    BOOL OnMouseWheel(UINT flags, short delta, POINT p) override {
        Log(L"wheel");
        return m_wheelAnswer || CLayerWnd::OnMouseWheel(flags, delta, p);
    }
    void DrawChildren(CDC* dc, const RECT* clip) override {
        Log(L"paint");
        CLayerWnd::DrawChildren(dc, clip);
    }
    BOOL IsAnimated() const override { return m_animated; }

    bool m_wheelAnswer = false;
    bool m_animated = false;
};

// Keeps the host pointers a skinned dialog keeps, without a window.
class FakeRoot : public CLayerWnd {
public:
    FakeRoot() {
        SetHost(&m_window);
        m_rect = {0, 0, 400, 300};
    }
    ~FakeRoot() override { DestroyChildren(); }

    void SetFocusLayer(CLayerWnd* layer) override { m_focus = layer; }
    CLayerWnd* GetFocusLayer() const override { return m_focus; }
    void SetCaptureLayer(CLayerWnd* layer) override { m_capture = layer; }
    CLayerWnd* GetCaptureLayer() const override { return m_capture; }
    void InvalidateRect(const RECT& rect, BOOL erase) override {
        m_invalidated.push_back(rect);
        m_erased.push_back(erase);
    }

    CLayerWnd* m_hovered = nullptr;
    std::vector<RECT> m_invalidated;
    std::vector<BOOL> m_erased;

protected:
    void ForgetLayer(CLayerWnd* layer) override {
        if (m_focus == layer)
            m_focus = nullptr;
        if (m_capture == layer)
            m_capture = nullptr;
        if (m_hovered == layer)
            m_hovered = nullptr;
    }

private:
    CWnd m_window;
    CLayerWnd* m_focus = nullptr;
    CLayerWnd* m_capture = nullptr;
};

template <class Layer = ProbeLayer, class... Args> Layer* AddLayer(CLayerWnd* parent, RECT rect, Args&&... args) {
    auto* layer = new Layer(std::forward<Args>(args)...);
    layer->Create(rect, parent, 0);
    return layer;
}

} // namespace oc::test
