#pragma once
// The generic document parser: reads an XML file into a tree of IXmlObject through a listener that makes
// the objects, and writes such a tree back in the program's own indented form.
#include "markup/IXmlObject.h"

class IProfileParserListener {
public:
    // A new, empty element object for an element of that name (null skips the element and its subtree).
    virtual IXmlObject* CreateObject(const wchar_t* name) = 0;
    // The fully built document; the listener owns it from now on.
    virtual void OnParsed(IXmlObject* root) = 0;
    virtual void OnError(const wchar_t* message) = 0;

protected:
    ~IProfileParserListener() = default;
};

class IProfileParser {
public:
    // Nonzero when the document reached OnParsed. The nesting is bounded for listeners that walk the tree
    // recursively.
    virtual int Parse(const wchar_t* path) = 0;
    // The same for a document whose listener walks only its top levels: any nesting, and files up to
    // CXmlReader::kMaxStoreFileSize.
    virtual int ParseTopLevels(const wchar_t* path) = 0;
    // Writes the tree under `root` to the file; nonzero only when the whole file was written and in place.
    virtual int Save(const wchar_t* path, IXmlObject* root) = 0;
    virtual void Release() = 0;
    virtual ~IProfileParser() = default;
};

IProfileParser* CreateProfileParser(IProfileParserListener* listener);
