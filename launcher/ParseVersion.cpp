#include "launcher/ParseVersion.h"

namespace autorun {

bool ParseVersion(const char* text, Version& version)
{
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    if (*text == 'v' || *text == 'V') {
        ++text;
    }
    // The count is set only once the whole version has parsed; the parts not written stay 0.
    version = {};
    int count = 0;
    for (;;) {
        if (*text < '0' || *text > '9' || count == kMaxVersionParts) {
            // An empty part, or one part too many.
            return false;
        }
        std::uint32_t number = 0;
        while (*text >= '0' && *text <= '9') {
            const std::uint32_t digit = static_cast<std::uint32_t>(*text - '0');
            // Above 4294967295 (UINT32_MAX) the part is no number of a version.
            if (number > UINT32_MAX / 10 ||
                (number == UINT32_MAX / 10 && digit > UINT32_MAX % 10)) {
                return false;
            }
            number = number * 10 + digit;
            ++text;
        }
        version.parts[count++] = number;
        if (*text != '.') {
            break;
        }
        ++text;
    }
    version.count = count;
    return true;
}

int CompareVersions(const Version& left, const Version& right)
{
    for (int i = 0; i < kMaxVersionParts; ++i) {
        if (left.parts[i] != right.parts[i]) {
            return left.parts[i] < right.parts[i] ? -1 : 1;
        }
    }
    return 0;
}

} // namespace autorun
