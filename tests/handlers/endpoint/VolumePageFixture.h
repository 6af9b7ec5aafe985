#pragma once
// A volume page as the program shows it: the shipped page fixture with the driver and page services of
// VolumeTestSupport.h behind the handler, and the settings file the page reads.

#include <gtest/gtest.h>

#include <string>

#include "../ShippedPageFixture.h"
#include "TestPaths.h"
#include "VolumeTestSupport.h"
#include "app/AppSettings.h"
#include "handlers/endpoint/VolHandler.h"

namespace oc::test {

class VolumePageTest : public ShippedPageTest {
protected:
    void SetUp() override {
        services.m_driver = &driver;
        pages.m_settings = &settings;
        ShippedPageTest::SetUp();
    }

    // Loads apo<panel>.lyt with a new handler of the class; the page makes its first reads as it loads.
    template <class Handler> Handler* Open(const std::wstring& panel) {
        auto* handler = new Handler;
        handler->SetServices(&services);
        handler->SetPageServices(&pages);
        LoadPage(panel, handler);
        page = handler;
        return handler;
    }
    float Pos(const std::wstring& name) const { return SliderPos(name, -1.0f); }
    POINT Pos2(const std::wstring& name) const {
        CxSkinCtrl* control = Control(name);
        return control ? control->GetPos() : POINT{-1, -1};
    }

    TempDir data;
    CAppSettings settings{(data / "setting.ini").wstring()};
    VolumeDriver driver;
    TestServices services;
    RecordingPageServices pages;
    CVolHandler* page = nullptr;
};

} // namespace oc::test
