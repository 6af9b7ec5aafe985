#pragma once
// The base of the element kinds that make a skin control of their own (image, text, shape, slider, text
// box, virtual-speaker panel). Until the control has joined its layer tree nothing else owns it, so it goes
// with the markup object; a control whose creation fails goes at once, so that a failed load leaves no
// half-made control behind in the window.
#include <cstddef>
#include <memory>
#include <string>

#include "markup/LytObject.h"

class CxSkinCtrl;

class CLytOwnedControl : public CLytObject {
public:
    // Creates the control's layer; when that throws, the control is deleted (and so taken out of the
    // layer tree it may have joined) before the failure goes on to end the load.
    int OnCreated() override;
    void Destroy() override;

protected:
    explicit CLytOwnedControl(ILytEnvironment& environment) : CLytObject(environment, nullptr) {}
    ~CLytOwnedControl() override = default;

    // One row of a kind's own attribute table.
    template <class Control> struct Attribute {
        const wchar_t* name;
        void (*apply)(Control& control, const ILytEnvironment& environment, const std::wstring& value);
    };

    // Hands a new control to the object; a second control is refused (and freed), the first one stays.
    void AdoptControl(std::unique_ptr<CxSkinCtrl> control);
    bool HasControl() const { return Control() != nullptr; }
    CxSkinCtrl* GetCtrl() const;

    // The common attributes first; a name they do not take goes to the kind's table. A setter failure of
    // the table (an image that cannot be loaded) is contained here and counts as recognised.
    template <class Control, std::size_t N>
    int SetTableAttribute(const Attribute<Control> (&table)[N], const wchar_t* name, const wchar_t* value) {
        const int common = SetCommonAttribute(name, value);
        auto* control = dynamic_cast<Control*>(GetControl());
        if (common == 1 || !control || !name || !value || !*value)
            return common;
        const std::wstring key(name);
        for (const Attribute<Control>& attribute : table) {
            if (key == attribute.name) {
                return LytGuardAttribute([&] {
                    attribute.apply(*control, Environment(), value);
                    return 1;
                });
            }
        }
        return 0;
    }

private:
    void DiscardControl();
};

// A markup decimal made safe for arithmetic: not-a-number reads as 0, and the result lies in [low, high].
double LytReadDecimal(const std::wstring& value, double low, double high);
