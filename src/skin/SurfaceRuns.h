#pragma once
// A 32-bit picture kept as runs of equal pixels along its rows. The composed window background is made of
// flat areas and gradients that change from row to row, a few runs a row: so kept, a repaint restores any
// part of it without a second surface of the window's size. A picture that does not shrink to a small part
// of its size (a photograph) is not kept, and its owner keeps a copy instead.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class CSurfaceRuns {
public:
    // Encodes bottom-up rows of the given size. False, and nothing kept, when the runs would take more than
    // a quarter of the picture's bytes.
    bool Keep(const uint32_t* bits, int width, int height);
    void Release();
    bool IsEmpty() const { return m_rowStarts.empty(); }
    size_t GetBytes() const { return m_runs.size() * sizeof(Run) + m_rowStarts.size() * sizeof(uint32_t); }

    // Writes the area (top-down coordinates), clipped to the picture, to rows `stride` pixels apart with
    // the clipped area's top-left pixel at `first`: a negative stride for bottom-up rows.
    void CopyArea(const RECT& area, uint32_t* first, ptrdiff_t stride) const;
    // The pixel at (x, y) from the top-left; 0 outside the picture.
    uint32_t GetPixel(int x, int y) const;

private:
    struct Run {
        uint32_t end; // one past the run's last column
        uint32_t pixel;
    };
    // The row's first run that reaches past column x.
    const Run* RunAt(int y, int x) const;

    std::vector<Run> m_runs;
    // The index of each row's first run, top-down, then one past the last run.
    std::vector<uint32_t> m_rowStarts;
    int m_width = 0;
    int m_height = 0;
};
