#include "skin/SurfaceRuns.h"

#include <algorithm>

bool CSurfaceRuns::Keep(const uint32_t* bits, int width, int height) {
    Release();
    if (!bits || width < 1 || height < 1)
        return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t budget = pixels * sizeof(uint32_t) / 4 / sizeof(Run);
    m_rowStarts.reserve(static_cast<size_t>(height) + 1);
    for (int y = 0; y < height; ++y) {
        m_rowStarts.push_back(static_cast<uint32_t>(m_runs.size()));
        const uint32_t* row = bits + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width);
        for (int x = 0; x < width;) {
            const uint32_t pixel = row[x];
            int end = x + 1;
            while (end < width && row[end] == pixel)
                ++end;
            m_runs.push_back({static_cast<uint32_t>(end), pixel});
            x = end;
        }
        // Given up as soon as it cannot pay, so a photograph costs one pass over its first rows only.
        if (m_runs.size() > budget) {
            Release();
            return false;
        }
    }
    m_rowStarts.push_back(static_cast<uint32_t>(m_runs.size()));
    m_runs.shrink_to_fit();
    m_width = width;
    m_height = height;
    return true;
}

void CSurfaceRuns::Release() {
    m_runs = {};
    m_rowStarts = {};
    m_width = m_height = 0;
}

const CSurfaceRuns::Run* CSurfaceRuns::RunAt(int y, int x) const {
    const Run* first = m_runs.data() + m_rowStarts[static_cast<size_t>(y)];
    const Run* last = m_runs.data() + m_rowStarts[static_cast<size_t>(y) + 1];
    return std::upper_bound(first, last, static_cast<uint32_t>(x),
                            [](uint32_t column, const Run& run) { return column < run.end; });
}

void CSurfaceRuns::CopyArea(const RECT& area, uint32_t* first, ptrdiff_t stride) const {
    const int left = std::max<int>(area.left, 0), right = std::min<int>(area.right, m_width);
    const int top = std::max<int>(area.top, 0), bottom = std::min<int>(area.bottom, m_height);
    if (!first || left >= right || top >= bottom)
        return;
    for (int y = top; y < bottom; ++y, first += stride) {
        uint32_t* out = first;
        int x = left;
        for (const Run* run = RunAt(y, left); x < right; ++run) {
            const int end = std::min(static_cast<int>(run->end), right);
            out = std::fill_n(out, end - x, run->pixel);
            x = end;
        }
    }
}

uint32_t CSurfaceRuns::GetPixel(int x, int y) const {
    if (IsEmpty() || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return RunAt(y, x)->pixel;
}
