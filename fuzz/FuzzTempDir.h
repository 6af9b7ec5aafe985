#pragma once
// A scratch folder for fuzz targets whose code under test reads and writes files (native build only).
#include <cstdlib>
#include <filesystem>
#include <string>

#include "markup/Utf8.h"

class FuzzTempDir {
public:
    FuzzTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "oc-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~FuzzTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    FuzzTempDir(const FuzzTempDir&) = delete;
    FuzzTempDir& operator=(const FuzzTempDir&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }
    std::wstring Wide(const std::string& name) const { return Utf8ToWide((m_path / name).string()); }

private:
    std::filesystem::path m_path;
};
