#include "checker/Quote.h"

#include <windows.h>

#include <cstdio>

namespace kova::check {

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

namespace {

std::basic_string<WCHAR> ToWide(UINT codePage, std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<std::size_t>(units), 0);
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), units);
    return wide;
}

std::string ToUtf8(std::basic_string_view<WCHAR> wide)
{
    if (wide.empty())
        return {};
    const int units = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
}

} // namespace

std::string WideToAnsi(std::u16string_view text)
{
    if (text.empty())
        return {};
    // WCHAR is char16_t in the stand-in and wchar_t (16 bits too) on Windows.
    const auto* wide = reinterpret_cast<const WCHAR*>(text.data());
    const int units = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string Utf8ToAnsi(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, reinterpret_cast<WCHAR*>(wide.data()),
                        units);
    return WideToAnsi(wide);
}

std::size_t CharacterCount(std::string_view text)
{
    if (text.empty())
        return 0;
    return static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0));
}

std::string AnsiToUtf8(std::string_view text)
{
    return ToUtf8(ToWide(CP_ACP, text));
}

std::string FileTextToUtf8(std::string_view text, autorun::TextEncoding encoding)
{
    return encoding == autorun::TextEncoding::Ansi ? AnsiToUtf8(text) : std::string(text);
}

std::string CommandLineToUtf8(std::string_view text)
{
#ifdef _WIN32
    return AnsiToUtf8(text);
#else
    return std::string(text);
#endif
}

std::string WideToUtf8(const WCHAR* text)
{
    return ToUtf8(text);
}

std::basic_string<WCHAR> Utf8ToWide(std::string_view text)
{
    return ToWide(CP_UTF8, text);
}

} // namespace kova::check
