#include "markup/LytSkinElements.h"

#include <cwchar>
#include <iterator>
#include <memory>

#include "markup/LytButton.h"
#include "markup/LytCheckbox.h"
#include "markup/LytComboBox.h"
#include "markup/LytComboBoxItem.h"
#include "markup/LytCanvas.h"
#include "markup/LytController.h"
#include "markup/LytEmbed.h"
#include "markup/LytMenu.h"
#include "markup/LytMenuItem.h"
#include "markup/LytObject.h"
#include "markup/LytPanelVS.h"
#include "markup/LytRadioButton.h"
#include "markup/LytRepeatButton.h"
#include "markup/LytShape.h"
#include "markup/LytSlider.h"
#include "markup/LytStatic.h"
#include "markup/LytTextbox.h"
#include "markup/LytWindow.h"
#include "markup/LytSkinControl.h"
#include "skin/SkinObject.h"

namespace {

// Element names in look-up order. "Window" answers null: a window is only ever the root that a dialog's
// wrapper takes.
const LytElementKind kElementKinds[] = {
    {L"Button", &CLytButton::CreateInstance},
    {L"Canvas", &CLytCanvas::CreateElement},
    {L"Panel", &CLytCanvas::CreateElement},
    {L"CheckBox", &CLytCheckbox::CreateInstance},
    {L"ComboBox", &CLytComboBox::CreateInstance},
    {L"ComboBoxItem", &CLytComboBoxItem::CreateInstance},
    {L"Image", &CLytStatic::CreateInstance},
    {L"TextBlock", &CLytStatic::CreateInstance},
    {L"SkinMenu", &CLytMenu::CreateElement},
    {L"SkinMenuItem", &CLytMenuItem::CreateInstance},
    {L"RadioButton", &CLytRadioButton::CreateInstance},
    {L"Shape", &CLytShape::CreateInstance},
    {L"Slider", &CLytSlider::CreateInstance},
    {L"TextBox", &CLytTextbox::CreateInstance},
    {L"Embed", &CLytEmbed::CreateElement},
    {L"PanelVS", &CLytPanelVS::CreateInstance},
    {L"RepeatButton", &CLytRepeatButton::CreateInstance},
    {L"Window", nullptr},
};

ILytObject* WrapMenu(IxSkinObject* object, ILytEnvironment& environment) {
    return CLytMenu::CreateInstance(environment, object);
}

// The object that takes a file loaded into an existing skin object: a dialog's window, a menu, or a panel.
struct WrapperKind {
    const wchar_t* typeName; // of the skin object; null matches any
    ILytObject* (*wrap)(IxSkinObject* object, ILytEnvironment& environment);
};

const WrapperKind kWrappers[] = {
    {L"Dialog", &CLytWindow::Wrap},
    {L"SkinMenu", &WrapMenu},
    {nullptr, &CLytCanvas::Wrap},
};

} // namespace

std::span<const LytElementKind> CLytSkinElementFactory::GetElementKinds() const {
    return kElementKinds;
}

ILytObject* CLytSkinElementFactory::WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const {
    if (!object)
        return nullptr;
    const wchar_t* typeName = object->GetTypeName();
    for (const WrapperKind& wrapper : kWrappers) {
        if (!wrapper.typeName || (typeName && std::wcscmp(wrapper.typeName, typeName) == 0))
            return wrapper.wrap(object, environment);
    }
    return nullptr;
}

ILytController* CreateSkinLytController(ILytEnvironment& environment) {
    static const CLytSkinElementFactory factory;
    return CLytController::CreateInstance(environment, factory);
}
