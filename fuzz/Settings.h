/// What the fuzz targets expect of the settings in an "autorun.inf" text, worked out
/// independently of the launcher's own code so that the two can be held against each other.
#ifndef KOVA_FUZZ_SETTINGS_H
#define KOVA_FUZZ_SETTINGS_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kova::fuzz {

/// The keys, in the order the launcher looks them up.
constexpr std::array<const char*, 12> kSettingKeys = {
    "AppRegistry=",         "AppKey=",          "AutoStart=",
    "AutoStartValueName=",  "AutoStartValue=",  "AppPathValueName=",
    "SetupName=",           "AppRegistryView=", "AppVersion=",
    "AppVersionValueName=", "SetupNameX64=",    "SetupNameArm64=",
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

/// The encodings a file may be read in.
enum class Encoding { Ansi, Utf8, Utf8Bom, Utf16Le };

/// The code point of the well-formed UTF-8 sequence at the start of `bytes` and its
/// length, or a length of 0 when none stands there.
inline std::size_t DecodeUtf8(std::string_view bytes, char32_t& code)
{
    if (bytes.empty())
        return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC0 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF8 ? 4
                                             : 0;
    if (length == 0 || bytes.size() < length)
        return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
        return 0;
    return length;
}

/// The text of a file that starts with `bytes`, as the launcher must read it: the encoding
/// and the characters, each a code point (the bytes themselves for 8-bit text), up to the
/// first zero and without a character that the read limit `limit` cut short.
struct ExpectedText {
    Encoding encoding;
    std::u32string text;
};

inline ExpectedText ReadExpectedText(std::string_view file, std::size_t limit)
{
    const std::string_view read = file.substr(0, limit);
    const bool cut = file.size() >= limit;
    if (read.starts_with("\xFF\xFE")) {
        std::u32string text;
        const std::size_t units = (read.size() - 2) / 2;
        const auto unit = [&](std::size_t i) {
            return static_cast<char32_t>(static_cast<unsigned char>(read[2 + 2 * i]) |
                                         static_cast<unsigned char>(read[3 + 2 * i]) << 8);
        };
        for (std::size_t i = 0; i < units; ++i) {
            const char32_t u = unit(i);
            if (u == 0)
                break;
            const bool high = u >= 0xD800 && u < 0xDC00;
            if (high && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
                text += 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
                ++i;
            } else if (high && i + 1 == units && cut) {
                break;
            } else {
                text += u >= 0xD800 && u < 0xE000 ? char32_t{0xFFFD} : u;
            }
        }
        return {Encoding::Utf16Le, text};
    }
    std::string_view bytes = read.substr(0, read.find('\0'));
    const bool marked = bytes.starts_with("\xEF\xBB\xBF");
    // A sequence begun in the last three bytes and cut short by the limit.
    std::string_view whole = bytes;
    if (cut && bytes.size() == read.size()) {
        for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const auto b = static_cast<unsigned char>(bytes[bytes.size() - back]);
            if ((b & 0xC0) == 0x80)
                continue;
            const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
            if (length > back)
                whole = bytes.substr(0, bytes.size() - back);
            break;
        }
    }
    std::u32string text;
    bool valid = true;
    bool wide = false;
    for (std::size_t at = 0; at < whole.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeUtf8(whole.substr(at), code);
        valid = valid && length > 0;
        wide = wide || length > 1;
        text += length > 0 ? code : char32_t{0xFFFD};
        at += length > 0 ? length : 1;
    }
    if (marked)
        return {Encoding::Utf8Bom, text};
    if (valid && wide)
        return {Encoding::Utf8, text};
    text.clear();
    for (const char c : bytes)
        text += static_cast<unsigned char>(c);
    return {Encoding::Ansi, text};
}

/// ExpectedSetting in a text of characters.
inline std::u32string ExpectedSetting(const std::u32string& text, std::string_view key)
{
    const std::u32string wanted(key.begin(), key.end());
    const std::size_t at = text.find(wanted);
    if (at == std::u32string::npos)
        return {};
    std::u32string rest = text.substr(at + wanted.size());
    rest = rest.substr(0, std::min(rest.find(U'\r'), rest.find(U'\n')));
    return rest.substr(0, kSettingLimit);
}

/// Characters as UTF-16.
inline std::u16string Utf16(const std::u32string& text)
{
    std::u16string out;
    for (const char32_t c : text) {
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

} // namespace kova::fuzz

#endif
