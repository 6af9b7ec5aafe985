#pragma once
// The records of a profile document: endpoints holding effects holding properties. Profile.xml keeps the
// program's own virtual properties in this shape, and the user profile files use the same property record.

#include <string>
#include <vector>

struct ProfileProperty {
    std::wstring Name;
    std::wstring Value;
    std::wstring UIName;
    std::wstring ValueType;
    std::wstring Args;
    std::wstring ArgsType;
};

struct ProfileApoEffect {
    std::wstring Name;
    std::vector<ProfileProperty> Properties;
};

struct ProfileEndpoint {
    std::wstring Name;
    std::wstring DataFlow;
    std::vector<ProfileApoEffect> Effects;
};

struct ProfileRoot {
    std::wstring Name;
    std::vector<ProfileEndpoint> Endpoints;
};
