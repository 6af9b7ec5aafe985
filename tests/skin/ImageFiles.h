#pragma once
// Solid-colour PNG files a control test loads as its skin images, written once into a scratch folder and
// found by name; `missing` names a file in that folder that is never written.

#include <windows.h>
#include <gdiplus.h>

#include <initializer_list>
#include <map>
#include <string>

#include "SkinTestSupport.h"
#include "TestPaths.h"

namespace oc::test {

class ImageFiles {
public:
    struct File {
        const wchar_t* name;
        int width, height;
        Gdiplus::ARGB colour;
    };

    explicit ImageFiles(std::initializer_list<File> files) {
        for (const File& file : files) {
            const auto path = dir / (std::wstring(file.name) + L".png");
            SavePng(*SolidImage(file.width, file.height, file.colour), path);
            paths[file.name] = path.wstring();
        }
        missing = (dir / L"missing.png").wstring();
    }
    const std::wstring& operator[](const std::wstring& name) const { return paths.at(name); }

    TempDir dir;
    std::map<std::wstring, std::wstring> paths;
    std::wstring missing;
};

} // namespace oc::test
