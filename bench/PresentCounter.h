#pragma once
// Counts the layered window's presents of this program and the pixels each one pushes: the program's own
// calls of UpdateLayeredWindow and UpdateLayeredWindowIndirect go through counting stand-ins put into this
// executable's import table.
#include <windows.h>

namespace oc::bench {

class PresentCounter {
public:
    // Puts the stand-ins in place of whichever of the two functions the executable imports; false when it
    // imports neither.
    static bool Install();

    static int Presents();
    // Pixels pushed so far: a dirty rectangle's when the present names one, else the whole window's.
    static double Pixels();
};

} // namespace oc::bench
