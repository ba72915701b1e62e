#include "framework/gui/XGForm.h"

namespace kova {

// The module's turn at start-up builds nothing: its class's dispatch table is constant
// data, complete before any code runs.

constinit const _DispatchTable XGForm::_Dispatch[] = {
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(XGForm, XGDispatch, nullptr)

} // namespace kova
