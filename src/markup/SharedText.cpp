#include "markup/SharedText.h"

#include <functional>
#include <mutex>
#include <unordered_set>

namespace {

// Searched with a view of the text, so that looking a text up makes no string of it.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const noexcept { return std::hash<std::wstring_view>{}(text); }
};

struct Pool {
    std::mutex lock;
    // Hashed rather than ordered: a profile load asks for a thousand texts or more. Nodes never move when
    // the table grows, so handed-out references stay valid.
    std::unordered_set<std::wstring, TextHash, std::equal_to<>> texts;
};

Pool& ThePool() {
    static Pool* pool = new Pool; // never destroyed: documents released at exit may still point into it
    return *pool;
}

} // namespace

const std::wstring& CSharedText::Intern(std::wstring_view text) {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> hold(pool.lock);
    auto found = pool.texts.find(text);
    if (found == pool.texts.end())
        found = pool.texts.emplace(text).first;
    return *found;
}

const std::wstring& CSharedText::Empty() {
    static const std::wstring& empty = Intern({});
    return empty;
}

std::size_t CSharedText::GetCount() {
    Pool& pool = ThePool();
    const std::lock_guard<std::mutex> hold(pool.lock);
    return pool.texts.size();
}
