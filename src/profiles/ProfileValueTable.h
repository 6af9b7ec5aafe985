#pragma once
// The comparable settings of one listed profile: what matching reads, and nothing of the document it came
// from. A strip may list hundreds of profiles, each naming the same hundred or so keys, so a setting is a
// shared key and its value already read as a number, in one sorted block per profile.

#include <cstdint>
#include <string>
#include <vector>

#include "profiles/ProfileKey.h"

// One comparable setting of a profile.
struct ProfileValue {
    ProfileValue(const std::wstring& text, int32_t valueKind, int32_t endpoint, bool enabledByParent);

    int32_t number = 0; // the document's text read as an integer
    float real = 0;     // and as a number with a fraction
    int32_t endpointCode = 0;
    int8_t kind = 0;
    bool parentEnabled = true;
    bool off = false; // the text is exactly "0": as a switch, its effect is off
};

class CProfileValueTable {
public:
    struct Entry {
        ProfileKey key; // "<endpoint name>.<row key>"
        ProfileValue value;
    };
    using const_iterator = std::vector<Entry>::const_iterator;

    // Sets the key's value; a later setting of the same key replaces the earlier one.
    void Assign(const std::wstring& key, const ProfileValue& value);
    // Adds the value unless the key already has one.
    void Add(const std::wstring& key, const ProfileValue& value);
    // The key's value, null when the table lacks it.
    const ProfileValue* Find(const std::wstring& key) const;
    // Gives back the room a growing table kept in reserve.
    void Compact() { m_entries.shrink_to_fit(); }

    // In key order.
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    std::size_t size() const { return m_entries.size(); }

private:
    std::vector<Entry> m_entries;
};
