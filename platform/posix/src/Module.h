/// The modules the stand-in knows, and the process's own command line, as the entry
/// rebuilt it for GetCommandLineA.
#ifndef KOVA_POSIX_MODULE_H
#define KOVA_POSIX_MODULE_H

#include <windows.h>

#include <string>
#include <string_view>

namespace kova::posix {

/// The handle GetModuleHandleA gives kernel32.
HMODULE Kernel32Module();

/// The environment entry that hands a started program the process's error mode, which it
/// inherits on Windows ("KOVA_ERROR_MODE=32769"), and whether `entry` is such an entry.
std::string ErrorModeHandOver();
bool IsErrorModeHandOver(std::string_view entry);

/// Keeps the command line that GetCommandLineA returns from now on.
void SetProcessCommandLine(std::string commandLine);

} // namespace kova::posix

#endif
