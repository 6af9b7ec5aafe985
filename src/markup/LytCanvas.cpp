#include "markup/LytCanvas.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "markup/ILytContainerHost.h"
#include "markup/LytSkinControl.h"
#include "markup/LytStretch.h"
#include "markup/LytUncreatedControl.h"
#include "skin/SkinDraw.h"
#include "skin/SkinPanel.h"
#include "skin/SkinParse.h"

namespace {

using Value = const std::wstring&;

IxSkinPanel* PanelOf(IxSkinObject* control) {
    return dynamic_cast<IxSkinPanel*>(control);
}

} // namespace

// Applies one attribute of the panel's own table; the result is the attribute's result.
struct CLytCanvas::CanvasAttribute {
    const wchar_t* name;
    int (*apply)(CLytCanvas& canvas, Value value);
};

CLytCanvas* CLytCanvas::CreateInstance(ILytEnvironment& environment, IxSkinObject* existing) {
    CxSkinPanel* made = existing ? nullptr : new CxSkinPanel;
    IxSkinObject* control = existing ? existing : static_cast<CxSkinObject*>(made);
    return new CLytCanvas(environment, control, made);
}

CLytCanvas::CLytCanvas(ILytEnvironment& environment, IxSkinObject* control, CxSkinPanel* made)
    : CLytObject(environment, std::make_unique<CLytSkinControl>(control)), m_made(made) {}

void CLytCanvas::Destroy() {
    // Deleting the panel also releases a handler already bound to it.
    const auto orphan = LytTakeUncreated(m_made);
    CLytObject::Destroy();
}

int CLytCanvas::BindHandler(CLytCanvas& canvas, Value name) {
    ILytContainerHost* host = LytContainerHostOf(canvas.Environment());
    IxSkinListener* handler = host ? host->CreateHandler(name) : nullptr;
    if (!handler)
        return 1; // most named panels have no handler; the base has named the panel already
    auto* object = dynamic_cast<CxSkinObject*>(canvas.GetControl());
    if (!object) {
        handler->Release(); // nothing could ever own it
        return 1;
    }
    // The panel owns its listener: a second binding releases the first handler.
    object->SetListener(handler);
    handler->SetWindow(object->GetLayer());
    return 1;
}

int CLytCanvas::LoadBackground(CLytCanvas& canvas, Value file) {
    IxSkinPanel* panel = PanelOf(canvas.GetControl());
    if (!panel)
        return 0;
    std::unique_ptr<Gdiplus::Bitmap> image = xSkinLoadBitmap(canvas.Environment().GetSkinFilePath(file).c_str());
    if (!image)
        return 0; // the old background stays
    panel->SetBackgroundImage(std::move(image));
    return 1;
}

int CLytCanvas::SetAttribute(const wchar_t* name, const wchar_t* value) {
    static const CanvasAttribute kAttributes[] = {
        {L"Name", &BindHandler},
        {L"Background.Image", &LoadBackground},
        {L"Stretch",
         [](CLytCanvas& c, Value v) {
             const auto mode = LytStretchMode(v);
             auto* layer = dynamic_cast<CLayerWnd*>(c.GetControl());
             if (mode && layer)
                 layer->SetBackgroundStretchMode(*mode);
             return 1;
         }},
        {L"Scroll.cx",
         [](CLytCanvas& c, Value v) {
             if (IxSkinPanel* panel = PanelOf(c.GetControl()))
                 panel->SetScrollSize(xSkinStringToInt(v), FALSE);
             return 1;
         }},
        {L"Scroll.cy",
         [](CLytCanvas& c, Value v) {
             if (IxSkinPanel* panel = PanelOf(c.GetControl()))
                 panel->SetScrollSize(xSkinStringToInt(v), TRUE);
             return 1;
         }},
        {L"Page.cx",
         [](CLytCanvas& c, Value v) {
             if (IxSkinPanel* panel = PanelOf(c.GetControl()))
                 panel->SetPageSize(xSkinStringToInt(v), FALSE);
             return 1;
         }},
        {L"Page.cy",
         [](CLytCanvas& c, Value v) {
             if (IxSkinPanel* panel = PanelOf(c.GetControl()))
                 panel->SetPageSize(xSkinStringToInt(v), TRUE);
             return 1;
         }},
        {L"Animate.Style",
         [](CLytCanvas& c, Value v) {
             if (IxSkinPanel* panel = PanelOf(c.GetControl()))
                 panel->SetAnimateStyle(v == L"D3D" ? 2 : v == L"2D" ? 1 : 0);
             return 1;
         }},
        {L"Visibility",
         [](CLytCanvas& c, Value v) {
             c.Control()->SetVisible(v != L"Hidden");
             return 1;
         }},
    };
    SetCommonAttribute(name, value);
    if (!Control() || !name || !value || !*value)
        return 0;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kAttributes), std::end(kAttributes),
                                    [&](const CanvasAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kAttributes))
        return 0;
    return LytGuardAttribute([&] { return found->apply(*this, value); });
}
