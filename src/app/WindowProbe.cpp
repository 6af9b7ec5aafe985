#include "app/WindowProbe.h"

#include "markup/FileIo.h"
#include "markup/Utf8.h"
#include "skin/IxSkinButton.h"
#include "skin/IxSkinComboBox.h"
#include "skin/IxSkinSlider.h"
#include "skin/IxSkinTextBox.h"
#include "skin/SkinCtrl.h"
#include "skin/SkinDialog.h"
#include "skin/SkinMenu.h"
#include "skin/SkinMenuItem.h"

#include <gdiplus.h>

#include <cwchar>
#include <memory>
#include <vector>

namespace {

// The kinds a test tells controls apart by, most specific first.
struct KindTest {
    const wchar_t* name;
    bool (*matches)(CxSkinCtrl* control);
};
template <class T> bool Is(CxSkinCtrl* control) {
    return dynamic_cast<T*>(control) != nullptr;
}
constexpr KindTest kKinds[] = {
    {L"slider", Is<IxSkinSlider>},
    {L"combo", Is<IxSkinComboBox>},
    {L"textbox", Is<IxSkinTextBox>},
    {L"button", Is<IxSkinButton>}, // check boxes and radio buttons are buttons with a check
};

const wchar_t* KindOf(CxSkinCtrl* control) {
    for (const KindTest& kind : kKinds) {
        if (kind.matches(control))
            return kind.name;
    }
    return L"control";
}

std::wstring StateOf(CxSkinCtrl* control, std::wstring& text) {
    if (auto* slider = dynamic_cast<IxSkinSlider*>(control)) {
        wchar_t value[32];
        std::swprintf(value, std::size(value), L"%g %d %d", static_cast<double>(slider->GetPos()), slider->GetMinimum(),
                      slider->GetMaximum());
        return value;
    }
    if (auto* combo = dynamic_cast<IxSkinComboBox*>(control)) {
        const int selected = combo->GetCurSel();
        combo->GetItemText(selected, text);
        return std::to_wstring(selected);
    }
    if (auto* box = dynamic_cast<IxSkinTextBox*>(control)) {
        text = box->GetText();
        return {};
    }
    if (auto* button = dynamic_cast<IxSkinButton*>(control))
        return std::to_wstring(button->GetCheck());
    return {};
}

// One line per named control; unnamed containers are searched all the same.
std::wstring Line(const std::wstring& name, const wchar_t* kind, bool shown, bool enabled, const std::wstring& state,
                  const RECT& rect, std::wstring text) {
    for (wchar_t& c : text) {
        if (c == L'\t' || c == L'\r' || c == L'\n')
            c = L' ';
    }
    wchar_t place[96];
    std::swprintf(place, std::size(place), L"%ld %ld %ld %ld", rect.left, rect.top, rect.right, rect.bottom);
    return name + L'\t' + kind + L'\t' + (shown ? L"1" : L"0") + L'\t' + (enabled ? L"1" : L"0") + L'\t' + state +
           L'\t' + place + L'\t' + text + L'\n';
}

// A menu's rows are drawn by the menu itself: their places are in its client area.
void DescribeMenu(CxSkinMenu& menu, std::wstring& out) {
    for (int i = 0; i < menu.GetItemCount(); ++i) {
        const IxSkinMenuItem* item = menu.GetItem(i);
        if (!item || item->GetName().empty())
            continue;
        RECT rect = item->GetRect();
        ::MapWindowPoints(menu.GetSafeHwnd(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
        out += Line(item->GetName(), L"menuitem", true, true, {}, rect, {});
    }
}

void Describe(const CLayerWnd* layer, bool parentShown, std::wstring& out) {
    for (CLayerWnd* child = layer->GetFirstChild(); child; child = layer->GetNextChild(child)) {
        auto* control = dynamic_cast<CxSkinCtrl*>(child);
        if (!control)
            continue;
        const bool shown = parentShown && control->IsVisible();
        if (!control->GetName().empty()) {
            std::wstring text = control->GetText();
            const std::wstring state = StateOf(control, text);
            out += Line(control->GetName(), KindOf(control), shown, control->IsEnabled(TRUE) != FALSE, state,
                        control->RectToScreen(control->GetClientRect()), text);
        }
        if (control->IsContainer())
            Describe(control, shown, out);
    }
}

bool WriteWhole(const std::wstring& file, const std::string& bytes) {
    const std::wstring temporary = file + L".tmp";
    fileio::FilePtr out = fileio::Open(temporary.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
    if (!fileio::Close(std::move(out)) || !written) {
        fileio::Remove(temporary.c_str());
        return false;
    }
    return fileio::MoveOver(temporary.c_str(), file.c_str());
}

bool PngEncoder(CLSID& clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

} // namespace

bool CWindowProbe::IsEnabled() {
    static const bool enabled = ::GetEnvironmentVariableW(L"OC_TEST_PROBE", nullptr, 0) > 1;
    return enabled;
}

LRESULT CWindowProbe::Answer(CxSkinDialog& dialog, const COPYDATASTRUCT* data) {
    if (!IsEnabled() || !data || data->dwData != kCopyDataId || !data->lpData || data->cbData < sizeof(wchar_t))
        return FALSE;
    const std::wstring request(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
    const size_t space = request.find(L' ');
    if (space == std::wstring::npos)
        return FALSE;
    const std::wstring verb = request.substr(0, space);
    std::wstring file = request.substr(space + 1);
    while (!file.empty() && file.back() == L'\0')
        file.pop_back();
    if (file.empty())
        return FALSE;
    if (verb == L"controls")
        return WriteWhole(file, WideToUtf8(DescribeControls(dialog)));
    if (verb == L"picture")
        return SavePicture(dialog, file);
    return FALSE;
}

std::wstring CWindowProbe::DescribeControls(CxSkinDialog& dialog) {
    std::wstring out = L"window\t" + dialog.GetName() + L'\n';
    if (auto* menu = dynamic_cast<CxSkinMenu*>(&dialog))
        DescribeMenu(*menu, out);
    Describe(&dialog, true, out);
    return out;
}

bool CWindowProbe::SavePicture(CxSkinDialog& dialog, const std::wstring& file) {
    const int width = dialog.GetSurfaceWidth();
    const int height = dialog.GetSurfaceHeight();
    CLSID png;
    if (width < 1 || height < 1 || !PngEncoder(png))
        return false;
    Gdiplus::Bitmap image(width, height, PixelFormat32bppPARGB);
    Gdiplus::BitmapData bits{};
    const Gdiplus::Rect all(0, 0, width, height);
    if (image.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &bits) != Gdiplus::Ok)
        return false;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(bits.Scan0) + y * bits.Stride);
        for (int x = 0; x < width; ++x)
            row[x] = dialog.GetPixel(x, y);
    }
    image.UnlockBits(&bits);
    const std::wstring temporary = file + L".tmp";
    if (image.Save(temporary.c_str(), &png, nullptr) != Gdiplus::Ok) {
        fileio::Remove(temporary.c_str());
        return false;
    }
    return fileio::MoveOver(temporary.c_str(), file.c_str());
}
