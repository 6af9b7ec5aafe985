#include "markup/LytObject.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>

#include "skin/SkinParse.h"

namespace {

constexpr int kDefaultDpi = 96;

// A decimal of the markup. Non-numbers count as 0 so that every clamp below sees an ordered value;
// infinities clamp like any large number.
double ReadDecimal(const std::wstring& value) {
    const double number = xSkinStringToDouble(value);
    return std::isnan(number) ? 0.0 : number;
}

double ReadClamped(const std::wstring& value, double low, double high) {
    return std::clamp(ReadDecimal(value), low, high);
}

// Scale factors below a tenth are taken as a mistake and mean "unscaled".
double ReadScale(const std::wstring& value) {
    const double scale = ReadDecimal(value);
    if (scale < 0.1)
        return 1.0;
    return std::min(scale, 10.0);
}

// Whole degrees, at most 45 either way, as the shear factor of the transform.
double ReadShear(const std::wstring& value) {
    return std::clamp(xSkinStringToInt(value), -45, 45) / 45.0;
}

struct CursorName {
    const wchar_t* name;
    unsigned id;
    bool system;
};

constexpr unsigned kArrowCursor = 32512;

const CursorName kCursors[] = {
    {L"Arrow", kArrowCursor, true},
    {L"Hand", 32649, true},
    {L"Ibeam", 32513, true},
    {L"Cross", 32515, true},
    {L"No", 32648, true},
    {L"SizeAll", 32646, true},
    {L"SizeNESW", 32643, true},
    {L"SizeNS", 32645, true},
    {L"SizeNWSE", 32642, true},
    {L"SizeWE", 32644, true},
    {L"UpArrow", 32516, true},
    {L"WaitCursor", 32514, true},
    {L"None", CLytObject::kNoneCursorId, false},
};

void ApplyCursor(ILytControl& control, const std::wstring& value) {
    for (const CursorName& cursor : kCursors) {
        if (value == cursor.name) {
            control.SetCursor(cursor.id, cursor.system);
            return;
        }
    }
    control.SetCursor(kArrowCursor, true);
}

// The font-style attributes switch one bit and keep the others.
void SetFontStyleBit(ILytControl& control, int bit, bool on) {
    const int style = control.GetFontStyle();
    control.SetFontStyle(on ? (style | bit) : (style & ~bit));
}

} // namespace

struct CLytObject::CommonAttribute {
    const wchar_t* name;
    void (*apply)(CLytObject& object, ILytControl& control, const std::wstring& value);
};

CLytObject::CLytObject(ILytEnvironment& environment, std::unique_ptr<ILytControl> control)
    : m_environment(environment), m_control(std::move(control)) {}

int CLytObject::ScaleFontSize(double size, int dpi) {
    const int points = static_cast<int>(std::clamp(std::isnan(size) ? 0.0 : size, 1.0, 100.0));
    if (dpi <= 0)
        dpi = kDefaultDpi;
    // A tiny size on a large-DPI screen would round down to a font of no size at all.
    return std::max(points * kDefaultDpi / dpi, 1);
}

int CLytObject::OpacityToTransparency(double opacity) {
    const double clamped = std::clamp(std::isnan(opacity) ? 0.0 : opacity, 0.0, 1.0);
    return static_cast<int>(100.0 - 100.0 * clamped);
}

