/// Finds the file of a program that a command line names, the way WinExec looks for it.
#ifndef KOVA_CHECKER_PROGRAMSEARCH_H
#define KOVA_CHECKER_PROGRAMSEARCH_H

#include "checker/CheckReport.h"

#include <optional>
#include <string>
#include <vector>

namespace kova::check {

/// Looks for the program `commandLine` starts when the launcher runs from `discFolder`
/// (which is then both its own folder and the current folder): a name without a folder
/// part in the launcher's folder first, then where Windows looks next (the system
/// folders and PATH); a relative name with a folder part from the disc's root.
ProgramReport FindCommandProgram(const std::string& commandLine, const std::string& discFolder);

/// A command line whose program's path holds a blank and stands without quotes: Windows
/// takes the text up to each blank in turn for the program's name (".exe" added to a name
/// without an extension) before it comes to the one meant.
struct UnquotedPath {
    std::string program;               ///< the name meant: the longest that names a program
    std::vector<std::string> earlier;  ///< the names Windows tries before it, in order
    std::vector<std::string> existing; ///< those of them that name a program here
};

/// The unquoted path in `commandLine`, if it has one. The name meant is the longest
/// that names a program where the launcher looks, or else the one up to the first blank
/// after a ".exe"; a line where neither is found is not judged.
std::optional<UnquotedPath> FindUnquotedPath(const std::string& commandLine,
                                             const std::string& discFolder);

/// The path of the file `name` (relative to the disc's root, as the shell's lines name
/// files) when it is a file on the disc.
std::optional<std::string> FindDiscFile(const std::string& name, const std::string& discFolder);

} // namespace kova::check

#endif
