#include "markup/LytSkinElements.h"

#include <cwchar>
#include <iterator>
#include <memory>

#include "markup/LytButton.h"
#include "markup/LytCheckbox.h"
#include "markup/LytController.h"
#include "markup/LytMenu.h"
#include "markup/LytMenuItem.h"
#include "markup/LytObject.h"
#include "markup/LytRadioButton.h"
#include "markup/LytRepeatButton.h"
#include "markup/LytSkinControl.h"
#include "skin/SkinObject.h"

namespace {

// Element names in look-up order. A kind answers null until its markup object joins the program; "Window"
// always does, since a window is only ever the root that a dialog's wrapper takes.
const LytElementKind kElementKinds[] = {
    {L"Button", &CLytButton::CreateInstance},
    {L"Canvas", nullptr},       // CLytCanvas with a new panel
    {L"Panel", nullptr},        // CLytCanvas with a new panel
    {L"CheckBox", &CLytCheckbox::CreateInstance},
    {L"ComboBox", nullptr},     // CLytComboBox
    {L"ComboBoxItem", nullptr}, // CLytComboBoxItem
    {L"Image", nullptr},        // CLytStatic
    {L"TextBlock", nullptr},    // CLytStatic
    {L"SkinMenu", &CLytMenu::CreateElement},
    {L"SkinMenuItem", &CLytMenuItem::CreateInstance},
    {L"RadioButton", &CLytRadioButton::CreateInstance},
    {L"Shape", nullptr},        // CLytShape
    {L"Slider", nullptr},       // CLytSlider
    {L"TextBox", nullptr},      // CLytTextbox
    {L"Embed", nullptr},        // CLytEmbed
    {L"PanelVS", nullptr},      // CLytPanelVS
    {L"RepeatButton", &CLytRepeatButton::CreateInstance},
    {L"Window", nullptr},       // never an object
};

// Until the window, menu and canvas kinds arrive, the base object wraps every target: a panel then takes
// the attributes every element shares, a dialog or menu none.
ILytObject* WrapWithBase(IxSkinObject* object, ILytEnvironment& environment) {
    return new CLytObject(environment, std::make_unique<CLytSkinControl>(object));
}

ILytObject* WrapMenu(IxSkinObject* object, ILytEnvironment& environment) {
    return CLytMenu::CreateInstance(environment, object);
}

struct WrapperKind {
    const wchar_t* typeName; // of the skin object; null matches any
    ILytObject* (*wrap)(IxSkinObject* object, ILytEnvironment& environment);
};

const WrapperKind kWrappers[] = {
    {L"Dialog", &WrapWithBase},
    {L"SkinMenu", &WrapMenu},
    {nullptr, &WrapWithBase},
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
