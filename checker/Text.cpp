#include "checker/Text.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace autorun::check {

// UTF-16 in memory is decoded by the launcher's reader of UTF-16LE files: every Windows
// machine, and every host of the stand-in, keeps it little-endian.
static_assert(std::endian::native == std::endian::little);

namespace {

/// UTF-16LE bytes as UTF-8, zero units kept (the launcher's reader stops at one).
std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    for (std::size_t at = 0; at + 1 < bytes.size();) {
        std::size_t end = at;
        while (end + 1 < bytes.size() && (bytes[end] != '\0' || bytes[end + 1] != '\0'))
            end += 2;
        std::string part(Utf8RoomFor(end - at), '\0');
        part.resize(autorun::Utf16LeToUtf8(bytes.data() + at, end - at, part.data()));
        out += part;
        if (end + 1 < bytes.size())
            out += '\0';
        at = end + 2;
    }
    return out;
}

std::string ValidUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text.data() + at, text.size() - at);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++at;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

} // namespace

bool IsUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text.data() + at, text.size() - at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string ToUtf8(std::string_view bytes, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ansi:
        return AnsiToUtf8(bytes);
    case TextEncoding::Utf16Le:
        return Utf16LeToUtf8(bytes);
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        break;
    }
    return ValidUtf8(bytes);
}

std::string AnsiToUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<std::size_t>(units), 0);
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
    return Utf16LeToUtf8(
        std::string_view(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(WCHAR)));
}

std::string WideToUtf8(const WCHAR* text)
{
    std::size_t units = 0;
    while (text[units] != 0)
        ++units;
    return Utf16LeToUtf8(
        std::string_view(reinterpret_cast<const char*>(text), units * sizeof(WCHAR)));
}

std::basic_string<WCHAR> Utf8ToWide(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<std::size_t>(units), 0);
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), units);
    return wide;
}

std::filesystem::path PathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        char escape[8];
        if (text[at] == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else if (byte == 0xC2 && at + 1 < text.size() &&
                   static_cast<unsigned char>(text[at + 1]) < 0xA0) {
            // U+0080 to U+009F, the C1 controls, which no terminal shows.
            std::snprintf(escape, sizeof escape, "\\u%04X",
                          static_cast<unsigned char>(text[++at]) & 0xFF);
            out += escape;
        } else {
            out += text[at];
        }
    }
    return out + '"';
}

std::size_t CharacterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string_view FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at)
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80 && seen++ == count)
            break;
    return text.substr(0, at);
}

} // namespace autorun::check
