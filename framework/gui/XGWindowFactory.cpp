#include "framework/gui/XGWindowFactory.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGWindowFactory);

XGSDynArray<XGSWFactory> XGWindowFactory::gList KOVA_MODULE_INIT(XGWindowFactory);

} // namespace kova
