#include "framework/core/KOVAModuleMarker.h"

namespace kova {

// The module builds nothing at start-up, since its class's dispatch table is constant
// data; the marker holds the module's turn in the start-up and exit order.
KOVA_MODULE_MARKER(XGWindow);

} // namespace kova
