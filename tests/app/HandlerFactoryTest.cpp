// Which class the handler factory picks for a name: the order of its rows, equal against contains
// matching, case, and creation through rows that have (or lack) a class.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "HandlerTestSupport.h"
#include "app/HandlerFactory.h"

using namespace oc::test;

namespace {

std::wstring ClassFor(const std::wstring& name) {
    const HandlerRow* row = FindHandlerRow(name, HandlerTable());
    return row ? row->className : L"(none)";
}

TEST(HandlerFactory, PicksTheFirstRowThatMatches) {
    struct Case {
        const wchar_t* name;
        const wchar_t* className;
    };
    const Case cases[] = {
        {L"MainWindow", L"CMainHandler"},
        // A longer name is its own row, while a Quarter twin may share its row.
        {L"SpeakerEQ", L"CSpeakerEQHandler"},
        {L"SpeakerQuarterEQ", L"CSpeakerQuarterEQHandler"},
        {L"SpeakerVol", L"CSpeakerVolHandler"},
        {L"SpeakerQuarterVol", L"CSpeakerVolHandler"},
        {L"HeadPhoneHWEQ", L"CSpeakerHWEQHandler"},
        {L"DesktopMicVol", L"CMicrophoneVolHandler"},
        {L"DesktopMicSamplingRate", L"CMicInSamplingRateHandler"},
        {L"DesktopMicVimoMagicVoice", L"CMicInKaraokeHandler"},
        {L"DialogInfo", L"CInfoHandler(1)"},
        {L"DialogInfo_DetailWindow", L"CInfoHandler(0)"},
        // Contains rows: anywhere in the name, but behind every earlier row.
        {L"MicInAGC", L"CAGCHandler"},
        {L"AGC", L"CAGCHandler"},
        {L"HeadPhoneVimoSmartVolume", L"CVimoSmartVolHandler"},
        {L"SpeakerVimoSmartVolumeAGC", L"CVimoSmartVolHandler"},
        // Equal rows need the whole name, in its case.
        {L"XSpeakerEQ", L"(none)"},
        {L"SpeakerEQ ", L"(none)"},
        {L"mainwindow", L"(none)"},
        {L"SPEAKERVOL", L"(none)"},
        {L"agc", L"(none)"},
        {L"DialogInfo_Legal", L"(none)"},
        {L"MainContent", L"(none)"},
        {L"FrameContent", L"(none)"},
        {L"", L"(none)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "name \"" << std::string(c.name, c.name + wcslen(c.name)) << "\"");
        EXPECT_EQ(ClassFor(c.name), c.className);
    }
}

// No row may hide a later one: every name of the table reaches its own row.
TEST(HandlerFactory, EveryListedNameReachesItsOwnRow) {
    for (const HandlerRow& row : HandlerTable()) {
        for (const wchar_t* name : row.names) {
            if (!name)
                break;
            SCOPED_TRACE(testing::Message() << std::string(name, name + wcslen(name)));
            EXPECT_EQ(FindHandlerRow(name, HandlerTable()), &row);
        }
    }
}

IHandler* MakeTestHandler() {
    return new TestHandler(L"Made");
}
IHandler* OutOfMemory() {
    throw std::bad_alloc();
}

TEST(HandlerFactory, CreatesThroughTheRowsClassOnly) {
    const HandlerRow table[] = {
        {{L"Missing"}, HandlerMatch::Equal, L"CMissing", nullptr},
        {{L"Made", L"AlsoMade"}, HandlerMatch::Equal, L"TestHandler", &MakeTestHandler},
        {{L"Full"}, HandlerMatch::Equal, L"CFull", &OutOfMemory},
        {{L"Made"}, HandlerMatch::Contains, L"Later", &OutOfMemory},
    };
    IHandler* made = CreateHandlerFrom(L"AlsoMade", table);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetName(), L"Made");
    made->Release();

    EXPECT_EQ(CreateHandlerFrom(L"Missing", table), nullptr); // a row whose class is not there yet
    EXPECT_EQ(CreateHandlerFrom(L"Full", table), nullptr);    // memory ran out
    EXPECT_EQ(CreateHandlerFrom(L"Unknown", table), nullptr); // no row at all
    EXPECT_EQ(CreateHandlerFrom(L"XMadeX", table), nullptr);  // the contains row's class fails
}

} // namespace
