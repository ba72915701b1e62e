/// Opens registry keys with given access masks and prints what it saw, so a test (or a
/// person at a Wine prompt) can watch which registry view a process of this build's width
/// reaches: regprobe VALUE ROOT SUBKEY ACCESS [ROOT SUBKEY ACCESS]... ROOT is a root's
/// full name (HKEY_LOCAL_MACHINE) or its short one (HKLM); ACCESS is a number, 0x... for
/// hex. Prints "bits 32|64", then a line per key: "open STATUS", followed, when the key
/// opened, by " value STATUS DATA" for the value named VALUE. Exits 0 once it has
/// printed, 2 on bad arguments. One process asks every question: under WoW64 through an
/// emulator, starting a process is what costs.
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

/// The access mask in text, or false when it is not a 32-bit number.
bool ReadAccess(const char* text, REGSAM& access)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0' || *text == '-' || value > 0xFFFFFFFFULL) {
        return false;
    }
    access = static_cast<REGSAM>(value);
    return true;
}

void Probe(const Root& root, const char* subKey, REGSAM access, const char* valueName)
{
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(root.key, subKey, 0, access, &key);
    std::printf("open %ld", static_cast<long>(opened));
    if (opened == ERROR_SUCCESS) {
        BYTE data[257] = {};
        DWORD length = sizeof data - 1;
        const LONG queried = RegQueryValueExA(key, valueName, nullptr, nullptr, data, &length);
        std::printf(" value %ld %s", static_cast<long>(queried),
                    queried == ERROR_SUCCESS ? reinterpret_cast<const char*>(data) : "");
        RegCloseKey(key);
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr, "usage: regprobe VALUE ROOT SUBKEY ACCESS [ROOT SUBKEY ACCESS]...\n");
        return 2;
    }
    // Every question is checked before the first is asked.
    for (int i = 2; i < argc; i += 3) {
        REGSAM access = 0;
        if (FindRoot(argv[i]) == nullptr || !ReadAccess(argv[i + 2], access)) {
            std::fprintf(stderr, "regprobe: unknown root '%s' or bad access mask '%s'\n", argv[i],
                         argv[i + 2]);
            return 2;
        }
    }
    std::printf("bits %u\n", static_cast<unsigned>(sizeof(void*) * 8));
    for (int i = 2; i < argc; i += 3) {
        REGSAM access = 0;
        ReadAccess(argv[i + 2], access);
        Probe(*FindRoot(argv[i]), argv[i + 1], access, argv[1]);
    }
    return 0;
}
