/// A failure of thread management.
#ifndef KOVA_FRAMEWORK_CORE_XGKOVATHREADERROR_H
#define KOVA_FRAMEWORK_CORE_XGKOVATHREADERROR_H

#include "framework/core/XGKOVAError.h"

namespace kova {

class XGKOVAThreadError : public XGKOVAError {
public:
    explicit XGKOVAThreadError(const char* message);
    ~XGKOVAThreadError() override;
};

} // namespace kova

#endif
