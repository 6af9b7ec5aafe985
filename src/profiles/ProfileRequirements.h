#pragma once
// What a profile asks of the device before the strip offers it: the effects it names, each under the
// endpoints it sits in. Kept from the document when the profile is listed, so that the verdict can be
// given again whenever the device changes without keeping or re-reading the document. An effect under an
// endpoint the device lacks cannot be checked and does not count against the profile.

#include <cstdint>
#include <string>
#include <vector>

#include "markup/IXmlObject.h"

class IDriverInstance;

class CProfileRequirements {
public:
    // Notes what the document's elements ask, in document order.
    void Collect(const IXmlObject* root);
    // 1 when the device can take the profile. The effects count only when `checkEffects` is set.
    int IsMetBy(IDriverInstance& driver, bool checkEffects) const;
    void Compact() { m_steps.shrink_to_fit(); }

private:
    struct Step {
        enum Kind : uint8_t { kEnter, kEndpoint, kEffect, kLeave } kind;
        int32_t endpointCode = 0;            // kEndpoint: an endpoint the element names
        const std::wstring* effect = nullptr; // kEffect: a shared feature name
    };
    void CollectChildren(const IXmlObject* element);

    std::vector<Step> m_steps;
};
