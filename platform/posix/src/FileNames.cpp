/// Finds files whatever the case of their names, as Windows' file system does.
#include "FileNames.h"

#include "CodePage.h"
#include "SplitFields.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace kova::posix {

namespace {

bool Exists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

/// The name in `directory` that `name` stands for, as FindPath chooses it.
std::optional<std::string> FindName(const std::string& directory, std::string_view name)
{
    const std::string exact = directory + '/' + std::string(name);
    if (Exists(exact))
        return std::string(name);
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(
        opendir(directory.empty() ? "/" : directory.c_str()), closedir);
    if (!folder)
        return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = readdir(folder.get())) {
        const std::string_view candidate = entry->d_name;
        if (SameFileName(candidate, name) && (!found || candidate < *found))
            found = std::string(candidate);
    }
    return found;
}

} // namespace

namespace {

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool SameFileName(std::string_view a, std::string_view b)
{
    // While both names are ASCII only the table's ASCII rows count, and they fold a-z
    // alone, so a difference there is final. A search reads every name a folder holds,
    // most of them ASCII and most of them different from the first letter on.
    for (std::size_t i = 0;; ++i) {
        if (i == a.size() || i == b.size())
            return a.size() == b.size();
        if (((static_cast<unsigned char>(a[i]) | static_cast<unsigned char>(b[i])) & 0x80) != 0)
            break;
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    }
    return CompareIgnoringCase(FileNameToWide(a), FileNameToWide(b)) == 0;
}

std::optional<std::string> FindPath(std::string base, std::string_view relative)
{
    // The root joins as "" and "/name", the way an absolute path is written.
    if (base == "/")
        base.clear();
    std::string path = std::move(base);
    for (const std::string_view component : SplitFields(relative, '/')) {
        if (component.empty())
            continue;
        if (component == "." || component == "..") {
            path += '/';
            path += component;
            continue;
        }
        const std::optional<std::string> name = FindName(path, component);
        if (!name)
            return std::nullopt;
        path += '/';
        path += *name;
    }
    return path.empty() ? "/" : path;
}

bool IsFile(const std::optional<std::string>& path)
{
    struct stat info;
    return path && stat(path->c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsDirectory(const std::optional<std::string>& path)
{
    struct stat info;
    return path && stat(path->c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace kova::posix
