// Thread identity in the stand-in. It starts no threads of its own, so no handle ever
// names a thread.
#include "CallRecord.h"

#include <windows.h>

#include <atomic>

namespace {

// IDs are handed out on a thread's first call, from 4 up in steps of 4 as Windows numbers
// them: never 0, and never the 0xFFFFFFFF that the framework uses for "no ID yet".
std::atomic<DWORD> gNextThreadID{4};

} // namespace

DWORD WINAPI GetCurrentThreadId(void)
{
    thread_local const DWORD id = gNextThreadID.fetch_add(4, std::memory_order_relaxed);
    return kova::posix::CallRecord::Returned("GetCurrentThreadId", id);
}

BOOL WINAPI TerminateThread(HANDLE thread, DWORD exitCode)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return kova::posix::CallRecord::Returned("TerminateThread", FALSE, thread, exitCode);
}
