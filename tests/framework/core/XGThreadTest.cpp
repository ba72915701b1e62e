#include "framework/core/XGThread.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace kova {

struct XGThreadTestAccess {
    static XGThread* Head() { return XGThread::gList; }
    static std::uint32_t Count() { return XGThread::gCount; }
    static XGThread& AppThread() { return XGThread::gAppThread; }
    static XGThread* Next(const XGThread& record) { return record.fNext; }
    static HANDLE Thread(const XGThread& record) { return record.fThread; }
    static DWORD ThreadID(const XGThread& record) { return record.fThreadID; }
    static std::int32_t RefCount(const XGThread& record) { return record.fRefCount; }

    /// Makes the record control `thread`, held `holds` times.
    static void Control(XGThread& record, HANDLE thread, std::int32_t holds)
    {
        record.fThread = thread;
        record.fRefCount = holds;
    }

    /// Takes the record off the list behind its back.
    static void Detach(XGThread& record)
    {
        for (XGThread** link = &XGThread::gList; *link != nullptr; link = &(*link)->fNext) {
            if (*link == &record) {
                *link = record.fNext;
                return;
            }
        }
    }
};

namespace {

using Access = XGThreadTestAccess;

std::vector<const XGThread*> List()
{
    std::vector<const XGThread*> records;
    for (const XGThread* record = Access::Head(); record != nullptr;
         record = Access::Next(*record)) {
        records.push_back(record);
    }
    return records;
}

/// A handle the record can be made to control: ending a "thread" that is really an event
/// fails harmlessly, and closing it can be observed.
HANDLE ClosableHandle()
{
    return CreateEventA(NULL, TRUE, FALSE, NULL);
}

bool IsClosed(HANDLE handle)
{
    return CloseHandle(handle) == FALSE &&
           GetLastError() == static_cast<DWORD>(ERROR_INVALID_HANDLE);
}

TEST(XGThreadTest, StartUpLeavesTheApplicationThreadAloneOnTheList)
{
    const XGThread& app = Access::AppThread();
    EXPECT_EQ(List(), std::vector<const XGThread*>{&app});
    EXPECT_EQ(Access::Count(), 1u);
    EXPECT_EQ(GAppThreadID, GetCurrentThreadId());
    EXPECT_EQ(Access::ThreadID(app), GAppThreadID);
    EXPECT_EQ(Access::Thread(app), static_cast<HANDLE>(NULL));
}

TEST(XGThreadTest, ARecordBuiltOnAnotherThreadCarriesTheApplicationThreadsID)
{
    DWORD recordID = 0;
    DWORD builderID = 0;
    std::thread builder([&] {
        XGThread record;
        recordID = Access::ThreadID(record);
        builderID = GetCurrentThreadId();
    });
    builder.join();
    EXPECT_EQ(recordID, GAppThreadID);
    EXPECT_NE(builderID, GAppThreadID);
    EXPECT_EQ(Access::Count(), 1u);
}

TEST(XGThreadTest, RecordsBuiltAndDestroyedOnManyThreadsKeepTheListWhole)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) {
                XGThread first;
                XGThread second;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(List(), std::vector<const XGThread*>{&Access::AppThread()});
    EXPECT_EQ(Access::Count(), 1u);
}

enum class Position { Head, Middle, End, Absent };

class UnlinkTest : public testing::TestWithParam<Position> {};

TEST_P(UnlinkTest, DestroyingARecordLeavesTheOthersInTheirOrder)
{
    // Records go in at the head: the list reads c, b, a, then the application thread.
    auto a = std::make_unique<XGThread>();
    auto b = std::make_unique<XGThread>();
    auto c = std::make_unique<XGThread>();
    const XGThread* app = &Access::AppThread();
    ASSERT_EQ(List(), (std::vector<const XGThread*>{c.get(), b.get(), a.get(), app}));

    std::vector<const XGThread*> expected;
    switch (GetParam()) {
    case Position::Head:
        c.reset();
        expected = {b.get(), a.get(), app};
        break;
    case Position::Middle:
        b.reset();
        expected = {c.get(), a.get(), app};
        break;
    case Position::End:
        a.reset();
        expected = {c.get(), b.get(), app};
        break;
    case Position::Absent:
        Access::Detach(*b);
        b.reset();
        expected = {c.get(), a.get(), app};
        break;
    }
    EXPECT_EQ(List(), expected);
    EXPECT_EQ(Access::Count(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Positions, UnlinkTest,
                         testing::Values(Position::Head, Position::Middle, Position::End,
                                         Position::Absent));

TEST(XGThreadTest, KillOnTheApplicationThreadChangesNothing)
{
    XGThread& app = Access::AppThread();
    EXPECT_NO_THROW(app.Kill());
    EXPECT_EQ(Access::Thread(app), static_cast<HANDLE>(NULL));
    EXPECT_EQ(Access::RefCount(app), 0);
    EXPECT_EQ(List(), std::vector<const XGThread*>{&app});
    EXPECT_EQ(Access::Count(), 1u);
}

TEST(XGThreadTest, KillClosesTheThreadAndTheLastHoldDeletesTheRecord)
{
    XGThread* record = new XGThread;
    const HANDLE first = ClosableHandle();
    Access::Control(*record, first, 2);

    record->Kill();
    EXPECT_TRUE(IsClosed(first));
    EXPECT_EQ(Access::Thread(*record), static_cast<HANDLE>(NULL));
    EXPECT_EQ(Access::RefCount(*record), 1);
    EXPECT_EQ(Access::Count(), 2u);

    const HANDLE second = ClosableHandle();
    Access::Control(*record, second, 1);
    record->Kill();
    EXPECT_TRUE(IsClosed(second));
    EXPECT_EQ(List(), std::vector<const XGThread*>{&Access::AppThread()});
    EXPECT_EQ(Access::Count(), 1u);
}

TEST(XGThreadTest, DestroyingARecordThatControlsAThreadDestroysItOnce)
{
    // Kill would let the last hold delete the record from inside its own destructor.
    XGThread* record = new XGThread;
    const HANDLE thread = ClosableHandle();
    Access::Control(*record, thread, 1);

    delete record;
    EXPECT_TRUE(IsClosed(thread));
    EXPECT_EQ(List(), std::vector<const XGThread*>{&Access::AppThread()});
    EXPECT_EQ(Access::Count(), 1u);
}

} // namespace
} // namespace kova
