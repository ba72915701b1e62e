#include "framework/gui/XGEventTrigger.h"

#include "framework/core/KOVAModules.h"

namespace kova {

XGSDynArray<XGEventTrigger::EventRecord> XGEventTrigger::gList KOVA_MODULE_INIT(XGEventTrigger);

XGEventTrigger::~XGEventTrigger() = default;

} // namespace kova
