/// Finds one setting in the text of "autorun.inf".
#ifndef KOVA_LAUNCHER_GETVALUE_H
#define KOVA_LAUNCHER_GETVALUE_H

#include "launcher/TextEncoding.h"

#include <cstddef>

namespace autorun {

/// The most characters a setting keeps.
constexpr std::size_t kMaxValueLength = 256;

/// The most bytes those characters take: four each in UTF-8, one in ANSI text. `value`
/// needs room for them and a terminator.
constexpr std::size_t kMaxValueBytes = 4 * kMaxValueLength;

/// Does what GetValue does, in text of `encoding`, and tells where: the first occurrence
/// of `valueName` in `buf`, or null when there is none (and `value` is then empty).
const char* FindValue(const char* buf, char* value, const char* valueName,
                      TextEncoding encoding = TextEncoding::Ansi);

/// The rule for a value that starts at `text`: everything up to the end of that line (a
/// line feed, a carriage return or a zero byte) and at most kMaxValueLength characters of
/// `encoding`, whole ones only, copied into `value` and terminated.
void CopyValue(const char* text, char* value, TextEncoding encoding = TextEncoding::Ansi);

} // namespace autorun

/// Copies into `value` what follows the first occurrence of `valueName` (which includes its
/// '=') anywhere in the terminated 8-bit text `buf`, by the rule of autorun::CopyValue. A
/// name that does not occur gives "".
void GetValue(const char* buf, char* value, const char* valueName);

#endif
