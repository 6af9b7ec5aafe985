#include "handlers/endpoint/SPDIFOutSettingHandler.h"

#include "driver/IDriverInstance.h"
#include "handlers/PageKeys.h"
#include "skin/LayerWnd.h"

void CSPDIFOutSettingHandler::InitControls() {
    CSettingHandler::InitControls();
    uint32_t channels = 0;
    if (ReadUnsigned(L"DevChannelNumControl", channels, kChannelCountSize, true))
        m_channels = static_cast<int>(channels);
    if (m_channels == 2)
        CheckButton(L"Channels2", 1, FALSE);
    IDriverInstance* driver = GetDriver();
    if (driver && driver->IsFeatureSupported(L"SPDIFOutSpaceline")) {
        uint32_t copy = 0;
        if (ReadUnsigned(L"Enable_Channel_COPY_LFX", copy, kDefaultNumberSize, true))
            CheckButton(L"ChannelCopy", copy == 1 ? 1 : 0, FALSE);
    } else {
        ShowControl(L"Canvas_ChannelCopy", false, TRUE);
    }
    if (m_owner)
        m_owner->Invalidate(FALSE);
}
