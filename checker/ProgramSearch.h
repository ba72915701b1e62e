/// The programs a disc names, found as the launcher finds them (its own look-up, in
/// launcher/CommandProgram.h), with what their files say about themselves.
#ifndef KOVA_CHECKER_PROGRAMSEARCH_H
#define KOVA_CHECKER_PROGRAMSEARCH_H

#include "checker/DiscFacts.h"

#include <optional>
#include <string>

namespace autorun::check {

/// Where the disc's files are read (a folder, or an image's tree laid out in a temporary
/// folder), and the name the report gives that place.
struct DiscPlace {
    std::string readFolder;
    std::string shownFolder;

    /// A path below the folder the disc is read from, as the report names it.
    std::string Shown(const std::string& path) const;
};

/// The program `commandLine` starts when the launcher runs from the disc's root (then both
/// its own folder and the current folder): a name without a folder part in the launcher's
/// folder first, then where Windows looks next (the system folders and PATH); a relative
/// name with a folder part from the disc's root. Found, its file is read: its machine,
/// manifest, version resource and signature.
ProgramFacts FindProgram(const std::string& commandLine, const DiscPlace& disc);

/// The path of the file `name` (relative to the disc's root, as the shell's lines name
/// files) when it is a file on the disc.
std::optional<std::string> FindDiscFile(const std::string& name, const DiscPlace& disc);

} // namespace autorun::check

#endif
