/// A failed assertion: something the framework did not expect to happen.
#ifndef KOVA_FRAMEWORK_CORE_XGKOVAUNEXPECTED_H
#define KOVA_FRAMEWORK_CORE_XGKOVAUNEXPECTED_H

#include "framework/core/XGKOVAError.h"

namespace kova {

class XGKOVAUnexpected : public XGKOVAError {
public:
    explicit XGKOVAUnexpected(const char* message);
    ~XGKOVAUnexpected() override;
};

} // namespace kova

#endif
