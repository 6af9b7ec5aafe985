#include "framework/Exception.h"
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

enum class Start { ReturnFalse, ReturnTrue, ThrowFrameworkError, ThrowStdError };

class CTestApp : public CWinApp {
public:
    explicit CTestApp(Start start) : m_start(start) {}
    Start m_start;
    std::string m_trace;

    BOOL InitInstance() override {
        m_trace += "init;";
        switch (m_start) {
        case Start::ReturnFalse:
            return FALSE;
        case Start::ReturnTrue:
            return TRUE;
        case Start::ThrowFrameworkError:
            throw new CException;
        case Start::ThrowStdError:
            throw std::runtime_error("start-up failed");
        }
        return FALSE;
    }
    int ExitInstance() override {
        m_trace += "exit;";
        return 17;
    }
};

TEST(WinApp, ExitInstanceRunsAfterEveryReturnOfInitInstanceAndGivesTheExitCode) {
    for (Start start : {Start::ReturnFalse, Start::ReturnTrue, Start::ThrowFrameworkError, Start::ThrowStdError}) {
        SCOPED_TRACE(static_cast<int>(start));
        CTestApp app(start);
        EXPECT_EQ(AfxGetApp(), &app);
        wchar_t commandLine[] = L"/d /q";
        EXPECT_EQ(app.Run(::GetModuleHandleW(nullptr), commandLine, SW_SHOW), 17);
        EXPECT_EQ(app.m_trace, "init;exit;");
        EXPECT_STREQ(app.m_lpCmdLine, L"/d /q");
    }
}

TEST(WinApp, TheLatestLivingAppIsTheApp) {
    EXPECT_EQ(AfxGetApp(), nullptr);
    CTestApp first(Start::ReturnFalse);
    {
        CTestApp second(Start::ReturnFalse);
        EXPECT_EQ(AfxGetApp(), &second);
    }
    EXPECT_EQ(AfxGetApp(), &first);
}

} // namespace
