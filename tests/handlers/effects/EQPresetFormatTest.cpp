// The user preset file layout: round trips, the documented example bytes, and files that are damaged,
// cut short, oversized or written by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "handlers/effects/EQPresetFormat.h"

using namespace oc::eq;

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// One record as a hand-written file holds it; length may differ from the name's size.
void PutRecord(std::vector<uint8_t>& out, uint32_t length, const std::wstring& name, const BandGains& gains) {
    PutU32(out, length);
    for (wchar_t unit : name) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>((unit >> 8) & 0xFF));
    }
    for (float gain : gains) {
        uint32_t bits;
        std::memcpy(&bits, &gain, 4);
        PutU32(out, bits);
    }
}

const BandGains kRamp = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
const BandGains kFlat = {};

} // namespace

TEST(EQPresetFormat, WritesTheDocumentedRecordAndReadsItBack) {
    const std::vector<uint8_t> bytes = SerializePresets({{L"abc", kFlat}});
    std::vector<uint8_t> expected = {3, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0};
    expected.resize(50, 0);
    EXPECT_EQ(bytes, expected);

    std::vector<uint8_t> ramp;
    PutRecord(ramp, 3, L"abc", kRamp);
    const UserPresetMap read = ParsePresets(ramp);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read.at(L"abc"), kRamp);
}

TEST(EQPresetFormat, RoundTripsOddNamesInCodeUnitOrder) {
    const UserPresetMap presets = {
        {L"a", kRamp},
        {L"B", kFlat},
        {L"Gr\u00FC\u00DFe \u266B", {-12.5f, 0.25f, 3, 4, 5, 6, 7, 8, 9, -0.0f}},
        {L"\xD83C\xDFB8 rock", kRamp}, // a surrogate pair stays two units
        {L"  spaced  ", kFlat},
        {std::wstring(kMaxNameLength, L'x'), kRamp},
    };
    const std::vector<uint8_t> bytes = SerializePresets(presets);
    EXPECT_EQ(ParsePresets(bytes), presets);
    // Written in name order: "  spaced  " (U+0020 first), then "B" before "a".
    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 10);
}

TEST(EQPresetFormat, KeepsTheFirstOfDuplicateNamesAndSortsUnsortedFiles) {
    std::vector<uint8_t> bytes;
    PutRecord(bytes, 1, L"a", kRamp);
    PutRecord(bytes, 1, L"B", kFlat);
    PutRecord(bytes, 1, L"a", kFlat);
    const UserPresetMap read = ParsePresets(bytes);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at(L"a"), kRamp);
    EXPECT_EQ(read.begin()->first, L"B");
    const std::vector<uint8_t> rewritten = SerializePresets(read);
    EXPECT_EQ(rewritten.size(), 2u * 46u);
    EXPECT_EQ(rewritten[4], 'B');
}

// Damaged files keep the records that come before the damage and never read past the data.
TEST(EQPresetFormat, StopsCleanlyAtDamage) {
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        size_t kept;
    };
    const Case cases[] = {
        {"empty file", [](auto& b) { b.clear(); }, 0},
        {"zero length ends the list",
         [](auto& b) {
             PutU32(b, 0);
             PutRecord(b, 1, L"z", kFlat);
         },
         1},
        {"length above the name buffer", [](auto& b) { PutRecord(b, 256, std::wstring(256, L'y'), kFlat); }, 1},
        {"huge length", [](auto& b) { PutU32(b, 0xFFFFFFFFu); }, 1},
        {"record cut in its gains",
         [](auto& b) {
             PutRecord(b, 1, L"z", kRamp);
             b.resize(b.size() - 3);
         },
         1},
        {"record cut in its name",
         [](auto& b) {
             PutU32(b, 5);
             b.push_back('z');
         },
         1},
        {"stray bytes after the last record",
         [](auto& b) {
             b.push_back(7);
             b.push_back(0);
         },
         1},
        {"name that is only a NUL", [](auto& b) { PutRecord(b, 1, std::wstring(1, L'\0'), kRamp); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes;
        PutRecord(bytes, 1, L"k", kRamp);
        c.damage(bytes);
        const UserPresetMap read = ParsePresets(bytes);
        EXPECT_EQ(read.size(), c.kept);
        if (c.kept) {
            EXPECT_EQ(read.at(L"k"), kRamp);
        }
    }
}

TEST(EQPresetFormat, ANulInsideANameShortensIt) {
    std::vector<uint8_t> bytes;
    PutRecord(bytes, 4, std::wstring(L"ab\0c", 4), kRamp);
    const UserPresetMap read = ParsePresets(bytes);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read.begin()->first, L"ab");
}

// No size cuts a file short: 100,000 presets (6 MB) all read, so a save writes every one of them back.
TEST(EQPresetFormat, ReadsALargeFileWhole) {
    std::vector<uint8_t> bytes;
    const size_t records = 100000;
    for (size_t i = 0; i < records; ++i)
        PutRecord(bytes, 8, L"p" + std::to_wstring(1000000 + i), kFlat);
    const UserPresetMap read = ParsePresets(bytes);
    EXPECT_EQ(read.size(), records);
    EXPECT_TRUE(SerializePresets(read) == bytes);
}

// An entry that could not be read back would end the list for every entry after it.
TEST(EQPresetFormat, LeavesOutNamesThatCannotBeReadBack) {
    const UserPresetMap presets = {{L"", kRamp}, {std::wstring(kMaxNameLength + 1, L'x'), kRamp}, {L"ok", kFlat}};
    EXPECT_EQ(ParsePresets(SerializePresets(presets)), (UserPresetMap{{L"ok", kFlat}}));
    EXPECT_FALSE(IsStorableName(L""));
    EXPECT_FALSE(IsStorableName(std::wstring(L"a\0b", 3)));
    EXPECT_TRUE(IsStorableName(std::wstring(kMaxNameLength, L'x')));
}
