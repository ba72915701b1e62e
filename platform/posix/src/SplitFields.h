/// Lists of names in one text: folders in PATH, file names in a ';'-list, the components
/// of a path or a key path.
#ifndef KOVA_POSIX_SPLITFIELDS_H
#define KOVA_POSIX_SPLITFIELDS_H

#include <string_view>
#include <type_traits>
#include <vector>

namespace kova::posix {

/// The fields of `text` between one `separator` and the next, in order and empty ones
/// included: "a;;b" gives "a", "", "b", and the empty text one empty field. The fields
/// point into `text`.
template <class Char>
std::vector<std::basic_string_view<Char>>
SplitFields(std::type_identity_t<std::basic_string_view<Char>> text, Char separator)
{
    std::vector<std::basic_string_view<Char>> fields;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        fields.push_back(text.substr(start, end - start));
        if (end == std::basic_string_view<Char>::npos)
            return fields;
        start = end + 1;
    }
}

} // namespace kova::posix

#endif
