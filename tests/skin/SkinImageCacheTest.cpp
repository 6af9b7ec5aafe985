// The skin image cache: one read per file shared by every bitmap loaded from it, PNG pixels decoded at their
// first draw, pixels that outlive the cache, and failed loads that fail every time, exactly as without a cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/SkinControlsException.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGraphics.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinStatic.h"

using namespace Gdiplus;
using namespace oc::test;

namespace {

constexpr ARGB kRed = 0xFFFF0000, kHalfGreen = 0x8000FF00, kBlue = 0xFF0000FF;

// Three bands of 4 x 6 pixels: opaque red, half-transparent green, opaque blue.
std::wstring SaveBands(const TempDir& dir, const wchar_t* name) {
    auto image = BandedImage(4, 6, {kRed, kHalfGreen, kBlue});
    const std::wstring path = (dir / name).wstring();
    EXPECT_TRUE(SavePng(*image, path));
    return path;
}

// The bitmap drawn 1:1 onto a transparent surface, read back in the middle of each band.
void ExpectBands(Bitmap* image) {
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->GetWidth(), 12u);
    ASSERT_EQ(image->GetHeight(), 6u);
    Surface surface(12, 6);
    {
        CxSkinGraphics g(surface.Dc());
        xSkinDrawImage(*g, image, Rect(0, 0, 12, 6), 0, false, false, 0, 0);
    }
    EXPECT_EQ(surface.At(1, 3), 0xFFFF0000u);
    EXPECT_NEAR(Alpha(surface.At(5, 3)), 128, 2); // premultiplied: the green shrinks with it
    EXPECT_NEAR(Green(surface.At(5, 3)), 128, 2);
    EXPECT_EQ(surface.At(10, 3), 0xFF0000FFu);
}

TEST(SkinImageCache, DecodesEachFileOnceAndEveryBitmapDrawsItsPixels) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    std::wstring sameFile = path;
    std::replace(sameFile.begin(), sameFile.end(), L'\\', L'/');
    sameFile.insert(sameFile.rfind(L'/'), L"/../" + dir.Path().filename().wstring());

    std::unique_ptr<Bitmap> first, second, third;
    {
        CxSkinImageCache cache;
        ASSERT_EQ(CxSkinImageCache::Current(), &cache);
        first = xSkinLoadBitmap(path.c_str());
        second = xSkinLoadBitmap(path.c_str());
        third = xSkinLoadBitmap(sameFile.c_str()); // other separators and a detour: the same file
        EXPECT_EQ(cache.GetDecodedCount(), 1u);
        ASSERT_TRUE(first && second && third);
        EXPECT_NE(first.get(), second.get()); // each control owns its own bitmap
        ExpectBands(second.get());
    }
    EXPECT_EQ(CxSkinImageCache::Current(), nullptr);
    // Bitmaps outlive the cache and each other: their pixels stay until the last one goes.
    first.reset();
    ExpectBands(second.get());
    second.reset();
    ExpectBands(third.get());
}

// Controls that only draw their pictures share one bitmap of a file while any of them holds it; once none
// does, the next one gets a bitmap of the same pixels. A file that is no picture fails every time.
TEST(SkinImageCache, DrawOnlyHoldersShareOneBitmapPerFileWhileAnyHoldsIt) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    std::wstring sameFile = path;
    std::replace(sameFile.begin(), sameFile.end(), L'\\', L'/');
    const std::wstring missing = (dir / L"missing.png").wstring();

    CxSkinImageCache cache;
    std::shared_ptr<Bitmap> first = xSkinShareBitmap(path.c_str());
    std::shared_ptr<Bitmap> second = xSkinShareBitmap(sameFile.c_str());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first.get(), second.get());
    ExpectBands(second.get());
    // A control that owns its bitmap gets one of its own, over the same pixels.
    const std::unique_ptr<Bitmap> owned = xSkinLoadBitmap(path.c_str());
    EXPECT_NE(owned.get(), first.get());
    first.reset();
    second.reset();
    ExpectBands(xSkinShareBitmap(path.c_str()).get());
    EXPECT_EQ(cache.GetDecodedCount(), 1u);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(xSkinShareBitmap(missing.c_str()), nullptr);
}

