#pragma once
// Texts as xSkinDrawStringToBitmap renders them, kept for the next paint. Rendering a text (choosing its fit,
// rasterising its glyphs into a surface of its own) costs far more than copying the result, and a window
// repaints the same captions, labels and values again and again. An entry is keyed by everything that
// decides its pixels: the text and face it is drawn in, the font's size, style and unit, the format, the
// colour and the sizes of the surface and of the part that shows; an equal key renders equal pixels, so a
// kept picture draws exactly what a new rendering would.
//
// The least recently drawn entries go once the pictures together pass a budget, so a stream of changing
// texts (a value dragged through its range, a list scrolled through thousands of rows) cannot grow it.
// Painting runs on the UI thread only, as does the fit that chooses each layout.

#include <windows.h>
#include <gdiplus.h>

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

class CxSkinTextCache {
public:
    // One rendered text: its picture and what it was laid out with (for the text observer).
    struct Entry {
        std::unique_ptr<Gdiplus::Bitmap> picture;
        std::wstring text; // as drawable in the face it is drawn in
        std::wstring shown;
        std::unique_ptr<Gdiplus::Font> font;
        std::unique_ptr<Gdiplus::StringFormat> format;
        Gdiplus::RectF layout;
        std::size_t bytes = 0;
    };

    // The process's cache; emptied when the program's image cache goes, while GDI+ still runs.
    static CxSkinTextCache& Instance();

    explicit CxSkinTextCache(std::size_t budgetBytes) : m_budget(budgetBytes) {}
    CxSkinTextCache(const CxSkinTextCache&) = delete;
    CxSkinTextCache& operator=(const CxSkinTextCache&) = delete;

    // The key of a rendering; empty when the brush is not a plain colour (such a text is not kept).
    static std::wstring KeyOf(const std::wstring& text, const Gdiplus::Font& font, const Gdiplus::StringFormat* format,
                              const Gdiplus::Brush* brush, const Gdiplus::Size& surface, const Gdiplus::SizeF& shown);
    // The entry kept under the key, now the most recently drawn; null when there is none.
    const Entry* Find(const std::wstring& key);
    // Keeps the entry under the key and hands it back; an entry larger than a quarter of the budget is
    // handed back without being kept (the caller draws it once). Older entries go to stay within the budget.
    const Entry* Keep(const std::wstring& key, std::unique_ptr<Entry> entry);
    void Clear();

    std::size_t GetBytes() const { return m_bytes; }
    std::size_t GetCount() const { return m_order.size(); }

private:
    using Order = std::list<std::pair<std::wstring, std::unique_ptr<Entry>>>;

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    // Most recently drawn first.
    Order m_order;
    std::unordered_map<std::wstring, Order::iterator> m_index;
    // The last entry too large to keep, alive until the next one.
    std::unique_ptr<Entry> m_oversized;
};
