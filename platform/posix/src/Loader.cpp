/// kernel32's calls for finding functions, for where DLLs are loaded from, and for the
/// error modes. The stand-in loads no DLLs, so where they are loaded from changes nothing
/// here: those calls check their arguments as Windows does, so that a program's calls take
/// the road they take there. A program the stand-in starts inherits the process's error
/// mode, as on Windows.
#include "CallRecord.h"
#include "Module.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <string_view>

using kova::posix::CallRecord;

namespace {

constexpr DWORD kSearchFlags = 0x200 | 0x400 | LOAD_LIBRARY_SEARCH_SYSTEM32 | 0x1000;
constexpr DWORD kErrorModes =
    SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

constexpr std::string_view kErrorModeVariable = "KOVA_ERROR_MODE";

/// The process's error mode: from its start, the one the program that started it had.
std::atomic<UINT>& ProcessErrorMode()
{
    static std::atomic<UINT> mode{[] {
        const char* const handed = std::getenv(std::string(kErrorModeVariable).c_str());
        return handed ? static_cast<UINT>(std::strtoul(handed, nullptr, 10)) & kErrorModes : 0u;
    }()};
    return mode;
}

thread_local DWORD gThreadErrorMode = 0;

/// Whether KOVA_KERNEL32_WITHOUT (names separated by ';') names `name`: the stand-in then
/// plays a kernel32 that lacks it, as Windows 7 without update KB2533623 lacks
/// SetDefaultDllDirectories.
bool Withheld(std::string_view name)
{
    const char* const list = std::getenv("KOVA_KERNEL32_WITHOUT");
    for (std::string_view rest = list ? list : ""; !rest.empty();) {
        const std::size_t end = rest.find(';');
        if (rest.substr(0, end) == name)
            return true;
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return false;
}

/// A function as GetProcAddress gives it, through the one function type that others
/// convert to without a warning.
template <class Function>
FARPROC Export(Function* function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

FARPROC Find(HMODULE module, LPCSTR name)
{
    // The calls that not every Windows has, which programs therefore look up by name.
    static const struct {
        std::string_view name;
        FARPROC call;
    } exports[] = {
        {"SetDefaultDllDirectories", Export(&SetDefaultDllDirectories)},
        {"SetThreadErrorMode", Export(&SetThreadErrorMode)},
        {"GetThreadErrorMode", Export(&GetThreadErrorMode)},
        {"IsWow64Process", Export(&IsWow64Process)},
        {"IsWow64Process2", Export(&IsWow64Process2)},
        {"GetMachineTypeAttributes", Export(&GetMachineTypeAttributes)},
    };
    // NULL stands for the program's own image, which exports nothing.
    if (module != kova::posix::Kernel32Module() || !name) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    for (const auto& entry : exports) {
        if (entry.name == name && !Withheld(entry.name))
            return entry.call;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

} // namespace

namespace kova::posix {

std::string ErrorModeHandOver()
{
    return std::string(kErrorModeVariable) + '=' + std::to_string(ProcessErrorMode().load());
}

bool IsErrorModeHandOver(std::string_view entry)
{
    return entry.starts_with(kErrorModeVariable) &&
           entry.substr(kErrorModeVariable.size()).starts_with('=');
}

} // namespace kova::posix

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName)
{
    FARPROC found = Find(module, procName);
    CallRecord::Returned("GetProcAddress", reinterpret_cast<const void*>(found), module,
                         CallRecord::Text{procName});
    return found;
}

BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags)
{
    BOOL done = FALSE;
    if (directoryFlags == 0 || (directoryFlags & ~kSearchFlags) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else {
        done = TRUE;
    }
    return CallRecord::Returned("SetDefaultDllDirectories", done, directoryFlags);
}

BOOL WINAPI SetDllDirectoryA(LPCSTR pathName)
{
    // Any folder, "" too, takes the current folder out of the search; NULL puts it back.
    return CallRecord::Returned("SetDllDirectoryA", TRUE, CallRecord::Text{pathName});
}

UINT WINAPI SetErrorMode(UINT mode)
{
    return CallRecord::Returned("SetErrorMode", ProcessErrorMode().exchange(mode & kErrorModes),
                                mode);
}

UINT WINAPI GetErrorMode(void)
{
    return ProcessErrorMode();
}

DWORD WINAPI GetThreadErrorMode(void)
{
    return gThreadErrorMode;
}

BOOL WINAPI SetThreadErrorMode(DWORD newMode, LPDWORD oldMode)
{
    BOOL done = FALSE;
    if ((newMode & ~kErrorModes) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
    } else {
        if (oldMode)
            *oldMode = gThreadErrorMode;
        gThreadErrorMode = newMode;
        done = TRUE;
    }
    return CallRecord::Returned("SetThreadErrorMode", done, newMode,
                                CallRecord::Out<DWORD>{oldMode});
}
