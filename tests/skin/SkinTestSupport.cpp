#include "SkinTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Gdiplus;

namespace oc::test {
namespace {

// GDI+ lives for the whole test run, as it does for the program.
class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        GdiplusStartupInput input;
        ASSERT_EQ(GdiplusStartup(&m_token, &input, nullptr), Ok);
    }
    void TearDown() override { GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};

[[maybe_unused]] ::testing::Environment* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    GetImageEncodersSize(&count, &size);
    if (size == 0)
        return false;
    std::vector<BYTE> storage(size);
    auto* codecs = reinterpret_cast<ImageCodecInfo*>(storage.data());
    GetImageEncoders(count, size, codecs);
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

std::unique_ptr<Bitmap> SolidImage(int width, int height, ARGB color) {
    auto image = std::make_unique<Bitmap>(width, height, PixelFormat32bppARGB);
    Graphics g(image.get());
    g.Clear(Color(color));
    return image;
}

std::unique_ptr<Bitmap> BandedImage(int bandWidth, int height, std::initializer_list<ARGB> colors) {
    auto image = std::make_unique<Bitmap>(bandWidth * static_cast<int>(colors.size()), height, PixelFormat32bppARGB);
    Graphics g(image.get());
    g.SetCompositingMode(CompositingModeSourceCopy);
    int x = 0;
    for (ARGB color : colors) {
        SolidBrush brush{Color(color)};
        g.FillRectangle(&brush, x, 0, bandWidth, height);
        x += bandWidth;
    }
    return image;
}

bool SavePng(Bitmap& image, const std::filesystem::path& file) {
    CLSID png;
    return PngEncoder(&png) && image.Save(file.wstring().c_str(), &png, nullptr) == Ok;
}

Surface::Surface(int width, int height) {
    HDC screen = GetDC(nullptr);
    m_buffer.Create(screen, width, height);
    ReleaseDC(nullptr, screen);
}

uint32_t Surface::At(int x, int y) const {
    return m_buffer.GetPixel(x, y);
}

TestWindow::TestWindow(HWND parent, int x, int y, int width, int height) {
    CreateEx(WS_EX_TOOLWINDOW, RegisterWndClass(0, LoadCursorW(nullptr, IDC_ARROW)), L"skin test", WS_POPUP, x, y,
             width, height, parent);
}

TestWindow::~TestWindow() {
    if (IsWindow())
        DestroyWindow();
}

} // namespace oc::test
