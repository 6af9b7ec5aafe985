// A tiny DLL loaded from a subfolder by the platform test, as the program loads the device libraries.
#include <string>

extern "C" __declspec(dllexport) int SmokeTwice(int value) {
    // Touch the C++ runtime so a dynamically linked libstdc++ would show up as an import.
    std::string text = std::to_string(value);
    return static_cast<int>(text.size()) > 0 ? value * 2 : 0;
}
