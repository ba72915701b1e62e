/// Finds the file of a program that a command line names, the way WinExec looks for it.
#ifndef KOVA_CHECKER_PROGRAMSEARCH_H
#define KOVA_CHECKER_PROGRAMSEARCH_H

#include "checker/CheckReport.h"

#include <string>

namespace kova::check {

/// Looks for the program `commandLine` starts when the launcher runs from `discFolder`
/// (which is then both its own folder and the current folder): a name without a folder
/// part in the launcher's folder first, then where Windows looks next (the system
/// folders and PATH); a relative name with a folder part from the disc's root.
ProgramReport FindCommandProgram(const std::string& commandLine, const std::string& discFolder);

/// The path of the file `name` (relative to the disc's root, as the shell's lines name
/// files) when it is a file on the disc.
std::optional<std::string> FindDiscFile(const std::string& name, const std::string& discFolder);

} // namespace kova::check

#endif