TEST(SkinImageCache, FailedLoadsFailEveryTimeAndAreNotRemembered) {
    TempDir dir;
    const std::wstring notAnImage = (dir / L"text.png").wstring();
    std::ofstream(dir / L"text.png") << "not a picture";
    const std::wstring missing = (dir / L"missing.png").wstring();

    CxSkinImageCache cache;
    for (const std::wstring& path : {missing, notAnImage, std::wstring()}) {
        EXPECT_EQ(xSkinLoadBitmap(path.c_str()), nullptr) << path;
        EXPECT_EQ(xSkinLoadBitmap(path.c_str()), nullptr) << path;
    }
    EXPECT_EQ(cache.GetDecodedCount(), 0u);

    // A skin setter reports the missing image exactly as it does without a cache.
    CxSkinStatic control;
    try {
        control.SetSkin(missing);
        FAIL() << "no exception";
    } catch (CException* error) {
        ASSERT_TRUE(error->IsKindOf(RUNTIME_CLASS(CxSkinControlsException)));
        EXPECT_EQ(static_cast<CxSkinControlsException*>(error)->GetMessage(),
                  L"SetSkin: failed to load content image (" + missing + L")!");
        error->Delete();
    }
    EXPECT_EQ(control.GetContentImage(), nullptr);

    // The file that was missing arrives: the next load finds it.
    auto image = BandedImage(4, 6, {kRed, kHalfGreen, kBlue});
    ASSERT_TRUE(SavePng(*image, missing));
    ExpectBands(xSkinLoadBitmap(missing.c_str()).get());
    EXPECT_EQ(cache.GetDecodedCount(), 1u);
}

std::vector<char> ReadBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::wstring& path, const std::vector<char>& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
}

void PutBigEndian(std::vector<char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

uint32_t Crc32(const char* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<uint8_t>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The PNG with a physical pixel size chunk after its header: 144 dots per inch, in pixels per metre.
void AddResolution(const std::wstring& path) {
    std::vector<char> bytes = ReadBytes(path);
    constexpr size_t kAfterHeader = 8 + 8 + 13 + 4;
    std::vector<char> chunk(4 + 4 + 9 + 4, 0);
    PutBigEndian(chunk, 0, 9);
    chunk[4] = 'p', chunk[5] = 'H', chunk[6] = 'Y', chunk[7] = 's';
    PutBigEndian(chunk, 8, 5669);
    PutBigEndian(chunk, 12, 5669);
    chunk[16] = 1; // metres
    PutBigEndian(chunk, 17, Crc32(chunk.data() + 4, 4 + 9));
    bytes.insert(bytes.begin() + kAfterHeader, chunk.begin(), chunk.end());
    WriteBytes(path, bytes);
}

// A PNG is only read when loaded; its first draw decodes it, for every bitmap over it, even once the cache
// that read it is gone. Its size and resolution are known before: they come from its header.
TEST(SkinImageCache, PicturesAreDecodedAtTheirFirstDraw) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    const std::wstring sharp = SaveBands(dir, L"sharp.png");
    AddResolution(sharp);

    std::unique_ptr<Bitmap> first, second, outliving;
    {
        CxSkinImageCache cache;
        first = xSkinLoadBitmap(path.c_str());
        second = xSkinLoadBitmap(path.c_str());
        outliving = xSkinLoadBitmap(sharp.c_str());
        ASSERT_TRUE(first && second && outliving);
        EXPECT_EQ(cache.GetDecodedCount(), 2u);
        EXPECT_EQ(cache.GetPendingCount(), 2u);
        ExpectBands(first.get());
        EXPECT_EQ(cache.GetPendingCount(), 1u); // the other file still waits
    }
    ExpectBands(second.get()); // decoded by the first bitmap's draw
    Bitmap direct(sharp.c_str());
    EXPECT_NEAR(outliving->GetHorizontalResolution(), direct.GetHorizontalResolution(), 0.5);
    EXPECT_NEAR(outliving->GetVerticalResolution(), 144.0, 0.5);
    ExpectBands(outliving.get());
}

// A PNG whose chunks are all whole but whose image data does not decode (damaged before its CRCs were
// written): it loads with its header's size and draws nothing, every time, without disturbing the pictures
// around it.
TEST(SkinImageCache, APictureWhoseDataDoesNotReadDrawsNothing) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"broken.png");
    std::vector<char> bytes = ReadBytes(path);
    const std::string text(bytes.begin(), bytes.end());
    const size_t data = text.find("IDAT");
    ASSERT_NE(data, std::string::npos);
    const size_t length = static_cast<uint8_t>(bytes[data - 2]) * 256u + static_cast<uint8_t>(bytes[data - 1]);
    ASSERT_LT(data + 4 + length, bytes.size());
    for (size_t at = data + 4; at < data + 4 + length; ++at) // the compressed pixels; every chunk still reads
        bytes[at] = static_cast<char>(0xA5);
    PutBigEndian(bytes, data + 4 + length, Crc32(&bytes[data], 4 + length));
    WriteBytes(path, bytes);

    CxSkinImageCache cache;
    std::unique_ptr<Bitmap> broken = xSkinLoadBitmap(path.c_str());
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->GetWidth(), 12u);
    EXPECT_EQ(broken->GetHeight(), 6u);
    for (int pass = 0; pass < 2; ++pass) {
        Surface surface(12, 6);
        {
            CxSkinGraphics g(surface.Dc());
            xSkinDrawImage(*g, broken.get(), Rect(0, 0, 12, 6), 0, false, false, 0, 0);
        }
        for (int x : {1, 5, 10})
            EXPECT_EQ(surface.At(x, 3), 0u) << "pass " << pass << ", x " << x;
    }
    EXPECT_EQ(cache.GetPendingCount(), 0u);
}

