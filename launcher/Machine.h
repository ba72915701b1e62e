/// The machine a setup program is chosen for, and the rule that chooses it.
#ifndef KOVA_LAUNCHER_MACHINE_H
#define KOVA_LAUNCHER_MACHINE_H

#include "launcher/LaunchSettings.h"

#include <windows.h>

namespace autorun {

/// The kinds of Windows whose setup programs a disc may tell apart, by the machine Windows
/// itself runs on (not the launcher's, which is a 32-bit x86 program everywhere).
enum class Machine {
    NotAsked,        ///< the file names no setup for one machine, so Windows was not asked
    X86,             ///< 32-bit Windows, or a machine the launcher does not know
    X64,             ///< 64-bit x86 Windows
    Arm64,           ///< ARM64 Windows that runs x64 programs too (Windows 11)
    Arm64WithoutX64, ///< ARM64 Windows that runs only x86 and ARM64 programs (Windows 10)
};

/// Whether the file names a setup program for one machine ("SetupNameX64=" or
/// "SetupNameArm64=" with a value): only then does the launcher ask Windows what it runs on.
bool NamesMachineSetups(const LaunchSettings& settings);

/// Which setting names the setup program for `machine`. ARM64: "SetupNameArm64=" when
/// set; else "SetupNameX64=" when set and the machine runs x64 programs; else "SetupName=".
/// x64: "SetupNameX64=" when set, else "SetupName=". Any other (and NotAsked):
/// "SetupName=". A setting with an empty value counts as not set. Asks nothing of Windows.
SettingKey SetupFor(const LaunchSettings& settings, Machine machine);

/// The machine that Windows' native machine number means; `runsX64` is whether an ARM64
/// Windows runs x64 programs.
Machine MachineOf(USHORT nativeMachine, bool runsX64);

/// Asks Windows what it runs on: IsWow64Process2 where Windows has it (Windows 10 1709 on);
/// else IsWow64Process, whose yes means x64 (Windows 7 and 8.1 run on nothing else with
/// WoW64). On ARM64, GetMachineTypeAttributes tells whether x64 programs run (Windows 11);
/// where it is missing they do not. Each call is looked up in kernel32 by name, so that the
/// launcher still starts on a Windows without it.
Machine NativeMachine();

} // namespace autorun

#endif
