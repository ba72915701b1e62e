/// Fuzzes the version parser and comparison: the input's two texts (split at its first
/// zero byte) are parsed and compared, and each result is held against the independent
/// reading of fuzz/Versions.h. Both texts sit in buffers of exactly their size, so that a
/// read past a terminator shows.
#include "fuzz/Versions.h"
#include "launcher/ParseVersion.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

struct Parsed {
    autorun::Version version;
    std::optional<std::vector<std::uint64_t>> expected;
};

Parsed Parse(std::string_view text)
{
    const std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    if (!text.empty())
        std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = '\0';
    Parsed parsed{};
    parsed.version.count = -1;
    const bool parses = autorun::ParseVersion(copy.get(), parsed.version);
    parsed.expected = kova::fuzz::ExpectedVersion(text);
    if (parses != parsed.expected.has_value() || parses != (parsed.version.count > 0))
        std::abort();
    if (parses) {
        if (static_cast<std::size_t>(parsed.version.count) != parsed.expected->size())
            std::abort();
        for (int i = 0; i < parsed.version.count; ++i)
            if (parsed.version.parts[i] != (*parsed.expected)[static_cast<std::size_t>(i)])
                std::abort();
    }
    return parsed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\0'), input.size());
    const Parsed left = Parse(input.substr(0, split));
    const Parsed right = Parse(split < input.size() ? input.substr(split + 1) : std::string_view());
    if (!left.expected || !right.expected)
        return 0;
    const int order = autorun::CompareVersions(left.version, right.version);
    const int reverse = autorun::CompareVersions(right.version, left.version);
    const int expected = kova::fuzz::ExpectedOrder(*left.expected, *right.expected);
    if ((order > 0) - (order < 0) != expected || (reverse > 0) - (reverse < 0) != -expected)
        std::abort();
    return 0;
}
