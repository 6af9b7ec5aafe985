#include "framework/Exception.h"
#include "framework/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

std::atomic<int> g_done{0};

UINT SlowWorker(LPVOID param) {
    ::Sleep(100);
    g_done = *static_cast<int*>(param);
    return 9;
}

UINT ThrowingWorker(LPVOID) {
    throw new CException;
}

TEST(WorkerThread, JoinWaitsForTheWorkerAndGivesItsResult) {
    g_done = 0;
    int value = 5;
    auto thread = AfxBeginThread(&SlowWorker, &value);
    ASSERT_NE(thread, nullptr);
    EXPECT_FALSE(thread->Join(0));
    EXPECT_TRUE(thread->Join());
    EXPECT_EQ(g_done, 5);
    DWORD code = 0;
    ASSERT_TRUE(thread->GetExitCode(&code));
    EXPECT_EQ(code, 9u);
}

TEST(WorkerThread, TheOwnerWaitsForTheWorkerWhenItGoes) {
    g_done = 0;
    int value = 6;
    auto thread = AfxBeginThread(&SlowWorker, &value);
    ASSERT_NE(thread, nullptr);
    thread.reset();
    EXPECT_EQ(g_done, 6);
}

TEST(WorkerThread, SuspendedWorkerRunsOnResumeAndAThrowingOneIsContained) {
    g_done = 0;
    int value = 7;
    auto suspended = AfxBeginThread(&SlowWorker, &value, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(suspended, nullptr);
    EXPECT_FALSE(suspended->Join(200));
    suspended->Resume();
    EXPECT_TRUE(suspended->Join());
    EXPECT_EQ(g_done, 7);

    auto throwing = AfxBeginThread(&ThrowingWorker, nullptr);
    ASSERT_NE(throwing, nullptr);
    EXPECT_TRUE(throwing->Join());
    DWORD code = 0;
    ASSERT_TRUE(throwing->GetExitCode(&code));
    EXPECT_EQ(code, static_cast<DWORD>(-1));
}

} // namespace
