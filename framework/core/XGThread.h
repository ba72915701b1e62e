/// The framework's record of a thread of execution. Every live record is on one list; the
/// application (main) thread's record is built at start-up and lives until exit.
#ifndef KOVA_FRAMEWORK_CORE_XGTHREAD_H
#define KOVA_FRAMEWORK_CORE_XGTHREAD_H

#include <windows.h>

#include <cstdint>

namespace kova {

/// The application thread's ID; 0xFFFFFFFF until the first record takes it.
extern DWORD GAppThreadID;

class XGThread {
public:
    /// A record for the application thread, whichever thread builds it.
    XGThread();
    /// Ends a controlled thread, then unlinks and uncounts the record.
    virtual ~XGThread();

    XGThread(const XGThread&) = delete;
    XGThread& operator=(const XGThread&) = delete;

    static bool HasThreadManager();

    /// Forcibly ends the controlled thread, without waiting for it, and gives up one hold
    /// on the record: the last hold deletes it. A record without a thread is left as it is.
    void Kill();

protected:
    static XGThread gAppThread;

    std::int32_t fRefCount;
    XGThread* fNext;
    HANDLE fThread;
    DWORD fThreadID;

private:
    /// Terminates the thread and closes its handle; the record forgets it either way.
    void EndThread();

    static XGThread* gList;
    static std::uint32_t gCount;

    friend struct XGThreadTestAccess;
};

} // namespace kova

#endif
