/// The registry roots "AppRegistry=" may name: one table, read both ways.
#ifndef KOVA_LAUNCHER_REGISTRYROOT_H
#define KOVA_LAUNCHER_REGISTRYROOT_H

#include <windows.h>

namespace autorun {

struct RegistryRootEntry {
    const char* name;      ///< the full name, as "AppRegistry=" must spell it
    const char* shortName; ///< the abbreviation the registry editor and reg.exe take
    HKEY key;
};

/// The roots in the order "AppRegistry=" is compared with them; the last, the current
/// user's, is also what any other value means.
constexpr int kRegistryRootCount = 5;
extern const RegistryRootEntry kRegistryRoots[kRegistryRootCount];

/// The root whose full name is exactly `appReg` (HKEY_USERS, HKEY_CLASSES_ROOT,
/// HKEY_LOCAL_MACHINE or HKEY_CURRENT_CONFIG); anything else means HKEY_CURRENT_USER.
HKEY RegistryRoot(const char* appReg);

/// The root's full name ("HKEY_CURRENT_USER"), from the same table.
const char* RootName(HKEY root);

} // namespace autorun

#endif
