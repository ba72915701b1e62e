/// Finds one setting in the text of "autorun.inf".
#ifndef KOVA_LAUNCHER_GETVALUE_H
#define KOVA_LAUNCHER_GETVALUE_H

#include <cstddef>

/// The most characters a setting keeps; `value` needs room for them and a terminator.
constexpr std::size_t kMaxValueLength = 256;

/// Copies into `value` what follows the first occurrence of `valueName` (which includes its
/// '=') anywhere in the terminated text `buf`, up to the end of that line and at most
/// kMaxValueLength characters, and terminates it. A name that does not occur gives "".
void GetValue(const char* buf, char* value, const char* valueName);

#endif
