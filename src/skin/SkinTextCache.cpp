#include "skin/SkinTextCache.h"

#include <cstdint>
#include <cstring>

using namespace Gdiplus;

namespace {

// Enough for every text of the main window and of an open list; well under what the window's surface takes.
constexpr std::size_t kBudgetBytes = 2 * 1024 * 1024;

void Append(std::wstring& key, uint32_t value) {
    key.push_back(static_cast<wchar_t>(value & 0xFFFF));
    key.push_back(static_cast<wchar_t>(value >> 16));
}

void Append(std::wstring& key, REAL value) {
    uint32_t bits = 0;
    static_assert(sizeof(bits) == sizeof(value));
    std::memcpy(&bits, &value, sizeof(bits));
    Append(key, bits);
}

} // namespace

CxSkinTextCache& CxSkinTextCache::Instance() {
    // Never destroyed: its pictures are GDI+ objects, and GDI+ is shut down before the statics go. The
    // program's image cache empties it at the end of the run instead.
    static CxSkinTextCache* cache = new CxSkinTextCache(kBudgetBytes);
    return *cache;
}

std::wstring CxSkinTextCache::KeyOf(const std::wstring& text, const Font& font, const StringFormat* format,
                                    const Brush* brush, const Size& surface, const SizeF& shown) {
    if (!brush || brush->GetType() != BrushTypeSolidColor)
        return {};
    Color color;
    if (static_cast<const SolidBrush*>(brush)->GetColor(&color) != Ok)
        return {};
    FontFamily family;
    wchar_t face[LF_FACESIZE] = {};
    if (font.GetFamily(&family) != Ok || family.GetFamilyName(face) != Ok)
        return {};
    const StringFormat& layout = format ? *format : *StringFormat::GenericDefault();
    // The text first: a key that differs, differs early.
    std::wstring key = text;
    key.push_back(L'\0');
    key += face;
    key.push_back(L'\0');
    Append(key, font.GetSize());
    Append(key, static_cast<uint32_t>(font.GetStyle()));
    Append(key, static_cast<uint32_t>(font.GetUnit()));
    Append(key, static_cast<uint32_t>(layout.GetFormatFlags()));
    Append(key, static_cast<uint32_t>(layout.GetAlignment()));
    Append(key, static_cast<uint32_t>(layout.GetLineAlignment()));
    Append(key, static_cast<uint32_t>(layout.GetTrimming()));
    Append(key, static_cast<uint32_t>(layout.GetHotkeyPrefix()));
    Append(key, static_cast<uint32_t>(color.GetValue()));
    Append(key, static_cast<uint32_t>(surface.Width));
    Append(key, static_cast<uint32_t>(surface.Height));
    Append(key, shown.Width);
    Append(key, shown.Height);
    return key;
}

const CxSkinTextCache::Entry* CxSkinTextCache::Find(const std::wstring& key) {
    const auto found = m_index.find(key);
    if (found == m_index.end())
        return nullptr;
    m_order.splice(m_order.begin(), m_order, found->second);
    return found->second->second.get();
}

const CxSkinTextCache::Entry* CxSkinTextCache::Keep(const std::wstring& key, std::unique_ptr<Entry> entry) {
    if (!entry)
        return nullptr;
    if (key.empty() || entry->bytes > m_budget / 4) {
        m_oversized = std::move(entry);
        return m_oversized.get();
    }
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_bytes -= found->second->second->bytes;
        m_order.erase(found->second);
        m_index.erase(found);
    }
    m_bytes += entry->bytes;
    m_order.emplace_front(key, std::move(entry));
    m_index.emplace(key, m_order.begin());
    // The newest entry always stays: it is about to be drawn.
    while (m_bytes > m_budget && m_order.size() > 1) {
        auto& [oldKey, old] = m_order.back();
        m_bytes -= old->bytes;
        m_index.erase(oldKey);
        m_order.pop_back();
    }
    return m_order.front().second.get();
}

void CxSkinTextCache::Clear() {
    m_index.clear();
    m_order.clear();
    m_oversized.reset();
    m_bytes = 0;
}
