/// The modules the stand-in knows, and the process's own command line, as the entry
/// rebuilt it for GetCommandLineA.
#ifndef KOVA_POSIX_MODULE_H
#define KOVA_POSIX_MODULE_H

#include <windows.h>

#include <string>

namespace kova::posix {

/// The handle GetModuleHandleA gives kernel32.
HMODULE Kernel32Module();

/// Keeps the command line that GetCommandLineA returns from now on.
void SetProcessCommandLine(std::string commandLine);

} // namespace kova::posix

#endif
