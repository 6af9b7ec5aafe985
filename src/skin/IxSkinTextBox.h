#pragma once
// What the markup "TextBox" element and the handlers set on and ask of a single-line text box beyond the
// common control properties.

#include <windows.h>

#include <string>

#include "skin/IxSkinCtrl.h"

// The commands of the text box's context menu; the handler framework names its menu items with them.
inline constexpr wchar_t kTextBoxCut[] = L"TextBox_Cut";
inline constexpr wchar_t kTextBoxCopy[] = L"TextBox_Copy";
inline constexpr wchar_t kTextBoxPaste[] = L"TextBox_Paste";
inline constexpr wchar_t kTextBoxDelete[] = L"TextBox_Delete";
inline constexpr wchar_t kTextBoxSelectAll[] = L"TextBox_SelectAll";

class IxSkinTextBox : public virtual IxSkinCtrl {
public:
    // Ignored for texts of 65534 characters or more and for texts the number filters refuse; the maximum
    // length does not apply. Caret, selection and scrolling go back to the start.
    virtual void SetText(const std::wstring& text, BOOL redraw) = 0;
    // The shown text; the input hint, while it is shown, like any other text.
    virtual std::wstring GetText() const = 0;
    // Replaces the background image; false for an empty path or a file that cannot be loaded (no exception).
    virtual BOOL SetBackgroundImage(const std::wstring& path) = 0;
    // A read-only box takes no mouse, keys or context menu and shows no caret. Returns the flag.
    virtual BOOL SetReadOnly(BOOL readOnly) = 0;
    // Digits, "-" and "." only.
    virtual void SetNumberOnly(BOOL numberOnly) = 0;
    // Digits only; leading zeros are dropped from a committed text.
    virtual void SetNatural(BOOL natural) = 0;
    // Stored; the text is shown and copied as it is.
    virtual void SetPassword(BOOL password) = 0;
    // The limit on typed, composed and pasted text.
    virtual void SetMaxLength(int maxLength) = 0;
    // Shown in italics while the box holds no text of its own and has no focus.
    virtual void SetInputHintText(const std::wstring& hint) = 0;
    virtual void SetSelectedBackColor(SkinColor argb) = 0;
    virtual void SetCaretColor(SkinColor argb) = 0;
    // Runs one of the five context-menu commands, then takes the focus back; see the kTextBox names.
    virtual int ExecuteCommand(std::wstring name) = 0;
    virtual BOOL HasSelection() const = 0;
    // Whether the clipboard offers Unicode text.
    virtual BOOL CanPaste() const = 0;
    // 0 for an empty text or the hint; otherwise 1.
    virtual int HasUserText() const = 0;
    // Where the last context menu was asked for, in the box's own coordinates.
    virtual void GetContextMenuPoint(POINT* point) const = 0;
    // Empty the text whenever the box takes the focus from a click.
    virtual void SetClearText(BOOL clear) = 0;

protected:
    ~IxSkinTextBox() = default;
};
