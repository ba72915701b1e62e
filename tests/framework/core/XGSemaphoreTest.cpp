#include "framework/core/XGSemaphore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

namespace kova {
namespace {

using namespace std::chrono_literals;

/// Enters a semaphore on a thread of its own and tells whether it got in.
class Contender {
public:
    explicit Contender(XGSemaphore& semaphore)
        : fThread([this, &semaphore] {
              semaphore.EnterCritical();
              fEntered = true;
          })
    {
    }

    ~Contender() { fThread.join(); }

    bool HasEntered() const { return fEntered; }

    /// Gives the contender a fair chance to get in; false if it did not.
    bool WaitUntilEntered() const
    {
        for (int i = 0; i < 500 && !fEntered; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        return fEntered;
    }

private:
    std::atomic<bool> fEntered{false};
    std::thread fThread;
};

class SemaphoreCountTest : public testing::TestWithParam<std::uint32_t> {};

TEST_P(SemaphoreCountTest, LetsCountHoldersInAndMakesTheNextOneWait)
{
    XGSemaphore semaphore(GetParam());
    for (std::uint32_t i = 0; i < GetParam(); ++i) {
        semaphore.EnterCritical();
    }
    Contender contender(semaphore);
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(contender.HasEntered());

    semaphore.LeaveCritical();
    EXPECT_TRUE(contender.WaitUntilEntered());
}

INSTANTIATE_TEST_SUITE_P(Counts, SemaphoreCountTest, testing::Values(1u, 3u));

TEST(XGSemaphoreTest, AReleaseWithoutAnEnterIsRefused)
{
    XGSemaphore semaphore(1);
    semaphore.LeaveCritical();
    semaphore.EnterCritical();
    // Still one permit at most: the one just taken was the only one.
    EXPECT_EQ(WaitForSingleObject(semaphore.GetHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    semaphore.LeaveCritical();
    EXPECT_FALSE(ReleaseSemaphore(semaphore.GetHandle(), 1, NULL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
}

TEST(XGSemaphoreTest, ExcludesConcurrentHolders)
{
    // Plain, unsynchronised updates: only the lock keeps them apart (and the thread
    // sanitizer would see a race if it did not).
    XGSemaphore semaphore(1);
    std::int32_t total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&semaphore, &total] {
            for (int i = 0; i < 1000; ++i) {
                semaphore.EnterCritical();
                total = total + 1;
                semaphore.LeaveCritical();
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(total, 4000);
}

TEST(XGSemaphoreTest, ClosesItsHandleOnceOnDestruction)
{
    HANDLE handle;
    {
        XGSemaphore semaphore(1);
        handle = semaphore.GetHandle();
        ASSERT_NE(handle, static_cast<HANDLE>(NULL));
    }
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

} // namespace
} // namespace kova
