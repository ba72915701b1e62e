#include "framework/core/XGSemaphore.h"

namespace kova {

XGSemaphore::XGSemaphore(std::uint32_t count)
    : fHandle(CreateSemaphoreA(NULL, static_cast<LONG>(count), static_cast<LONG>(count), NULL))
{
}

XGSemaphore::~XGSemaphore()
{
    if (fHandle != NULL) {
        CloseHandle(fHandle);
    }
}

void XGSemaphore::EnterCritical()
{
    WaitForSingleObject(fHandle, INFINITE);
}

void XGSemaphore::LeaveCritical()
{
    ReleaseSemaphore(fHandle, 1, NULL);
}

} // namespace kova
