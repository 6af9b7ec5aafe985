#pragma once
// The markup's names of the image stretch modes, for the "Stretch" attribute of every element that
// draws a background image.
#include <optional>
#include <string>

#include "skin/SkinDraw.h"

// The mode the name stands for; none for any other value, which leaves the element's mode as it is.
std::optional<SkinStretchMode> LytStretchMode(const std::wstring& name);
