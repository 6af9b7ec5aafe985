#pragma once
// The "Window" element: only ever the root of a file loaded into an existing skinned dialog, whose wrapper
// it is. It takes the dialog's own attributes and none of those every control shares; a "Name" asks the
// handler factory for the dialog's handler.
#include "markup/LytObject.h"

class IxSkinObject;

class CLytWindow : public CLytObject {
public:
    // Wraps the dialog's skin object; without one the window has no control and does nothing.
    static CLytWindow* CreateInstance(ILytEnvironment& environment, IxSkinObject* dialog);
    // The loaders' wrapper for a dialog.
    static ILytObject* Wrap(IxSkinObject* dialog, ILytEnvironment& environment) {
        return CreateInstance(environment, dialog);
    }

    // Only the window's own table.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;

protected:
    CLytWindow(ILytEnvironment& environment, IxSkinObject* dialog);
    ~CLytWindow() override = default;

private:
    struct WindowAttribute;
};
