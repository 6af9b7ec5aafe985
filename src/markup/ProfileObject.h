#pragma once
// The element the profile controller makes for the documents it loads; a document element like any other.
#include "markup/XmlObject.h"

class CProfileObject : public CXmlObject {
protected:
    ~CProfileObject() override = default;
};
