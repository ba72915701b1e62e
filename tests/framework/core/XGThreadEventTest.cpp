#include "framework/core/XGThreadEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ostream>
#include <thread>

namespace kova {
namespace {

using namespace std::chrono_literals;

constexpr DWORD kSignalled = WAIT_OBJECT_0;
constexpr DWORD kTimedOut = WAIT_TIMEOUT;

struct EventCase {
    bool manualReset;
    bool initialState;
};

void PrintTo(const EventCase& c, std::ostream* out)
{
    *out << (c.manualReset ? "manual reset, " : "auto reset, ")
         << (c.initialState ? "signalled" : "not signalled");
}

class ThreadEventTest : public testing::TestWithParam<EventCase> {};

TEST_P(ThreadEventTest, StartsAsAskedAndResetsAsItsKindDoes)
{
    const EventCase& c = GetParam();
    XGThreadEvent event(c.manualReset, c.initialState);
    const HANDLE handle = event.GetHandle();
    ASSERT_NE(handle, static_cast<HANDLE>(NULL));

    EXPECT_EQ(WaitForSingleObject(handle, 0), c.initialState ? kSignalled : kTimedOut);
    EXPECT_TRUE(SetEvent(handle));
    EXPECT_EQ(WaitForSingleObject(handle, 0), kSignalled);
    // An auto-reset event lets one wait through; a manual-reset one stays signalled.
    EXPECT_EQ(WaitForSingleObject(handle, 0), c.manualReset ? kSignalled : kTimedOut);
    EXPECT_TRUE(ResetEvent(handle));
    EXPECT_EQ(WaitForSingleObject(handle, 0), kTimedOut);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ThreadEventTest,
                         testing::Values(EventCase{false, false}, EventCase{false, true},
                                         EventCase{true, false}, EventCase{true, true}));

TEST(XGThreadEventTest, AWaitWithATimeLimitEndsWhenItRunsOut)
{
    XGThreadEvent event(false, false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event.GetHandle(), 60), kTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
}

TEST(XGThreadEventTest, SettingTheEventReleasesAWaitingThread)
{
    XGThreadEvent event(false, false);
    std::atomic<DWORD> result{WAIT_FAILED};
    std::thread waiter([&] { result = WaitForSingleObject(event.GetHandle(), INFINITE); });
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(result, static_cast<DWORD>(WAIT_FAILED));
    SetEvent(event.GetHandle());
    waiter.join();
    EXPECT_EQ(result, kSignalled);
}

TEST(XGThreadEventTest, ClosesItsHandleOnceOnDestruction)
{
    HANDLE handle;
    {
        XGThreadEvent event(true, true);
        handle = event.GetHandle();
    }
    EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
} // namespace kova
