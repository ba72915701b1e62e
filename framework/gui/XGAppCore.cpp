#include "framework/gui/XGAppCore.h"

#include "framework/core/KOVAModuleMarker.h"

namespace kova {

KOVA_MODULE_MARKER(XGAppCore);

XGAppCore::~XGAppCore() noexcept(false) = default;

} // namespace kova
