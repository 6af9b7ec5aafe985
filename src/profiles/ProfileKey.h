#pragma once
// The key of one setting of a listed profile, the endpoint name and the row key ("Speaker.EQ_Slider1").
// Every profile of a device names the same few hundred keys, so each text is kept once for the process
// and a key is one pointer to it. Ordered and compared as its text, also against plain strings, so that
// a map of keys is searched with a string and makes no key for it.

#include <string>

#include "markup/SharedText.h"

class ProfileKey {
public:
    ProfileKey(const std::wstring& text) : m_text(&CSharedText::Intern(text)) {} // NOLINT: a key is its text
    operator const std::wstring&() const { return *m_text; }                      // NOLINT
    const std::wstring& Text() const { return *m_text; }

    friend bool operator<(const ProfileKey& a, const ProfileKey& b) { return *a.m_text < *b.m_text; }
    friend bool operator<(const ProfileKey& a, const std::wstring& b) { return *a.m_text < b; }
    friend bool operator<(const std::wstring& a, const ProfileKey& b) { return a < *b.m_text; }

private:
    const std::wstring* m_text;
};
