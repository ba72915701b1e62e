/// How the launcher starts the program it has decided on.
#ifndef KOVA_LAUNCHER_PROGRAMSTART_H
#define KOVA_LAUNCHER_PROGRAMSTART_H

#include <windows.h>

namespace autorun {

/// Starts `commandLine` as WinExec does, but in UTF-16, so that no code page ever changes
/// the program it names: CreateProcessW with the line and show state SW_SHOWNORMAL, not
/// waited for, its handles closed. Only when that fails because the program needs
/// administrator rights (ERROR_ELEVATION_REQUIRED: a launcher that runs as the user cannot
/// start it with CreateProcess) does it start the same program through the shell, which
/// asks the user for consent. Nothing is reported.
void StartProgram(const WCHAR* commandLine);

/// Splits `commandLine` into the program and its parameters as CreateProcess reads it and
/// opens the program with ShellExecuteW, show state SW_SHOWNORMAL; the result is ignored.
void StartThroughShell(const WCHAR* commandLine);

} // namespace autorun

#endif
