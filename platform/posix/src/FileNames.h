/// Finds files whatever the case of their names, as Windows' file system does.
#ifndef KOVA_POSIX_FILENAMES_H
#define KOVA_POSIX_FILENAMES_H

#include <optional>
#include <string>
#include <string_view>

namespace kova::posix {

/// Whether two UTF-8 names are the same to Windows: compared as registry names compare
/// (CompareIgnoringCase, Windows' own upper-case table), each a FileNameToWide, so that a
/// byte that is not UTF-8 equals only the same byte.
bool SameFileName(std::string_view a, std::string_view b);

/// The path of what `relative` ('/'-separated) names below `base`, each of its components
/// matched whatever its case; nothing when one of them matches no name.
///
/// NOTE: Windows cannot hold two names that differ only in case in one folder; POSIX can.
/// There the name spelled exactly as asked wins; failing that, the first such name in byte
/// order, so the choice never depends on the order in which the folder lists its names.
std::optional<std::string> FindPath(std::string base, std::string_view relative);

/// Whether `path` (what FindPath found, if anything) is a file, not a folder.
bool IsFile(const std::optional<std::string>& path);

/// Whether `path` (what FindPath found, if anything) is a folder.
bool IsDirectory(const std::optional<std::string>& path);

} // namespace kova::posix

#endif
