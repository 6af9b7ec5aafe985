#include "skin/LayerBuffer.h"

BOOL CLayerBuffer::Create(HDC dc, int width, int height) {
    Release();
    if (!dc || width < 1 || height < 1)
        return FALSE;
    auto memory = std::make_unique<CDC>();
    auto bitmap = std::make_unique<CBitmap>();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    // Bottom-up like the back buffer: GDI+ reaches both the same way, top-down through a negative stride.
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    if (!memory->CreateCompatibleDC(dc) || !bitmap->CreateDIBSection(dc, info, &bits))
        return FALSE;
    memory->SelectObject(*bitmap);
    m_surface.Attach(*bitmap);
    m_bitmap = std::move(bitmap);
    m_dc = std::move(memory);
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    return TRUE;
}

void CLayerBuffer::Release() {
    m_dc.reset();
    m_surface.Reset();
    m_bitmap.reset();
    m_bits = nullptr;
    m_width = m_height = 0;
}

uint32_t CLayerBuffer::GetPixel(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    GdiFlush();
    return m_bits[static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}
