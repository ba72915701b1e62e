/// The checker's texts. Every text is UTF-8 from the moment it is gathered: converted once,
/// from the encoding it is really in, where a byte or unit that is no text in that encoding
/// becomes U+FFFD, so that what reaches a person or a script is always valid UTF-8. Here too
/// the small rules for such texts: quoting, ASCII case, fields and blanks.
#ifndef KOVA_CHECKER_TEXT_H
#define KOVA_CHECKER_TEXT_H

#include "launcher/TextEncoding.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace autorun::check {

/// `bytes` of `encoding` as UTF-8: ANSI text through the machine's code page (as Windows'
/// "A" calls read it), UTF-8 with each ill-formed sequence made U+FFFD, UTF-16LE (without
/// its mark) unit by unit, a lone surrogate made U+FFFD. Zero bytes and units stay.
std::string ToUtf8(std::string_view bytes, TextEncoding encoding);

/// Text in the machine's ANSI code page, as UTF-8.
std::string AnsiToUtf8(std::string_view text);

/// Whether `text` is well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

/// UTF-16 text, up to its terminator, as UTF-8.
std::string WideToUtf8(const WCHAR* text);

/// UTF-8 as UTF-16, for the platform's wide calls.
std::basic_string<WCHAR> Utf8ToWide(std::string_view text);

/// A file's path from UTF-8, and back.
std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

/// The text between double quotes, so that blanks and quotes at its ends show; a tab is
/// written \t and any other control character \xNN (C1 controls \u00NN).
std::string Quote(std::string_view text);

/// How many characters (code points) a UTF-8 text has, and the first `count` of them.
std::size_t CharacterCount(std::string_view text);
std::string_view FirstCharacters(std::string_view text, std::size_t count);

/// An ASCII letter in the other case; every other byte as it is.
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string LowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), static_cast<char (*)(char)>(LowerAscii));
    return text;
}
inline std::string UpperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), static_cast<char (*)(char)>(UpperAscii));
    return text;
}

/// Whether two texts are the same but for the case of ASCII letters.
inline bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           EqualIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

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

/// Blanks as the launcher's values have them.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// `text` without the characters at its two ends for which `isBlank` holds (what counts as
/// a blank is the reader's: the launcher's values and Windows' INI reader differ).
template <typename IsBlankChar = bool (*)(char)>
std::string_view Trim(std::string_view text, IsBlankChar isBlank = IsBlank)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace autorun::check

#endif
