#include "framework/gui/XGBroadcast.h"

#include "framework/core/KOVAModules.h"

namespace kova {

// The sender is built first and therefore destroyed last, after the post stack.
XGSend XGBroadcast::gSend KOVA_MODULE_INIT(XGBroadcast);
XGSDynArray<XGBroadcast::PostRecord> XGBroadcast::gPostStack KOVA_MODULE_INIT(XGBroadcast);

} // namespace kova
