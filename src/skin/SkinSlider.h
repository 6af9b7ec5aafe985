#pragma once
// The windowless value control: a horizontal or vertical bar with a draggable thumb, or, as a progress bar,
// a bar whose coloured part grows with the value. It moves by drag, keys and a repeating page step on the
// bar, snaps to its small change and ticks, shows the value in a tip beside the thumb and reports every
// user change to its listener in displayed units.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "skin/IxSkinSlider.h"
#include "skin/SkinCtrl.h"
#include "skin/SliderRepeat.h"

class CIntelliTip;
class IxSkinSliderListener;

class CxSkinSlider : public CxSkinCtrl, public virtual IxSkinSlider {
    DECLARE_DYNAMIC(CxSkinSlider)
public:
    // The host posts this back while the button is held on the bar; each one is a page step.
    static constexpr UINT kPageRepeatMessage = 2025;
    static constexpr float kNoPosition = -10000.0f;

    enum ImageSlot : int {
        kBarNormal,
        kBarColor,
        kBarDisable,
        kThumbNormal,
        kThumbOver,
        kThumbDown,
        kThumbDisable,
        kImageSlots
    };
    enum ThumbState : int { kThumbStateNormal = 0, kThumbStateOver = 1, kThumbStateDown = 2 };
    enum PageDirection : int { kTowardsMinimum = 0, kUndecided = 1, kTowardsMaximum = 2 };

    CxSkinSlider();
    ~CxSkinSlider() override;

    // IxSkinObject: creates the layer, finds the listener, scales the markup's values, lays out the geometry
    // and places the thumb. Throws when the bar (or, for a slider, the thumb) image is missing.
    int Create() override;
    using CxSkinCtrl::Create;

    // IxSkinSlider
    void SetOrientation(int orientation) override { m_orientation = orientation; }
    void SetType(int type) override;
    void SetBarNormalImage(const std::wstring& path) override { SetSkinImage(kBarNormal, path); }
    void SetBarColorImage(const std::wstring& path) override { SetSkinImage(kBarColor, path); }
    void SetBarDisableImage(const std::wstring& path) override { SetSkinImage(kBarDisable, path); }
    void SetThumbNormalImage(const std::wstring& path) override { SetSkinImage(kThumbNormal, path); }
    void SetThumbOverImage(const std::wstring& path) override { SetSkinImage(kThumbOver, path); }
    void SetThumbDownImage(const std::wstring& path) override { SetSkinImage(kThumbDown, path); }
    void SetThumbDisableImage(const std::wstring& path) override { SetSkinImage(kThumbDisable, path); }
    int IsEnabled() override { return CLayerWnd::IsEnabled(TRUE); }
    using CLayerWnd::IsEnabled;
    void Refresh(int enable) override;
    void SetRange(int min, int max) override;
    void SetMaximum(int max) override { m_maximum = max; }
    void SetMinimum(int min) override { m_minimum = min; }
    int SetPos(float value, int redraw) override;
    int GetMaximum() override { return m_maximum; }
    int GetMinimum() override { return m_minimum; }
    float GetPos() override { return m_position; }
    int GetSmallChange() override { return m_smallChange; }
    void SetSmallChange(int step) override { m_smallChange = step; }
    void SetTicks(std::vector<int> ticks) override;
    void SetTooltipShow(int show) override;

    // Internal units per displayed unit: 10 or more is taken (with a format of as many decimals as it has
    // zeros), anything less means 1.
    void SetValueScale(unsigned scale);
    // Not owned; replaces the one found at creation. (The owning handler slot of the skin object stays
    // reachable through CxSkinObject, so a null argument here is never ambiguous.)
    void SetListener(IxSkinSliderListener* listener) { m_sliderListener = listener; }
    // Empty path: nothing. Otherwise the slot's image is replaced by the file's; a file that cannot be loaded
    // leaves the slot empty and throws a CxSkinControlsException (as a pointer).
    void SetSkinImage(ImageSlot slot, const std::wstring& path);
    // The markup's "Pos", stored as it stands (displayed units) for Create to scale and place.
    void SetPositionField(float value) { m_position = value; }

