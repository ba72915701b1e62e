/// How the launcher starts the program it has decided on.
#ifndef KOVA_LAUNCHER_PROGRAMSTART_H
#define KOVA_LAUNCHER_PROGRAMSTART_H

namespace autorun {

/// Starts `commandLine` with WinExec and show state SW_SHOWNORMAL. Only when that fails
/// because the program needs administrator rights (ERROR_ELEVATION_REQUIRED: a launcher
/// that runs as the user cannot start it with CreateProcess) does it start the same
/// program through the shell, which asks the user for consent. Nothing is reported.
void StartProgram(const char* commandLine);

/// Splits `commandLine` into the program and its parameters as CreateProcess reads it and
/// opens the program with ShellExecuteA, show state SW_SHOWNORMAL; the result is ignored.
void StartThroughShell(const char* commandLine);

} // namespace autorun

#endif
