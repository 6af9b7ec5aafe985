#pragma once
// The "Embed" element: a placeholder that pulls another markup file, or a content a handler makes, into
// its parent at a rectangle once the element is finished. It has no control of its own.
#include <string>

#include "markup/ILytParser.h"
#include "markup/LytObject.h"

class IxSkinObject;

class CLytEmbed : public CLytObject {
public:
    // How many embedded files may be loading inside one another; deeper ones load nothing.
    static constexpr int kMaxNesting = 8;

    static CLytEmbed* CreateInstance(ILytEnvironment& environment) { return new CLytEmbed(environment); }
    // The element table's creation function.
    static ILytObject* CreateElement(ILytEnvironment& environment) { return CreateInstance(environment); }

    // Only the embed's own table: it stores what the load needs.
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Loads the file or hands the rectangle to the handler that makes the content.
    int OnCreated() override;
    std::wstring GetTypeName() const override { return L"Embed"; }
    // Links to the parent without a control of its own and keeps the parent's control for the load.
    void SetParent(ILytObject* parent) override;

    const std::wstring& GetName() const { return m_name; }
    // (left, top, left + width, top + height), held within the 32-bit range.
    LytRect GetRect() const;
    bool IsShown() const { return m_visible != 0; }

protected:
    explicit CLytEmbed(ILytEnvironment& environment) : CLytObject(environment, nullptr) {}
    ~CLytEmbed() override = default;

private:
    struct EmbedAttribute;
    void LoadEmbeddedFile(const LytRect& rect);

    IxSkinObject* m_parentControl = nullptr;
    std::wstring m_name;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    int m_visible = 1;
};
