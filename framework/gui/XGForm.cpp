#include "framework/gui/XGForm.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

// The module builds nothing at start-up, since its class's dispatch table is constant
// data; the marker holds the module's turn in the start-up and exit order.
KOVA_MODULE_MARKER(XGForm);

constinit const _DispatchTable XGForm::_Dispatch[] = {
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGForm, XGDispatch, nullptr)

} // namespace kova
