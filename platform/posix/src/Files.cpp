/// kernel32's file attribute query over the host's file system.
#include "CodePage.h"
#include "FileNames.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <sys/stat.h>

DWORD WINAPI GetFileAttributesA(LPCSTR fileName)
{
    using namespace kova::posix;
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    try {
        // The name is text in the code page, and backslashes separate its folders; each
        // part matches whatever its case, as on Windows.
        std::string path = WideToUtf8(AnsiToWide(fileName));
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
