#pragma once
// The drop-down list control: a windowless label showing the selected item's text, a drop button, and the
// pop-up list it owns and opens below itself. It tells the handler that serves it which item the user chose.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "skin/IxSkinButtonListener.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinComboBoxListener.h"
#include "skin/SkinCtrl.h"

class CxSkinButton;
class CxSkinDropList;

class CxSkinComboBox : public CxSkinCtrl,
                       public IxSkinComboBox,
                       public IxSkinComboBoxListener,
                       public IxSkinButtonListener {
    DECLARE_DYNAMIC(CxSkinComboBox)
public:
    static constexpr int kCapWidth = 15; // unscaled left end of the label background
    static constexpr const wchar_t* kToolTipMarker = L"combo";
    // Where the combo learns the pointer's screen position; tests put in their own.
    using CursorSource = POINT (*)();

    CxSkinComboBox();
    ~CxSkinComboBox() override;

    // IxSkinObject: creates the layer and the drop button, finds the listener and joins the tooltip.
    int Create() override;
    using CxSkinCtrl::Create;
    // The identifier the drop button is created with (the markup gives it the next one of its counter).
    void SetDropButtonId(int id) { m_dropButtonId = id; }

    // IxSkinComboBox
    int GetCount() override;
    int GetCurSel() override;
    int SetCurSel(int index, int redraw) override;
    void ResetContent() override;
    int AddString(const std::wstring& text) override;
    int DeleteString(int index) override;
    int SetItemName(int index, const std::wstring& name) override;
    std::wstring GetItemName(int index) override;
    std::int64_t GetItemData(int index) override;
    int SetItemData(int index, std::int64_t data) override;
    void GetItemText(int index, std::wstring& text) override;
    void SetLabelBkImage(const std::wstring& path) override;
    void SetBackColor(SkinColor argb) override { m_backColor = argb; }
    void SetTextColor(SkinColor argb) override { m_foreColor = argb; }
    void SetLabelRect(int x, int y, int width, int height) override { m_labelRect = {x, y, x + width, y + height}; }
    void SetLabelLeft(int x) override { ::OffsetRect(&m_labelRect, x - m_labelRect.left, 0); }
    void SetLabelTop(int y) override { ::OffsetRect(&m_labelRect, 0, y - m_labelRect.top); }
    void SetLabelWidth(int width) override { m_labelRect.right = m_labelRect.left + width; }
    void SetLabelHeight(int height) override { m_labelRect.bottom = m_labelRect.top + height; }
    void SetDropButtonRect(const RECT& rect) override;
    void SetDropButtonLeft(int x) override;
    void SetDropButtonTop(int y) override;
    void SetDropButtonWidth(int width) override;
    void SetDropButtonHeight(int height) override;
    void SetDropButtonNormalImage(const std::wstring& path) override;
    void SetDropButtonSelectedImage(const std::wstring& path) override;
    void SetDropButtonOverImage(const std::wstring& path) override;
    void SetDropButtonDisableImage(const std::wstring& path) override;
    void SetDropListWidth(int width) override { m_dropListWidth = width; }
    void SetDropListDynamicWidth(int dynamic) override { m_dynamicWidth = dynamic; }
    void SetDropListHeight(int height) override { m_dropListHeight = height; }
    void SetItemHeight(int height) override;
    void SetDropListBkImage(const std::wstring& path) override;
    void SetDropListBottomHeight(int height) override;
    void SetItemImage(int state, const std::wstring& path) override;
    void SetDropListMargin(int left, int top, int right, int bottom) override;
    void SetBackgroundColor(int state, SkinColor argb) override;
    void SetItemTextColor(int state, SkinColor argb) override;
    void SetItemFontName(int state, const std::wstring& name) override;
    void SetItemFontWeight(int state, int style) override;
    void SetItemFontHeight(int state, int height) override;
    void SetScrollBkImage(const std::wstring& path) override;
    void SetScrollThumbImage(const std::wstring& path) override;
    void SetScrollButtonImage(const std::wstring& path, int upButton, int state) override;

    // IxSkinComboBoxListener: the drop list's result (an empty name).
    int OnSelChange(const std::wstring& name, int index) override;
    // IxSkinButtonListener: the drop button, and the combo's own release with an empty name.
    int OnClick(const std::wstring& name) override;
    int OnRButtonUp(const std::wstring& name) override;
    int OnDblClick(const std::wstring& /*name*/) override { return 0; }

    // Layer behaviour
    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DrawChildren(CDC* dc, const RECT* clip) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnRButtonUp(UINT flags, POINT point) override;

    void SetCursorSource(CursorSource source);

    CxSkinDropList* GetDropList() const { return m_dropList.get(); }
    CxSkinButton* GetDropButton() const { return m_dropButton; }
    IxSkinComboBoxListener* GetComboListener() const { return m_listener; }
    const std::wstring& GetLabelText() const { return m_labelText; }
    RECT GetLabelRect() const { return m_labelRect; }
    RECT GetDropButtonRect() const { return m_dropButtonRect; }
    int GetDropListWidth() const { return m_dropListWidth; }
    int GetDropListHeight() const { return m_dropListHeight; }
    int GetDropListDynamicWidth() const { return m_dynamicWidth; }
    BOOL IsToggleSuppressed() const { return m_suppressToggle; }
    Gdiplus::Bitmap* GetLabelBackground() const { return m_labelBackground.get(); }
    const std::wstring& GetDropButtonImagePath(int state) const { return m_dropButtonImages[state & 3]; }

private:
    enum ButtonImage : int { kButtonNormal = 0, kButtonSelected = 1, kButtonOver = 2, kButtonDisabled = 3 };

    // The label in its own coordinates, its transform already applied.
    void Paint(Gdiplus::Graphics& graphics);
    void ToggleDropList();
    void OpenDropList();
    // The drop button's content images back to normal and over, unchecked with redraw.
    void RestoreDropButton();
    // Sets both content images of the drop button; a file that has gone away since it was set leaves the
    // look as it is rather than failing the click.
    void SetDropButtonLook(const std::wstring& content, const std::wstring& over);
    void SetLabel(const std::wstring& text, BOOL redraw);
    RECT ScreenRect() const;

    IxSkinComboBoxListener* m_listener = nullptr;
    std::unique_ptr<Gdiplus::Bitmap> m_labelBackground;
    RECT m_labelRect{};
    RECT m_dropButtonRect{};
    int m_dropListWidth = 0;
    int m_dropListHeight = 0;
    int m_dynamicWidth = 1;
    std::wstring m_labelText;
    std::unique_ptr<CxSkinDropList> m_dropList;
    std::array<std::wstring, 4> m_dropButtonImages;
    // A layer of this combo once created (the layer tree then frees it); owned until then.
    CxSkinButton* m_dropButton = nullptr;
    BOOL m_dropButtonCreated = FALSE;
    int m_dropButtonId = 0;
    BOOL m_suppressToggle = FALSE;
    CursorSource m_cursorSource;
    // Cleared when the combo goes: its handler may destroy it while hearing of a choice.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
