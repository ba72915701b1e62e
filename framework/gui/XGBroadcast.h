/// Owns the framework's global sender and its stack of posted messages.
#ifndef KOVA_FRAMEWORK_GUI_XGBROADCAST_H
#define KOVA_FRAMEWORK_GUI_XGBROADCAST_H

#include "framework/core/XGDynArray.h"
#include "framework/gui/XGSend.h"

#include <cstdint>

namespace kova {

class XGBroadcast {
public:
    /// One posted message, kept until it is delivered.
    struct PostRecord {
        std::int32_t fCode;
        std::int32_t fParam;
        void* fData;
    };

private:
    static XGSend gSend;
    static XGSDynArray<PostRecord> gPostStack;
};

} // namespace kova

#endif
