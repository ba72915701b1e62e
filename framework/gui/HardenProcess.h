/// What the entry does first, before anything may load a DLL or meet a missing disc: a
/// program on removable media must not run code that anyone put beside it, and the
/// framework's programs show no box of Windows' own.
#ifndef KOVA_FRAMEWORK_GUI_HARDENPROCESS_H
#define KOVA_FRAMEWORK_GUI_HARDENPROCESS_H

namespace kova {

/// Restricts the DLLs the process loads from now on to the system folder
/// (SetDefaultDllDirectories; where Windows lacks it, SetDllDirectoryA("") at least takes
/// the current folder out of the search), and keeps the calling thread from showing
/// Windows' own error boxes ("There is no disk in the drive") with SetThreadErrorMode.
/// The process's error mode stays as it was: the programs it starts inherit that one, and
/// a setup program that asks for its next disc relies on Windows' box. Both calls are
/// looked up in kernel32 when they exist there, so that the program still starts on a
/// Windows that lacks them; none is reported.
void HardenProcess();

} // namespace kova

#endif
