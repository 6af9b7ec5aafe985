#pragma once
// The one object through which the program loads .lyt markup into skin controls.
#include "markup/ILytObject.h"
#include "markup/ILytParser.h"

class IxSkinObject;

class ILytController {
public:
    // Builds the file's root as a new child of `parent`, placed by the rectangle, and returns the root's
    // control; null when the file did not load. Without a placement the root element configures `parent`
    // itself, which stays the caller's, and its control is returned.
    virtual IxSkinObject* LoadFile(const wchar_t* path, ILytObject* parent, const LytRect* placement) = 0;
    // Loads a file into an existing dialog, menu or panel; 1 on success, else 0.
    virtual int Load(const wchar_t* path, IxSkinObject* parent, const LytRect* placement) = 0;
    virtual void Release() = 0;

protected:
    virtual ~ILytController() = default;
};
