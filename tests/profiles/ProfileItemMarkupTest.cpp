// The shipped list items load as the strip loads them and draw the selected state in the accent colour.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

#include "../app/DialogGallery.h"
#include "../skin/ControlHost.h"
#include "TestPaths.h"
#include "markup/ILytController.h"
#include "markup/ILytEnvironment.h"
#include "markup/ILytObject.h"
#include "markup/LytSkinElements.h"
#include "skin/SkinRadioButton.h"

using namespace oc::test;

namespace {

// The program's skin folder with the texts of the item files.
class ItemEnvironment : public ILytEnvironment {
public:
    std::wstring TranslateText(const std::wstring& value) const override {
        return value == L"ml_PanelProfile_Item_Music" ? L"Music" : value;
    }
    std::wstring GetSkinFilePath(const std::wstring& value) const override { return GetSkinFolder() + value; }
    std::wstring GetSkinFolder() const override { return (ProgramDir() / "Skin" / "Overcoat").wstring() + L"\\"; }
    int GetScreenDpi() const override { return 96; }
};

int AccentPixels(const ControlHost& host) {
    int count = 0;
    for (int y = 0; y < ControlHost::kHeight; ++y) {
        for (int x = 0; x < ControlHost::kWidth; ++x) {
            const uint32_t argb = host.At(x, y);
            if (std::abs(Red(argb) - 0x3F) < 24 && std::abs(Green(argb) - 0xA7) < 24 &&
                std::abs(Blue(argb) - 0xF5) < 24)
                ++count;
        }
    }
    return count;
}

TEST(ProfileItemMarkup, BuiltInItemsLoadAndShowTheirSelection) {
    ItemEnvironment environment;
    ILytController* controller = CreateSkinLytController(environment);
    {
        ControlHost host;
        const LytRect placement = {8, 8, 120, 80};
        const std::wstring path = (ProgramDir() / "profile" / "default" / "Music.lyt").wstring();
        // As the strip loads an item: under the wrapper of its list panel, at the panel's rectangle.
        ILytObject* panel = CLytSkinElementFactory().WrapSkinObject(&host.m_root, environment);
        ASSERT_NE(panel, nullptr);
        IxSkinObject* loaded = controller->LoadFile(path.c_str(), panel, &placement);
        panel->Destroy();
        auto* item = dynamic_cast<CxSkinRadioButton*>(loaded);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetName(), L"Music*");

        host.Paint();
        const int unselected = AccentPixels(host);
        item->SetCheck(1, TRUE);
        host.Paint();
        EXPECT_GT(AccentPixels(host), unselected + 200) << "the selected tile has an accent outline";
        // The tile is drawn, not the grey host behind it.
        EXPECT_FALSE(NearColor(host.At(60, 20), kHostGrey, 8));
        SaveDialogPicture(host.m_root, L"ProfileItem_Music");
    }
    controller->Release();
}

} // namespace
