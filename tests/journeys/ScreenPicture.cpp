#include "ScreenPicture.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace oc::journey {

namespace {

// GDI+ stays up for the whole test process: pictures are read and written from many journeys.
void EnsureGdiplus() {
    static const ULONG_PTR token = [] {
        ULONG_PTR started = 0;
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&started, &input, nullptr);
        return started;
    }();
    (void)token;
}

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    if (bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, bytes, encoders);
    for (UINT i = 0; i < count; ++i) {
        if (std::wstring(encoders[i].MimeType) == L"image/png") {
            *clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

int Channel(uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

int ChannelDifference(uint32_t a, uint32_t b) {
    return std::abs(Channel(a, 16) - Channel(b, 16)) + std::abs(Channel(a, 8) - Channel(b, 8)) +
           std::abs(Channel(a, 0) - Channel(b, 0));
}

RECT Clipped(const RECT& area, int width, int height) {
    return {std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, width),
            std::min<LONG>(area.bottom, height)};
}

// The Unix name of a file in the prefix, which Wine's loader shares with the Unix programs it starts.
bool UnixPath(const std::filesystem::path& file, char* name, size_t size) {
    using GetUnixFileName = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<GetUnixFileName>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return false;
    char* unix = convert(file.wstring().c_str());
    if (!unix || strlen(unix) >= size)
        return false;
    strcpy(name, unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return true;
}

uint32_t BigEndian(const unsigned char* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

} // namespace

// An X window dump of a 24-bit true-colour display, as xwd writes it: pixels of three or four bytes, lines
// padded.
Picture Picture::FromXwd(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    constexpr size_t kFields = 25;
    if (data.size() < kFields * 4)
        return {};
    uint32_t field[kFields];
    for (size_t i = 0; i < kFields; ++i)
        field[i] = BigEndian(bytes + i * 4);
    const uint32_t headerSize = field[0], width = field[4], height = field[5], byteOrder = field[7];
    const uint32_t bitsPerPixel = field[11], bytesPerLine = field[12], colours = field[19];
    const uint64_t pixelsAt = uint64_t{headerSize} + uint64_t{colours} * 12;
    if (width == 0 || height == 0 || width > 16384 || height > 16384 ||
        pixelsAt + uint64_t{bytesPerLine} * height > data.size())
        return {};
    const uint32_t stride = bitsPerPixel / 8;
    if ((bitsPerPixel != 24 && bitsPerPixel != 32) || bytesPerLine < width * stride)
        return {};
    Picture picture;
    picture.m_width = static_cast<int>(width);
    picture.m_height = static_cast<int>(height);
    picture.m_pixels.resize(static_cast<size_t>(width) * height);
    for (uint32_t y = 0; y < height; ++y) {
        const unsigned char* row = bytes + pixelsAt + uint64_t{y} * bytesPerLine;
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = row + x * stride;
            // Least significant byte first: blue, green, red (pad); else the other way round.
            const unsigned char* last = p + stride - 1;
            const uint32_t rgb = byteOrder == 0 ? (uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0])
                                                : (uint32_t{last[-2]} << 16 | uint32_t{last[-1]} << 8 | last[0]);
            picture.m_pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | rgb;
        }
    }
    return picture;
}

Picture Picture::FromFile(const std::filesystem::path& file) {
    EnsureGdiplus();
    Picture picture;
    Gdiplus::Bitmap image(file.wstring().c_str());
    if (image.GetLastStatus() != Gdiplus::Ok)
        return picture;
    const int width = static_cast<int>(image.GetWidth()), height = static_cast<int>(image.GetHeight());
    Gdiplus::Rect all(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (image.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        return picture;
    picture.m_width = width;
    picture.m_height = height;
    picture.m_pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const BYTE*>(data.Scan0) + y * data.Stride);
        std::copy(row, row + width, picture.m_pixels.begin() + static_cast<ptrdiff_t>(y) * width);
    }
    image.UnlockBits(&data);
    return picture;
}

Picture Picture::FromScreen(HWND window) {
    RECT frame{};
    if (!::GetWindowRect(window, &frame))
        return {};
    // Wine starts Unix programs as it starts its own; the unmanaged desktop's coordinates are the display's.
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::filesystem::path file =
        std::filesystem::path(folder) / ("display-" + std::to_string(::GetCurrentProcessId()) + ".xwd");
    char unixName[MAX_PATH * 3] = {};
    if (!UnixPath(file, unixName, sizeof(unixName)))
        return {};
    // Wine does not wait for a Unix program it started: the dump is written aside and renamed when whole.
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    const std::wstring target(unixName, unixName + strlen(unixName));
    std::wstring command = L"/bin/sh -c \"/usr/bin/xwd -root -silent -out '" + target + L".part' && /bin/mv '" + target +
                           L".part' '" + target + L"'\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return {};
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500 && !std::filesystem::exists(file, ignored); ++wait)
        ::Sleep(20);
    Picture display = FromXwd(file);
    std::filesystem::remove(file, ignored);
    return display.Cropped(frame);
}

