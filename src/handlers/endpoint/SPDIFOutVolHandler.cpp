#include "handlers/endpoint/SPDIFOutVolHandler.h"

#include "driver/IDriverInstance.h"

namespace {

constexpr int kSPDIFOut = 4;

} // namespace

void CSPDIFOutVolHandler::InitControls() {
    IDriverInstance* driver = GetDriver();
    float value = 0.0f;
    int channel = -1;
    if (!driver ||
        driver->GetEndpointProperty(kSPDIFOut, L"VolumeScalarControl", &value, kValueFloat, kDefaultNumberSize,
                                    &channel, kValueInt, kDefaultNumberSize, true, false) != 0)
        DisableChannelControls();
    CVolHandler::InitControls();
}
