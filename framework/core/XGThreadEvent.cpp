#include "framework/core/XGThreadEvent.h"

namespace kova {

XGThreadEvent::XGThreadEvent(bool manualReset, bool initialState)
    : fHandle(CreateEventA(NULL, manualReset ? TRUE : FALSE, initialState ? TRUE : FALSE, NULL))
{
}

XGThreadEvent::~XGThreadEvent()
{
    if (fHandle != NULL) {
        CloseHandle(fHandle);
    }
}

} // namespace kova
