#include "markup/SharedText.h"

#include <functional>
#include <mutex>
#include <set>

namespace {

struct Pool {
    std::mutex lock;
    std::set<std::wstring, std::less<>> texts; // nodes never move: handed-out references stay valid
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
