#include "framework/gui/HardenProcess.h"

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace kova {

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesCall)(DWORD directoryFlags);
typedef BOOL(WINAPI* SetThreadErrorModeCall)(DWORD newMode, LPDWORD oldMode);

/// A kernel32 function by name, or null where this Windows has none of that name.
template <class Call>
Call Kernel32Call(HMODULE kernel32, const char* name)
{
    // Through a pointer to a function of no arguments, the one type that function types
    // convert through without a warning.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

} // namespace

void HardenProcess()
{
    // kernel32 is in every process from its start: asking for it loads nothing.
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    // From Windows 8 on, and on Windows 7 with update KB2533623.
    const auto setDefaultDllDirectories =
        Kernel32Call<SetDefaultDllDirectoriesCall>(kernel32, "SetDefaultDllDirectories");
    if (setDefaultDllDirectories == nullptr ||
        !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryA("");
    }
    // From Windows 7 on. Where it is missing, the process's error mode is left alone: a
    // quiet launcher is worth less than a setup program that can ask for its next disc.
    const auto setThreadErrorMode =
        Kernel32Call<SetThreadErrorModeCall>(kernel32, "SetThreadErrorMode");
    if (setThreadErrorMode != nullptr) {
        setThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr);
    }
}

} // namespace kova
