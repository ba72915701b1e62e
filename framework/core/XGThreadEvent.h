/// Owns an unnamed kernel event, auto- or manual-reset, for the drawing module's use.
#ifndef KOVA_FRAMEWORK_CORE_XGTHREADEVENT_H
#define KOVA_FRAMEWORK_CORE_XGTHREADEVENT_H

#include <windows.h>

namespace kova {

class XGThreadEvent {
public:
    /// A manual-reset event stays signalled until it is reset; an auto-reset one lets one
    /// waiter through and resets itself. A failed creation leaves the handle null.
    XGThreadEvent(bool manualReset, bool initialState);
    virtual ~XGThreadEvent();

    XGThreadEvent(const XGThreadEvent&) = delete;
    XGThreadEvent& operator=(const XGThreadEvent&) = delete;

    HANDLE GetHandle() const { return fHandle; }

private:
    HANDLE fHandle;
};

} // namespace kova

#endif
