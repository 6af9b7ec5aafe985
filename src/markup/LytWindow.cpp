#include "markup/LytWindow.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "markup/ILytContainerHost.h"
#include "markup/LytSkinControl.h"
#include "markup/LytStretch.h"
#include "skin/SkinDialog.h"
#include "skin/SkinDraw.h"
#include "skin/SkinParse.h"

namespace {

using Value = const std::wstring&;

void BindHandler(CxSkinDialog& dialog, ILytEnvironment& environment, Value name) {
    ILytContainerHost* host = LytContainerHostOf(environment);
    if (IxSkinListener* handler = host ? host->CreateHandler(name) : nullptr) {
        // The dialog owns its listener: a second binding releases the first handler.
        dialog.SetListener(handler);
        handler->SetWindow(static_cast<CLayerDialog*>(&dialog));
    }
    static_cast<IxSkinDialog&>(dialog).SetName(name);
}

} // namespace

struct CLytWindow::WindowAttribute {
    const wchar_t* name;
    void (*apply)(CLytWindow& window, CxSkinDialog& dialog, Value value);
};

CLytWindow* CLytWindow::CreateInstance(ILytEnvironment& environment, IxSkinObject* dialog) {
    return new CLytWindow(environment, dialog);
}

CLytWindow::CLytWindow(ILytEnvironment& environment, IxSkinObject* dialog)
    : CLytObject(environment, dialog ? std::make_unique<CLytSkinControl>(dialog) : nullptr) {}

int CLytWindow::SetAttribute(const wchar_t* name, const wchar_t* value) {
    // A dialog's size feeds its outline, which a negative size could not describe: it is ignored, as the
    // common "Width" and "Height" ignore one.
    static const WindowAttribute kAttributes[] = {
        {L"Name", [](CLytWindow& w, CxSkinDialog& d, Value v) { BindHandler(d, w.Environment(), v); }},
        {L"Title", [](CLytWindow& w, CxSkinDialog& d,
                      Value v) { static_cast<IxSkinDialog&>(d).SetTitle(w.Environment().TranslateText(v)); }},
        {L"Background.Image",
         [](CLytWindow& w, CxSkinDialog& d, Value v) {
             static_cast<IxSkinDialog&>(d).SetBackgroundImage(w.Environment().GetSkinFilePath(v).c_str());
         }},
        {L"Stretch",
         [](CLytWindow&, CxSkinDialog& d, Value v) {
             if (const auto mode = LytStretchMode(v))
                 d.SetBackgroundStretchMode(*mode);
         }},
        {L"AllowsTransparency", [](CLytWindow&, CxSkinDialog&, Value) {}},
        {L"Opacity",
         [](CLytWindow&, CxSkinDialog& d, Value v) {
             static_cast<IxSkinDialog&>(d).SetTransparency(OpacityToTransparency(xSkinStringToDouble(v)), FALSE);
         }},
        {L"Topmost",
         [](CLytWindow&, CxSkinDialog& d, Value v) {
             ::SetWindowPos(d.GetSafeHwnd(), v == L"True" ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                            SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
         }},
        {L"AutoHidden",
         [](CLytWindow&, CxSkinDialog& d, Value v) { d.SetHideOnDeactivate(v == L"True" ? TRUE : FALSE); }},
        {L"Width",
         [](CLytWindow& w, CxSkinDialog& d, Value v) {
             if (const int width = xSkinStringToInt(v); width >= 0) {
                 w.RecordWidth(width);
                 d.SetShapeWidth(width);
             }
         }},
        {L"Height",
         [](CLytWindow& w, CxSkinDialog& d, Value v) {
             if (const int height = xSkinStringToInt(v); height >= 0) {
                 w.RecordHeight(height);
                 d.SetShapeHeight(height);
             }
         }},
        {L"CornerRadius", [](CLytWindow&, CxSkinDialog& d, Value v) { d.SetCornerRadius(xSkinStringToInt(v)); }},
    };
    auto* dialog = dynamic_cast<CxSkinDialog*>(GetControl());
    if (!dialog || !name || !value || !*value)
        return 0;
    const std::wstring key(name);
    const auto found = std::find_if(std::begin(kAttributes), std::end(kAttributes),
                                    [&](const WindowAttribute& attribute) { return key == attribute.name; });
    if (found == std::end(kAttributes))
        return 0;
    found->apply(*this, *dialog, value);
    return 1;
}
