#pragma once
// What the container elements need of the application beyond the markup environment: the handler factory
// that binds a named panel or window, the controller that embedded files load through, and the two
// contents that handlers make in an embed's place. The application's markup environment implements it
// beside ILytEnvironment; under an environment without it no handler is bound and nothing is embedded.
#include <string>

#include "markup/ILytEnvironment.h"
#include "markup/ILytParser.h"

class ILytController;
class IxSkinListener;
class IxSkinObject;

class ILytContainerHost {
public:
    // A new handler for a panel or window name, owned by the caller from then on; null for a name that
    // has none, which is the usual case.
    virtual IxSkinListener* CreateHandler(const std::wstring& name) = 0;
    // The controller an "Embed" loads its file through; null when there is none.
    virtual ILytController* GetController() const = 0;
    // "FrameContent": the main window's handler chooses the content and places it in the parent control at
    // the rectangle (the parent's coordinates).
    virtual void UpdateContentRect(IxSkinObject* parent, const LytRect& rect) = 0;
    // "PanelProfileListContent": the handler that serves the parent control (the profile panel's) fills the
    // parent with the profile list at the rectangle.
    virtual void EnumerateProfiles(IxSkinListener* handler, IxSkinObject* parent, const LytRect& rect) = 0;

protected:
    ~ILytContainerHost() = default;
};

// The container host behind a markup environment, or null when the environment is not one.
inline ILytContainerHost* LytContainerHostOf(ILytEnvironment& environment) {
    return dynamic_cast<ILytContainerHost*>(&environment);
}
