#include "framework/gui/XGDraw.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGDraw);

// A free lock, and an auto-reset event that starts not signalled; the event is closed
// before the lock at exit.
XGSemaphore XGDraw::gCritical KOVA_MODULE_INIT(XGDraw){1};
XGThreadEvent XGDraw::gCritEvent KOVA_MODULE_INIT(XGDraw){false, false};

} // namespace kova
