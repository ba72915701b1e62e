#include "launcher/RegistryRoot.h"

#include <cstring>

namespace autorun {

const RegistryRootEntry kRegistryRoots[kRegistryRootCount] = {
    {"HKEY_USERS", "HKU", HKEY_USERS},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
};

HKEY RegistryRoot(const char* appReg)
{
    // Whole-value, case-sensitive matches in the table's order: a trailing blank or a
    // lower-case letter makes a name unknown, and an unknown name means the current user.
    for (const RegistryRootEntry& root : kRegistryRoots) {
        if (std::strcmp(appReg, root.name) == 0) {
            return root.key;
        }
    }
    return HKEY_CURRENT_USER;
}

const char* RootName(HKEY root)
{
    for (const RegistryRootEntry& entry : kRegistryRoots) {
        if (entry.key == root) {
            return entry.name;
        }
    }
    return kRegistryRoots[kRegistryRootCount - 1].name;
}

} // namespace autorun
