/// What the fuzz targets expect of a version text, worked out independently of the
/// launcher's own parser so that the two can be held against each other.
#ifndef KOVA_FUZZ_VERSIONS_H
#define KOVA_FUZZ_VERSIONS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kova::fuzz {

/// The parts of the version `text` (which ends at its first zero byte) stands for, or none:
/// after blanks and one 'v' or 'V', the longest run of digits and dots, split at its dots
/// into one to four numbers of at most 4294967295 each, none of them empty.
inline std::optional<std::vector<std::uint64_t>> ExpectedVersion(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
    if (!text.empty() && (text[0] == 'v' || text[0] == 'V'))
        text.remove_prefix(1);
    text = text.substr(0, text.find_first_not_of("0123456789."));
    std::vector<std::uint64_t> parts;
    for (;;) {
        const std::size_t dot = text.find('.');
        std::string_view part = text.substr(0, dot);
        if (part.empty() || parts.size() == 4)
            return std::nullopt;
        part.remove_prefix(std::min(part.find_first_not_of('0'), part.size() - 1));
        if (part.size() > 10)
            return std::nullopt;
        std::uint64_t number = 0;
        for (const char digit : part)
            number = number * 10 + static_cast<std::uint64_t>(digit - '0');
        if (number > 0xFFFFFFFFu)
            return std::nullopt;
        parts.push_back(number);
        if (dot == std::string_view::npos)
            return parts;
        text.remove_prefix(dot + 1);
    }
}

/// -1, 0 or 1 as `left` is lower than, equal to or higher than `right`, with the missing
/// parts of the shorter one taken as 0.
inline int ExpectedOrder(std::vector<std::uint64_t> left, std::vector<std::uint64_t> right)
{
    left.resize(4);
    right.resize(4);
    return left < right ? -1 : left > right ? 1 : 0;
}

} // namespace kova::fuzz

#endif
