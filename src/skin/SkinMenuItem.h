#pragma once
// One row of a skinned menu. Not a layer: the menu lays its rows out, asks each for its width and height,
// draws them into its own back buffer and hit-tests them. A row has a text, an identifier and a name that
// the menu reports when it is chosen, Windows menu flags, a normal and a hot style, a title column for the
// check mark, an optional sub-menu with its arrow, and one of three hover decorations.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

#include "skin/IxSkinMenuItem.h"
#include "skin/SkinObject.h"

class CxSkinMenu;

class CxSkinMenuItem : public CxSkinObject, public IxSkinMenuItem {
public:
    static constexpr int kDefaultHeight = 24;
    static constexpr int kDefaultTitleWidth = 24;
    static constexpr Gdiplus::ARGB kDefaultLightColor = 0x3C288CF0;
    static constexpr Gdiplus::ARGB kGreyedTextColor = 0xFF808080;
    // Room Measure adds beside the text and the content image.
    static constexpr int kTextPadding = 10;
    static constexpr int kImagePadding = 4;
    // Used while a state's font height is unset: a zero-point font cannot be made.
    static constexpr int kFallbackFontPoints = 10;

    // Images by slot.
    enum ImageSlot : int { kSeparatorImage, kHighlightImage, kIconImage, kCheckImage, kSubMenuImage, kImageCount };

    CxSkinMenuItem();
    ~CxSkinMenuItem() override;

    // IxSkinObject
    int Create() override { return 1; }
    const wchar_t* GetTypeName() const override { return L"SkinMenuItem"; }
    void SetId(int id) override { m_id = id; }
    void SetParent(IxSkinObject* /*parent*/) override {}
    // The skin object of the menu that owns this row.
    virtual void SetOwner(IxSkinObject* owner);
    IxSkinObject* GetOwner() const { return m_owner; }

    // IxSkinMenuItem
    void SetFlags(UINT flags) override { m_flags = flags; }
    void SetName(const std::wstring& name) override { m_name = name; }
    void SetContent(const std::wstring& text) override { m_content = text; }
    void SetHeight(int height) override { m_height = height; }
    void SetTitleWidth(int width) override { m_titleWidth = width; }
    void SetSkipTitleDrawing(BOOL skip) override { m_skipTitleDrawing = skip; }
    void SetDrawTextContent(BOOL draw) override { m_drawTextContent = draw; }
    void SetEffect(int effect) override { m_effect = effect; }
    void SetBackground(int state, Gdiplus::ARGB color) override;
    void SetTextForeground(int state, Gdiplus::ARGB color) override;
    void SetTextFontName(int state, const std::wstring& face) override;
    void SetTextFontWeight(int state, int style) override;
    void SetTextFontHeight(int state, int points) override;
    void SetItemContentImage(int state, const wchar_t* path) override;
    void SetItemBackgroundImage(int state, const wchar_t* path) override;
    void SetIconImage(const wchar_t* path) override { LoadSlotImage(kIconImage, path); }
    void SetCheckImage(const wchar_t* path) override { LoadSlotImage(kCheckImage, path); }
    void SetSubMenuImage(const wchar_t* path) override { LoadSlotImage(kSubMenuImage, path); }
    void SetSeparatorImage(const wchar_t* path) override { LoadSlotImage(kSeparatorImage, path); }
    void SetSubMenu(CxSkinMenu* menu) override;
    int Measure(HDC dc) override;
    void Draw(HDC dc, BOOL hot) override;
    void SetRect(POINT position, SIZE size) override;
    int GetHeight() const override;
    RECT GetRect() const override;
    std::wstring GetToolTipText() const override;
    int GetId() const override;
    std::wstring GetName() const override { return m_name; }
    CxSkinMenu* GetSubMenu() const override { return m_subMenu; }
    BOOL HitTest(POINT point) const override;
    BOOL HitTestHover(POINT point) override;
    BOOL IsTextTruncated() const override { return m_textTruncated; }
    void DrawLight(HDC dc) override;
    void SetLightColor(Gdiplus::ARGB color) override { m_lightColor = color; }

    UINT GetFlags() const { return m_flags; }
    const std::wstring& GetContent() const { return m_content; }
    int GetEffect() const { return m_effect; }
    BOOL IsHover() const { return m_hover; }
    int GetFontHeight(int state) const;
    int GetFontStyle(int state) const;
    const std::wstring& GetFontName(int state) const;
    Gdiplus::ARGB GetTextColor(int state) const;
    Gdiplus::ARGB GetBackgroundColor(int state) const;
    Gdiplus::ARGB GetLightColor() const { return m_lightColor; }
    Gdiplus::Bitmap* GetImage(int slot) const;
    Gdiplus::Bitmap* GetContentImage(int state) const;
    Gdiplus::Bitmap* GetBackgroundImage(int state) const;
    // Lets a test install a highlight image, which no setter loads.
    void SetHighlightImage(std::unique_ptr<Gdiplus::Bitmap> image) { m_images[kHighlightImage] = std::move(image); }

    // The greyed or disabled look, as the click and hover tests see it.
    BOOL IsInactive() const { return (m_flags & (MF_GRAYED | MF_DISABLED)) != 0; }
    BOOL IsSeparator() const { return (m_flags & MF_SEPARATOR) != 0; }

private:
    struct StateStyle {
        std::wstring fontName;
        int fontStyle = 0;
        int fontHeight = 0;
        Gdiplus::ARGB textColor = 0xFF000000;
        Gdiplus::ARGB backgroundColor = 0xFF000000;
        std::unique_ptr<Gdiplus::Font> font;
        std::unique_ptr<Gdiplus::Bitmap> contentImage;
        std::unique_ptr<Gdiplus::Bitmap> backgroundImage;
    };

    StateStyle* Style(int state);
    const StateStyle* Style(int state) const;
    // Made once; a font setter drops it so the next use makes it anew.
    Gdiplus::Font* StateFont(int state);
    void LoadSlotImage(int slot, const wchar_t* path);
    // The content image that applies: the hot state's (or the normal one's) when hot.
    Gdiplus::Bitmap* ActiveContentImage(BOOL hot) const;
    void DrawContentImage(Gdiplus::Graphics& g, Gdiplus::Bitmap* image, int x, int y) const;
    void DrawText(Gdiplus::Graphics& g, BOOL hot, int textLeft);
    void DrawHoverDecoration(Gdiplus::Graphics& g, HDC dc);
    // Ties a sub-menu to the menu owning this row, so it reports and closes through it.
    void LinkSubMenu();

    POINT m_position{};
    SIZE m_size{};
    BOOL m_hover = FALSE;
    BOOL m_textTruncated = FALSE;
    int m_effect = kMenuEffectNone;
    int m_id = 0;
    std::wstring m_name;
    UINT m_flags = 0;
    std::wstring m_content;
    int m_height = kDefaultHeight;
    int m_titleWidth = kDefaultTitleWidth;
    BOOL m_skipTitleDrawing = FALSE;
    BOOL m_drawTextContent = TRUE;
    std::array<StateStyle, kMenuItemStateCount> m_styles;
    std::array<std::unique_ptr<Gdiplus::Bitmap>, kImageCount> m_images;
    CxSkinMenu* m_subMenu = nullptr;
    IxSkinObject* m_owner = nullptr;
    Gdiplus::ARGB m_lightColor = kDefaultLightColor;
};

// The string layout every row measures and draws with: one line, cut with an ellipsis, centred vertically.
void xSkinMenuItemFormat(Gdiplus::StringFormat& format);
