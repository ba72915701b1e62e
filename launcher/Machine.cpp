#include "launcher/Machine.h"

namespace autorun {

namespace {

typedef BOOL(WINAPI* IsWow64ProcessCall)(HANDLE process, BOOL* wow64);
typedef BOOL(WINAPI* IsWow64Process2Call)(HANDLE process, USHORT* processMachine,
                                          USHORT* nativeMachine);
typedef HRESULT(WINAPI* GetMachineTypeAttributesCall)(USHORT machine,
                                                      MACHINE_ATTRIBUTES* attributes);

/// The machine's code runs in user mode: its programs start.
constexpr int kUserEnabled = 0x1;

/// A kernel32 function by name, or null where this Windows has none of that name.
template <class Call>
Call Kernel32Call(HMODULE kernel32, const char* name)
{
    // Through a pointer to a function of no arguments, the one type that function types
    // convert through without a warning.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

/// Whether the setting has a value: one written without counts as not set.
bool HasValue(const LaunchSettings& settings, SettingKey key)
{
    return settings.Value(key)[0] != '\0';
}

} // namespace

bool NamesMachineSetups(const LaunchSettings& settings)
{
    return HasValue(settings, SettingKey::SetupNameX64) ||
           HasValue(settings, SettingKey::SetupNameArm64);
}

SettingKey SetupFor(const LaunchSettings& settings, Machine machine)
{
    const bool x64 = HasValue(settings, SettingKey::SetupNameX64);
    switch (machine) {
    case Machine::Arm64:
    case Machine::Arm64WithoutX64:
        if (HasValue(settings, SettingKey::SetupNameArm64)) {
            return SettingKey::SetupNameArm64;
        }
        return x64 && machine == Machine::Arm64 ? SettingKey::SetupNameX64 : SettingKey::SetupName;
    case Machine::X64:
        return x64 ? SettingKey::SetupNameX64 : SettingKey::SetupName;
    case Machine::NotAsked:
    case Machine::X86:
        break;
    }
    return SettingKey::SetupName;
}

Machine MachineOf(USHORT nativeMachine, bool runsX64)
{
    switch (nativeMachine) {
    case IMAGE_FILE_MACHINE_AMD64:
        return Machine::X64;
    case IMAGE_FILE_MACHINE_ARM64:
        return runsX64 ? Machine::Arm64 : Machine::Arm64WithoutX64;
    default:
        return Machine::X86;
    }
}

Machine NativeMachine()
{
    // kernel32 is in every process from its start: asking for it loads nothing.
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    const auto isWow64Process2 = Kernel32Call<IsWow64Process2Call>(kernel32, "IsWow64Process2");
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (isWow64Process2 != nullptr &&
        isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine)) {
        bool runsX64 = false;
        if (nativeMachine == IMAGE_FILE_MACHINE_ARM64) {
            const auto getMachineTypeAttributes =
                Kernel32Call<GetMachineTypeAttributesCall>(kernel32, "GetMachineTypeAttributes");
            MACHINE_ATTRIBUTES attributes = static_cast<MACHINE_ATTRIBUTES>(0);
            runsX64 = getMachineTypeAttributes != nullptr &&
                      getMachineTypeAttributes(IMAGE_FILE_MACHINE_AMD64, &attributes) == S_OK &&
                      (static_cast<int>(attributes) & kUserEnabled) != 0;
        }
        return MachineOf(nativeMachine, runsX64);
    }
#ifdef _WIN64
    // A 64-bit program is not under WoW64, which IsWow64Process tells: it runs on x64 itself.
    return Machine::X64;
#else
    const auto isWow64Process = Kernel32Call<IsWow64ProcessCall>(kernel32, "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64
               ? Machine::X64
               : Machine::X86;
#endif
}

} // namespace autorun
