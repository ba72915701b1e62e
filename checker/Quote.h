/// How autorun-check shows texts to a person: quoted, with what cannot be seen made visible.
#ifndef KOVA_CHECKER_QUOTE_H
#define KOVA_CHECKER_QUOTE_H

#include "launcher/TextEncoding.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace kova::check {

/// The text between double quotes, so that blanks and quotes at its ends show; a tab is
/// written \t and any other control byte \xNN. Other bytes stay as they are.
std::string Quote(std::string_view text);

/// The text, in the machine's ANSI code page, as UTF-8.
std::string AnsiToUtf8(std::string_view text);

/// UTF-16 text in the machine's ANSI code page, as Windows' "A" calls see it.
std::string WideToAnsi(std::u16string_view text);

/// UTF-8 text in the machine's ANSI code page.
std::string Utf8ToAnsi(std::string_view text);

/// How many characters a text in the ANSI code page has (a double-byte character is one).
std::size_t CharacterCount(std::string_view text);

/// Text of "autorun.inf" as UTF-8: ANSI text converted, UTF-8 as it stands.
std::string FileTextToUtf8(std::string_view text, autorun::TextEncoding encoding);

/// Text from the command line (a folder's name) as UTF-8: on Windows it comes in the ANSI
/// code page, elsewhere in UTF-8 already.
std::string CommandLineToUtf8(std::string_view text);

/// UTF-16 (terminated) as UTF-8.
std::string WideToUtf8(const WCHAR* text);

/// UTF-8 as UTF-16, for the platform's wide calls.
std::basic_string<WCHAR> Utf8ToWide(std::string_view text);

} // namespace kova::check

#endif