Picture Picture::Cropped(const RECT& area) const {
    const RECT inside = Clipped(area, m_width, m_height);
    Picture part;
    if (inside.right <= inside.left || inside.bottom <= inside.top)
        return part;
    part.m_width = inside.right - inside.left;
    part.m_height = inside.bottom - inside.top;
    part.m_pixels.reserve(static_cast<size_t>(part.m_width) * part.m_height);
    for (LONG y = inside.top; y < inside.bottom; ++y) {
        const auto row = m_pixels.begin() + static_cast<ptrdiff_t>(y) * m_width;
        part.m_pixels.insert(part.m_pixels.end(), row + inside.left, row + inside.right);
    }
    return part;
}

uint32_t Picture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}

double Picture::OpaqueShare(const RECT& area) const {
    int opaque = 0, total = 0;
    for (LONG y = area.top; y < area.bottom; y += 4) {
        for (LONG x = area.left; x < area.right; x += 4) {
            opaque += Channel(Pixel(x, y), 24) == 255;
            ++total;
        }
    }
    return total ? static_cast<double>(opaque) / total : 0;
}

double Picture::MeanDifference(const Picture& other, const RECT& area, bool opaqueOnly) const {
    const RECT inside = Clipped(area, m_width, m_height);
    double sum = 0;
    long count = 0;
    for (LONG y = inside.top; y < inside.bottom; ++y) {
        for (LONG x = inside.left; x < inside.right; ++x) {
            const uint32_t mine = Pixel(x, y);
            if (opaqueOnly && Channel(mine, 24) != 255)
                continue;
            sum += ChannelDifference(mine, other.Pixel(x, y));
            count += 3;
        }
    }
    return count ? sum / count : 0;
}

double Picture::WorstTileDifference(const Picture& other, const RECT& area) const {
    constexpr int kTile = 16;
    const RECT inside = Clipped(area, m_width, m_height);
    double worst = 0;
    for (LONG top = inside.top; top < inside.bottom; top += kTile) {
        for (LONG left = inside.left; left < inside.right; left += kTile) {
            const RECT tile{left, top, std::min<LONG>(left + kTile, inside.right),
                            std::min<LONG>(top + kTile, inside.bottom)};
            // A tile mostly see-through is the window's rounded edge: the desktop shows there.
            if (OpaqueShare(tile) < 0.75)
                continue;
            worst = std::max(worst, MeanDifference(other, tile, true));
        }
    }
    return worst;
}

int Picture::AccentPixels(const RECT& area) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            const uint32_t pixel = Pixel(x, y);
            const int blue = Channel(pixel, 0), red = Channel(pixel, 16);
            count += blue > 160 && blue - red > 90;
        }
    }
    return count;
}

bool Picture::Save(const std::filesystem::path& file) const {
    EnsureGdiplus();
    CLSID png{};
    if (!Loaded() || !PngEncoder(&png))
        return false;
    std::vector<uint32_t> copy = m_pixels;
    Gdiplus::Bitmap image(m_width, m_height, m_width * 4, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(copy.data()));
    return image.Save(file.wstring().c_str(), &png, nullptr) == Gdiplus::Ok;
}

RECT InWindow(HWND window, const RECT& screen) {
    RECT frame{};
    ::GetWindowRect(window, &frame);
    RECT rect = screen;
    ::OffsetRect(&rect, -frame.left, -frame.top);
    return rect;
}

} // namespace oc::journey
