/// kernel32's file attribute query over the host's file system.
#include <windows.h>

#include <algorithm>
#include <string>
#include <sys/stat.h>

DWORD WINAPI GetFileAttributesA(LPCSTR fileName)
{
    if (!fileName || !*fileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    // Backslashes separate folders, as they do in the paths the launcher is given.
    std::string path(fileName);
    std::replace(path.begin(), path.end(), '\\', '/');
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}
