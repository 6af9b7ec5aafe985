#pragma once
// A layer that logs the presses, moves and layer messages reaching it as "<name> <event>" before the layer
// handles them as usual: the common ground of the probes of the dialog and layer-tree tests.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "skin/LayerWnd.h"

namespace oc::test {

class LoggingLayer : public CLayerWnd {
public:
    LoggingLayer(std::vector<std::wstring>* log, std::wstring name, bool container)
        : m_log(log), m_name(std::move(name)), m_container(container) {}

    void OnLButtonDown(UINT flags, POINT p) override {
        Log(L"down " + Point(p));
        OnPress();
        CLayerWnd::OnLButtonDown(flags, p);
    }
    void OnLButtonUp(UINT flags, POINT p) override {
        Log(L"up " + Point(p));
        CLayerWnd::OnLButtonUp(flags, p);
    }
    void OnMouseMove(UINT flags, POINT p) override {
        Log(L"move " + Point(p));
        CLayerWnd::OnMouseMove(flags, p);
    }
    void OnMouseOut() override {
        Log(L"out");
        CLayerWnd::OnMouseOut();
    }
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override {
        Log(L"message " + std::to_wstring(msg));
        return lParam + 1;
    }
    BOOL IsContainer() const override { return m_container; }

protected:
    // What the layer does on a press, after logging it and before the layer's own handling.
    virtual void OnPress() {}
    void Log(const std::wstring& what) {
        if (m_log)
            m_log->push_back(m_name + L" " + what);
    }
    static std::wstring Point(POINT p) { return std::to_wstring(p.x) + L"," + std::to_wstring(p.y); }

    std::vector<std::wstring>* m_log;
    std::wstring m_name;
    bool m_container;
};

} // namespace oc::test
