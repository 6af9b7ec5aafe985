#pragma once
// Failures of skin setters as the markup model contains them. The toolkit throws its exception as a
// pointer made with `new`; the model's own code and its test doubles throw CLytSetterFailure by value.
// Neither may leave a load: unwinding through a window procedure is not safe on x64 Windows.
#include <string>

struct CLytSetterFailure {
    std::wstring message;
};

// Call only inside a catch block. When the exception in flight is a setter failure (either kind), frees
// it and answers true; anything else answers false and is left for the caller to rethrow.
bool LytAbsorbSetterFailure() noexcept;

// Runs `apply` (returning int); a setter failure inside counts as a recognised attribute (1).
template <class Apply> int LytGuardAttribute(Apply&& apply) {
    try {
        return apply();
    } catch (...) {
        if (!LytAbsorbSetterFailure())
            throw;
        return 1;
    }
}
