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

/// The shell's verb, spelled out so that it is UTF-16 whatever WCHAR is.
constexpr WCHAR kOpen[] = {'o', 'p', 'e', 'n', 0};

std::size_t Length(const WCHAR* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

/// Whether CreateProcess would find a program by this name.
bool IsStartable(const WCHAR* name, void*)
{
    WCHAR path[MAX_PATH];
    return FindProgramFile(name, NULL, path);
}

} // namespace

void StartThroughShell(const WCHAR* commandLine)
{
    CommandProgram<WCHAR> split;
    SplitCommandProgram(commandLine, IsStartable, NULL, split);
    ShellExecuteW(NULL, kOpen, split.program, split.parameters, NULL, SW_SHOWNORMAL);
}

void StartProgram(const WCHAR* commandLine)
{
    // CreateProcessW may write to its command line, so it gets a copy, as WinExec gives it.
    WCHAR line[kMaxCommandLine + 1];
    const std::size_t length = Length(commandLine);
    if (length > kMaxCommandLine) {
        return;
    }
    std::memcpy(line, commandLine, (length + 1) * sizeof(WCHAR));
    STARTUPINFOW startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    if (CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return;
    }
    if (GetLastError() == ERROR_ELEVATION_REQUIRED) {
        StartThroughShell(commandLine);
    }
}

} // namespace autorun
