#pragma once
// Pictures of a window for comparison: what the program meant to show (its back buffer, saved by its probe
// as a PNG file) and what a user sees (the window's rectangle read from the screen). The two must agree;
// a window whose presentation broke shows the screen's picture going its own way.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace oc::journey {

class Picture {
public:
    // A PNG file (the probe's picture of a back buffer); empty when it cannot be read.
    static Picture FromFile(const std::filesystem::path& file);
    // The pixels under the window's rectangle as the X display shows them now, read from outside Wine (the
    // system's own screen copy only sees the window surfaces Wine keeps, not what reached the display).
    // Empty when the display cannot be read.
    static Picture FromScreen(HWND window);

    bool Loaded() const { return m_width > 0 && m_height > 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // 0xAARRGGBB; transparent black outside the picture.
    uint32_t Pixel(int x, int y) const;

    // The share of the area's pixels (every fourth in each direction) that are fully opaque.
    double OpaqueShare(const RECT& area) const;
    // The mean difference of the colour channels over the area, 0..255. With `opaqueOnly`, only the pixels
    // this picture holds fully opaque count: a layered window's see-through edge shows the desktop behind.
    double MeanDifference(const Picture& other, const RECT& area, bool opaqueOnly = false) const;
    // The largest mean difference of any 16 x 16 tile of the area (opaque pixels of this picture only): a
    // fault confined to one corner of a large window shows here while the whole mean stays small.
    double WorstTileDifference(const Picture& other, const RECT& area) const;
    // How many pixels of the area show the accent blue that marks a lit item.
    int AccentPixels(const RECT& area) const;
    // The whole picture as an area.
    RECT Area() const { return {0, 0, m_width, m_height}; }

    // The part of the picture at the area (clipped), as a picture of its own.
    Picture Cropped(const RECT& area) const;

    // Saves the picture as a PNG file (for a look after a failed check).
    bool Save(const std::filesystem::path& file) const;

private:
    static Picture FromXwd(const std::filesystem::path& file);

    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels; // top-down rows
};

// A control's place in its window's picture, from its place on the screen.
RECT InWindow(HWND window, const RECT& screen);

} // namespace oc::journey
