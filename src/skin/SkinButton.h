#pragma once
// The windowless push button: state images (with a second, "power" set while its check state is on), an
// optional content image and a caption. It reports clicks, right clicks and double clicks with its name to
// the handler that serves it, and is the base of the check box, radio button and repeat button.

#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <memory>
#include <string>

#include "skin/IxSkinButton.h"
#include "skin/IxSkinButtonListener.h"
#include "skin/SkinCtrl.h"

class CxSkinButton : public CxSkinCtrl, public virtual IxSkinButton {
    DECLARE_DYNAMIC(CxSkinButton)
public:
    static constexpr int kCapWidth = 15; // end caps of a three-slice state image

    CxSkinButton() = default;
    ~CxSkinButton() override;

    // IxSkinObject: sizes an unsized button to its normal image and caption, creates the layer and finds
    // the listener.
    int Create() override;
    using CxSkinCtrl::Create;

    // IxSkinButton
    void SetPowerSkin(const std::wstring& power, const std::wstring& down, const std::wstring& over,
                      const std::wstring& disabled) override;
    void SetContentSkin(const std::wstring& path) override;
    void SetContentDownSkin(const std::wstring& path) override;
    void SetContentOverSkin(const std::wstring& path) override;
    void SetContentDisableSkin(const std::wstring& path) override;
    void SetNormalSkin(const std::wstring& path) override;
    void SetOverSkin(const std::wstring& path) override;
    void SetDisableSkin(const std::wstring& path) override;
    void SetDownSkin(const std::wstring& path) override;
    void SetPowerNormalSkin(const std::wstring& path) override;
    void SetPowerOverSkin(const std::wstring& path) override;
    void SetThreeSliceStretch(int stretch) override { m_threeSlice = stretch; }
    int GetCheck() override { return GetPowerState(); }
    void SetCheck(int on, BOOL redraw) override { SetPowerState(on, redraw); }
    int GetPowerState() override { return m_powerState; }
    void SetPowerState(int on, BOOL redraw) override;
    void SetContentImageAlign(UINT align) override;
    // Either text may change while the button is checked (a language switch sets both): the tool shows
    // the one that fits the check state.
    void SetCheckToolTip(const std::wstring& text) override;
    void SetToolTip(const std::wstring& text) override;

    // The check box's own setters for the power images outside the interface.
    void SetPowerDownSkin(const std::wstring& path);
    void SetPowerDisableSkin(const std::wstring& path);

    SIZE GetNormalImageSize() const;
    std::wstring GetCheckToolTip() const { return m_checkToolTip; }
    // The caption while checked, so that a switch can say what state it is in; empty: the one caption always.
    void SetCheckText(const std::wstring& text) { m_checkText = text; }
    const std::wstring& GetCheckText() const { return m_checkText; }
    // The caption the control shows in its present state.
    const std::wstring& GetShownText() const { return m_powerState && !m_checkText.empty() ? m_checkText : m_text; }
    // The text the tooltip shows in the present check state.
    const std::wstring& ShownToolTip() const override;

    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DrawChildren(CDC* dc, const RECT* clip) override;

    void OnLButtonDown(UINT flags, POINT point) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnRButtonUp(UINT flags, POINT point) override;
    void OnMouseOut() override;

    // Tells the listener of a click while the button and its ancestors are enabled.
    void FireClick();

    BOOL IsHot() const { return m_hot; }
    BOOL IsPressed() const { return m_pressed; }
    int GetContentImageAlign() const { return m_contentAlign; }
    BOOL IsClickArmed() const { return m_clickArmed.load() != 0; }
    // A page that starts something on a press disarms the release that ends that same click.
    void SetClickArmed(BOOL armed) { m_clickArmed = armed ? 1 : 0; }

    // Not owned. Composite controls point it at themselves to hear their own buttons.
    IxSkinButtonListener* m_buttonListener = nullptr;

protected:
    // Whether a point in the button's own coordinates lies on it.
    BOOL IsInside(POINT point) const {
        return point.x >= 0 && point.y >= 0 && point.x < GetWidth() && point.y < GetHeight();
    }

    BYTE m_hot = 0;
    BYTE m_pressed = 0;
    // A release inside fires the click only while this is set; the repeat button clears it once it has
    // clicked on its own, so the release after a repetition adds none.
    std::atomic<int> m_clickArmed{1};

private:
    // Shared with every control that shows the same picture.
    using ImagePtr = std::shared_ptr<Gdiplus::Bitmap>;

    // Loads path into slot, replacing what was there; on failure the slot stays empty and the message
    // (with "%ls" standing for the path) is thrown.
    static void LoadInto(ImagePtr& slot, const std::wstring& path, const wchar_t* message);
    // Replaces only when a path is given.
    static void LoadIfGiven(ImagePtr& slot, const std::wstring& path, const wchar_t* message);

    Gdiplus::Bitmap* ChooseStateImage(bool enabled, bool& disabledLook) const;
    Gdiplus::Bitmap* ChooseContentImage(bool enabled) const;
    // The button in its own coordinates, its transform already applied.
    void Paint(Gdiplus::Graphics& graphics);
    void PaintText(Gdiplus::Graphics& graphics, const std::wstring& text, const Gdiplus::RectF& area,
                   bool enabled) const;

    ImagePtr m_content;
    ImagePtr m_contentDown;
    ImagePtr m_contentOver;
    ImagePtr m_contentDisable;
    ImagePtr m_normal;
    ImagePtr m_down;
    ImagePtr m_disable;
    ImagePtr m_over;
    ImagePtr m_powerNormal;
    ImagePtr m_powerDown;
    ImagePtr m_powerOver;
    ImagePtr m_powerDisable;
    int m_contentAlign = 2;
    std::wstring m_checkToolTip;
    std::wstring m_checkText;
    int m_powerState = 0;
    int m_threeSlice = 0;
};
