/// The registry of view factories: which function builds a view of a given kind.
#ifndef KOVA_FRAMEWORK_GUI_XGVIEWFACTORY_H
#define KOVA_FRAMEWORK_GUI_XGVIEWFACTORY_H

#include "framework/core/XGDynArray.h"

#include <cstdint>

namespace kova {

class XGView;

/// One registered view factory.
struct XGSFactory {
    std::int32_t fKind;
    XGView* (*fCreate)();
};

class XGViewFactory {
private:
    static XGSDynArray<XGSFactory> gList;
};

} // namespace kova

#endif
