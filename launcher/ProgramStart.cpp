#include "launcher/ProgramStart.h"

#include "launcher/CommandProgram.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#ifndef ERROR_ELEVATION_REQUIRED
// Not in every SDK's headers; Windows has answered it since Vista.
#define ERROR_ELEVATION_REQUIRED 740L
#endif

namespace autorun {

namespace {

/// Whether CreateProcess would find a program by this name: a bare name where SearchPathA
/// looks (the launcher's folder first), a name with a folder part where it stands; ".exe"
/// is added to a name without an extension.
bool IsStartable(const char* name, void*)
{
    char path[MAX_PATH];
    if (!HasFolderPart(name)) {
        return SearchPathA(NULL, name, kProgramExtension, MAX_PATH, path, NULL) != 0;
    }
    if (!AddsProgramExtension(name)) {
        return IsProgramFile(name);
    }
    const std::size_t length = std::strlen(name);
    if (length + sizeof kProgramExtension > sizeof path) {
        return false;
    }
    std::memcpy(path, name, length);
    std::memcpy(path + length, kProgramExtension, sizeof kProgramExtension);
    return IsProgramFile(path);
}

} // namespace

void StartThroughShell(const char* commandLine)
{
    CommandProgram split;
    SplitCommandProgram(commandLine, IsStartable, NULL, split);
    ShellExecuteA(NULL, "open", split.program, split.parameters, NULL, SW_SHOWNORMAL);
}

void StartProgram(const char* commandLine)
{
    // WinExec's value is above 31 when the program started.
    if (WinExec(commandLine, SW_SHOWNORMAL) > 31) {
        return;
    }
    if (GetLastError() == ERROR_ELEVATION_REQUIRED) {
        StartThroughShell(commandLine);
    }
}

} // namespace autorun
