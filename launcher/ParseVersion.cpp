#include "launcher/ParseVersion.h"

namespace autorun {

bool ParseVersion(const char* text, Version& version)
{
    version.count = 0;
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text == 'v' || *text == 'V') {
        ++text;
    }
    Version parsed = {};
    for (;;) {
        if (*text < '0' || *text > '9' || parsed.count == kMaxVersionParts) {
            // An empty part, or one part too many.
            return false;
        }
        std::uint64_t number = 0;
        while (*text >= '0' && *text <= '9') {
            number = number * 10 + static_cast<std::uint64_t>(*text - '0');
            if (number > UINT32_MAX) {
                return false;
            }
            ++text;
        }
        parsed.parts[parsed.count++] = static_cast<std::uint32_t>(number);
        if (*text != '.') {
            break;
        }
        ++text;
    }
    version = parsed;
    return true;
}

int CompareVersions(const Version& left, const Version& right)
{
    for (int i = 0; i < kMaxVersionParts; ++i) {
        const std::uint32_t a = i < left.count ? left.parts[i] : 0;
        const std::uint32_t b = i < right.count ? right.parts[i] : 0;
        if (a != b) {
            return a < b ? -1 : 1;
        }
    }
    return 0;
}

} // namespace autorun
