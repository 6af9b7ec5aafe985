#pragma once
// What the page-file tests share: reading shipped markup and language files, and saving a page's back
// buffer over the window background as a gallery picture to look at.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "SkinTestSupport.h"
#include "TestPaths.h"
#include "skin/LayerDialog.h"

namespace oc::test {

inline std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::set<std::string> Matches(const std::string& text, const std::regex& pattern, int group = 0) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[group].str());
    return found;
}

// The culture's texts by key, from every language file the program folder ships for it.
inline std::map<std::string, std::string> CultureTexts(const char* culture) {
    std::map<std::string, std::string> texts;
    const std::regex entry("x:Key=\"(ml_[A-Za-z0-9_]+)\">([^<]*)<");
    for (const auto& file : std::filesystem::directory_iterator(ProgramDir() / "lang" / culture)) {
        if (file.path().extension() != ".xaml")
            continue;
        const std::string text = ReadText(file.path());
        for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it)
            texts[(*it)[1].str()] = (*it)[2].str();
    }
    return texts;
}

// Premultiplied back-buffer pixels over the window background, as the main window shows a page.
inline void SaveBackBuffer(const CLayerDialog& dialog, const std::filesystem::path& file) {
    const int width = dialog.GetSurfaceWidth();
    const int height = dialog.GetSurfaceHeight();
    Gdiplus::Bitmap image(width, height, PixelFormat32bppARGB);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = dialog.GetPixel(x, y);
            const int a = Alpha(p);
            auto over = [a](int c, int bg) { return c + bg * (255 - a) / 255; };
            image.SetPixel(x, y, Gdiplus::Color(255, over(Red(p), 0x1E), over(Green(p), 0x21), over(Blue(p), 0x26)));
        }
    }
    std::filesystem::create_directories(file.parent_path());
    SavePng(image, file);
}

} // namespace oc::test
