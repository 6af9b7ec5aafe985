#include "PanelGallery.h"

#include <cstdlib>
#include <filesystem>

#include "../skin/SkinTestSupport.h"
#include "DialogGallery.h"
#include "TestPaths.h"
#include "app/OvercoatApp.h"
#include "markup/ILytController.h"
#include "skin/LayerDialog.h"
#include "skin/SkinCtrl.h"

namespace oc::test {

namespace {

ILytController* SkinController() {
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        theApp.UseProgramFolder(ProgramDir().wstring() + L"\\");
        theApp.InitPaths();
        theApp.LoadLanguage(L"en-US");
        theApp.CreateLytController();
    }
    return theApp.GetLytController();
}

} // namespace

bool LoadSkinPanel(const std::wstring& file, IxSkinObject* panel) {
    ILytController* controller = SkinController();
    if (!controller)
        return false;
    const std::wstring path = (ProgramDir() / "Skin" / "Overcoat" / file).wstring();
    return controller->Load(path.c_str(), panel, nullptr) == 1;
}

void PaintPanelSurface(CLayerDialog& dialog, int width, int height) {
    const std::filesystem::path file = GalleryFolder() / "panel_surface.png";
    auto surface = SolidImage(width, height, 0xFF272B31);
    if (!surface || !SavePng(*surface, file))
        return;
    dialog.SetBackgroundImage(file.wstring().c_str());
    dialog.SetBackground(width, height, nullptr, 0, 0);
}

int AccentPixels(const CLayerDialog& dialog, const CxSkinCtrl& control) {
    const RECT r = control.GetRectInHost();
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const uint32_t argb = dialog.GetPixel(x, y);
            if (Alpha(argb) > 200 && std::abs(Red(argb) - 0x3F) < 24 && std::abs(Green(argb) - 0xA7) < 24 &&
                std::abs(Blue(argb) - 0xF5) < 24)
                ++count;
        }
    }
    return count;
}

} // namespace oc::test
