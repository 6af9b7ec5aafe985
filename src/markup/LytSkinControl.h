#pragma once
// The markup model's control view over a real skin object. The common properties reach the control
// through the skin control base; a skin object that is no control (a dialog, a menu) takes only the
// skin-object operations.
#include "markup/ILytControl.h"

class CxSkinCtrl;
class CxSkinObject;

class CLytSkinControl : public ILytControl {
public:
    // The skin object is not owned: it belongs to its layer tree.
    explicit CLytSkinControl(IxSkinObject* object);

    IxSkinObject* GetSkinObject() const override { return m_object; }
    int Create() override;
    std::wstring GetTypeName() const override;
    void SetId(int id) override;
    void SetParent(IxSkinObject* parent) override;
    bool HasListener() const override;
    void InitListenerControls() override;

    void SetName(const std::wstring& name) override;
    void SetLeft(int x) override;
    void SetTop(int y) override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void SetToolTip(const std::wstring& text) override;
    void SetToolTipKey(const std::wstring& key) override;
    void SetTextKey(const std::wstring& key) override;
    void SetTag(const std::wstring& tag) override;
    void SetText(const std::wstring& text) override;
    void ClearTextTranslation() override;
    void SetVisible(bool visible) override;
    void SetTransparency(int percent) override;
    void SetTransformOrigin(double x, double y) override;
    void SetRotation(double degrees) override;
    void SetScaleX(double scale) override;
    void SetScaleY(double scale) override;
    void SetShearX(double factor) override;
    void SetShearY(double factor) override;
    void SetCursor(unsigned id, bool system) override;
    void SetBackColor(LytColor argb) override;
    void ClearBackColor() override;
    void SetForeColor(LytColor argb) override;
    void SetFontFamily(const std::wstring& face) override;
    void SetFontSize(int size) override;
    int GetFontStyle() const override;
    void SetFontStyle(int style) override;
    void SetTextAlign(int alignment) override;
    void SetTextLineAlign(int alignment) override;
    void SetFreeze(bool freeze) override;

private:
    IxSkinObject* m_object;
    CxSkinObject* m_skinObject; // the same object's listener and layer face, or null
    CxSkinCtrl* m_ctrl;         // the same object's control face, or null
};
