#pragma once
// What a skinned menu tells the handler that serves it. A handler implements this beside its
// IxSkinListener base, and the menu reaches it by casting the handler it finds.

#include <string>

class IxSkinMenuListener {
public:
    // After every show (1) and hide (0).
    virtual void OnMenuPopup(const std::wstring& menuName, int shown) = 0;
    // After every hide: the chosen row's identifier and name, or 0 and an empty name when the menu closed
    // without a choice.
    virtual void OnMenuCommand(const std::wstring& menuName, int itemId, const std::wstring& itemName) = 0;

protected:
    ~IxSkinMenuListener() = default;
};
