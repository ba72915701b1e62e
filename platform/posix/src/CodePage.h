/// The process's ANSI code page: how the "A" calls turn their bytes into the UTF-16 that
/// the system keeps, and back, and how names compare without regard to case.
#ifndef KOVA_POSIX_CODEPAGE_H
#define KOVA_POSIX_CODEPAGE_H

#include <string>
#include <string_view>

namespace kova::posix {

/// The ANSI code page: the number in the environment variable KOVA_CODEPAGE when it is one
/// the stand-in knows (1250, 1251 or 1252), otherwise 1252, the code page of a Western
/// European Windows. Read on first use; a process keeps its code page, as on Windows.
unsigned AnsiCodePage();

/// Reads KOVA_CODEPAGE again, so that tests can switch code pages within one process.
void ReloadAnsiCodePage();

/// MultiByteToWideChar(CP_ACP): each byte is one character.
std::u16string AnsiToWide(std::string_view bytes);

/// WideCharToMultiByte(CP_ACP) as the "A" calls make it: a character outside the code
/// page becomes the byte Windows' best-fit table gives it ("Ł" becomes "L"), or '?'.
std::string WideToAnsi(std::u16string_view text);

/// UTF-8, the encoding of file names on the host; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::u16string_view text);

/// MultiByteToWideChar(CP_UTF8): a byte that does not belong to a well-formed sequence
/// becomes U+FFFD, as Windows makes it.
std::u16string Utf8ToWide(std::string_view bytes);

/// A host file name as UTF-16, for comparing it as Windows compares names: UTF-8 read as
/// Utf8ToWide reads it, except that each byte outside a well-formed sequence becomes the
/// lone surrogate U+DC00 + byte. No character reads as a lone surrogate, so such a byte
/// equals only the same byte, and two names that differ in such bytes stay two names.
std::u16string FileNameToWide(std::string_view name);

/// RtlUpcaseUnicodeChar: Windows' own upper-case table, which leaves alone the letters
/// whose upper case would change a name's length or meaning ("ß", "ı", "ς", "µ").
char16_t UpcaseChar(char16_t c);

/// Compares as the registry and the file system compare names: each UTF-16 unit
/// upper-cased, then by value. Negative, zero or positive, as std::u16string::compare.
int CompareIgnoringCase(std::u16string_view left, std::u16string_view right);

} // namespace kova::posix

#endif
