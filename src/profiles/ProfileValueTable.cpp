#include "profiles/ProfileValueTable.h"

#include <algorithm>
#include <cwchar>

ProfileValue::ProfileValue(const std::wstring& text, int32_t valueKind, int32_t endpoint, bool enabledByParent)
    : endpointCode(endpoint), kind(static_cast<int8_t>(valueKind)), parentEnabled(enabledByParent),
      off(text == L"0") {
    // Most values are "0", every filled-in one among them: those need no conversion by the C library.
    if (!off) {
        number = _wtoi(text.c_str());
        real = static_cast<float>(_wtof(text.c_str()));
    }
}

namespace {

template <class Entries> auto LowerBound(Entries& entries, const std::wstring& key) {
    return std::lower_bound(entries.begin(), entries.end(), key,
                            [](const auto& entry, const std::wstring& text) { return entry.key < text; });
}

} // namespace

void CProfileValueTable::Assign(const std::wstring& key, const ProfileValue& value) {
    auto at = LowerBound(m_entries, key);
    if (at != m_entries.end() && at->key.Text() == key)
        at->value = value;
    else
        m_entries.insert(at, Entry{ProfileKey(key), value});
}

void CProfileValueTable::Add(const std::wstring& key, const ProfileValue& value) {
    auto at = LowerBound(m_entries, key);
    if (at == m_entries.end() || at->key.Text() != key)
        m_entries.insert(at, Entry{ProfileKey(key), value});
}

const ProfileValue* CProfileValueTable::Find(const std::wstring& key) const {
    auto at = LowerBound(m_entries, key);
    return at != m_entries.end() && at->key.Text() == key ? &at->value : nullptr;
}
