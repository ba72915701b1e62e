#include "framework/core/XGKOVAThreadError.h"

namespace kova {

XGKOVAThreadError::XGKOVAThreadError(const char* message) : XGKOVAError(message)
{
}

XGKOVAThreadError::~XGKOVAThreadError() = default;

} // namespace kova
