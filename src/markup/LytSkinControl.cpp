#include "markup/LytSkinControl.h"

#include "skin/SkinCtrl.h"
#include "skin/SkinObject.h"

CLytSkinControl::CLytSkinControl(IxSkinObject* object)
    : m_object(object), m_skinObject(dynamic_cast<CxSkinObject*>(object)), m_ctrl(dynamic_cast<CxSkinCtrl*>(object)) {}

int CLytSkinControl::Create() {
    return m_object ? m_object->Create() : 0;
}

std::wstring CLytSkinControl::GetTypeName() const {
    const wchar_t* name = m_object ? m_object->GetTypeName() : nullptr;
    return name ? name : L"";
}

void CLytSkinControl::SetId(int id) {
    if (m_object)
        m_object->SetId(id);
}

void CLytSkinControl::SetParent(IxSkinObject* parent) {
    if (m_object)
        m_object->SetParent(parent);
}

bool CLytSkinControl::HasListener() const {
    return m_skinObject && m_skinObject->GetListener();
}

void CLytSkinControl::InitListenerControls() {
    if (IxSkinListener* listener = m_skinObject ? m_skinObject->GetListener() : nullptr)
        listener->InitControls();
}

void CLytSkinControl::SetName(const std::wstring& name) {
    if (m_ctrl)
        m_ctrl->SetName(name);
}

void CLytSkinControl::SetLeft(int x) {
    if (m_ctrl)
        m_ctrl->SetLeft(x);
}

void CLytSkinControl::SetTop(int y) {
    if (m_ctrl)
        m_ctrl->SetTop(y);
}

void CLytSkinControl::SetWidth(int width) {
    if (m_ctrl)
        m_ctrl->SetWidth(width);
}

void CLytSkinControl::SetHeight(int height) {
    if (m_ctrl)
        m_ctrl->SetHeight(height);
}

void CLytSkinControl::SetToolTip(const std::wstring& text) {
    if (m_ctrl)
        m_ctrl->SetToolTip(text);
}

// Kept by the handler framework's re-translation, which the control base does not carry yet.
void CLytSkinControl::SetToolTipKey(const std::wstring& key) {
    if (m_ctrl)
        m_ctrl->SetToolTipKey(key);
}

void CLytSkinControl::SetTextKey(const std::wstring& key) {
    if (m_ctrl)
        m_ctrl->SetTextKey(key);
}

void CLytSkinControl::SetTag(const std::wstring& tag) {
    if (m_ctrl)
        m_ctrl->SetTag(tag);
}

void CLytSkinControl::SetText(const std::wstring& text) {
    if (m_ctrl)
        m_ctrl->SetText(text);
}

// A text that was no language key is not translated again when the language changes.
void CLytSkinControl::ClearTextTranslation() {
    if (m_ctrl)
        m_ctrl->SetTextTranslatable(FALSE);
}

void CLytSkinControl::SetVisible(bool visible) {
    if (m_ctrl)
        m_ctrl->SetVisible(visible ? TRUE : FALSE, TRUE);
}

void CLytSkinControl::SetTransparency(int percent) {
    if (m_ctrl)
        m_ctrl->SetTransparency(percent);
}

void CLytSkinControl::SetTransformOrigin(double x, double y) {
    if (!m_ctrl)
        return;
    m_ctrl->SetTransformOrigin(x, y);
}

void CLytSkinControl::SetRotation(double degrees) {
    if (m_ctrl)
        m_ctrl->SetRotation(degrees, FALSE);
}

void CLytSkinControl::SetScaleX(double scale) {
    if (m_ctrl)
        m_ctrl->SetScaleX(scale);
}

void CLytSkinControl::SetScaleY(double scale) {
    if (m_ctrl)
        m_ctrl->SetScaleY(scale);
}

void CLytSkinControl::SetShearX(double factor) {
    if (m_ctrl)
        m_ctrl->SetSkewX(factor);
}

void CLytSkinControl::SetShearY(double factor) {
    if (m_ctrl)
        m_ctrl->SetSkewY(factor);
}

void CLytSkinControl::SetCursor(unsigned id, bool system) {
    if (m_ctrl)
        m_ctrl->SetCursor(id, system ? TRUE : FALSE);
}

void CLytSkinControl::SetBackColor(LytColor argb) {
    if (m_ctrl)
        m_ctrl->SetBackColor(argb);
}

void CLytSkinControl::ClearBackColor() {
    if (m_ctrl)
        m_ctrl->ClearBackColor();
}

void CLytSkinControl::SetForeColor(LytColor argb) {
    if (m_ctrl)
        m_ctrl->SetForeColor(argb);
}

void CLytSkinControl::SetFontFamily(const std::wstring& face) {
    if (m_ctrl)
        m_ctrl->SetFontFamily(face);
}

void CLytSkinControl::SetFontSize(int size) {
    if (m_ctrl)
        m_ctrl->SetFontSize(size);
}

int CLytSkinControl::GetFontStyle() const {
    return m_ctrl ? m_ctrl->GetFontStyle() : 0;
}

void CLytSkinControl::SetFontStyle(int style) {
    if (m_ctrl)
        m_ctrl->SetFontStyle(style);
}

void CLytSkinControl::SetTextAlign(int alignment) {
    if (m_ctrl)
        m_ctrl->SetTextAlign(alignment);
}

void CLytSkinControl::SetTextLineAlign(int alignment) {
    if (m_ctrl)
        m_ctrl->SetTextLineAlign(alignment);
}

void CLytSkinControl::SetFreeze(bool freeze) {
    if (m_ctrl)
        m_ctrl->SetFreeze(freeze ? TRUE : FALSE);
}
