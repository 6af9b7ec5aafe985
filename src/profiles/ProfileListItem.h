#pragma once
// The list item of a user profile is the parsed template with the profile's name and tooltips set on its
// root; everything else of the template is kept as it is.

#include <string>

#include "markup/IXmlObject.h"

// Sets "Name", "Tooltip" and "Tooltip.Check" on the root; the tooltips fall back to the name when the
// description is empty. A null root changes nothing.
void StampListItem(IXmlObject* root, const std::wstring& name, const std::wstring& description);
