#pragma once
// Texts that many documents hold alike, kept once for the whole process. Profiles saved from one device
// repeat the same element and attribute names, keys and small values hundreds of times over; each document
// points at the one shared copy instead of owning its own. A text stays until the process ends, so the pool
// grows only with texts never seen before: those of the profiles on disk.

#include <string>
#include <string_view>

class CSharedText {
public:
    // The shared copy of the text, the same object for every equal text. Safe from any thread.
    static const std::wstring& Intern(std::wstring_view text);
    // The shared empty text.
    static const std::wstring& Empty();
    // How many distinct texts are held.
    static std::size_t GetCount();
};
