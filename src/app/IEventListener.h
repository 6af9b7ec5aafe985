#pragma once
// The common root of the program's event listeners. It carries no operations: it marks an object as one
// that hears events, so that the handlers share one base whatever listeners they add.

class IEventListener {
protected:
    ~IEventListener() = default;
};