const CLytObject::CommonAttribute* CLytObject::FindCommonAttribute(const std::wstring& name) {
    using Value = const std::wstring&;
    static const CommonAttribute kAttributes[] = {
        {L"Name", [](CLytObject&, ILytControl& c, Value v) { c.SetName(v); }},
        {L"Left", [](CLytObject&, ILytControl& c, Value v) { c.SetLeft(xSkinStringToInt(v)); }},
        {L"Top", [](CLytObject&, ILytControl& c, Value v) { c.SetTop(xSkinStringToInt(v)); }},
        {L"Width",
         [](CLytObject& o, ILytControl& c, Value v) {
             if (const int width = xSkinStringToInt(v); width >= 0) {
                 c.SetWidth(width);
                 o.RecordWidth(width);
             }
         }},
        {L"Height",
         [](CLytObject& o, ILytControl& c, Value v) {
             if (const int height = xSkinStringToInt(v); height >= 0) {
                 c.SetHeight(height);
                 o.RecordHeight(height);
             }
         }},
        {L"Tooltip", &ApplyToolTip},
        {L"ToolTip", &ApplyToolTip},
        {L"Tag", [](CLytObject& o, ILytControl& c, Value v) { c.SetTag(o.Environment().TranslateText(v)); }},
        {L"Text",
         [](CLytObject& o, ILytControl& c, Value v) {
             const std::wstring text = o.Environment().TranslateText(v);
             c.SetText(text);
             if (text == v)
                 c.ClearTextTranslation();
             else
                 c.SetTextKey(v);
         }},
        {L"Visibility", [](CLytObject&, ILytControl& c, Value v) { c.SetVisible(v != L"Hidden"); }},
        {L"Opacity",
         [](CLytObject&, ILytControl& c, Value v) { c.SetTransparency(OpacityToTransparency(ReadDecimal(v))); }},
        {L"TransformOrigin",
         [](CLytObject&, ILytControl& c, Value v) {
             const std::vector<std::wstring> parts = xSkinSplitString(v, L",");
             if (parts.size() == 2)
                 c.SetTransformOrigin(ReadClamped(parts[0], 0.0, 1.0), ReadClamped(parts[1], 0.0, 1.0));
         }},
        {L"RotateAngle", [](CLytObject&, ILytControl& c, Value v) { c.SetRotation(ReadClamped(v, 0.0, 360.0)); }},
        {L"ScaleX", [](CLytObject&, ILytControl& c, Value v) { c.SetScaleX(ReadScale(v)); }},
        {L"ScaleY", [](CLytObject&, ILytControl& c, Value v) { c.SetScaleY(ReadScale(v)); }},
        {L"SkewAngleX", [](CLytObject&, ILytControl& c, Value v) { c.SetShearX(ReadShear(v)); }},
        {L"SkewAngleY", [](CLytObject&, ILytControl& c, Value v) { c.SetShearY(ReadShear(v)); }},
        {L"Cursor", [](CLytObject&, ILytControl& c, Value v) { ApplyCursor(c, v); }},
        {L"Background",
         [](CLytObject&, ILytControl& c, Value v) {
             if (v == L"Transparent")
                 c.ClearBackColor();
             else
                 c.SetBackColor(xSkinParseColor(v));
         }},
        {L"Foreground", [](CLytObject&, ILytControl& c, Value v) { c.SetForeColor(xSkinParseColor(v)); }},
        {L"FontFamily", [](CLytObject&, ILytControl& c, Value v) { c.SetFontFamily(v); }},
        {L"FontSize",
         [](CLytObject& o, ILytControl& c, Value v) {
             const int dpi = o.Environment().GetScreenDpi();
             c.SetFontSize(ScaleFontSize(ReadDecimal(v), dpi));
         }},
        {L"FontWeight", [](CLytObject&, ILytControl& c, Value v) { SetFontStyleBit(c, kLytFontBold, v == L"Bold"); }},
        {L"FontItalic", [](CLytObject&, ILytControl& c, Value v) { SetFontStyleBit(c, kLytFontItalic, v == L"True"); }},
        {L"FontUnderline",
         [](CLytObject&, ILytControl& c, Value v) { SetFontStyleBit(c, kLytFontUnderline, v == L"True"); }},
        {L"Text.HorizontalAlignment",
         [](CLytObject&, ILytControl& c, Value v) {
             if (v == L"Left")
                 c.SetTextAlign(0);
             else if (v == L"Right")
                 c.SetTextAlign(2);
         }},
        {L"Text.VerticalAlignment",
         [](CLytObject&, ILytControl& c, Value v) {
             if (v == L"Top")
                 c.SetTextLineAlign(0);
             else if (v == L"Bottom")
                 c.SetTextLineAlign(2);
         }},
        {L"Freeze",
         [](CLytObject&, ILytControl& c, Value v) {
             if (v == L"True")
                 c.SetFreeze(true);
         }},
    };
    const auto found = std::find_if(std::begin(kAttributes), std::end(kAttributes),
                                    [&](const CommonAttribute& attribute) { return name == attribute.name; });
    return found == std::end(kAttributes) ? nullptr : found;
}

void CLytObject::ApplyToolTip(CLytObject& object, ILytControl& control, const std::wstring& value) {
    const std::wstring text = object.Environment().TranslateText(value);
    control.SetToolTip(text);
    // A translated tooltip keeps its key so that a language change can translate it again.
    if (text != value)
        control.SetToolTipKey(value);
}

int CLytObject::SetAttribute(const wchar_t* name, const wchar_t* value) {
    return SetCommonAttribute(name, value);
}

int CLytObject::SetCommonAttribute(const wchar_t* name, const wchar_t* value) {
    if (!m_control || !name || !value || !*value)
        return 0;
    const CommonAttribute* attribute = FindCommonAttribute(name);
    if (!attribute)
        return 0;
    return LytGuardAttribute([&] {
        attribute->apply(*this, *m_control, value);
        return 1;
    });
}

int CLytObject::OnCreated() {
    if (m_control)
        m_control->Create();
    return 0;
}

void CLytObject::OnLoadComplete() {
    if (!m_control)
        return;
    // A dialog composes its outline only once a handler has taken it on; any other root lets its
    // handler make the first reads now that every control exists.
    if (m_control->GetTypeName() == L"Dialog") {
        if (m_control->HasListener())
            m_control->Create();
    } else {
        m_control->InitListenerControls();
    }
}

std::wstring CLytObject::GetTypeName() const {
    return m_control ? m_control->GetTypeName() : std::wstring();
}

void CLytObject::SetId(int id) {
    if (m_control)
        m_control->SetId(id);
}

// The parent owns every object linked to it, control or not, so that nothing made during a load can
// outlive it; only a control is hung from the parent's control.
void CLytObject::SetParent(ILytObject* parent) {
    m_parent = parent;
    if (!parent)
        return;
    if (auto* base = dynamic_cast<CLytObject*>(parent))
        base->AddChild(this);
    if (m_control)
        m_control->SetParent(parent->GetControl());
}

IxSkinObject* CLytObject::GetControl() const {
    return m_control ? m_control->GetSkinObject() : nullptr;
}

void CLytObject::AddChild(ILytObject* child) {
    m_children.push_back(child);
}

void CLytObject::RemoveChild(ILytObject* child) {
    const auto found = std::find(m_children.begin(), m_children.end(), child);
    if (found != m_children.end())
        m_children.erase(found);
}

void CLytObject::DestroyChildOf(ILytObject* parent, ILytObject* child) {
    if (!child)
        return;
    if (auto* base = dynamic_cast<CLytObject*>(parent))
        base->RemoveChild(child);
    child->Destroy();
}

// Some kinds (embed, combo-box item) do not unlink themselves when destroyed, so the children are taken
// by index from the last to the first: each step stays in range whether or not the child left the vector.
void CLytObject::Destroy() {
    if (auto* parent = dynamic_cast<CLytObject*>(m_parent))
        parent->RemoveChild(this);
    for (std::size_t i = m_children.size(); i > 0; --i) {
        if (i <= m_children.size())
            m_children[i - 1]->Destroy();
    }
    m_children.clear();
    delete this;
}
