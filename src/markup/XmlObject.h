#pragma once
// The one implementation of the document tree's element.
#include <string>
#include <utility>
#include <vector>

#include "markup/IXmlObject.h"

class CXmlObject : public IXmlObject {
public:
    CXmlObject() = default;
    CXmlObject(const CXmlObject&) = delete;
    CXmlObject& operator=(const CXmlObject&) = delete;

    int SetName(const wchar_t* name, IXmlObject* parent) override;
    int Release() override;
    int AddChild(IXmlObject* child) override;
    int SetAttribute(const wchar_t* name, const wchar_t* value) override;
    int OnEndElement() override { return 0; }
    std::wstring GetName() const override { return m_name; }
    std::wstring GetText() const override { return m_text; }
    int SetText(const wchar_t* text) override;
    std::uint32_t GetChildCount() const override { return static_cast<std::uint32_t>(m_children.size()); }
    IXmlObject* GetParent() const override { return m_parent; }
    std::uint32_t GetDepth() const override;
    IXmlObject* GetChild(std::uint32_t index) const override;
    std::uint32_t GetAttributeCount() const override { return static_cast<std::uint32_t>(m_attributes.size()); }
    int GetAttributeAt(std::wstring& name, std::wstring& value, std::uint32_t index) const override;
    int GetAttribute(const wchar_t* name, std::wstring& value) const override;

protected:
    ~CXmlObject() override = default;

private:
    std::wstring m_name;
    std::wstring m_text;
    IXmlObject* m_parent = nullptr;
    std::vector<IXmlObject*> m_children;
    std::vector<std::pair<std::wstring, std::wstring>> m_attributes; // in first-set order, names unique
};
