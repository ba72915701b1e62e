/// The lines of "autorun.inf" that Windows' shell reads itself, before the launcher runs:
/// the [autorun] section's open=, shellexecute=, icon=, label=, action= and UseAutoPlay=.
#ifndef KOVA_CHECKER_SHELLAUTORUN_H
#define KOVA_CHECKER_SHELLAUTORUN_H

#include <optional>
#include <string>
#include <string_view>

namespace kova::check {

/// One key of the section, as Windows' INI reader hands it over.
struct ShellLine {
    std::string value; ///< in the ANSI code page, without the blanks or quotes around it
    int line;          ///< 1-based
};

struct ShellAutorun {
    bool utf16 = false;  ///< read as UTF-16LE: the file begins with that byte-order mark
    int sectionLine = 0; ///< the line of the first [autorun] section, or 0 when there is none
    std::optional<ShellLine> open;
    std::optional<ShellLine> shellExecute;
    std::optional<ShellLine> icon;
    std::optional<ShellLine> label;
    std::optional<ShellLine> action;
    std::optional<ShellLine> useAutoPlay;
};

/// The shell's keys, by the names the file spells them with and the reports use.
struct ShellKey {
    const char* name;
    std::optional<ShellLine> ShellAutorun::*line;
};

inline constexpr ShellKey kShellKeys[] = {
    {"open", &ShellAutorun::open},     {"shellexecute", &ShellAutorun::shellExecute},
    {"icon", &ShellAutorun::icon},     {"label", &ShellAutorun::label},
    {"action", &ShellAutorun::action}, {"UseAutoPlay", &ShellAutorun::useAutoPlay},
};

/// Reads the file's bytes as Windows' INI reader does: UTF-16LE when they begin with its
/// byte-order mark, any other text in the ANSI code page; lines end at a line feed;
/// section and key names compare without regard to case, with the blanks around them
/// left out; a value loses its surrounding blanks and one pair of quotes around it; the
/// first [autorun] section counts, and in it the first line of each key.
ShellAutorun ReadShellAutorun(std::string_view bytes);

} // namespace kova::check

#endif
