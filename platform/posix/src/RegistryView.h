/// The registry views of 64-bit Windows, as a 32-bit process sees them.
#ifndef KOVA_POSIX_REGISTRYVIEW_H
#define KOVA_POSIX_REGISTRYVIEW_H

#include <windows.h>

#include <string>

namespace kova::posix {

/// Which Windows the process plays, as far as the registry's views go.
enum class ProcessKind {
    OneView,   ///< 32-bit Windows: one view, whatever the access asks for
    Process32, ///< a 32-bit program on 64-bit Windows: the 32-bit view unless it asks
    Process64, ///< a 64-bit program on 64-bit Windows: the 64-bit view unless it asks
};

/// The process's kind: KOVA_WINDOWS64 names its width on 64-bit Windows ("32" or "64");
/// without it, a 32-bit program when KOVA_NATIVE_MACHINE names a 64-bit machine ("x64",
/// "arm64"), else 32-bit Windows. Read on first use; a process keeps its kind.
ProcessKind CurrentProcessKind();

/// Reads KOVA_WINDOWS64 and KOVA_NATIVE_MACHINE again, so that tests can switch within one
/// process.
void ReloadProcessKind();

/// Where the key `path` ("HKEY_LOCAL_MACHINE\Software\Maker") lies for a process of
/// `kind` that opens it with `desired` access. In the 32-bit view of 64-bit Windows, keys
/// below HKEY_LOCAL_MACHINE\Software are read from HKEY_LOCAL_MACHINE\Software\WOW6432Node,
/// except the keys Windows shares between the views (App Paths, Policies, ...), and the COM
/// keys of the class registries (CLSID, Interface, ...) from their own WOW6432Node. A
/// 32-bit process sees that view unless it asks for KEY_WOW64_64KEY; a 64-bit one only
/// when it asks for KEY_WOW64_32KEY.
std::u16string ViewKeyPath(const std::u16string& path, REGSAM desired, ProcessKind kind);

} // namespace kova::posix

#endif
