#include "TestPaths.h"

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <system_error>

namespace oc::test {

std::filesystem::path ProgramDir() {
#ifdef _WIN32
    return std::filesystem::path(OC_PROGRAM_DIR_WIN);
#else
    return std::filesystem::path(OC_PROGRAM_DIR_NATIVE);
#endif
}

std::filesystem::path SourceDir() {
#ifdef _WIN32
    // The source tree as Wine maps it: drive Z: is the Unix root.
    std::string unix = OC_SOURCE_DIR_NATIVE;
    return std::filesystem::path("Z:" + unix).make_preferred();
#else
    return std::filesystem::path(OC_SOURCE_DIR_NATIVE);
#endif
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    // Tests run in parallel processes: the random part keeps their folders apart.
    auto name = "oc-test-" + std::to_string(stamp) + "-" + std::to_string(std::random_device{}()) + "-" +
                std::to_string(counter++);
    m_path = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace oc::test
