/// The lines of "autorun.inf" that Windows' shell reads itself, before the launcher runs:
/// the [autorun] section's open=, shellexecute=, icon=, label=, action= and UseAutoPlay=.
#ifndef KOVA_CHECKER_SHELLAUTORUN_H
#define KOVA_CHECKER_SHELLAUTORUN_H

#include "checker/DiscFacts.h"

#include <string_view>

namespace autorun::check {

/// Reads the file's bytes as Windows' INI reader does: UTF-16LE when they begin with its
/// byte-order mark, any other text in the ANSI code page; lines end at a line feed;
/// section and key names compare without regard to case, with the blanks around them
/// left out; a value loses its surrounding blanks and one pair of quotes around it; the
/// first [autorun] section counts, and in it the first line of each key. Fills `shell`'s
/// `utf16`, `sectionLine` and `lines`. `asUtf8`: reads 8-bit text as UTF-8 instead, as the
/// author of a UTF-8 file meant it.
void ReadShellAutorun(std::string_view bytes, ShellFacts& shell, bool asUtf8 = false);

} // namespace autorun::check

#endif
