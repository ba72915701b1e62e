/// How autorun-check shows texts to a person: quoted, with what cannot be seen made visible.
#ifndef KOVA_CHECKER_QUOTE_H
#define KOVA_CHECKER_QUOTE_H

#include <string>
#include <string_view>

namespace kova::check {

/// The text between double quotes, so that blanks and quotes at its ends show; a tab is
/// written \t and any other control byte \xNN. Bytes of the ANSI code page stay as they are.
std::string Quote(std::string_view text);

/// The text, in the machine's ANSI code page, as UTF-8.
std::string AnsiToUtf8(std::string_view text);

/// UTF-16 text in the machine's ANSI code page, as Windows' "A" calls see it.
std::string WideToAnsi(std::u16string_view text);

/// UTF-8 text in the machine's ANSI code page.
std::string Utf8ToAnsi(std::string_view text);

/// How many characters a text in the ANSI code page has (a double-byte character is one).
std::size_t CharacterCount(std::string_view text);

} // namespace kova::check

#endif
