#include "markup/ProfileObject.h"

#include <algorithm>

#include "markup/SharedText.h"

CProfileObject::Text CProfileObject::Share(const wchar_t* text) {
    return text && *text ? &CSharedText::Intern(text) : &CSharedText::Empty();
}

CProfileObject::CProfileObject() : m_name(Share(nullptr)), m_text(Share(nullptr)) {}

int CProfileObject::SetName(const wchar_t* name, IXmlObject* parent) {
    m_name = Share(name);
    m_parent = parent;
    return 0;
}

int CProfileObject::Release() {
    for (IXmlObject* child : m_children)
        child->Release();
    m_children.clear();
    delete this;
    return 1;
}

int CProfileObject::AddChild(IXmlObject* child) {
    if (!child)
        return 0;
    m_children.push_back(child);
    return 1;
}

int CProfileObject::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name)
        return 0;
    const Text shared = Share(value);
    auto found = std::find_if(m_attributes.begin(), m_attributes.end(),
                              [name](const auto& pair) { return *pair.first == name; });
    if (found != m_attributes.end()) {
        found->second = shared;
        return 1;
    }
    // Room for the usual handful at once rather than growing by doubling; the end of the element gives back
    // what is left over.
    if (m_attributes.empty())
        m_attributes.reserve(kAttributesReserved);
    m_attributes.emplace_back(Share(name), shared);
    return 1;
}

int CProfileObject::OnEndElement() {
    m_attributes.shrink_to_fit();
    m_children.shrink_to_fit();
    return 0;
}

int CProfileObject::SetText(const wchar_t* text) {
    if (!text)
        return 0;
    m_text = Share(text);
    return 1;
}

std::uint32_t CProfileObject::GetDepth() const {
    std::uint32_t depth = 0;
    for (const IXmlObject* up = m_parent; up; up = up->GetParent())
        ++depth;
    return depth;
}

IXmlObject* CProfileObject::GetChild(std::uint32_t index) const {
    return index < m_children.size() ? m_children[index] : nullptr;
}

int CProfileObject::GetAttributeAt(std::wstring& name, std::wstring& value, std::uint32_t index) const {
    if (index >= m_attributes.size()) {
        name.clear();
        value.clear();
        return 0;
    }
    name = *m_attributes[index].first;
    value = *m_attributes[index].second;
    return 1;
}

int CProfileObject::GetAttribute(const wchar_t* name, std::wstring& value) const {
    value.clear();
    if (!name)
        return 0;
    for (const auto& [key, text] : m_attributes) {
        if (*key == name) {
            value = *text;
            return 1;
        }
    }
    return 0;
}
