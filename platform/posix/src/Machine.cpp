/// kernel32's answers about the machine, as Windows gives them to a program: under WoW64 (a
/// 32-bit program on 64-bit Windows) IsWow64Process says yes and IsWow64Process2 names the
/// process's machine, x86; on ARM64 Windows an x86 program runs under WoW64 too, and x64
/// programs (Windows 11) run emulated in the native namespace, not under WoW64.
#include "Machine.h"

#include "CallRecord.h"
#include "RegistryView.h"

#include <cstdlib>
#include <cstring>

using kova::posix::CallRecord;

namespace kova::posix {

USHORT NativeMachineNumber()
{
    const char* const machine = std::getenv("KOVA_NATIVE_MACHINE");
    if (machine && std::strcmp(machine, "x86") == 0)
        return IMAGE_FILE_MACHINE_I386;
    if (machine && std::strcmp(machine, "x64") == 0)
        return IMAGE_FILE_MACHINE_AMD64;
    if (machine && std::strcmp(machine, "arm64") == 0)
        return IMAGE_FILE_MACHINE_ARM64;
    return std::getenv("KOVA_WINDOWS64") ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
}

} // namespace kova::posix

namespace {

using namespace kova::posix;

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

/// Whether the process is a 32-bit program under WoW64: one on a 64-bit machine.
bool UnderWow64()
{
    return CurrentProcessKind() == ProcessKind::Process32 &&
           NativeMachineNumber() != IMAGE_FILE_MACHINE_I386;
}

/// What Windows answers for `machine`'s code: the native machine's runs everywhere; x86
/// code on a 64-bit machine runs in user mode under WoW64; x64 code on ARM64 in user mode,
/// emulated, unless KOVA_X64_EMULATION=0 plays a Windows without that emulation.
DWORD Attributes(USHORT machine)
{
    const USHORT native = NativeMachineNumber();
    if (machine == native)
        return UserEnabled | KernelEnabled;
    if (machine == IMAGE_FILE_MACHINE_I386 && native != IMAGE_FILE_MACHINE_I386)
        return UserEnabled | Wow64Container;
    const char* const emulation = std::getenv("KOVA_X64_EMULATION");
    if (machine == IMAGE_FILE_MACHINE_AMD64 && native == IMAGE_FILE_MACHINE_ARM64 &&
        !(emulation && std::strcmp(emulation, "0") == 0))
        return UserEnabled;
    return 0;
}

} // namespace

HANDLE WINAPI GetCurrentProcess(void)
{
    return kCurrentProcess;
}

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64Process)
{
    BOOL done = FALSE;
    if (process != kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (wow64Process) {
        *wow64Process = UnderWow64() ? TRUE : FALSE;
        done = TRUE;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return CallRecord::Returned("IsWow64Process", done, process,
                                CallRecord::Out<BOOL>{done ? wow64Process : nullptr});
}

BOOL WINAPI IsWow64Process2(HANDLE process, USHORT* processMachine, USHORT* nativeMachine)
{
    BOOL done = FALSE;
    if (process != kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
    } else if (processMachine) {
        // A process that is not under WoW64 has no machine of its own to name.
        *processMachine = UnderWow64() ? IMAGE_FILE_MACHINE_I386 : IMAGE_FILE_MACHINE_UNKNOWN;
        if (nativeMachine)
            *nativeMachine = NativeMachineNumber();
        done = TRUE;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return CallRecord::Returned("IsWow64Process2", done, process,
                                CallRecord::Out<USHORT>{done ? processMachine : nullptr},
                                CallRecord::Out<USHORT>{done ? nativeMachine : nullptr});
}

HRESULT WINAPI GetMachineTypeAttributes(USHORT machine, MACHINE_ATTRIBUTES* attributes)
{
    HRESULT result = E_INVALIDARG;
    DWORD shown = 0;
    if (attributes) {
        shown = Attributes(machine);
        *attributes = static_cast<MACHINE_ATTRIBUTES>(shown);
        result = S_OK;
    }
    return CallRecord::Returned("GetMachineTypeAttributes", result, machine,
                                CallRecord::Out<DWORD>{attributes ? &shown : nullptr});
}
