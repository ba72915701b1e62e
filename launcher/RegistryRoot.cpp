#include "launcher/RegistryRoot.h"

#include <cstring>

HKEY RegistryRoot(const char* appReg)
{
    // Whole-value, case-sensitive matches in this order: a trailing blank or a lower-case
    // letter makes a name unknown, and an unknown name means the current user.
    static const struct {
        const char* name;
        HKEY key;
    } kRoots[] = {
        {"HKEY_USERS", HKEY_USERS},
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
    };
    for (const auto& root : kRoots) {
        if (std::strcmp(appReg, root.name) == 0) {
            return root.key;
        }
    }
    return HKEY_CURRENT_USER;
}

REGSAM RegistryAccess(const char* appRegistryView)
{
    if (std::strcmp(appRegistryView, "64") == 0) {
        return KEY_QUERY_VALUE | KEY_WOW64_64KEY;
    }
    if (std::strcmp(appRegistryView, "32") == 0) {
        return KEY_QUERY_VALUE | KEY_WOW64_32KEY;
    }
    return KEY_QUERY_VALUE;
}
