#pragma once
// The element the profile controller makes for the documents it loads and the ones its clients build.
// Profiles of one device are nearly alike: an element holds only pointers to shared texts (CSharedText), so
// a document costs little more than its structure, and reading hundreds of them makes few new texts.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "markup/IXmlObject.h"

class CProfileObject : public IXmlObject {
public:
    CProfileObject();
    CProfileObject(const CProfileObject&) = delete;
    CProfileObject& operator=(const CProfileObject&) = delete;

    int SetName(const wchar_t* name, IXmlObject* parent) override;
    int Release() override;
    int AddChild(IXmlObject* child) override;
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // The element is complete: its lists give back what they reserved beyond their size.
    int OnEndElement() override;
    std::wstring GetName() const override { return *m_name; }
    std::wstring GetText() const override { return *m_text; }
    int SetText(const wchar_t* text) override;
    std::uint32_t GetChildCount() const override { return static_cast<std::uint32_t>(m_children.size()); }
    IXmlObject* GetParent() const override { return m_parent; }
    std::uint32_t GetDepth() const override;
    IXmlObject* GetChild(std::uint32_t index) const override;
    std::uint32_t GetAttributeCount() const override { return static_cast<std::uint32_t>(m_attributes.size()); }
    int GetAttributeAt(std::wstring& name, std::wstring& value, std::uint32_t index) const override;
    int GetAttribute(const wchar_t* name, std::wstring& value) const override;

protected:
    ~CProfileObject() override = default;

private:
    using Text = const std::wstring*;
    static constexpr std::size_t kAttributesReserved = 8;

    static Text Share(const wchar_t* text);

    Text m_name;
    Text m_text;
    IXmlObject* m_parent = nullptr;
    std::vector<IXmlObject*> m_children;
    std::vector<std::pair<Text, Text>> m_attributes; // in first-set order, names unique
};
