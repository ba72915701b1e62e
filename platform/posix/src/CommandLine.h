/// How the Microsoft C runtime splits a command line into arguments, and the way back.
#ifndef KOVA_POSIX_COMMANDLINE_H
#define KOVA_POSIX_COMMANDLINE_H

#include <string>
#include <string_view>
#include <vector>

namespace kova::posix {

/// Splits a command line as the Universal C Runtime (and msvcrt since 2008) does. The
/// program name ends at the first blank or tab outside double quotes and loses its
/// quotes, with no backslash processing. Every later argument follows the runtime's
/// rules: blanks and tabs separate, double quotes group, 2n backslashes before a quote
/// give n backslashes and the quote toggles grouping, 2n+1 give n backslashes and a
/// literal quote, other backslashes are literal, and "" inside quotes is a literal
/// quote that keeps the group open.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

/// Builds the command line that SplitCommandLine turns back into argv[0..argc), quoting
/// only what needs it. A double quote cannot be expressed in a program name and is
/// left out of it; a null argument counts as empty.
std::string JoinCommandLine(int argc, const char* const* argv);

/// The tail WinMain receives: what follows the program name and the blanks and tabs
/// after it. Points into commandLine (at its terminator when nothing follows).
const char* CommandTail(const char* commandLine);

} // namespace kova::posix

#endif
