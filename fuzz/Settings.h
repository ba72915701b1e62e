/// What the fuzz targets expect of the settings in an "autorun.inf" text, worked out
/// independently of the launcher's own code so that the two can be held against each other.
#ifndef KOVA_FUZZ_SETTINGS_H
#define KOVA_FUZZ_SETTINGS_H

#include <array>
#include <cstddef>
#include <string_view>

namespace kova::fuzz {

/// The keys, in the order the launcher looks them up.
constexpr std::array<const char*, 10> kSettingKeys = {
    "AppRegistry=",     "AppKey=",           "AutoStart=", "AutoStartValueName=",
    "AutoStartValue=",  "AppPathValueName=", "SetupName=", "AppRegistryView=",
    "AppVersion=",      "AppVersionValueName=",
};

/// The most characters a setting keeps.
constexpr std::size_t kSettingLimit = 256;

/// The value of `key` in `text` (which ends at its first zero byte): what follows the
/// key's first occurrence up to a line end or the end of the text, at most
/// kSettingLimit characters; empty when the key does not occur.
inline std::string_view ExpectedSetting(std::string_view text, std::string_view key)
{
    text = text.substr(0, text.find('\0'));
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = text.substr(at + key.size());
    rest = rest.substr(0, rest.find_first_of("\r\n"));
    return rest.substr(0, kSettingLimit);
}

} // namespace kova::fuzz

#endif
