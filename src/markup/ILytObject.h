#pragma once
// The markup object: the short-lived builder that stands for one element of a .lyt file while it loads
// and turns the element's attributes into calls on the skin control it owns or wraps.
#include <cstdint>
#include <string>

class IxSkinObject;

struct LytSize {
    std::int32_t cx;
    std::int32_t cy;
};

class ILytObject {
public:
    // Applies one attribute; 1 when the name was recognised, 0 otherwise.
    virtual int SetAttribute(const wchar_t* name, const wchar_t* value) = 0;
    // The element's own attributes are all applied; its children follow.
    virtual int OnCreated() = 0;
    // Once, on the root of a file, after the whole file was parsed.
    virtual void OnLoadComplete() = 0;
    // The control's kind word ("control", "Dialog", "SkinMenu", ...); empty without a control.
    virtual std::wstring GetTypeName() const = 0;
    virtual void SetId(int id) = 0;
    virtual void SetParent(ILytObject* parent) = 0;
    // The skin-object face of the control, not owned by the markup object; null without one.
    virtual IxSkinObject* GetControl() const = 0;
    virtual ILytObject* GetParent() const = 0;
    // The recorded "Width" and "Height".
    virtual LytSize GetSize() const = 0;
    // Frees this object and its whole subtree; the controls stay with their layers.
    virtual void Destroy() = 0;
    // Makes the control of the kinds that create it after construction.
    virtual void CreateControl() = 0;

protected:
    virtual ~ILytObject() = default;
};
