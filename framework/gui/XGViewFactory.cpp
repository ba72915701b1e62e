#include "framework/gui/XGViewFactory.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGViewFactory);

XGSDynArray<XGSFactory> XGViewFactory::gList KOVA_MODULE_INIT(XGViewFactory);

} // namespace kova
