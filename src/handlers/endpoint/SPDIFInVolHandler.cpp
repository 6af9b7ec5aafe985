#include "handlers/endpoint/SPDIFInVolHandler.h"

#include "handlers/endpoint/VolumePageServices.h"

void CSPDIFInVolHandler::InitControls() {
    if (!PageServices().IsVistaOrLater())
        DisableChannelControls();
    CVolHandler::InitControls();
}
