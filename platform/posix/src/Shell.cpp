/// SearchPathA and shell32's ShellExecuteA, over the stand-in's own program search.
#include "CallRecord.h"
#include "CodePage.h"
#include "FileNames.h"
#include "Process.h"
#include "SplitFields.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <strings.h>
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

DWORD SearchPath(LPCSTR path, LPCSTR fileName, LPCSTR extension, DWORD bufferLength, LPSTR buffer,
                 LPSTR* filePart)
{
    if (!fileName || !*fileName || (bufferLength > 0 && !buffer)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name = Utf8(fileName);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (extension && name.substr(name.rfind('/') + 1).find('.') == std::string::npos)
        name += Utf8(extension);
    std::vector<std::string> folders;
    if (path) {
        const std::string list = Utf8(path);
        for (const std::string_view folder : SplitFields(list, ';'))
            if (!folder.empty())
                folders.emplace_back(folder);
    } else {
        folders = SearchDirectories();
    }
    const std::optional<std::string> found = Search(name, folders);
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const std::string ansi = WideToAnsi(Utf8ToWide(*found));
    // Too small a buffer gets the size it needs, the terminator included.
    if (ansi.size() >= bufferLength)
        return static_cast<DWORD>(ansi.size() + 1);
    std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
    if (filePart)
        *filePart = buffer + ansi.rfind('/') + 1;
    return static_cast<DWORD>(ansi.size());
}

HINSTANCE Failure(UINT error)
{
    SetLastError(error);
    return reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(error));
}

HINSTANCE ShellExecute(LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show)
{
    if (verb && (std::strlen(verb) != 4 || strncasecmp(verb, "open", 4) != 0))
        return Failure(SE_ERR_NOASSOC);
    // The launcher never gives a working folder; the stand-in does not take one.
    if (!file || directory)
        return Failure(directory ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
    const Lookup program = FindProgram(Utf8(file));
    if (program.error != ERROR_SUCCESS)
        return Failure(program.error);
    // The program gets its quoted name and the parameters as its command line.
    std::string line = std::string("\"") + file + '"';
    if (parameters && *parameters)
        line += std::string(" ") + parameters;
    const UINT started = Spawn(program.path, WideToUtf8(AnsiToWide(line)), line, static_cast<UINT>(show));
    return started > 31 ? reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42)) : Failure(started);
}

} // namespace

DWORD WINAPI SearchPathA(LPCSTR path, LPCSTR fileName, LPCSTR extension, DWORD bufferLength, LPSTR buffer,
                         LPSTR* filePart)
{
    try {
        return SearchPath(path, fileName, extension, bufferLength, buffer, filePart);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

HINSTANCE WINAPI ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                               INT showCommand)
{
    HINSTANCE result;
    try {
        result = ShellExecute(verb, file, parameters, directory, showCommand);
    } catch (const std::bad_alloc&) {
        result = Failure(ERROR_NOT_ENOUGH_MEMORY);
    }
    return CallRecord::Returned("ShellExecuteA", result, window, CallRecord::Text{verb}, CallRecord::Text{file},
                                CallRecord::Text{parameters}, CallRecord::Text{directory}, showCommand);
}