    // Layer behaviour
    void DrawChildren(CDC* dc, const RECT* clip) override;
    void Draw(Gdiplus::Graphics* graphics) override;
    using CxSkinCtrl::Draw;
    void DestroyChildren() override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override { OnLButtonDown(flags, point); }
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnMouseOut() override;
    BOOL OnMouseWheel(UINT flags, short delta, POINT point) override;
    void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;
    LRESULT OnLayerMessage(UINT msg, LPARAM lParam) override;

    // The page repeat's clock, button and keyboard delay (null: the system's). For tests.
    void SetRepeatEnvironment(ISliderRepeatEnvironment* environment) { m_repeat.SetEnvironment(environment); }
    CxSliderRepeat::State GetRepeatState() const { return m_repeat.GetState(); }

    int GetOrientation() const { return m_orientation; }
    int GetType() const { return m_type; }
    unsigned GetValueScale() const { return m_valueScale; }
    const std::wstring& GetValueFormat() const { return m_valueFormat; }
    const std::vector<int>& GetTicks() const { return m_ticks; }
    BOOL IsTooltipShown() const { return m_tipShown; }
    BOOL IsDragging() const { return m_dragging; }
    int GetThumbState() const { return m_thumbState; }
    int GetPageDirection() const { return m_pageDirection; }
    RECT GetThumbRect() const { return m_thumbRect; }
    RECT GetTrackRect() const { return m_trackRect; }
    RECT GetBarRect() const { return m_barRect; }
    Gdiplus::Bitmap* GetImage(ImageSlot slot) const { return m_images[slot].get(); }
    IxSkinSliderListener* GetSliderListener() const { return m_sliderListener; }
    // The value tip window, or null while none exists.
    CIntelliTip* GetValueTip() const { return m_tip.get(); }
    // The tip's text for the current position.
    std::wstring FormatValue() const;

private:
    bool IsHorizontal() const { return m_orientation != 0; }
    bool HasRange() const { return m_maximum > m_minimum; }
    // Pixels on the long axis of the track.
    int TrackLength() const;
    // Pixels of one internal unit on the long axis (whole pixels, 0 when a unit is narrower).
    int UnitPixels() const;
    float Clamp(float value) const;
    void SetMap();
    int SetValue(float value, BOOL redraw);
    // The thumb's offset on the long axis for a value.
    int ThumbOffsetFor(float value) const;
    void PlaceThumb(int offset);
    bool SnapValue(float value);
    bool OnTick(float value) const;
    RECT ThumbHitRect() const;
    int StepSize(bool increase) const;
    // Steps once; a moved value shows the tip (or, for keys, hides it) and is reported as final.
    bool Step(bool increase, bool showTip);
    void PageStep(POINT point);
    void StartRepeat();
    void StopRepeat();
    void ShowTip();
    void PlaceTip();
    void HideTip();
    void DestroyTip();
    void Hover(POINT point);
    void Drag(POINT point);
    void Notify(int final);
    void Paint(Gdiplus::Graphics& graphics);
    void PaintColorPart(Gdiplus::Graphics& graphics);

    int m_orientation = 1;
    int m_type = 0;
    float m_position = kNoPosition;
    int m_maximum = 100;
    int m_minimum = 0;
    int m_smallChange = 0;
    std::unique_ptr<CIntelliTip> m_tip;
    BOOL m_tipShown = FALSE;
    BOOL m_dragging = FALSE;
    float m_dragStartPosition = kNoPosition; // where the thumb stood when the drag began
    POINT m_grabOffset{0, 0};
    BOOL m_placed = FALSE;
    RECT m_thumbRect{};
    RECT m_trackRect{};
    RECT m_barRect{};
    std::array<std::unique_ptr<Gdiplus::Bitmap>, kImageSlots> m_images;
    BOOL m_colorShown = TRUE;
    BOOL m_thumbShown = TRUE;
    BOOL m_interactive = TRUE;
    int m_thumbState = kThumbStateNormal;
    POINT m_lastPointer{-1, -1};
    POINT m_lastTipPoint{-1, -1};
    IxSkinSliderListener* m_sliderListener = nullptr;
    std::vector<int> m_ticks;
    unsigned m_valueScale = 1;
    std::wstring m_valueFormat;
    // Set by a press on the bar, cleared on the user-interface thread when the paging ends; a repeat
    // message still queued after that is stale.
    BOOL m_paging = FALSE;
    int m_pageDirection = kUndecided;
    // Last: it stops its timer before anything it posts about goes.
    CxSliderRepeat m_repeat;
};
