#include "framework/gui/XGViewFactory.h"

#include "framework/core/KOVAModules.h"

namespace kova {

XGSDynArray<XGSFactory> XGViewFactory::gList KOVA_MODULE_INIT(XGViewFactory);

} // namespace kova
