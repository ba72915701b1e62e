/// The registry editor's export format (".reg") read into a tree of keys and values.
#ifndef KOVA_POSIX_REGFILE_H
#define KOVA_POSIX_REGFILE_H

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kova::posix {

/// Orders names as the registry compares them: ASCII letters without regard to case.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const;
};

/// One value: its type and the bytes RegQueryValueExA hands out.
struct RegValue {
    DWORD type = REG_NONE;
    std::string data;
};

/// The values of one key by name; the default value's name is empty.
using RegValues = std::map<std::string, RegValue, CaseInsensitiveLess>;

/// Every key by its full path ("HKEY_LOCAL_MACHINE\Software\Vendor"). The roots are
/// always present; a key's parents are present whenever the key is.
struct RegTree {
    std::map<std::string, RegValues, CaseInsensitiveLess> keys;
};

/// The full name of a predefined root key ("HKEY_LOCAL_MACHINE"), or empty when the
/// handle is not one of the five roots.
std::string_view RootName(HKEY root);

/// Appends the backslash-separated sub-key to a key path. Runs of backslashes and a
/// trailing one are ignored, as Windows does; a leading backslash is refused.
std::optional<std::string> JoinKeyPath(std::string path, std::string_view subKey);

/// A registry holding only the five roots.
RegTree EmptyRegistry();

/// Reads a ".reg" file's bytes (8-bit or UTF-8, optionally with a BOM, or UTF-16LE with
/// a BOM) into a registry. Lines it cannot understand are skipped; a text without one
/// of the two headers yields the empty registry, as the registry editor refuses it.
RegTree ParseRegFile(std::string_view text);

} // namespace kova::posix

#endif
