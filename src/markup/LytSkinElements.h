#pragma once
// The skin toolkit's side of the markup controller: the element kinds by name and the wrappers that
// take an existing dialog, menu or panel.
#include "markup/ILytController.h"
#include "markup/ILytElementFactory.h"

class CLytSkinElementFactory : public ILytElementFactory {
public:
    std::span<const LytElementKind> GetElementKinds() const override;
    ILytObject* WrapSkinObject(IxSkinObject* object, ILytEnvironment& environment) const override;
};

// The program's markup controller over real skin controls; the environment must outlive it.
ILytController* CreateSkinLytController(ILytEnvironment& environment);
