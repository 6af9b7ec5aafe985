#pragma once
// The pop-up list of the combo box: a layered tool window with a skinned background, a column of items with
// a normal and a highlighted look, and, when the items do not fit, a vertical scroll bar (a slider between
// two repeat buttons). Hover and the Up and Down keys move the highlight; a click or Enter chooses, and the
// list tells its listener (the combo) the result when it hides.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/DropListItem.h"
#include "skin/IxSkinButtonListener.h"
#include "skin/IxSkinSliderListener.h"
#include "skin/SkinDialog.h"

class CxSkinRepeatButton;
class CxSkinSlider;
class IxSkinComboBoxListener;

class CxSkinDropList : public CxSkinDialog, public IxSkinSliderListener, public IxSkinButtonListener {
    DECLARE_DYNAMIC(CxSkinDropList)
public:
    static constexpr UINT kUpButtonId = 1000;
    static constexpr UINT kDownButtonId = 1001;
    static constexpr UINT kScrollBarId = 1002;
    static constexpr int kCapWidth = 15; // unscaled side columns of the background image
    static constexpr SkinColor kDefaultSelectedBackground = 0xFF87CEFA;
    static constexpr int kDefaultFontHeight = 10;
    // Results below -1: the list closed for a reason that is neither a choice nor a plain dismissal.
    static constexpr int kClosedByKey = -2;

    explicit CxSkinDropList(IxSkinComboBoxListener* listener);
    ~CxSkinDropList() override;

    // Null: the list tells no one (its owner is going away).
    void SetListener(IxSkinComboBoxListener* listener) { m_listener = listener; }

    // Creates the hidden pop-up window, owned by `owner`; TRUE when it exists.
    BOOL CreatePopup(CWnd* owner);
    // Sizes, places (screen coordinates) and shows the window.
    void Open(int x, int y, int width, int height, int transparency);

    // Items
    int AddString(const std::wstring& text);
    int RemoveItem(int index);
    void ResetContent();
    int SetCurSel(int index);
    int GetCurSel() const { return m_selection; }
    int GetCount() const { return static_cast<int>(m_items.size()); }
    void GetItemText(int index, std::wstring& text) const;
    std::wstring GetItemName(int index) const;
    int SetItemName(int index, const std::wstring& name);
    std::int64_t GetItemData(int index) const;
    int SetItemData(int index, std::int64_t data);

    // Styles (state 0 normal, 1 selected)
    void SetMargins(int left, int top, int right, int bottom) { m_margins = {left, top, right, bottom}; }
    void SetItemHeight(int height) { m_itemHeight = height; }
    void SetBottomHeight(int height) { m_bottomHeight = height; }
    void SetStyleBackColor(int state, SkinColor argb);
    void SetStyleTextColor(int state, SkinColor argb);
    void SetStyleFontName(int state, const std::wstring& name);
    void SetStyleFontStyle(int state, int style);
    void SetStyleFontHeight(int state, int height);

    // Images; each throws a CxSkinControlsException (as a pointer) when the file cannot be loaded.
    void SetListBackgroundImage(const std::wstring& path);
    void SetItemImage(int state, const std::wstring& path);
    void SetScrollBkImage(const std::wstring& path);
    void SetScrollThumbImage(const std::wstring& path);
    // state 0 normal, 1 over, 2 pressed, 3 disabled.
    void SetScrollButtonImage(const std::wstring& path, int upButton, int state);

    // The size the items need: the widest text plus the side margins (0 without a normal font), and the
    // items' heights plus the top and bottom margins (three item heights for an empty list). Widths below
    // `from` don't matter to the caller, nor does anything past `enough`: the width is exact from `from` up
    // to `enough`, at least `enough` above it, and below `from` when no item reaches it.
    SIZE MeasureItems(int from = 0, int enough = CTextWidthBound::kUnbounded);

    // IxSkinSliderListener: the scroll bar moved.
    int OnSliderChanged(const std::wstring& name, float value, int final) override;
    // IxSkinButtonListener: the scroll buttons. A held button clicks from its timer thread; those clicks are
    // posted to the window as its commands.
    int OnClick(const std::wstring& name) override;
    int OnRButtonUp(const std::wstring& /*name*/) override { return 0; }
    int OnDblClick(const std::wstring& /*name*/) override { return 0; }

