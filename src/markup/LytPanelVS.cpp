#include "markup/LytPanelVS.h"

#include <memory>

#include "skin/PanelVirtualSpeaker.h"

namespace {

using Value = const std::wstring&;

// The markup's speaker keys and the panel's indices for them; the head is the listener.
struct SpeakerKey {
    const wchar_t* key;
    int index;
};

const SpeakerKey kSpeakerKeys[] = {
    {L"Head", CPanelVirtualSpeaker::kHeadId},
    {L"C", 0},
    {L"L", 1},
    {L"Lb", 2},
    {L"Ls", 3},
    {L"R", 4},
    {L"Rb", 5},
    {L"Rs", 6},
    {L"Sw", 7},
};

// A per-speaker name is prefix + key + suffix, matched whole.
struct SpeakerForm {
    const wchar_t* prefix;
    const wchar_t* suffix;
    void (*apply)(CPanelVirtualSpeaker& panel, const ILytEnvironment& environment, int index, Value value);
};

const SpeakerForm kSpeakerForms[] = {
    {L"Image.", L"",
     [](CPanelVirtualSpeaker& p, const ILytEnvironment& e, int i, Value v) {
         p.SetSpeakerSkin(i, e.GetSkinFilePath(v));
     }},
    {L"Image.", L".Disable",
     [](CPanelVirtualSpeaker& p, const ILytEnvironment& e, int i, Value v) {
         p.SetSpeakerDisableSkin(i, e.GetSkinFilePath(v));
     }},
    {L"Tooltip.", L"",
     [](CPanelVirtualSpeaker& p, const ILytEnvironment& e, int i, Value v) {
         p.SetSpeakerToolTip(i, e.TranslateText(v));
     }},
};

} // namespace

void CLytPanelVS::CreateControl() {
    AdoptControl(std::make_unique<CPanelVirtualSpeaker>());
}

int CLytPanelVS::SetAttribute(const wchar_t* name, const wchar_t* value) {
    using Row = Attribute<CPanelVirtualSpeaker>;
    static const Row kAttributes[] = {
        {L"Image.Bg",
         [](CPanelVirtualSpeaker& p, const ILytEnvironment& e, Value v) { p.SetBarNormalSkin(e.GetSkinFilePath(v)); }},
        {L"Image.Bg.Disable",
         [](CPanelVirtualSpeaker& p, const ILytEnvironment& e, Value v) { p.SetBarDisableSkin(e.GetSkinFilePath(v)); }},
    };
    const int result = SetTableAttribute(kAttributes, name, value);
    if (result == 1 || !GetControl() || !name || !value || !*value)
        return result;
    return SetSpeakerAttribute(name, value);
}

int CLytPanelVS::SetSpeakerAttribute(const std::wstring& name, const wchar_t* value) {
    auto* panel = dynamic_cast<CPanelVirtualSpeaker*>(GetControl());
    if (!panel)
        return 0;
    for (const SpeakerForm& form : kSpeakerForms) {
        for (const SpeakerKey& speaker : kSpeakerKeys) {
            if (name != std::wstring(form.prefix) + speaker.key + form.suffix)
                continue;
            return LytGuardAttribute([&] {
                form.apply(*panel, Environment(), speaker.index, value);
                return 1;
            });
        }
    }
    return 0;
}
