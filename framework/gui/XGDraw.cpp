#include "framework/gui/XGDraw.h"

#include "framework/core/KOVAModules.h"

namespace kova {

// A free lock, and an auto-reset event that starts not signalled; the event is closed
// before the lock at exit.
XGSemaphore XGDraw::gCritical KOVA_MODULE_INIT(XGDraw){1};
XGThreadEvent XGDraw::gCritEvent KOVA_MODULE_INIT(XGDraw){false, false};

} // namespace kova
