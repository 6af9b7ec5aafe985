#pragma once
// The base of every markup object kind: the children it owns, its parent, the control it drives (through
// the model's control view) and the attributes that every element accepts.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "markup/ILytControl.h"
#include "markup/ILytEnvironment.h"
#include "markup/ILytObject.h"
#include "markup/LytFailure.h"

class CLytObject : public ILytObject {
public:
    // The program's own cursor resource for "Cursor"="None": wholly transparent.
    static constexpr unsigned kNoneCursorId = 301;

    // `control` may be null for kinds that make theirs late (CreateControl) or wrap nothing.
    CLytObject(ILytEnvironment& environment, std::unique_ptr<ILytControl> control);
    CLytObject(const CLytObject&) = delete;
    CLytObject& operator=(const CLytObject&) = delete;

    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    int OnCreated() override;
    void OnLoadComplete() override;
    std::wstring GetTypeName() const override;
    void SetId(int id) override;
    void SetParent(ILytObject* parent) override;
    IxSkinObject* GetControl() const override;
    ILytObject* GetParent() const override { return m_parent; }
    LytSize GetSize() const override { return {m_width, m_height}; }
    void Destroy() override;
    void CreateControl() override {}

    void AddChild(ILytObject* child);
    // Erases the first entry equal to the child; the order of the rest is kept.
    void RemoveChild(ILytObject* child);
    std::size_t GetChildCount() const { return m_children.size(); }
    ILytObject* GetChild(std::size_t index) const { return index < m_children.size() ? m_children[index] : nullptr; }

    // Unlinks a child from its parent (when the parent is a markup object base) and destroys it. Safe for
    // kinds whose own Destroy does not unlink.
    static void DestroyChildOf(ILytObject* parent, ILytObject* child);

    // The shared value rules, also used by the kinds' own tables.
    // A font size of the markup: clamped to 1..100 and scaled by 96 / dpi, never below 1.
    static int ScaleFontSize(double size, int dpi);
    // An opacity 0..1 as the toolkit's transparency percent (0 opaque).
    static int OpacityToTransparency(double opacity);

protected:
    ~CLytObject() override = default;

    // Runs the attributes of every element (the table below); 1 when the name is one of them.
    int SetCommonAttribute(const wchar_t* name, const wchar_t* value);
    void SetControl(std::unique_ptr<ILytControl> control) { m_control = std::move(control); }
    ILytControl* Control() const { return m_control.get(); }
    ILytEnvironment& Environment() const { return m_environment; }
    void SetParentLink(ILytObject* parent) { m_parent = parent; }
    void RecordWidth(int width) { m_width = width; }
    void RecordHeight(int height) { m_height = height; }

private:
    struct CommonAttribute;
    static const CommonAttribute* FindCommonAttribute(const std::wstring& name);
    static void ApplyToolTip(CLytObject& object, ILytControl& control, const std::wstring& value);

    ILytEnvironment& m_environment;
    std::vector<ILytObject*> m_children;
    ILytObject* m_parent = nullptr;
    std::unique_ptr<ILytControl> m_control;
    int m_width = 0;
    int m_height = 0;
};
