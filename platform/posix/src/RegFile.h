/// The registry editor's export format (".reg") read into a tree of keys and values, the
/// way "reg import" reads it.
#ifndef KOVA_POSIX_REGFILE_H
#define KOVA_POSIX_REGFILE_H

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kova::posix {

/// Orders names as the registry compares them: without regard to case, the way Windows
/// upper-cases UTF-16 (not only ASCII).
struct NameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view left, std::u16string_view right) const;
};

/// One value: its type and its bytes as the registry keeps them. The string types
/// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are kept in UTF-16LE, as on Windows; the "A"
/// query turns them into the ANSI code page.
struct RegValue {
    DWORD type = REG_NONE;
    std::string data;
};

/// The values of one key by name; the default value's name is empty.
using RegValues = std::map<std::u16string, RegValue, NameLess>;

/// Every key by its full path (u"HKEY_LOCAL_MACHINE\\Software\\Vendor"). The roots are
/// always present; a key's parents are present whenever the key is.
struct RegTree {
    std::map<std::u16string, RegValues, NameLess> keys;
};

/// True for the types whose data is text: REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ.
bool IsStringType(DWORD type);

/// The full name of a predefined root key (u"HKEY_LOCAL_MACHINE"), or empty when the
/// handle is not one of the five roots.
std::u16string_view RootName(HKEY root);

/// Appends the backslash-separated sub-key to a key path. Runs of backslashes and a
/// trailing one are ignored, as Windows does; a leading backslash is refused.
std::optional<std::u16string> JoinKeyPath(std::u16string path, std::u16string_view subKey);

/// A registry holding only the five roots.
RegTree EmptyRegistry();

/// Reads a ".reg" file's bytes into a registry, as "reg import" would into an empty one.
/// A file that starts with the UTF-16LE byte-order mark is UTF-16LE; any other is 8-bit
/// text in the ANSI code page (AnsiCodePage()). A file without one of the headers yields
/// the empty registry; lines the import does not understand are skipped.
RegTree ParseRegFile(std::string_view bytes);

} // namespace kova::posix

#endif
