/// Opens one registry key with a given access mask and prints what it saw, so a test (or a
/// person at a Wine prompt) can watch which registry view a process of this build's width
/// reaches: regprobe ROOT SUBKEY ACCESS [VALUE]. ROOT is a root's full name
/// (HKEY_LOCAL_MACHINE) or its short one (HKLM); ACCESS is a number, 0x... for hex.
/// Prints "bits 32|64", then "open STATUS", then, when the key opened and VALUE is
/// given, "value STATUS DATA". Exits 0 once it has printed, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Root {
    const char* name;
    const char* shortName;
    HKEY key;
};

const Root kRoots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", "HKU", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
};

const Root* FindRoot(const char* name)
{
    for (const Root& root : kRoots) {
        if (std::strcmp(name, root.name) == 0 || std::strcmp(name, root.shortName) == 0) {
            return &root;
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: regprobe ROOT SUBKEY ACCESS [VALUE]\n");
        return 2;
    }
    const Root* root = FindRoot(argv[1]);
    char* end = nullptr;
    const unsigned long access = std::strtoul(argv[3], &end, 0);
    if (root == nullptr || end == argv[3] || *end != '\0' || access > 0xFFFFFFFFUL) {
        std::fprintf(stderr, "regprobe: unknown root '%s' or bad access mask '%s'\n", argv[1],
                     argv[3]);
        return 2;
    }

    std::printf("bits %u\n", static_cast<unsigned>(sizeof(void*) * 8));
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(root->key, argv[2], 0, static_cast<REGSAM>(access), &key);
    std::printf("open %ld\n", static_cast<long>(opened));
    if (opened == ERROR_SUCCESS && argc == 5) {
        BYTE data[257] = {};
        DWORD length = sizeof data - 1;
        const LONG queried = RegQueryValueExA(key, argv[4], nullptr, nullptr, data, &length);
        std::printf("value %ld %s\n", static_cast<long>(queried),
                    queried == ERROR_SUCCESS ? reinterpret_cast<const char*>(data) : "");
    }
    if (opened == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return 0;
}
