/// The drawing module's lock and event, shared by everything that draws.
#ifndef KOVA_FRAMEWORK_GUI_XGDRAW_H
#define KOVA_FRAMEWORK_GUI_XGDRAW_H

#include "framework/core/XGSemaphore.h"
#include "framework/core/XGThreadEvent.h"

namespace kova {

class XGDraw {
private:
    static XGSemaphore gCritical;
    static XGThreadEvent gCritEvent;
};

} // namespace kova

#endif
