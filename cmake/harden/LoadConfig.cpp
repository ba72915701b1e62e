/// The image's load configuration, which the loader reads before it loads the program's
/// DLLs: those the program imports come from the system folder only, never from the
/// program's own folder, which on a disc or a stick anyone may have written to.
/// Windows honours the flags from Windows 10 1607 on; older versions read the rest of the
/// structure, which asks for nothing. The linker leaves the image's directory entry for
/// the structure empty: the build writes it after the link (write-load-config.py).
#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

/// Nothing but the size and the flags: the other fields ask the loader for nothing.
constexpr IMAGE_LOAD_CONFIG_DIRECTORY HardenedLoadConfig()
{
    IMAGE_LOAD_CONFIG_DIRECTORY config{};
    config.Size = sizeof config;
    // The headers still call the field by its old name, "Reserved1".
    config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return config;
}

} // namespace

// Linkers know the structure by this name, the same C name on both widths; the loader
// finds it through the image's directory entry.
extern "C" __attribute__((used)) constinit const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used =
    HardenedLoadConfig();
