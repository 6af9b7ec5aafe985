// Value cache keys and entries.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/PropertyCache.h"
#include "driver/PropertyValue.h"

namespace {

class PropertyCacheTest : public ::testing::Test {
protected:
    ~PropertyCacheTest() override { CPropertyCache::DestroyInstance(); }
};

TEST_F(PropertyCacheTest, KeysFollowEndpointFlowAndChannel) {
    struct Case {
        int32_t code;
        const wchar_t* name;
        bool withArguments;
        int32_t channel;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {1, L"Enable_EQ_GFX", false, 0, L"Speaker.Enable_EQ_GFX"},
        {1, L"VolumeControl", true, 2, L"Speaker.VolumeControl.2"},
        {1, L"VolumeControl", true, -1, L"Speaker.VolumeControl.-1"},
        {1, L"VolumeControl", true, -2, L"Speaker.VolumeControl"},
        {1, L"VolumeControl", false, 0, L"Speaker.VolumeControl"},
        {7, L"VolumeScalarControl", true, 0, L"HeadPhone.VolumeScalarControl.0"},
        {2, L"AAVolumeControl", true, 1, L"MicIn.AAVolumeControl.1"},
        {2, L"AAVolumeScalarControl", true, 0, L"MicIn.AAVolumeScalarControl.0"},
        {2, L"AAVolumeControl", false, 0, L"MicIn.AAVolumeControl"},
        {1, L"MasterVolumeControl", true, 3, L"Speaker.MasterVolumeControl"},
        {9, L"DefaultDeviceControl", true, 0, L"Render.DefaultDeviceControl"},
        {2, L"DefaultDeviceControl", true, 0, L"Capture.DefaultDeviceControl"},
        {5, L"DefaultDeviceControl", false, 0, L"Capture.DefaultDeviceControl"},
        {6, L"Enable_EQ_GFX", false, 0, L"Unknown.Enable_EQ_GFX"},
    };
    for (const Case& c : cases) {
        alignas(4) uint8_t arguments[kPropertyBufferBytes] = {};
        std::memcpy(arguments, &c.channel, sizeof(c.channel));
        EXPECT_EQ(CPropertyCache::MakeKey(c.code, c.name, c.withArguments ? arguments : nullptr), c.expected);
    }
}

TEST_F(PropertyCacheTest, FetchAnswersStoredNumbersAndMissesOtherwise) {
    CPropertyCache& cache = CPropertyCache::GetInstance();
    wchar_t buffer[kPropertyBufferChars];

    EXPECT_EQ(cache.Fetch(L"Speaker.Missing", buffer, kPropertyBufferChars, kValueUInt), 1);
    EXPECT_EQ(std::wstring(buffer), L"0");
    EXPECT_EQ(cache.Fetch(L"Speaker.Missing", buffer, kPropertyBufferChars, kValueText), 1);
    EXPECT_EQ(std::wstring(buffer), L"");

    const int32_t level = -13;
    cache.Store(L"Speaker.Level", &level, kValueInt, 4);
    EXPECT_EQ(cache.Fetch(L"Speaker.Level", buffer, kPropertyBufferChars, kValueInt), 0);
    EXPECT_EQ(std::wstring(buffer), L"-13");

    // Texts and blocks are kept empty, so a cached read of them always misses.
    cache.Store(L"Speaker.Name", L"Speakers", kValueText, 18);
    EXPECT_EQ(cache.Fetch(L"Speaker.Name", buffer, kPropertyBufferChars, kValueText), 1);
    cache.Store(L"Speaker.DevFormatControl", &level, kValueBlock, 4);
    EXPECT_EQ(cache.Fetch(L"Speaker.DevFormatControl", buffer, kPropertyBufferChars, kValueBlock), 1);

    // Entries are replaced, and a fetch into a small buffer is cut and terminated.
    const float gain = 12.25f;
    cache.Store(L"Speaker.Level", &gain, kValueFloat, 4);
    wchar_t small[4];
    EXPECT_EQ(cache.Fetch(L"Speaker.Level", small, 4, kValueFloat), 0);
    EXPECT_EQ(std::wstring(small), L"12.");
}

TEST_F(PropertyCacheTest, DestroyGivesAFreshCache) {
    const int32_t one = 1;
    CPropertyCache::GetInstance().Store(L"Speaker.X", &one, kValueInt, 4);
    CPropertyCache::DestroyInstance();
    wchar_t buffer[16];
    EXPECT_EQ(CPropertyCache::GetInstance().Fetch(L"Speaker.X", buffer, 16, kValueInt), 1);
}

} // namespace
