/// The process's own command line, as the entry rebuilt it for GetCommandLineA.
#ifndef KOVA_POSIX_MODULE_H
#define KOVA_POSIX_MODULE_H

#include <string>

namespace kova::posix {

/// Keeps the command line that GetCommandLineA returns from now on.
void SetProcessCommandLine(std::string commandLine);

} // namespace kova::posix

#endif
