#pragma once
// What a text box reports to the handler that serves it. The handler framework implements it beside its
// other listener interfaces; the text box finds it by casting the handler its skin object finds.

#include <string>

class IxSkinTextBoxListener {
public:
    // Enter was pressed; text is the box's text (leading zeros removed for a natural-number box).
    virtual int OnTextCommitted(const std::wstring& name, const std::wstring& text) = 0;
    // A context menu is wanted at the point the box gives through IxSkinTextBox::GetContextMenuPoint.
    virtual void OnContextMenu(const std::wstring& name) = 0;
    // One caret blink tick. Runs on the blink timer's thread: an implementation must only post (a redraw
    // request to the host window) and touch no window or layer.
    virtual int OnTextBoxNotify(const std::wstring& name) = 0;
    // The box lost the focus; text is its final text.
    virtual int OnTextChanged(const std::wstring& name, const std::wstring& text) = 0;

protected:
    ~IxSkinTextBoxListener() = default;
};
