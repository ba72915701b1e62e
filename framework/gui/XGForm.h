/// A dispatcher that answers no message of its own: what reaches it only travels on along
/// its chain.
#ifndef KOVA_FRAMEWORK_GUI_XGFORM_H
#define KOVA_FRAMEWORK_GUI_XGFORM_H

#include "framework/gui/XGDispatch.h"

namespace kova {

class XGForm : public XGDispatch {
    KOVA_DECLARE_DISPATCH();
};

} // namespace kova

#endif
