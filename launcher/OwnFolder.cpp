#include "launcher/OwnFolder.h"

namespace autorun {

bool OwnFolder(WCHAR* folder, DWORD capacity)
{
    const DWORD length = GetModuleFileNameW(NULL, folder, capacity);
    // A name that fills the buffer was cut short (and Windows XP leaves it unterminated).
    if (length == 0 || length >= capacity) {
        return false;
    }
    DWORD end = length;
    while (end > 0 && folder[end - 1] != '\\' && folder[end - 1] != '/') {
        --end;
    }
    folder[end] = 0;
    return end > 0;
}

bool EnterOwnFolder()
{
    // MAX_PATH bounds the current directory too: a folder with a longer name could not
    // become it.
    WCHAR folder[MAX_PATH];
    return OwnFolder(folder, MAX_PATH) && SetCurrentDirectoryW(folder);
}

} // namespace autorun
