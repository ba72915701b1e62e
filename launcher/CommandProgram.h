/// Where a command line's program name ends, as CreateProcess reads the line.
#ifndef KOVA_LAUNCHER_COMMANDPROGRAM_H
#define KOVA_LAUNCHER_COMMANDPROGRAM_H

#include <windows.h>

#include <cstddef>

namespace autorun {

/// Room for a program name taken from a command line of at most this many units: the
/// UTF-16 or UTF-8 of a setting's 256 characters.
constexpr std::size_t kMaxCommandLine = 1024;

/// Tells whether `name` names a program that can be started; a name without an extension
/// counts when the name with ".exe" added does.
template <class Char>
using ProgramExists = bool (*)(const Char* name, void* context);

/// A command line's program and parameters, in the command line's own characters: UTF-16
/// for the launcher's start, UTF-8 for the checker's report.
template <class Char>
struct CommandProgram {
    Char program[kMaxCommandLine + 1]; ///< the program's name, without its quotes
    const Char* parameters;            ///< what follows it and its blanks, untouched
    bool found;                        ///< `exists` said yes to `program`
};

/// True when `path` names a file, not a folder, as GetFileAttributesW sees it.
bool IsProgramFile(const WCHAR* path);

/// Finds the file of the program `name`, as CreateProcess does: a name with a folder part
/// where it stands (relative to the current folder), a bare name in the ';'-separated
/// folders of `searchPath` (null: where Windows looks for this process, its own folder
/// first); kProgramExtension is added to a name without one. True when it is a file, whose
/// path is then in `path` (room for MAX_PATH units).
bool FindProgramFile(const WCHAR* name, const WCHAR* searchPath, WCHAR* path);

/// What Windows adds to a program name whose file part has no extension.
constexpr char kProgramExtension[] = ".exe";

/// The characters that give a program name a folder part.
constexpr char kFolderSeparators[] = "\\/:";

/// Whether `name` has a folder part: then Windows takes it where it stands (from the
/// current folder when it is relative) instead of searching for it.
template <class Char>
bool HasFolderPart(const Char* name);

/// Whether Windows adds kProgramExtension to `name`: its file part has no '.'.
template <class Char>
bool AddsProgramExtension(const Char* name);

/// Splits `line` into the program and its parameters. A quoted name runs to the closing
/// quote (or the end of the line). An unquoted one may hold blanks ("C:\Program
/// Files\App\app.exe /s"), so it is tried up to the first blank or tab, then up to the
/// next, and so on; the first that `exists` accepts is the program. When none is, the
/// name is the text up to the first blank or tab, as it is for the error CreateProcess
/// reports. A name longer than kMaxCommandLine units is never accepted.
template <class Char>
void SplitCommandProgram(const Char* line, ProgramExists<Char> exists, void* context,
                         CommandProgram<Char>& result);

} // namespace autorun

#endif
