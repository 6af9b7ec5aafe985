#pragma once
// The up-mix page's one operation: toggle the up-mix switch.

class ISpacelineHandler {
public:
    virtual int SetEnable() = 0;

protected:
    ~ISpacelineHandler() = default;
};
