// The effect-exclusion rules of the handler framework. Each rule is a fixed list of steps run in order;
// the results of the writes are not looked at, and every key is written and announced again even when it
// is already off, so the status panel always ends up showing the device's state.
#include "app/BaseHandler.h"

#include <cstdint>
#include <initializer_list>

#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"
#include "driver/PropertyValue.h"

namespace {

enum class Step {
    Off,           // write the integer 0 (value type 1)
    Announce,      // tell the main window's status panel that the key changed
    StopUnlessOff, // read the key live; when it reads nonzero, the rule ends here
};

struct RuleStep {
    Step step;
    const wchar_t* key;
};

constexpr wchar_t kDHDVS[] = L"Enable_DHDVS_LFX";
constexpr wchar_t kKestal[] = L"Enable_KESTAL_HPSPK_LFX";
constexpr wchar_t kGFS[] = L"GFSControl"; // switched off silently: it has no place in the status panel
constexpr wchar_t kSurrSens[] = L"Enable_SURRSENS_LFX";
constexpr wchar_t kSS[] = L"Enable_SS_LFX";
constexpr wchar_t kChannelCopy[] = L"Enable_Channel_COPY_LFX";
constexpr wchar_t kPLIIx[] = L"Enable_PLIIX_LFX";
constexpr wchar_t kNeo[] = L"Enable_NEOPC_LFX";
constexpr wchar_t kENC[] = L"Enable_ENC_LFX";

enum Rule : int {
    kRuleDHDVS,
    kRuleSurrSens,
    kRuleDHDVSSurrSens,
    kRuleSS,
    kRulePLIIx,
    kRulePLIIxNeo,
    kRuleNeo,
    kRuleENC
};

const std::initializer_list<RuleStep> kRules[] = {
    // DHDVS: DTS Surround Sensation switches on.
    {{Step::Off, kDHDVS}, {Step::Announce, kDHDVS}, {Step::Off, kKestal}, {Step::Off, kGFS}, {Step::Announce, kKestal}},
    // SurrSens: Dolby Headphone or Dolby Virtual Speaker switches on.
    {{Step::Off, kSurrSens},
     {Step::Announce, kSurrSens},
     {Step::Off, kKestal},
     {Step::Off, kGFS},
     {Step::Announce, kKestal}},
    // DHDVSSurrSens: the headphone or speaker surround switches on.
    {{Step::Off, kDHDVS},
     {Step::Announce, kDHDVS},
     {Step::Off, kSurrSens},
     {Step::Announce, kSurrSens},
     {Step::Off, kGFS}},
    // SS: after DHDVSSurrSens; the channel copy stays while the virtual speaker room runs.
    {{Step::Off, kGFS}, {Step::StopUnlessOff, kSS}, {Step::Off, kChannelCopy}, {Step::Announce, kChannelCopy}},
    // PLIIx: DTS Neo:PC switches on.
    {{Step::Off, kPLIIx}, {Step::Announce, kPLIIx}, {Step::Off, kChannelCopy}, {Step::Announce, kChannelCopy}},
    // PLIIxNeo: the channel configuration or the virtual speaker room.
    {{Step::Off, kPLIIx}, {Step::Announce, kPLIIx}, {Step::Off, kNeo}, {Step::Announce, kNeo}},
    // Neo: Dolby Pro Logic IIx switches on.
    {{Step::Off, kNeo}, {Step::Announce, kNeo}, {Step::Off, kChannelCopy}, {Step::Announce, kChannelCopy}},
    // ENC: microphone echo cancellation or beam forming switches on.
    {{Step::Off, kENC}, {Step::Announce, kENC}},
};

// An unreadable key counts as off.
bool ReadsOn(IDriverInstance* driver, const wchar_t* key) {
    int32_t value = 0;
    if (!driver ||
        driver->GetProperty(key, &value, kValueUInt, sizeof(value), nullptr, 0, 0, false, false) != kDriverOk)
        return false;
    return value != 0;
}

} // namespace

void CBaseHandler::ApplyEffectRule(int rule) {
    IDriverInstance* driver = GetDriver();
    IMainHandler* main = GetMainHandler();
    for (const RuleStep& step : kRules[rule]) {
        switch (step.step) {
        case Step::Off:
            if (driver) {
                const int32_t off = 0;
                driver->SetProperty(step.key, &off, kValueUInt, sizeof(off), nullptr, 0, 0);
            }
            break;
        case Step::Announce:
            if (main)
                main->UpdateStatusPanel(step.key, 1);
            break;
        case Step::StopUnlessOff:
            if (ReadsOn(driver, step.key))
                return;
            break;
        }
    }
}

void CBaseHandler::ApplyEffectRuleDHDVS() {
    ApplyEffectRule(kRuleDHDVS);
}
void CBaseHandler::ApplyEffectRuleSurrSens() {
    ApplyEffectRule(kRuleSurrSens);
}
void CBaseHandler::ApplyEffectRuleDHDVSSurrSens() {
    ApplyEffectRule(kRuleDHDVSSurrSens);
}
void CBaseHandler::ApplyEffectRuleSS() {
    ApplyEffectRule(kRuleSS);
}
void CBaseHandler::ApplyEffectRulePLIIx() {
    ApplyEffectRule(kRulePLIIx);
}
void CBaseHandler::ApplyEffectRulePLIIxNeo() {
    ApplyEffectRule(kRulePLIIxNeo);
}
void CBaseHandler::ApplyEffectRuleNeo() {
    ApplyEffectRule(kRuleNeo);
}
void CBaseHandler::ApplyEffectRuleENC() {
    ApplyEffectRule(kRuleENC);
}