    void DrawChildren(CDC* dc, const RECT* clip) override;
    // Keys sent to the list are the list's own: the owner dialog's filter would swallow Enter, and dialog
    // navigation would take the arrows.
    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // State, for the combo and for tests.
    int GetCurrent() const { return m_current; }
    int GetPending() const { return m_pending; }
    int GetScrollOffset() const { return m_scrollOffset; }
    int GetMaxScrollOffset() const { return m_maxOffset; }
    int GetItemHeight() const { return m_itemHeight; }
    int GetScrollBarWidth() const;
    RECT GetItemArea() const { return m_itemArea; }
    RECT GetMargins() const { return m_margins; }
    int GetBottomHeight() const { return m_bottomHeight; }
    CxSkinSlider* GetScrollBar() const { return m_scrollBar.get(); }
    CxSkinRepeatButton* GetScrollButton(bool up) const { return (up ? m_upButton : m_downButton).get(); }
    // Null while the pop-up has no window.
    HWND GetToolTipControl() const { return m_toolTip; }
    int GetToolTipTools() const { return m_toolTipTools; }
    SkinColor GetStyleBackColor(int state) const { return m_styles[Style(state)].background; }
    SkinColor GetStyleTextColor(int state) const { return m_styles[Style(state)].textColor; }
    const std::wstring& GetStyleFontName(int state) const { return m_styles[Style(state)].fontName; }
    int GetStyleFontStyle(int state) const { return m_styles[Style(state)].fontStyle; }
    int GetStyleFontHeight(int state) const { return m_styles[Style(state)].fontHeight; }
    Gdiplus::Bitmap* GetItemImage(int state) const { return m_styles[Style(state)].image.get(); }
    const CDropListItem* GetItem(int index) const { return Item(index); }
    // Keys are taken as the pop-up's own messages: Enter chooses.
    BOOL TakesEnterKey() const override { return TRUE; }

private:
    struct TextStyle {
        std::wstring fontName;
        int fontStyle = 0;
        int fontHeight = kDefaultFontHeight;
        SkinColor background = 0;
        SkinColor textColor = 0xFF000000;
        std::shared_ptr<Gdiplus::Font> font;
        std::shared_ptr<Gdiplus::Bitmap> image;
    };
    static int Style(int state) { return state == CDropListItem::kSelected ? 1 : 0; }

    CDropListItem* Item(int index) const;
    const std::shared_ptr<Gdiplus::Font>& StyleFont(int state);

    void OnShown();
    // Tells the listener the pending result; the listener may destroy the list, so nothing follows the call.
    void OnHidden();
    void LayOut();
    void PlaceScrollColumn(int overflow);
    void AttachLayer(CLayerWnd* layer, const RECT& rect);
    void DetachScrollLayers();
    int ItemAt(POINT point) const;
    void ScrollTo(int offset);
    void ScrollBy(int delta);
    void SyncScrollBar(BOOL redraw);
    void InvalidateItem(int index);
    void MoveCurrent(int delta);
    void Close();

    void OnMouseMoveMessage(POINT point);
    void OnKeyDownMessage(UINT key);
    void PaintBackground(Gdiplus::Graphics& graphics);
    void PaintItems(Gdiplus::Graphics& graphics);
    void ClearItemToolTips();
    void CreateToolTipControl();

    IxSkinComboBoxListener* m_listener;
    std::array<std::wstring, 4> m_imagePaths;
    std::unique_ptr<Gdiplus::Bitmap> m_scrollBackground;
    std::unique_ptr<Gdiplus::Bitmap> m_listBackground;
    // Not layers of the tree for good: they join it while the scroll column shows and leave it before the
    // window goes, so the list owns them throughout.
    std::unique_ptr<CxSkinRepeatButton> m_upButton;
    std::unique_ptr<CxSkinRepeatButton> m_downButton;
    int m_bottomHeight = 0;
    TextStyle m_styles[2];
    HWND m_toolTip = nullptr;
    int m_toolTipTools = 0;
    std::unique_ptr<CxSkinSlider> m_scrollBar;
    RECT m_margins{};
    RECT m_itemArea{};
    int m_itemWidth = 0;
    int m_itemHeight = 0;
    int m_scrollOffset = 0;
    int m_maxOffset = 0;
    int m_selection = -1;
    int m_pending = -1;
    int m_current = -1;
    std::vector<std::unique_ptr<CDropListItem>> m_items;
    int m_width = 0;
    int m_height = 0;
    DWORD m_uiThread = 0;
    bool m_destroying = false;
    // Cleared when the list is destroyed: the listener may destroy the combo, and with it this list, while
    // it hears the result.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
