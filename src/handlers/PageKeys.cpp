#include "handlers/PageKeys.h"

#include <cmath>
#include <limits>

#include "app/BaseHandler.h"
#include "app/IMainHandler.h"
#include "driver/IDriverInstance.h"

namespace uintkey {

bool Read(IDriverInstance* driver, const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache,
          uint32_t size) {
    uint32_t read = 0;
    if (!driver || driver->GetProperty(key, &read, kValueUInt, size, nullptr, 0, 0, storeInCache, fromCache) != 0)
        return false;
    value = read;
    return true;
}

int32_t WriteResult(IDriverInstance* driver, const wchar_t* key, uint32_t value) {
    return driver ? driver->SetProperty(key, &value, kValueUInt, kDefaultNumberSize, nullptr, 0, 0) : kDriverNoDevice;
}

bool Write(IDriverInstance* driver, const wchar_t* key, uint32_t value) {
    return WriteResult(driver, key, value) == kDriverOk;
}

bool Changed(IDriverInstance* driver, const wchar_t* key, uint32_t* live, uint32_t size) {
    uint32_t now = 0;
    uint32_t cached = 0;
    Read(driver, key, now, false, false, size);
    Read(driver, key, cached, false, true, size);
    if (live)
        *live = now;
    return now != cached;
}

bool SwitchOrSettingsChanged(IDriverInstance* driver, const wchar_t* switchKey,
                             std::span<const wchar_t* const> settings) {
    uint32_t on = 0;
    if (Changed(driver, switchKey, &on))
        return true;
    if (on == 0)
        return false;
    for (const wchar_t* key : settings) {
        if (Changed(driver, key))
            return true;
    }
    return false;
}

bool WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const wchar_t* switchKey,
                   std::span<const Default> defaults) {
    if (!driver)
        return false;
    uint32_t value = 0;
    if (driver->GetEndpointProperty(endpointCode, switchKey, &value, kValueUInt, kDefaultNumberSize, nullptr, 0, 0,
                                    true, false) == kDriverOk)
        return false;
    for (const Default& row : defaults)
        driver->SetEndpointProperty(endpointCode, row.key, &row.value, row.type, kDefaultNumberSize, nullptr, 0, 0);
    return true;
}

} // namespace uintkey

void AnnounceChange(const CBaseHandler& page, const wchar_t* key, int fromSwitch) {
    if (IMainHandler* main = page.GetMainHandler())
        main->UpdateStatusPanel(key, fromSwitch);
}

int32_t TruncatePosition(float position) {
    if (std::isnan(position))
        return 0;
    const double t = std::trunc(static_cast<double>(position));
    if (t >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (t <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}
