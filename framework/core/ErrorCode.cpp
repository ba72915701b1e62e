#include "framework/core/ErrorCode.h"

#include "framework/core/XGKOVAUnexpected.h"
#include "framework/core/kformat.h"

namespace kova {

short KOVAInlineError(const char* condition, const char* file, std::int32_t line)
{
    // The message is built in fixed storage so that reporting allocates nothing but the
    // exception's own copy; a message too long for it is cut, never written past it.
    char message[256];
    kformatn(message, sizeof message, "Unexpected error #S at #S(#L)", condition, file, line);
    KOVADebugError("KOVAInlineError: %s", message);
    throw XGKOVAUnexpected(message);
}

void KOVADebugError(const char*, ...)
{
}

} // namespace kova
