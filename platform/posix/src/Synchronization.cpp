// Kernel objects of the stand-in: semaphores with a maximum count, auto- and manual-reset
// events, waiting on them with or without a time limit, and closing their handles.
#include "CallRecord.h"
#include "Process.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

using kova::posix::CallRecord;

namespace {

/// What a handle stands for. A waiter holds the object while it waits, so closing the last
/// handle meanwhile does not pull it from under the waiter.
class KernelObject {
public:
    virtual ~KernelObject() = default;

    /// Called with fMutex held: takes the object if it is signalled (a semaphore's permit,
    /// an auto-reset event's signal) and says whether it did.
    virtual bool TryTake() = 0;

    std::mutex fMutex;
    std::condition_variable fSignalled;
};

class Semaphore final : public KernelObject {
public:
    Semaphore(LONG count, LONG maximum) : fCount(count), fMaximum(maximum) {}

    bool TryTake() override
    {
        if (fCount == 0) {
            return false;
        }
        --fCount;
        return true;
    }

    LONG fCount;
    const LONG fMaximum;
};

class Event final : public KernelObject {
public:
    Event(bool manualReset, bool signalled) : fManualReset(manualReset), fIsSignalled(signalled) {}

    bool TryTake() override
    {
        if (!fIsSignalled) {
            return false;
        }
        if (!fManualReset) {
            fIsSignalled = false;
        }
        return true;
    }

    const bool fManualReset;
    bool fIsSignalled;
};

/// The live handles. A handle is the address of its object, and only handles found here are
/// used, so a stale or made-up handle is reported instead of followed.
class HandleTable {
public:
    HANDLE Add(std::shared_ptr<KernelObject> object)
    {
        HANDLE handle = object.get();
        std::lock_guard<std::mutex> lock(fMutex);
        fObjects.emplace(handle, std::move(object));
        return handle;
    }

    std::shared_ptr<KernelObject> Find(HANDLE handle)
    {
        std::lock_guard<std::mutex> lock(fMutex);
        auto found = fObjects.find(handle);
        return found != fObjects.end() ? found->second : nullptr;
    }

    bool Remove(HANDLE handle)
    {
        std::lock_guard<std::mutex> lock(fMutex);
        return fObjects.erase(handle) != 0;
    }

private:
    std::mutex fMutex;
    std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> fObjects;
};

HandleTable& Handles()
{
    // Never destroyed: the framework creates kernel objects while its modules are built,
    // before this file's own globals would be, and closes them after those would be gone.
    static HandleTable* const table = new HandleTable;
    return *table;
}

template <class Object>
std::shared_ptr<Object> FindObject(HANDLE handle)
{
    std::shared_ptr<Object> object = std::dynamic_pointer_cast<Object>(Handles().Find(handle));
    if (object == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return object;
}

HANDLE NewSemaphore(LONG initialCount, LONG maximumCount, LPCSTR name)
{
    // Named objects, shared between processes, are not part of the stand-in.
    if (name != NULL || maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    return Handles().Add(std::make_shared<Semaphore>(initialCount, maximumCount));
}

BOOL Release(HANDLE semaphore, LONG releaseCount, LPLONG previousCount)
{
    std::shared_ptr<Semaphore> object = FindObject<Semaphore>(semaphore);
    if (object == nullptr) {
        return FALSE;
    }
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(object->fMutex);
    // A release that would raise the count above the maximum is refused whole.
    if (releaseCount > object->fMaximum - object->fCount) {
        SetLastError(ERROR_TOO_MANY_POSTS);
        return FALSE;
    }
    if (previousCount != NULL) {
        *previousCount = object->fCount;
    }
    object->fCount += releaseCount;
    object->fSignalled.notify_all();
    return TRUE;
}

HANDLE NewEvent(BOOL manualReset, BOOL initialState, LPCSTR name)
{
    if (name != NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    return Handles().Add(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

BOOL Set(HANDLE event)
{
    std::shared_ptr<Event> object = FindObject<Event>(event);
    if (object == nullptr) {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(object->fMutex);
    object->fIsSignalled = true;
    object->fSignalled.notify_all();
    return TRUE;
}

BOOL Reset(HANDLE event)
{
    std::shared_ptr<Event> object = FindObject<Event>(event);
    if (object == nullptr) {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(object->fMutex);
    object->fIsSignalled = false;
    return TRUE;
}

DWORD Wait(HANDLE handle, DWORD milliseconds)
{
    std::shared_ptr<KernelObject> object = FindObject<KernelObject>(handle);
    if (object == nullptr) {
        return WAIT_FAILED;
    }
    std::unique_lock<std::mutex> lock(object->fMutex);
    const auto taken = [&object] { return object->TryTake(); };
    if (milliseconds == INFINITE) {
        object->fSignalled.wait(lock, taken);
        return WAIT_OBJECT_0;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return object->fSignalled.wait_until(lock, deadline, taken) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL Close(HANDLE handle)
{
    if (!Handles().Remove(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

} // namespace

HANDLE kova::posix::NewProcessHandle()
{
    return Handles().Add(std::make_shared<Event>(true, false));
}

// The entry points, each recorded when a record of the calls is kept.

HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES attributes, LONG initialCount,
                               LONG maximumCount, LPCSTR name)
{
    return CallRecord::Returned("CreateSemaphoreA", NewSemaphore(initialCount, maximumCount, name),
                                attributes, initialCount, maximumCount, CallRecord::Text{name});
}

BOOL WINAPI ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount)
{
    return CallRecord::Returned("ReleaseSemaphore", Release(semaphore, releaseCount, previousCount),
                                semaphore, releaseCount, CallRecord::Out<LONG>{previousCount});
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                           LPCSTR name)
{
    return CallRecord::Returned("CreateEventA", NewEvent(manualReset, initialState, name),
                                attributes, manualReset, initialState, CallRecord::Text{name});
}

BOOL WINAPI SetEvent(HANDLE event)
{
    return CallRecord::Returned("SetEvent", Set(event), event);
}

BOOL WINAPI ResetEvent(HANDLE event)
{
    return CallRecord::Returned("ResetEvent", Reset(event), event);
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return CallRecord::Returned("WaitForSingleObject", Wait(handle, milliseconds), handle,
                                milliseconds);
}

BOOL WINAPI CloseHandle(HANDLE handle)
{
    return CallRecord::Returned("CloseHandle", Close(handle), handle);
}
