#include "DialogGallery.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <system_error>

namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

#include "../skin/SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/LayerDialog.h"

namespace oc::test {

std::filesystem::path GalleryFolder() {
    const std::filesystem::path folder = ProgramDir().parent_path() / "gallery";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::filesystem::path SaveDialogPicture(const CLayerDialog& dialog, const std::wstring& name) {
    const int width = dialog.GetSurfaceWidth();
    const int height = dialog.GetSurfaceHeight();
    if (width <= 0 || height <= 0)
        return {};
    // The back buffer is premultiplied: its pixels go into a premultiplied image as they are.
    Gdiplus::Bitmap image(width, height, PixelFormat32bppPARGB);
    Gdiplus::BitmapData data{};
    const Gdiplus::Rect all(0, 0, width, height);
    if (image.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &data) != Gdiplus::Ok)
        return {};
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(data.Scan0) + y * data.Stride);
        for (int x = 0; x < width; ++x)
            row[x] = dialog.GetPixel(x, y);
    }
    image.UnlockBits(&data);
    const std::filesystem::path file = GalleryFolder() / (name + L".png");
    return SavePng(image, file) ? file : std::filesystem::path();
}

} // namespace oc::test
