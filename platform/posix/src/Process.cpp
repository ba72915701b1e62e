/// WinExec: finds the program as CreateProcess does and starts it with posix_spawn.
#include "Process.h"

#include "CallRecord.h"
#include "CodePage.h"
#include "CommandLine.h"
#include "FileNames.h"
#include "Module.h"
#include "SplitFields.h"
#include "StartupInfo.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <optional>
#include <spawn.h>
#include <string>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace kova::posix {

namespace {

/// WinExec's value for a started program: anything above 31 means success.
constexpr UINT Started = 33;

/// The launcher's own directory, where Windows looks first for a bare program name.
std::optional<std::string> OwnDirectory()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0)
        return std::nullopt;
    const std::string path(buffer, static_cast<std::size_t>(length));
    // The link is absolute; the root directory comes out empty, which joins as "/name".
    return path.substr(0, path.rfind('/'));
}

} // namespace

std::vector<std::string> SearchDirectories()
{
    std::vector<std::string> directories;
    if (std::optional<std::string> own = OwnDirectory())
        directories.push_back(std::move(*own));
    directories.push_back(".");
    const char* const variable = std::getenv("PATH");
    const std::string_view path = variable ? variable : "";
    // An empty entry would mean the current directory, which is already searched.
    for (const std::string_view entry : SplitFields(path, ':'))
        if (!entry.empty())
            directories.emplace_back(entry);
    return directories;
}

/// Looks a program name up as CreateProcess does. Without an extension "name.exe" is
/// tried before "name" (the latter so that host programs can be started too), each in
/// every search directory before the next form is tried, as Windows would find the
/// ".exe" wherever it is. A name with a directory part is taken as it stands, from the
/// root or the current directory. The name and every folder on its way match whatever
/// their case, as on Windows' file system; the search directories themselves are the
/// host's and are taken as they are written.
Lookup FindProgram(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::size_t slash = name.rfind('/');
    const std::string_view file = slash == std::string::npos
                                      ? std::string_view(name)
                                      : std::string_view(name).substr(slash + 1);
    std::vector<std::string> forms;
    if (file.find('.') == std::string_view::npos)
        forms.push_back(std::string(file) + ".exe");
    forms.push_back(std::string(file));

    if (slash != std::string::npos) {
        const bool absolute = name.starts_with('/');
        const std::optional<std::string> directory =
            FindPath(absolute ? "/" : ".", std::string_view(name).substr(0, slash));
        if (!IsDirectory(directory))
            return {{}, ERROR_PATH_NOT_FOUND};
        for (const std::string& form : forms)
            if (std::optional<std::string> path = FindPath(*directory, form); IsFile(path))
                return {std::move(*path)};
        return {{}, ERROR_FILE_NOT_FOUND};
    }
    if (!name.empty()) {
        const std::vector<std::string> directories = SearchDirectories();
        for (const std::string& form : forms)
            for (const std::string& directory : directories)
                if (std::optional<std::string> path = FindPath(directory, form); IsFile(path))
                    return {std::move(*path)};
    }
    return {{}, ERROR_FILE_NOT_FOUND};
}

namespace {

/// Finds the program a command line names. A quoted first token is the program. An
/// unquoted one may hold blanks ("C:\Program Files\App\app.exe /s"), so it is tried up to
/// the first blank, then up to the next, and so on; when none is found, the error is the
/// one for the name up to the first blank.
Lookup FindCommandProgram(std::string_view line)
{
    if (line.starts_with('"')) {
        const std::size_t close = line.find('"', 1);
        return FindProgram(
            std::string(line.substr(1, close == std::string_view::npos ? close : close - 1)));
    }
    std::optional<Lookup> first;
    for (std::size_t end = 0;; ++end) {
        end = line.find_first_of(" \t", end);
        Lookup attempt = FindProgram(std::string(line.substr(0, end)));
        if (attempt.error == ERROR_SUCCESS)
            return attempt;
        if (!first)
            first = std::move(attempt);
        if (end == std::string_view::npos)
            return *first;
    }
}

/// Finds and starts the program `utf8Line` names, handing it `line`, the command line as
/// its "A" calls see it, and `show`. ERROR_SUCCESS once it started, else the error
/// CreateProcess gives (ERROR_ELEVATION_REQUIRED for a program that needs administrator
/// rights).
UINT Start(const std::string& utf8Line, std::string_view line, UINT show)
{
    const Lookup program = FindCommandProgram(utf8Line);
    if (program.error != ERROR_SUCCESS)
        return program.error;
    // CreateProcess refuses a program that needs administrator rights to a process that
    // does not have them.
    if (NeedsElevation(program.path))
        return ERROR_ELEVATION_REQUIRED;
    const UINT started = Spawn(program.path, utf8Line, line, show);
    return started > 31 ? ERROR_SUCCESS : started == 0 ? ERROR_NOT_ENOUGH_MEMORY : started;
}

} // namespace

