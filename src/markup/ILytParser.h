#pragma once
// The markup parser: reads a .lyt file and drives a listener that turns element names into markup objects
// and attributes into property settings, applying the style dictionaries it keeps.
#include <cstdint>

#include "markup/ILytObject.h"
#include "markup/IXmlObject.h"

// A placement in the parent's coordinates.
struct LytRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

class ILytParserListener {
public:
    // A new markup object for an element of that type under `parent`, or null for an unknown type.
    virtual ILytObject* CreateObject(const wchar_t* typeName, ILytObject* parent) = 0;
    virtual void SetAttribute(ILytObject* object, const wchar_t* name, const wchar_t* value) = 0;
    // The element's own properties are applied; called before its children are parsed.
    virtual void OnObjectDone(ILytObject* object) = 0;
    // Once per parse, with the root object.
    virtual void OnParseDone(ILytObject* root) = 0;
    // A new empty document element for a style dictionary.
    virtual IXmlObject* CreateXmlObject(const wchar_t* name) = 0;

protected:
    ~ILytParserListener() = default;
};

class ILytParser {
public:
    // Parses a markup file. Without a placement the root element configures `parent` itself; with one it
    // becomes a new object placed in that rectangle. Returns the root object, or null when the file could
    // not be read, had no element, or the placed root's type is unknown.
    virtual ILytObject* Parse(const wchar_t* path, ILytObject* parent, const LytRect* placement) = 0;
    // Loads a style dictionary file and the dictionaries it names; nonzero when that file loaded with a
    // root element.
    virtual int LoadStyles(const wchar_t* path) = 0;
    virtual void Release() = 0;
    // The folder that relative dictionary sources are taken from (ends with a separator).
    virtual void SetBasePath(const wchar_t* path) = 0;
    virtual ~ILytParser() = default;
};

ILytParser* CreateLytParser(ILytParserListener* listener);
