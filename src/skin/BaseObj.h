#pragma once
// The small movable picture the virtual-speaker panel uses for each speaker and for the listener's head.
// It is a layer by class but never enters the layer tree: it records the panel as its parent so that it
// finds the host (and its tooltip), and the panel moves, hit-tests and draws it.

#include <windows.h>
#include <gdiplus.h>

#include <array>
#include <memory>
#include <string>

#include "skin/LayerWnd.h"

class ILayerToolTip;

class CBaseObj : public CLayerWnd {
    DECLARE_DYNAMIC(CBaseObj)
public:
    static constexpr int kStateNormal = 0;
    static constexpr int kStateDisabled = 2;
    static constexpr int kStateImages = 4;
    static constexpr UINT kToolId = 1;

    CBaseObj() = default;
    ~CBaseObj() override;

    // Records the parent without joining its children; the object is visible at point. Returns 1.
    BOOL Create(CLayerWnd* parent, int id, POINT point);
    using CLayerWnd::Create;
    // Moves the centre (the parent's coordinates); no redraw.
    void SetPosition(POINT point);
    void SetVisible(BOOL visible) { m_visible = visible ? TRUE : FALSE; }
    void SetState(int state) { m_state = state; }
    int GetState() const { return m_state; }
    int GetId() const { return m_objectId; }
    RECT GetRect() const override { return m_rect; }
    POINT GetCenter() const { return m_center; }
    SIZE GetSize() const { return m_size; }
    // False while hidden or disabled; else whether the point (parent's coordinates) is inside.
    BOOL HitTest(POINT point) const override;
    BOOL IsContainer() const override { return FALSE; }

    // "Null" or an empty normal path changes nothing and returns 0. Otherwise the paths are stored, the old
    // images dropped and the new ones loaded; a file that cannot be loaded throws a CxSkinControlsException
    // (as a pointer) and leaves the object without images. A negative offset centres the extra image on
    // that axis. Returns 1.
    int setSkinImages(const std::wstring& normal, const std::wstring& second, const std::wstring& third,
                      const std::wstring& fourth, const std::wstring& extra, POINT offset);
    // A non-empty text is stored and registered with the host dialog's tooltip.
    void SetToolTipText(const std::wstring& text);
    const std::wstring& GetToolTipText() const { return m_toolTip; }

    void Draw(Gdiplus::Graphics& graphics);
    using CLayerWnd::Draw;

    Gdiplus::Bitmap* GetImage(int state) const;
    Gdiplus::Bitmap* GetExtraImage() const { return m_extra.get(); }

    // Draws the image at its natural size through the luminance matrix, alpha kept: the greyed look.
    static void DrawGrey(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const Gdiplus::Rect& rect);

private:
    void UpdateRect();
    ILayerToolTip* FindToolTip() const;

    int m_objectId = 0;
    int m_state = kStateNormal;
    std::array<std::wstring, kStateImages> m_paths;
    std::wstring m_extraPath;
    std::array<std::unique_ptr<Gdiplus::Bitmap>, kStateImages> m_images;
    std::unique_ptr<Gdiplus::Bitmap> m_extra;
    POINT m_extraOffset{0, 0};
    POINT m_center{-1, -1};
    SIZE m_size{0, 0};
    std::wstring m_toolTip;
};
