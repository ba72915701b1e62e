/// The framework's message formatter, with '#' directives:
///   #S  text          #P  length-prefixed text (one count byte, then the bytes)
///   #L  decimal       #X  eight upper-case hex digits     #I  four-character code
/// A digit 1-9 after '#' selects the argument ("#2S"); later directives go on from there.
/// Every argument is a `const char*` (for #S and #P) or a 32-bit `std::int32_t`.
#ifndef KOVA_FRAMEWORK_CORE_KFORMAT_H
#define KOVA_FRAMEWORK_CORE_KFORMAT_H

#include <cstdarg>
#include <cstddef>

namespace kova {

/// Formats into `out`, which must have room for the whole result and its terminator.
void kformat(char* out, const char* format, ...);
void vkformat(char* out, const char* format, va_list args);

/// Like kformat, but writes at most `size` bytes (the result cut to `size` - 1 characters
/// and terminated; nothing at all when `size` is 0). Returns the length of the whole result,
/// so a caller can tell whether it was cut and how much room it needs.
std::size_t kformatn(char* out, std::size_t size, const char* format, ...);
std::size_t vkformatn(char* out, std::size_t size, const char* format, va_list args);

} // namespace kova

#endif
