/// The registry of window factories: which function builds a window of a given kind.
#ifndef KOVA_FRAMEWORK_GUI_XGWINDOWFACTORY_H
#define KOVA_FRAMEWORK_GUI_XGWINDOWFACTORY_H

#include "framework/core/XGDynArray.h"

#include <cstdint>

namespace kova {

class XGWindow;

/// One registered window factory.
struct XGSWFactory {
    std::int32_t fKind;
    XGWindow* (*fCreate)();
};

class XGWindowFactory {
private:
    static XGSDynArray<XGSWFactory> gList;
};

} // namespace kova

#endif
