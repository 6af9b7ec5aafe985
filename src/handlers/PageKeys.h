#pragma once
// What the panel pages share when they touch the driver's keys. Most page settings are unsigned numbers of
// the default width under a key of the current endpoint: read and written, polled live against the value
// the driver cached from this program's last read or write, and given start-up defaults on an endpoint that
// has never had the effect. A page announces every change to the main window's status panel.

#include <cstdint>
#include <span>

#include "driver/PropertyValue.h"

class CBaseHandler;
class IDriverInstance;

// The channel count ("DevChannelNumControl") travels as a 16-bit number: read with this size it lands in
// the low half of an unsigned place.
inline constexpr uint32_t kChannelCountSize = sizeof(uint16_t);

namespace uintkey {

// Reads the key as an unsigned number (kValueUInt) of `size` bytes: the default 4, or 2 for the 16-bit
// channel count, which lands in the low half. A failed read, or none without a driver object, leaves the
// place as it was.
bool Read(IDriverInstance* driver, const wchar_t* key, uint32_t& value, bool storeInCache, bool fromCache,
          uint32_t size = kDefaultNumberSize);
// The driver's answer to the write (kDriverOk when it took it); kDriverNoDevice without a driver object.
int32_t WriteResult(IDriverInstance* driver, const wchar_t* key, uint32_t value);
// Whether the driver took the write.
bool Write(IDriverInstance* driver, const wchar_t* key, uint32_t value);

// The live value (read first) against the cached one; an unreadable value counts as 0. `live`, when given,
// receives the live value.
bool Changed(IDriverInstance* driver, const wchar_t* key, uint32_t* live = nullptr, uint32_t size = kDefaultNumberSize);
// The poll of an effect page: its switch changed, or, while the switch reads on, one of its settings did.
// Settings behind a switch that is off are not shown as live, so their changes do not matter yet.
bool SwitchOrSettingsChanged(IDriverInstance* driver, const wchar_t* switchKey,
                             std::span<const wchar_t* const> settings);

// One start-up default: a number of the default width, unsigned unless the row says otherwise.
struct Default {
    const wchar_t* key;
    uint32_t value;
    int32_t type = kValueUInt;
};
// The start-up defaults of one endpoint: nothing where its switch key can be read (the device has been set
// up before); otherwise every row is written, in order, whatever the driver answers. True when written.
bool WriteDefaults(IDriverInstance* driver, int32_t endpointCode, const wchar_t* switchKey,
                   std::span<const Default> defaults);

} // namespace uintkey

// Tells the main window's status panel (when the page sits in the main window) that the key changed;
// fromSwitch marks an effect's switch.
void AnnounceChange(const CBaseHandler& page, const wchar_t* key, int fromSwitch);

// A slider position as a whole number: truncated toward zero, NaN as 0, and positions beyond the 32-bit
// range held at its ends.
int32_t TruncatePosition(float position);
