/// kernel32's file attribute query and the current directory, over the host's file system.
#include "CallRecord.h"
#include "CodePage.h"
#include "FileNames.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// The attributes of the file `path` (UTF-8) names; backslashes separate its folders, and
/// each part matches whatever its case, as on Windows.
DWORD Attributes(std::string path)
{
    using namespace kova::posix;
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    try {
        std::replace(path.begin(), path.end(), '\\', '/');
        const bool absolute = path.starts_with('/');
        const std::optional<std::string> found = FindPath(absolute ? "/" : ".", path);
        struct stat info;
        if (!found || stat(found->c_str(), &info) != 0) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_FILE_ATTRIBUTES;
        }
        return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_FILE_ATTRIBUTES;
    }
}

} // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR fileName)
{
    // The name is text in the code page.
    return Attributes(fileName ? kova::posix::WideToUtf8(kova::posix::AnsiToWide(fileName))
                               : std::string());
}

DWORD WINAPI GetFileAttributesW(LPCWSTR fileName)
{
    return Attributes(fileName ? kova::posix::WideToUtf8(fileName) : std::string());
}

BOOL WINAPI SetCurrentDirectoryW(LPCWSTR pathName)
{
    using namespace kova::posix;
    BOOL done = FALSE;
    try {
        std::string path = pathName ? WideToUtf8(pathName) : std::string();
        std::replace(path.begin(), path.end(), '\\', '/');
        const std::optional<std::string> found =
            path.empty() ? std::nullopt : FindPath(path.starts_with('/') ? "/" : ".", path);
        if (!found) {
            SetLastError(ERROR_FILE_NOT_FOUND);
        } else if (!IsDirectory(found)) {
            SetLastError(ERROR_DIRECTORY);
        } else if (chdir(found->c_str()) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
        } else {
            done = TRUE;
        }
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return kova::posix::CallRecord::Returned("SetCurrentDirectoryW", done,
                                             kova::posix::CallRecord::WideText{pathName});
}
