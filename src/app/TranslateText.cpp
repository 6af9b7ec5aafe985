// Kept apart from the application object's own sources: only code that reaches the program's one
// application object links this, and a program that does must define theApp.
#include "app/OvercoatApp.h"

std::wstring TranslateText(const std::wstring& text) {
    return theApp.TranslateText(text);
}
