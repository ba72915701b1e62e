#include "launcher/RegistryView.h"

#include <cstring>

namespace autorun {

const RegistryViewEntry kRegistryViews[kRegistryViewCount] = {
    {"64", KEY_WOW64_64KEY, "KEY_WOW64_64KEY", "the 64-bit view", "64"},
    {"32", KEY_WOW64_32KEY, "KEY_WOW64_32KEY", "the 32-bit view", "32"},
    {"", 0, nullptr, "the launcher's own view", "default"},
};

const RegistryViewEntry& RegistryViewOf(const char* appRegistryView)
{
    for (int i = 0; i < kRegistryViewCount - 1; ++i) {
        if (std::strcmp(appRegistryView, kRegistryViews[i].setting) == 0) {
            return kRegistryViews[i];
        }
    }
    return kRegistryViews[kRegistryViewCount - 1];
}

const RegistryViewEntry& RegistryViewOf(REGSAM access)
{
    for (int i = 0; i < kRegistryViewCount - 1; ++i) {
        if ((access & kRegistryViews[i].flag) != 0) {
            return kRegistryViews[i];
        }
    }
    return kRegistryViews[kRegistryViewCount - 1];
}

REGSAM RegistryAccess(const char* appRegistryView)
{
    return KEY_QUERY_VALUE | RegistryViewOf(appRegistryView).flag;
}

} // namespace autorun
