#pragma once
// Where the markup controller gets its objects: the element kinds by name and the wrappers around
// existing skin objects. The skin toolkit's factory makes real controls; tests make recording fakes.
#include <span>

#include "markup/ILytEnvironment.h"
#include "markup/ILytObject.h"

class IxSkinObject;

struct LytElementKind {
    const wchar_t* name;
    // Constructs the object; the controller then has it make a late control (CreateControl). Null while
    // the kind is not part of the program: the element then makes no object.
    ILytObject* (*create)(ILytEnvironment& environment);
};

class ILytElementFactory {
public:
    // In look-up order: the first whole, case-sensitive match of an element name decides.
    virtual std::span<const LytElementKind> GetElementKinds() const = 0;
    // A new markup object that takes an existing dialog, menu or panel as its control and makes none;
    // null when there is nothing to wrap it with.
    virtual ILytObject* WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const = 0;

protected:
    ~ILytElementFactory() = default;
};
