/// Small rules for the checker's texts: their fields (the stretches between separator
/// characters), their ends without blanks, and ASCII letters compared in either case.
#ifndef KOVA_CHECKER_TEXTFIELDS_H
#define KOVA_CHECKER_TEXTFIELDS_H

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kova::check {

/// Calls `visit(field, offset)` for each stretch of `text` between any two of the
/// characters in `separators` (and before the first, after the last), empty ones included,
/// with the stretch's offset in `text`.
template <typename Visit>
void ForEachField(std::string_view text, std::string_view separators, Visit visit)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        visit(text.substr(start, end - start), start);
        if (end == text.size())
            return;
        start = end + 1;
    }
}

/// An ASCII capital as its small letter; every other byte as it is.
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Whether two texts are the same but for the case of ASCII letters.
inline bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

/// `text` without the characters at its two ends for which `isBlank` holds (what counts as
/// a blank is the reader's: the launcher's values and Windows' INI reader differ).
template <typename IsBlank>
std::string_view TrimIf(std::string_view text, IsBlank isBlank)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace kova::check

#endif
