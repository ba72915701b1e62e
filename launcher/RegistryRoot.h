/// Which registry root "AppRegistry=" names.
#ifndef KOVA_LAUNCHER_REGISTRYROOT_H
#define KOVA_LAUNCHER_REGISTRYROOT_H

#include <windows.h>

/// The root whose full name is exactly `appReg` (HKEY_USERS, HKEY_CLASSES_ROOT,
/// HKEY_LOCAL_MACHINE or HKEY_CURRENT_CONFIG); anything else means HKEY_CURRENT_USER.
HKEY RegistryRoot(const char* appReg);

#endif
