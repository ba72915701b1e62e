#include "framework/core/XGKOVAError.h"

namespace kova {

XGKOVAError::XGKOVAError(const char* message) : std::exception(), fMessage(message)
{
}

XGKOVAError::~XGKOVAError() = default;

const char* XGKOVAError::what() const noexcept
{
    return fMessage.c_str();
}

} // namespace kova
