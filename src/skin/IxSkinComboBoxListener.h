#pragma once
// What a combo box tells the handler that serves it. A handler implements this beside its IxSkinListener
// base, and the combo reaches it by casting the handler it finds. The combo also listens to its own drop
// list through this interface: there the name is empty and the index is the list's result (the chosen item,
// -1 when the list closed without a choice, or a value below -1 when it closed for another reason).

#include <string>

class IxSkinComboBoxListener {
public:
    // name: the combo's control name; index: the item the user chose. Handlers may return a result for
    // their own callers; the combo ignores it.
    virtual int OnSelChange(const std::wstring& name, int index) = 0;

protected:
    ~IxSkinComboBoxListener() = default;
};
