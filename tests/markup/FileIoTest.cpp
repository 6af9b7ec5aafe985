// Reading a whole file, and keeping the original of a file the program could not read: under a free name
// beside it, never over an earlier kept copy, and once per distinct content.
#include <gtest/gtest.h>

#include <string>

#include "MarkupTestUtil.h"
#include "TestPaths.h"
#include "markup/FileIo.h"

namespace {

using oc::test::ReadBytes;
using oc::test::WidePath;
using oc::test::WriteBytes;

TEST(FileIo, KeptCopiesNeverReplaceEarlierOnes) {
    oc::test::TempDir dir;
    const std::wstring file = WidePath(dir / "setting.ini");
    const std::string first = "first damage", second = "second damage";
    ASSERT_TRUE(fileio::KeepCopy(file.c_str(), first.data(), first.size()));
    ASSERT_TRUE(fileio::KeepCopy(file.c_str(), first.data(), first.size()));
    EXPECT_FALSE(std::filesystem::exists(dir / "setting.ini.bad2")) << "the same bytes are kept once";
    ASSERT_TRUE(fileio::KeepCopy(file.c_str(), second.data(), second.size()));
    EXPECT_EQ(ReadBytes(dir / "setting.ini.bad"), first);
    EXPECT_EQ(ReadBytes(dir / "setting.ini.bad2"), second);

    // Moving aside takes the next free name too, and fails rather than replace once every name is taken.
    WriteBytes(dir / "setting.ini", "third");
    ASSERT_TRUE(fileio::MoveAside(file.c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "setting.ini"));
    EXPECT_EQ(ReadBytes(dir / "setting.ini.bad3"), "third");
    for (int n = 3; n < fileio::kKeptCopies; ++n)
        WriteBytes(fileio::KeptCopyPath(file.c_str(), n), "taken");
    WriteBytes(dir / "setting.ini", "fourth");
    EXPECT_FALSE(fileio::MoveAside(file.c_str()));
    EXPECT_FALSE(fileio::KeepCopy(file.c_str(), "new", 3));
    EXPECT_EQ(ReadBytes(dir / "setting.ini"), "fourth");
    EXPECT_EQ(ReadBytes(dir / "setting.ini.bad"), first);
    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.path().extension() == ".tmp" ? 100 : 1;
    EXPECT_EQ(files, 1 + fileio::kKeptCopies);
}

// A whole read takes every byte, however many blocks it spans, and tells a missing file from a read one.
TEST(FileIo, ReadAllTakesTheWholeFile) {
    oc::test::TempDir dir;
    std::string bytes = "stale";
    EXPECT_EQ(fileio::ReadAll(WidePath(dir / "missing").c_str(), bytes), fileio::ReadResult::Missing);
    EXPECT_TRUE(bytes.empty());
    std::string large(3u << 20, 'x');
    large += "end";
    WriteBytes(dir / "large", large);
    EXPECT_EQ(fileio::ReadAll(WidePath(dir / "large").c_str(), bytes), fileio::ReadResult::Read);
    EXPECT_TRUE(bytes == large);
    WriteBytes(dir / "empty", "");
    EXPECT_EQ(fileio::ReadAll(WidePath(dir / "empty").c_str(), bytes), fileio::ReadResult::Read);
    EXPECT_TRUE(bytes.empty());
}

} // namespace
