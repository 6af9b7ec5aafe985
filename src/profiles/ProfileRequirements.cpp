#include "profiles/ProfileRequirements.h"

#include "driver/EndpointCodes.h"
#include "driver/IDriverInstance.h"
#include "markup/SharedText.h"
#include "profiles/PanelProfileRules.h"

void CProfileRequirements::Collect(const IXmlObject* root) {
    m_steps.clear();
    if (root)
        CollectChildren(root);
    Compact();
}

void CProfileRequirements::CollectChildren(const IXmlObject* element) {
    const uint32_t count = element->GetChildCount();
    for (uint32_t i = 0; i < count; ++i) {
        const IXmlObject* child = element->GetChild(i);
        if (!child)
            continue;
        const std::wstring childName = child->GetName();
        const bool isEndpoint = childName == L"Endpoint";
        const bool isEffect = childName == L"ApoEffect";
        if (isEndpoint)
            m_steps.push_back({Step::kEnter});
        std::wstring endpointName, flow;
        const uint32_t attributes = child->GetAttributeCount();
        for (uint32_t j = 0; j < attributes && (isEndpoint || isEffect); ++j) {
            std::wstring name, value;
            child->GetAttributeAt(name, value, j);
            if (isEffect) {
                m_steps.push_back({Step::kEffect, 0, &CSharedText::Intern(value)});
                continue;
            }
            if (name == L"Name")
                endpointName = value;
            else if (name == L"DataFlow")
                flow = value;
            // Every attribute from the one that completes the pair on names the endpoint again.
            if (!endpointName.empty() && !flow.empty())
                m_steps.push_back(
                    {Step::kEndpoint, profile_rules::IdentifyEndpoint(endpointName, flow, kEndpointNone)});
        }
        CollectChildren(child);
        if (isEndpoint)
            m_steps.push_back({Step::kLeave});
    }
}

int CProfileRequirements::IsMetBy(IDriverInstance& driver, bool checkEffects) const {
    // Inside an endpoint the device lacks, how deep: nothing there counts until it is left.
    int skipped = 0;
    for (const Step& step : m_steps) {
        if (skipped) {
            skipped += step.kind == Step::kEnter ? 1 : step.kind == Step::kLeave ? -1 : 0;
            continue;
        }
        if (step.kind == Step::kEndpoint &&
            driver.GetDeviceKindByName(driver.EndpointCodeToName(step.endpointCode)) != 1)
            skipped = 1;
        else if (step.kind == Step::kEffect && checkEffects && !driver.IsFeatureSupported(*step.effect))
            return 0;
    }
    return 1;
}
