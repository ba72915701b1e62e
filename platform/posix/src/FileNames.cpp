/// Finds files whatever the case of their names, as Windows' file system does.
#include "FileNames.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace kova::posix {

namespace {

/// A byte that does not start a well-formed UTF-8 character stands for itself, above
/// every character, so that it only ever equals the same byte.
constexpr char32_t StrayByte = 0x110000;

/// Reads the character at `at` and steps past it.
char32_t NextCharacter(std::string_view text, std::size_t& at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3
                                                 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 1) {
        ++at;
        return lead;
    }
    bool wellFormed = length != 0 && at + length <= text.size();
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; wellFormed && i < length; ++i) {
        wellFormed = (byte(at + i) & 0xC0) == 0x80;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    // Overlong forms would give a second spelling of one character.
    constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!wellFormed || c < Least[length] || c > 0x10FFFF) {
        ++at;
        return StrayByte + lead;
    }
    at += length;
    return c;
}

/// The upper-case form of a letter: ASCII, Latin-1 and Latin Extended-A, which hold the
/// letters of code pages 1250 and 1252. Other characters stay as they are.
char32_t UpperCase(char32_t c)
{
    if (c >= 'a' && c <= 'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    // Extended-A pairs each capital with the small letter after it; the dotted and the
    // dotless i (0x130, 0x131) are no such pair.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : c - 1;
    return c;
}

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
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(directory.empty() ? "/" : directory.c_str()),
                                                     closedir);
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

bool SameFileName(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size())
        if (UpperCase(NextCharacter(a, i)) != UpperCase(NextCharacter(b, j)))
            return false;
    return i == a.size() && j == b.size();
}

std::optional<std::string> FindPath(std::string base, std::string_view relative)
{
    // The root joins as "" and "/name", the way an absolute path is written.
    if (base == "/")
        base.clear();
    std::string path = std::move(base);
    for (std::size_t start = 0; start <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string_view component = relative.substr(start, end - start);
        start = end + 1;
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
