#include "markup/LytFailure.h"

#ifdef _WIN32
#include "skin/SkinControlsException.h"
#endif

bool LytAbsorbSetterFailure() noexcept {
    try {
        throw;
    } catch (const CLytSetterFailure&) {
        return true;
#ifdef _WIN32
    } catch (CxSkinControlsException* failure) {
        if (failure)
            failure->Delete();
        return true;
#endif
    } catch (...) {
        return false;
    }
}
