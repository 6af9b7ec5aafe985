#pragma once
// What markup elements and handlers set on a combo box beyond the common control properties. Item indexes
// are signed: -1 stands for no item, and an index outside the items gives -1 or an empty text without
// raising anything. Image setters throw a CxSkinControlsException (as a pointer) when the file cannot be
// loaded.

#include <windows.h>

#include <cstdint>
#include <string>

#include "skin/IxSkinCtrl.h"

class IxSkinComboBox : public virtual IxSkinCtrl {
public:
    virtual int GetCount() = 0;
    virtual int GetCurSel() = 0;
    // -1 clears the selection and keeps the label; an index outside the items changes nothing. Returns the
    // index, or -1. The listener is not told.
    virtual int SetCurSel(int index, int redraw) = 0;
    virtual void ResetContent() = 0;
    virtual int AddString(const std::wstring& text) = 0;
    // The new count, or -1 for a bad index.
    virtual int DeleteString(int index) = 0;
    virtual int SetItemName(int index, const std::wstring& name) = 0;
    virtual std::wstring GetItemName(int index) = 0;
    virtual std::int64_t GetItemData(int index) = 0;
    virtual int SetItemData(int index, std::int64_t data) = 0;
    // Leaves text unchanged for a bad index.
    virtual void GetItemText(int index, std::wstring& text) = 0;
    virtual void SetLabelBkImage(const std::wstring& path) = 0;
    // The control's colours; the background one is kept but not painted by the combo.
    void SetBackColor(SkinColor argb) override = 0;
    virtual void SetTextColor(SkinColor argb) = 0;
    virtual void SetLabelRect(int x, int y, int width, int height) = 0;
    virtual void SetLabelLeft(int x) = 0;
    virtual void SetLabelTop(int y) = 0;
    virtual void SetLabelWidth(int width) = 0;
    virtual void SetLabelHeight(int height) = 0;
    virtual void SetDropButtonRect(const RECT& rect) = 0;
    virtual void SetDropButtonLeft(int x) = 0;
    virtual void SetDropButtonTop(int y) = 0;
    virtual void SetDropButtonWidth(int width) = 0;
    virtual void SetDropButtonHeight(int height) = 0;
    virtual void SetDropButtonNormalImage(const std::wstring& path) = 0;
    virtual void SetDropButtonSelectedImage(const std::wstring& path) = 0;
    virtual void SetDropButtonOverImage(const std::wstring& path) = 0;
    virtual void SetDropButtonDisableImage(const std::wstring& path) = 0;
    // 0 or less: the combo's width.
    virtual void SetDropListWidth(int width) = 0;
    virtual void SetDropListDynamicWidth(int dynamic) = 0;
    // 0: the list background image's height.
    virtual void SetDropListHeight(int height) = 0;
    virtual void SetItemHeight(int height) = 0;
    virtual void SetDropListBkImage(const std::wstring& path) = 0;
    virtual void SetDropListBottomHeight(int height) = 0;
    // state 0 normal, 1 selected.
    virtual void SetItemImage(int state, const std::wstring& path) = 0;
    virtual void SetDropListMargin(int left, int top, int right, int bottom) = 0;
    // state 0: the list's background; state 1: the selected item's.
    virtual void SetBackgroundColor(int state, SkinColor argb) = 0;
    virtual void SetItemTextColor(int state, SkinColor argb) = 0;
    // The item font setters also set the combo's own font.
    virtual void SetItemFontName(int state, const std::wstring& name) = 0;
    virtual void SetItemFontWeight(int state, int style) = 0;
    virtual void SetItemFontHeight(int state, int height) = 0;
    virtual void SetScrollBkImage(const std::wstring& path) = 0;
    virtual void SetScrollThumbImage(const std::wstring& path) = 0;
    // state 0 normal, 1 over, 2 pressed, 3 disabled.
    virtual void SetScrollButtonImage(const std::wstring& path, int upButton, int state) = 0;

protected:
    ~IxSkinComboBox() = default;
};
