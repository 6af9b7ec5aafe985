#pragma once
// Rectangles compare and print whole in expectations. RECT lives in the global namespace, so these must too
// for the lookup to find them.

#include <windows.h>

#include <ostream>

inline bool operator==(const RECT& a, const RECT& b) {
    return ::EqualRect(&a, &b) != FALSE;
}

inline void PrintTo(const RECT& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