// A shipped picture damaged as files get damaged: each damaged copy fails its load at once, and the setter
// that asked for it fails as for a missing file, instead of the picture drawing nothing later. The picture
// as shipped, and with a well-formed chunk added, loads.
TEST(SkinImageCache, APngWhoseChunksAreNotWholeFailsItsLoad) {
    const std::vector<char> shipped =
        ReadBytes((ProgramDir() / "Skin" / "Overcoat" / "Main" / "logo_normal.png").wstring());
    const std::string text(shipped.begin(), shipped.end());
    const size_t data = text.find("IDAT"), end = text.find("IEND");
    ASSERT_TRUE(data != std::string::npos && end != std::string::npos && data + 40 < end);
    struct Case {
        const char* name;
        std::function<void(std::vector<char>&)> damage;
        bool loads;
    };
    const Case cases[] = {
        {"as shipped", [](std::vector<char>&) {}, true},
        {"a byte of the image data changed", [&](std::vector<char>& b) { b[data + 20] ^= 0x10; }, false},
        {"the header's CRC changed", [](std::vector<char>& b) { b[8 + 8 + 13] ^= 0x01; }, false},
        {"cut inside the image data", [&](std::vector<char>& b) { b.resize(data + 30); }, false},
        {"cut before the end chunk", [&](std::vector<char>& b) { b.resize(end - 4); }, false},
        {"no image data", [&](std::vector<char>& b) { b.erase(b.begin() + data - 4, b.begin() + end - 4); }, false},
        {"a chunk length past the end", [&](std::vector<char>& b) { PutBigEndian(b, data - 4, 0x7FFFFFF0); }, false},
    };
    TempDir dir;
    CxSkinImageCache cache;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring path = (dir / (std::string(c.name) + ".png")).wstring();
        std::vector<char> bytes = shipped;
        c.damage(bytes);
        WriteBytes(path, bytes);
        EXPECT_EQ(xSkinLoadBitmap(path.c_str()) != nullptr, c.loads);
        CxSkinStatic control;
        bool failed = false;
        try {
            control.SetSkin(path);
        } catch (CException* error) {
            failed = true;
            error->Delete();
        }
        EXPECT_EQ(failed, !c.loads);
        EXPECT_EQ(ReadBytes(path), bytes) << "the file is left as it is";
    }
    const std::wstring placed = (dir / L"placed.png").wstring();
    WriteBytes(placed, shipped);
    AddResolution(placed);
    EXPECT_NE(xSkinLoadBitmap(placed.c_str()), nullptr);
}

// Caches nest: the one made last serves until it goes, then the one before it serves again.
TEST(SkinImageCache, NestedCacheServesUntilItGoes) {
    TempDir dir;
    const std::wstring path = SaveBands(dir, L"bands.png");
    CxSkinImageCache outer;
    {
        CxSkinImageCache inner;
        ExpectBands(xSkinLoadBitmap(path.c_str()).get());
        EXPECT_EQ(inner.GetDecodedCount(), 1u);
        EXPECT_EQ(outer.GetDecodedCount(), 0u);
    }
    EXPECT_EQ(CxSkinImageCache::Current(), &outer);
    ExpectBands(xSkinLoadBitmap(path.c_str()).get());
    EXPECT_EQ(outer.GetDecodedCount(), 1u);
}

} // namespace
