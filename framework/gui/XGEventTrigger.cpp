#include "framework/gui/XGEventTrigger.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGEventTrigger);

XGSDynArray<XGEventTrigger::EventRecord> XGEventTrigger::gList KOVA_MODULE_INIT(XGEventTrigger);

XGEventTrigger::~XGEventTrigger() = default;

} // namespace kova
