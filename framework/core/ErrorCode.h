/// The framework's assertion and debug-report hook.
#ifndef KOVA_FRAMEWORK_CORE_ERRORCODE_H
#define KOVA_FRAMEWORK_CORE_ERRORCODE_H

#include <cstddef>
#include <cstdint>

namespace kova {

/// Reports a failed assertion: formats "Unexpected error <condition> at <file>(<line>)",
/// hands it to the debug hook and throws it as XGKOVAUnexpected. Never returns.
[[noreturn]] short KOVAInlineError(const char* condition, const char* file, std::int32_t line);

/// Debug-report hook with a printf-style format. It has no effect in this system: the
/// launcher never shows or writes anything.
void KOVADebugError(const char* format, ...);

/// The file name without its directory part, as assertions report it.
constexpr const char* KOVASourceName(const char* path)
{
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

} // namespace kova

/// Evaluates the condition once; when it is false, reports it with its source text, the
/// source file's name and the line, which throws.
#define KOVAAssert(condition)                                 \
    ((condition) ? static_cast<void>(0)                       \
                 : static_cast<void>(::kova::KOVAInlineError( \
                       #condition, ::kova::KOVASourceName(__FILE__), __LINE__)))

#endif
