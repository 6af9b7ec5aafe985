#pragma once
#include <filesystem>

namespace oc::test {

// The assembled program folder of this build tree (as the running test sees it).
std::filesystem::path ProgramDir();

// The source tree, for fixtures kept beside the tests.
std::filesystem::path SourceDir();

// A fresh, empty folder that is removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace oc::test