bool NeedsElevation(const std::string& path)
{
    const char* const variable = std::getenv("KOVA_NEEDS_ELEVATION");
    const std::string_view names = variable ? variable : "";
    const std::string_view file = std::string_view(path).substr(path.rfind('/') + 1);
    for (const std::string_view name : SplitFields(names, ';'))
        if (!name.empty() && SameFileName(name, file))
            return true;
    return false;
}

UINT Spawn(const std::string& path, std::string_view utf8Line, std::string_view line, UINT show)
{
    // The child gets the arguments the Microsoft runtime would give it, and beside them
    // the line itself, in the code page as Windows hands it over, and the show state,
    // which a program on the stand-in takes as its command line and its WinMain's show
    // state; and the process's error mode, which it inherits.
    std::vector<std::string> arguments = SplitCommandLine(utf8Line);
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment =
        StartupInfo{std::string(line), static_cast<int>(show)}.Environment(environ);
    std::erase_if(environment, IsErrorModeHandOver);
    environment.push_back(ErrorModeHandOver());
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t child;
    switch (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), envp.data())) {
    case 0:
        return Started;
    case ENOMEM:
    case EAGAIN:
        return 0;
    default:
        // The file is there but the system cannot run it: no execute permission, not an
        // executable format, or an interpreter or loader that is missing.
        SetLastError(ERROR_BAD_FORMAT);
        return ERROR_BAD_FORMAT;
    }
}

} // namespace kova::posix

UINT WINAPI WinExec(LPCSTR commandLine, UINT showCommand)
{
    // A null command line names nothing at all; WinExec's "out of resources or other
    // failure" value fits it better than a file error. An empty one names a file that
    // cannot exist, and gets ERROR_FILE_NOT_FOUND as on Windows.
    using namespace kova::posix;
    UINT result = 0;
    try {
        if (commandLine) {
            // The command line is text in the ANSI code page; the host's file names and
            // the started program's arguments are UTF-8.
            const UINT error = Start(WideToUtf8(AnsiToWide(commandLine)), commandLine, showCommand);
            if (error != ERROR_SUCCESS)
                SetLastError(error);
            // WinExec passes the refusal of a program that needs elevation on as
            // ERROR_BAD_FORMAT; the last error tells the reason.
            result = error == ERROR_SUCCESS              ? Started
                     : error == ERROR_ELEVATION_REQUIRED ? ERROR_BAD_FORMAT
                     : error == ERROR_NOT_ENOUGH_MEMORY  ? 0
                                                         : error;
        }
    } catch (const std::bad_alloc&) {
        result = 0;
    }
    return CallRecord::Returned("WinExec", result, CallRecord::Text{commandLine}, showCommand);
}

BOOL WINAPI CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCWSTR currentDirectory,
                           LPSTARTUPINFOW startupInfo, LPPROCESS_INFORMATION processInformation)
{
    using namespace kova::posix;
    BOOL result = FALSE;
    try {
        UINT error = ERROR_INVALID_PARAMETER;
        // What the launcher passes is all the stand-in takes: the program is found from
        // the command line, in the folders WinExec searches.
        if (commandLine && !applicationName && !environment && !currentDirectory && startupInfo &&
            processInformation) {
            const UINT show = startupInfo->dwFlags & STARTF_USESHOWWINDOW ? startupInfo->wShowWindow
                                                                          : SW_SHOWDEFAULT;
            const std::u16string line(commandLine);
            // The started program's "A" calls see its command line in the code page.
            error = Start(WideToUtf8(line), WideToAnsi(line), show);
        }
        if (error == ERROR_SUCCESS) {
            processInformation->hProcess = NewProcessHandle();
            processInformation->hThread = NewProcessHandle();
            processInformation->dwProcessId = 0;
            processInformation->dwThreadId = 0;
            result = TRUE;
        } else {
            SetLastError(error);
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return CallRecord::Returned(
        "CreateProcessW", result, CallRecord::WideText{applicationName},
        CallRecord::WideText{commandLine}, processAttributes, threadAttributes, inheritHandles,
        creationFlags, environment, CallRecord::WideText{currentDirectory},
        CallRecord::Startup{startupInfo}, CallRecord::Buffer{processInformation});
}
