/// How the stand-in finds and starts programs: shared by WinExec, CreateProcessW, the
/// SearchPath calls and the ShellExecute calls, so that all look for a program in the same
/// places.
#ifndef KOVA_POSIX_PROCESS_H
#define KOVA_POSIX_PROCESS_H

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace kova::posix {

/// Where looking for a program led: the host's path of the file to start, or the Win32
/// error.
struct Lookup {
    std::string path;
    UINT error = ERROR_SUCCESS;
};

/// Where Windows looks for a program named without a folder: the launcher's own folder,
/// the current folder, then PATH.
std::vector<std::string> SearchDirectories();

/// Looks a program name (UTF-8, folders separated by '\' or '/') up as CreateProcess does.
Lookup FindProgram(std::string name);

/// Whether the program at `path` needs administrator rights, which a test says by naming
/// its file in KOVA_NEEDS_ELEVATION (names separated by ';', compared as Windows compares
/// file names). The stand-in runs without those rights, so CreateProcess refuses such a
/// program; the shell starts it after asking for consent, which the stand-in takes as
/// given.
bool NeedsElevation(const std::string& path);

/// Starts the program at `path` with the arguments the Microsoft runtime makes of
/// `utf8Line`, handing it `line` (in the code page) and `show` as its command line and
/// show state. Gives WinExec's result.
UINT Spawn(const std::string& path, std::string_view utf8Line, std::string_view line, UINT show);

/// A handle that stands for a started process or its thread: CloseHandle takes it, and it
/// is never signalled (nothing here waits for a program it started).
HANDLE NewProcessHandle();

} // namespace kova::posix

#endif
