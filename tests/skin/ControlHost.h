#pragma once
// A real layered host window on the test display whose root is also the "Dialog" skin object, so that
// controls made the markup's way (SetParent, then Create) hang from it and paint into its back buffer.

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "SkinTestSupport.h"
#include "skin/LayerDialog.h"
#include "skin/SkinObject.h"

namespace oc::test {

constexpr uint32_t kHostGrey = 0xFF808080;

class DialogRoot : public CLayerDialog, public IxSkinObject {
public:
    const wchar_t* GetTypeName() const override { return L"Dialog"; }
};

// A 200 x 100 window on an opaque grey background.
class ControlHost : public TestWindow {
public:
    ControlHost() {
        m_root.Attach(this);
        m_root.SetBackground(kWidth, kHeight, nullptr, 0, 0);
    }
    ~ControlHost() override {
        m_root.DestroyChildren();
        DestroyWindow();
    }

    // Gives the control the root as parent and its design rectangle, as the markup does; Create is the
    // caller's, once the rest is set.
    template <typename Control> Control* Place(Control* control, int left, int top, int width, int height) {
        control->SetParent(&m_root);
        control->SetLeft(left);
        control->SetTop(top);
        control->SetWidth(width);
        control->SetHeight(height);
        return control;
    }
    // Repaints the whole window.
    void Paint() { m_root.Invalidate(TRUE); }
    uint32_t At(int x, int y) const { return m_root.GetPixel(x, y); }

    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;
    DialogRoot m_root;
};

inline bool NearColor(uint32_t actual, uint32_t expected, int tolerance = 4) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return false;
    }
    return true;
}

// The back buffer's pixels over the area, row by row.
inline std::vector<uint32_t> AreaPixels(const CLayerDialog& host, const RECT& area) {
    std::vector<uint32_t> pixels;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x)
            pixels.push_back(host.GetPixel(x, y));
    }
    return pixels;
}

// The first pixel, counted row by row, where two pictures of one area differ by more than the tolerance;
// -1 when they agree.
inline int FirstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance = 2) {
    if (a.size() != b.size())
        return 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!NearColor(a[i], b[i], tolerance))
            return static_cast<int>(i);
    }
    return -1;
}

// The opaque result of a colour of the given alpha over the host's grey.
inline uint32_t OverGrey(uint32_t color, double alpha) {
    auto mix = [alpha](int c) { return static_cast<uint32_t>(c * alpha + 128 * (1 - alpha) + 0.5); };
    return 0xFF000000u | mix(Red(color)) << 16 | mix(Green(color)) << 8 | mix(Blue(color));
}

} // namespace oc::test
