/// Finds one setting in the text of "autorun.inf".
#ifndef KOVA_LAUNCHER_GETVALUE_H
#define KOVA_LAUNCHER_GETVALUE_H

#include <cstddef>

namespace autorun {

/// The most characters a setting keeps; `value` needs room for them and a terminator.
constexpr std::size_t kMaxValueLength = 256;

/// Does what GetValue does and tells where: the first occurrence of `valueName` in `buf`,
/// or null when there is none (and `value` is then empty).
const char* FindValue(const char* buf, char* value, const char* valueName);

/// The rule for a value that starts at `text`: everything up to the end of that line (a
/// line feed, a carriage return or a zero byte) and at most kMaxValueLength characters,
/// copied into `value` and terminated.
void CopyValue(const char* text, char* value);

} // namespace autorun

/// Copies into `value` what follows the first occurrence of `valueName` (which includes its
/// '=') anywhere in the terminated text `buf`, by the rule of autorun::CopyValue. A name
/// that does not occur gives "".
void GetValue(const char* buf, char* value, const char* valueName);

#endif
