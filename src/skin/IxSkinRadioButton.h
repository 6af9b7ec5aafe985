#pragma once
// A radio button's group: radio buttons with equal group names (compared exactly) under the panel of one
// handler keep one of them checked.

#include <string>

#include "skin/IxSkinCheckbox.h"

class IxSkinRadioButton : public virtual IxSkinCheckbox {
public:
    virtual void SetGroupName(const std::wstring& name) = 0;
    virtual std::wstring GetGroupName() const = 0;

protected:
    ~IxSkinRadioButton() = default;
};
