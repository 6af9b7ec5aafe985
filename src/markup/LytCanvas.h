#pragma once
// The "Canvas" and "Panel" elements: a panel container (CxSkinPanel). A "Name" also asks the handler
// factory for a handler of that name and makes it the panel's listener, so that the events of every
// control inside reach it. A load into an existing panel wraps that panel in a canvas, whose root element
// attributes then land on it.
#include "markup/LytObject.h"

class CxSkinPanel;
class IxSkinObject;

class CLytCanvas : public CLytObject {
public:
    // Wraps the existing skin object when one is given (it stays its tree's), else makes a new panel.
    static CLytCanvas* CreateInstance(ILytEnvironment& environment, IxSkinObject* existing = nullptr);
    // The element table's creation function: a new panel.
    static ILytObject* CreateElement(ILytEnvironment& environment) { return CreateInstance(environment); }
    // The loaders' wrapper for a target that is neither a dialog nor a menu.
    static ILytObject* Wrap(IxSkinObject* object, ILytEnvironment& environment) {
        return CreateInstance(environment, object);
    }

    // The attributes every element shares, then the panel's own; 1 only when the panel's own table took
    // the name. A setter failure of the panel's own table counts as recognised.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // A panel made here that never joined a layer tree (the load stopped first) has no other owner.
    void Destroy() override;

protected:
    CLytCanvas(ILytEnvironment& environment, IxSkinObject* control, CxSkinPanel* made);
    ~CLytCanvas() override = default;

private:
    struct CanvasAttribute;
    static int BindHandler(CLytCanvas& canvas, const std::wstring& name);
    static int LoadBackground(CLytCanvas& canvas, const std::wstring& file);

    CxSkinPanel* m_made; // the panel this object made, null for a wrapped one
};
