// The test helpers every other test relies on, in both builds.
#include <gtest/gtest.h>

#include <fstream>

#include "TestPaths.h"

namespace {

TEST(Harness, TempDirIsFreshAndRemovedWithItsContents) {
    std::filesystem::path kept;
    {
        oc::test::TempDir first, second;
        ASSERT_TRUE(std::filesystem::is_directory(first.Path()));
        EXPECT_NE(first.Path(), second.Path());
        EXPECT_TRUE(std::filesystem::is_empty(first.Path()));
        std::filesystem::create_directories(first / "nested");
        std::ofstream(first / "nested" / "file.txt") << "x";
        kept = first.Path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(Harness, SourceDirHoldsTheProject) {
    EXPECT_TRUE(std::filesystem::exists(oc::test::SourceDir() / "CMakeLists.txt"));
}

} // namespace
