#pragma once
// The element object of every document the program reads or writes: language files, Profile.xml,
// profiles and the markup style dictionaries. Made by a parser's listener, freed through Release.
#include <cstdint>
#include <memory>
#include <string>

class IXmlObject {
public:
    // Stores the name and the (not owned) parent. Returns 0.
    virtual int SetName(const wchar_t* name, IXmlObject* parent) = 0;
    // Releases every child, then frees this object. Returns 1.
    virtual int Release() = 0;
    // Appends a child and takes ownership of it. Returns 1 (0 for a null child).
    virtual int AddChild(IXmlObject* child) = 0;
    // Replaces the value of an existing attribute (exact name), or appends a new one. Returns 1.
    virtual int SetAttribute(const wchar_t* name, const wchar_t* value) = 0;
    // Called by the document parser after an element's children. Returns 0.
    virtual int OnEndElement() = 0;
    virtual std::wstring GetName() const = 0;
    virtual std::wstring GetText() const = 0;
    // Returns 1, or 0 for a null text, which is refused.
    virtual int SetText(const wchar_t* text) = 0;
    virtual std::uint32_t GetChildCount() const = 0;
    virtual IXmlObject* GetParent() const = 0;
    // The number of ancestors: 0 for a root.
    virtual std::uint32_t GetDepth() const = 0;
    virtual IXmlObject* GetChild(std::uint32_t index) const = 0;
    virtual std::uint32_t GetAttributeCount() const = 0;
    // Copies the pair at the index. Returns 1 (0 and empty texts for an index out of range).
    virtual int GetAttributeAt(std::wstring& name, std::wstring& value, std::uint32_t index) const = 0;
    // Returns 1 and the value when found, else 0 and an empty value.
    virtual int GetAttribute(const wchar_t* name, std::wstring& value) const = 0;

protected:
    virtual ~IXmlObject() = default;
};

// Owns a document root and releases it with the tree.
struct XmlObjectRelease {
    void operator()(IXmlObject* object) const {
        if (object)
            object->Release();
    }
};
using XmlObjectPtr = std::unique_ptr<IXmlObject, XmlObjectRelease>;
