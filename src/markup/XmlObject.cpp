#include "markup/XmlObject.h"

#include <algorithm>

int CXmlObject::SetName(const wchar_t* name, IXmlObject* parent) {
    m_name = name ? name : L"";
    m_parent = parent;
    return 0;
}

int CXmlObject::Release() {
    // The subtree is freed from a list, not by recursion: a document may nest deeper than the stack.
    std::vector<IXmlObject*> pending = std::move(m_children);
    delete this;
    while (!pending.empty()) {
        IXmlObject* next = pending.back();
        pending.pop_back();
        auto* element = dynamic_cast<CXmlObject*>(next);
        if (!element) {
            next->Release();
            continue;
        }
        pending.insert(pending.end(), element->m_children.begin(), element->m_children.end());
        element->m_children.clear();
        delete element;
    }
    return 1;
}

int CXmlObject::AddChild(IXmlObject* child) {
    if (!child)
        return 0;
    m_children.push_back(child);
    return 1;
}

int CXmlObject::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name)
        return 0;
    const wchar_t* text = value ? value : L"";
    auto found =
        std::find_if(m_attributes.begin(), m_attributes.end(), [name](const auto& pair) { return pair.first == name; });
    if (found != m_attributes.end())
        found->second = text;
    else
        m_attributes.emplace_back(name, text);
    return 1;
}

int CXmlObject::SetText(const wchar_t* text) {
    if (!text)
        return 0;
    m_text = text;
    return 1;
}

std::uint32_t CXmlObject::GetDepth() const {
    std::uint32_t depth = 0;
    for (const IXmlObject* up = m_parent; up; up = up->GetParent())
        ++depth;
    return depth;
}

IXmlObject* CXmlObject::GetChild(std::uint32_t index) const {
    return index < m_children.size() ? m_children[index] : nullptr;
}

int CXmlObject::GetAttributeAt(std::wstring& name, std::wstring& value, std::uint32_t index) const {
    if (index >= m_attributes.size()) {
        name.clear();
        value.clear();
        return 0;
    }
    name = m_attributes[index].first;
    value = m_attributes[index].second;
    return 1;
}

int CXmlObject::GetAttribute(const wchar_t* name, std::wstring& value) const {
    value.clear();
    if (!name)
        return 0;
    for (const auto& [key, text] : m_attributes) {
        if (key == name) {
            value = text;
            return 1;
        }
    }
    return 0;
}
