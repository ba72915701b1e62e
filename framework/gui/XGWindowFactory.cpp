#include "framework/gui/XGWindowFactory.h"

#include "framework/core/KOVAModules.h"

namespace kova {

XGSDynArray<XGSWFactory> XGWindowFactory::gList KOVA_MODULE_INIT(XGWindowFactory);

} // namespace kova
