/// The SearchPath calls and shell32's ShellExecute calls, over the stand-in's own program
/// search. The "A" calls take text in the ANSI code page, the "W" calls UTF-16.
#include "CallRecord.h"
#include "CodePage.h"
#include "FileNames.h"
#include "Process.h"
#include "SplitFields.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>

namespace {

using namespace kova::posix;

std::string Utf8(const char* ansi)
{
    return WideToUtf8(AnsiToWide(ansi));
}

/// The path of the file `name` names (UTF-8, '/'-separated), looked for in `folders`
/// when it has no folder part of its own.
std::optional<std::string> Search(const std::string& name, const std::vector<std::string>& folders)
{
    if (name.find('/') != std::string::npos) {
        std::optional<std::string> path = FindPath(name.starts_with('/') ? "/" : ".", name);
        return IsFile(path) ? path : std::nullopt;
    }
    for (const std::string& folder : folders)
        if (std::optional<std::string> path = FindPath(folder, name); IsFile(path))
            return path;
    return std::nullopt;
}

/// The file SearchPath finds for `fileName` (UTF-8) in the ';'-separated `path`, or where
/// WinExec looks when there is none; `extension` is added to a name that has none.
std::optional<std::string> SearchFor(const std::optional<std::string>& path, std::string name,
                                     const std::optional<std::string>& extension)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    if (extension && name.substr(name.rfind('/') + 1).find('.') == std::string::npos)
        name += *extension;
    std::vector<std::string> folders;
    if (path) {
        for (const std::string_view folder : SplitFields(*path, ';'))
            if (!folder.empty())
                folders.emplace_back(folder);
    } else {
        folders = SearchDirectories();
    }
    return Search(name, folders);
}

/// Hands SearchPath's result out in `buffer` as its "A" or "W" form does: too small a
/// buffer gets the size it needs, the terminator included.
template <class Char>
DWORD HandOutPath(const std::basic_string<Char>& found, DWORD bufferLength, Char* buffer,
                  Char** filePart)
{
    if (found.size() >= bufferLength)
        return static_cast<DWORD>(found.size() + 1);
    std::copy(found.begin(), found.end(), buffer);
    buffer[found.size()] = 0;
    if (filePart)
        *filePart = buffer + found.rfind('/') + 1;
    return static_cast<DWORD>(found.size());
}

template <class Char>
bool BadSearch(const Char* fileName, DWORD bufferLength, const Char* buffer)
{
    if (!fileName || !*fileName || (bufferLength > 0 && !buffer)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return true;
    }
    return false;
}

std::optional<std::string> Utf8Of(LPCSTR ansi)
{
    return ansi ? std::optional<std::string>(Utf8(ansi)) : std::nullopt;
}

std::optional<std::string> Utf8Of(LPCWSTR wide)
{
    return wide ? std::optional<std::string>(WideToUtf8(wide)) : std::nullopt;
}

template <class Char>
DWORD SearchPath(const Char* path, const Char* fileName, const Char* extension, DWORD bufferLength,
                 Char* buffer, Char** filePart)
{
    if (BadSearch(fileName, bufferLength, buffer))
        return 0;
    const std::optional<std::string> found =
        SearchFor(Utf8Of(path), *Utf8Of(fileName), Utf8Of(extension));
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::u16string wide = Utf8ToWide(*found);
    if constexpr (sizeof(Char) == 1)
        return HandOutPath(WideToAnsi(wide), bufferLength, buffer, filePart);
    else
        return HandOutPath(wide, bufferLength, buffer, filePart);
}

HINSTANCE Failure(UINT error)
{
    SetLastError(error);
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(error));
}

/// Whether `verb` is the only one the stand-in knows: "open", in any case, or none.
template <class Char>
bool IsOpen(const Char* verb)
{
    const char open[] = "open";
    for (std::size_t i = 0; i < 4; ++i)
        if (!verb[i] || (verb[i] | 0x20) != open[i])
            return false;
    return verb[4] == 0;
}

/// Opens the program `file` (UTF-8) names with the command line `utf8Line`; `line` is the
/// same as its "A" calls see it, in the code page.
HINSTANCE ShellExecute(bool knownVerb, const std::optional<std::string>& file,
                       const std::string& utf8Line, const std::string& line, bool directory,
                       INT show)
{
    if (!knownVerb)
        return Failure(SE_ERR_NOASSOC);
    // The launcher never gives a working folder; the stand-in does not take one.
    if (!file || directory)
        return Failure(directory ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
    const Lookup program = FindProgram(*file);
    if (program.error != ERROR_SUCCESS)
        return Failure(program.error);
    const UINT started = Spawn(program.path, utf8Line, line, static_cast<UINT>(show));
    return started > 31 ? reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42))
                        : Failure(started);
}

/// The command line the shell gives a program: its quoted name and the parameters.
template <class Char>
std::basic_string<Char> ShellLine(const Char* file, const Char* parameters)
{
    std::basic_string<Char> line(1, '"');
    line += file;
    line += '"';
    if (parameters && *parameters) {
        line += ' ';
        line += parameters;
    }
    return line;
}

} // namespace

DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR fileName, LPCSTR extension, DWORD bufferLength,
                         LPSTR buffer, LPSTR* filePart)
{
    try {
        return SearchPath(path, fileName, extension, bufferLength, buffer, filePart);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

DWORD WINAPI SearchPathW(LPCWSTR path, LPCWSTR fileName, LPCWSTR extension, DWORD bufferLength,
                         LPWSTR buffer, LPWSTR* filePart)
{
    try {
        return SearchPath(path, fileName, extension, bufferLength, buffer, filePart);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT showCommand)
{
    HINSTANCE result;
    try {
        const std::string line = file ? ShellLine(file, parameters) : "";
        result = ShellExecute(!verb || IsOpen(verb), Utf8Of(file), Utf8(line.c_str()), line,
                              directory != nullptr, showCommand);
    } catch (const std::bad_alloc&) {
        result = Failure(ERROR_NOT_ENOUGH_MEMORY);
    }
    return CallRecord::Returned("ShellExecuteA", result, window, CallRecord::Text{verb},
                                CallRecord::Text{file}, CallRecord::Text{parameters},
                                CallRecord::Text{directory}, showCommand);
}

HINSTANCE WINAPI ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                               LPCWSTR directory, INT showCommand)
{
    HINSTANCE result;
    try {
        // The started program's "A" calls see its command line in the code page.
        const std::u16string line = file ? ShellLine<char16_t>(file, parameters) : u"";
        result = ShellExecute(!verb || IsOpen(verb), Utf8Of(file), WideToUtf8(line),
                              WideToAnsi(line), directory != nullptr, showCommand);
    } catch (const std::bad_alloc&) {
        result = Failure(ERROR_NOT_ENOUGH_MEMORY);
    }
    return CallRecord::Returned("ShellExecuteW", result, window, CallRecord::WideText{verb},
                                CallRecord::WideText{file}, CallRecord::WideText{parameters},
                                CallRecord::WideText{directory}, showCommand);
}
