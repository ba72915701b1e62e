#include "framework/core/XGThread.h"

#include "framework/core/KOVAModules.h"
#include "framework/core/XGKOVAThreadError.h"
#include "framework/core/XGSemaphore.h"

namespace kova {

namespace {

// Guards the list, the count and the application thread's ID. Built before gAppThread,
// whose construction and destruction take it, and therefore destroyed after it.
XGSemaphore gListCritical KOVA_MODULE_INIT(XGThread){1};

} // namespace

// Constant-initialised, so the first record finds the mark whenever it is built.
DWORD GAppThreadID = 0xFFFFFFFF;
XGThread* XGThread::gList = nullptr;
std::uint32_t XGThread::gCount = 0;

XGThread XGThread::gAppThread KOVA_MODULE_INIT(XGThread);

XGThread::XGThread() : fRefCount(0), fNext(nullptr), fThread(NULL), fThreadID(0)
{
    // Records may be built on several threads at once, and one may be destroyed while
    // another is built: the list, the count and the ID are only touched under the lock.
    gListCritical.EnterCritical();
    fNext = gList;
    gList = this;
    ++gCount;
    // The first record ever built fixes the application thread's ID; every record built
    // here carries that ID, whichever thread builds it.
    if (GAppThreadID == 0xFFFFFFFF) {
        GAppThreadID = GetCurrentThreadId();
    }
    fThreadID = GAppThreadID;
    gListCritical.LeaveCritical();
}

XGThread::~XGThread()
{
    // NOTE: Kill would give up a hold here, and the last hold deletes the record, which
    // is already being destroyed; ending the thread directly destroys it exactly once.
    if (fThread != NULL) {
        EndThread();
    }
    gListCritical.EnterCritical();
    --gCount;
    if (gList == this) {
        gList = fNext;
    } else {
        for (XGThread* record = gList; record != nullptr; record = record->fNext) {
            if (record->fNext == this) {
                record->fNext = fNext;
                break;
            }
        }
    }
    gListCritical.LeaveCritical();
}

bool XGThread::HasThreadManager()
{
    return true;
}

void XGThread::Kill()
{
    if (!HasThreadManager()) {
        throw XGKOVAThreadError("XGThread::XGThread: thread manager not present");
    }
    if (fThread == NULL) {
        return;
    }
    EndThread();
    if (--fRefCount == 0) {
        delete this;
    }
}

void XGThread::EndThread()
{
    TerminateThread(fThread, 0);
    CloseHandle(fThread);
    fThread = NULL;
}

} // namespace kova
