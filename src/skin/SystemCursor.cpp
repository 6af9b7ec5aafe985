#include "skin/SystemCursor.h"

#include <map>
#include <mutex>

HCURSOR xSkinSystemCursor(LPCWSTR id) {
    static std::mutex lock;
    static std::map<ULONG_PTR, HCURSOR> found;
    const std::lock_guard hold(lock);
    HCURSOR& cursor = found[reinterpret_cast<ULONG_PTR>(id)];
    if (!cursor)
        cursor = static_cast<HCURSOR>(::LoadImageW(nullptr, id, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    return cursor;
}
