/// The machine the stand-in plays: what Windows runs on, under the process.
#ifndef KOVA_POSIX_MACHINE_H
#define KOVA_POSIX_MACHINE_H

#include <windows.h>

namespace kova::posix {

/// The native machine's IMAGE_FILE_MACHINE_ number: KOVA_NATIVE_MACHINE's "x86", "x64" or
/// "arm64"; without it (or with another value), x64 when KOVA_WINDOWS64 is set, else x86.
/// Read on every call, as the process's environment stands.
USHORT NativeMachineNumber();

} // namespace kova::posix

#endif
