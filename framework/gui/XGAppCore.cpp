#include "framework/gui/XGAppCore.h"

namespace kova {

XGAppCore::~XGAppCore() noexcept(false) = default;

} // namespace kova
