/// Which registry root "AppRegistry=" names, and which view "AppRegistryView=" asks for.
#ifndef KOVA_LAUNCHER_REGISTRYROOT_H
#define KOVA_LAUNCHER_REGISTRYROOT_H

#include <windows.h>

/// The root whose full name is exactly `appReg` (HKEY_USERS, HKEY_CLASSES_ROOT,
/// HKEY_LOCAL_MACHINE or HKEY_CURRENT_CONFIG); anything else means HKEY_CURRENT_USER.
HKEY RegistryRoot(const char* appReg);

/// The access the product's key is opened with. "AppRegistryView=64" adds KEY_WOW64_64KEY
/// and "32" KEY_WOW64_32KEY, so that a 32-bit launcher on 64-bit Windows can find a product
/// that a 64-bit installer registered; anything else (or nothing) leaves the process's own
/// view, with KEY_QUERY_VALUE alone.
REGSAM RegistryAccess(const char* appRegistryView);

#endif
