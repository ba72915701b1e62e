#include "framework/core/XGKOVAUnexpected.h"

namespace kova {

XGKOVAUnexpected::XGKOVAUnexpected(const char* message) : XGKOVAError(message)
{
}

XGKOVAUnexpected::~XGKOVAUnexpected() = default;

} // namespace kova
