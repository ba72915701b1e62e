/// Walks the fields of a text: the stretches between separator characters.
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

} // namespace kova::check

#endif
