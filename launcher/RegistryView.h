/// The registry views "AppRegistryView=" may ask for: one table, read both ways.
#ifndef KOVA_LAUNCHER_REGISTRYVIEW_H
#define KOVA_LAUNCHER_REGISTRYVIEW_H

#include <windows.h>

namespace autorun {

struct RegistryViewEntry {
    const char* setting;  ///< the value of "AppRegistryView=" that asks for it; "" for none
    REGSAM flag;          ///< what it adds to KEY_QUERY_VALUE
    const char* flagName; ///< the flag's name in Windows' headers, or null for none
    const char* name;     ///< in words: "the 64-bit view"
    const char* id;       ///< in a report for scripts: "64", "32" or "default"
};

/// The two views a setting can ask for, then the process's own, which any other value
/// (or none) leaves: KEY_QUERY_VALUE alone.
constexpr int kRegistryViewCount = 3;
extern const RegistryViewEntry kRegistryViews[kRegistryViewCount];

/// The view entry whose setting is exactly `appRegistryView`; the process's own otherwise.
const RegistryViewEntry& RegistryViewOf(const char* appRegistryView);

/// The view entry an access asks for.
const RegistryViewEntry& RegistryViewOf(REGSAM access);

/// The access the product's key is opened with. "AppRegistryView=64" adds KEY_WOW64_64KEY
/// and "32" KEY_WOW64_32KEY, so that a 32-bit launcher on 64-bit Windows can find a product
/// that a 64-bit installer registered; anything else leaves the process's own view.
REGSAM RegistryAccess(const char* appRegistryView);

} // namespace autorun

#endif
