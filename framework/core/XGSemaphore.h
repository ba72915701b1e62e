/// A counting semaphore used as a lock: EnterCritical takes a permit, LeaveCritical gives
/// one back. With a count of 1 it is a non-reentrant lock that no thread owns.
#ifndef KOVA_FRAMEWORK_CORE_XGSEMAPHORE_H
#define KOVA_FRAMEWORK_CORE_XGSEMAPHORE_H

#include <windows.h>

#include <cstdint>

namespace kova {

class XGSemaphore {
public:
    /// Starts with all `count` permits free; it never holds more than `count`. A failed
    /// creation leaves the handle null: the framework's semaphores are built before the
    /// entry runs, where nothing could report it. Such a semaphore excludes nobody: the
    /// system refuses both the wait and the release on a null handle, and both return.
    explicit XGSemaphore(std::uint32_t count);
    virtual ~XGSemaphore();

    XGSemaphore(const XGSemaphore&) = delete;
    XGSemaphore& operator=(const XGSemaphore&) = delete;

    /// Waits without time limit for a free permit and takes it.
    void EnterCritical();
    /// Gives one permit back; a release above the count is refused by the system.
    void LeaveCritical();

    HANDLE GetHandle() const { return fHandle; }

private:
    HANDLE fHandle;
};

} // namespace kova

#endif
