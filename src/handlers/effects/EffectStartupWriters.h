#pragma once
// Fills the driver object's registry of start-up writers with the effect handlers' own writers, so the
// driver can let every effect family write its stored state when a device comes up without linking against
// the handlers.
#include <functional>

#include "driver/EffectDefaultWriters.h"

class IDriverInstance;

// driver answers the driver object at the time a writer runs (it is made after the registry is filled).
void RegisterEffectStartupWriters(CEffectDefaultWriters& writers, std::function<IDriverInstance*()> driver);
