#include "checker/Gather.h"

#include "checker/PeManifest.h"
#include "checker/Signature.h"
#include "checker/Text.h"
#include "launcher/CommandProgram.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

namespace autorun::check {

namespace {

#ifdef _WIN32
constexpr std::string_view kPathSeparator = ";";
constexpr char kFolderSeparator = '\\';
#else
constexpr std::string_view kPathSeparator = ":";
constexpr char kFolderSeparator = '/';
#endif

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsAbsolute(std::string_view name)
{
    return (!name.empty() && IsSeparator(name.front())) || (name.size() >= 2 && name[1] == ':');
}

std::string Join(const std::string& folder, std::string_view name)
{
    if (folder.empty() || IsSeparator(folder.back()))
        return folder + std::string(name);
    return folder + kFolderSeparator + std::string(name);
}

/// The folders a bare name is looked for in, in Windows' order: the launcher's, the
/// system's, then PATH's; each in UTF-16, as the look-up takes it.
using SearchPlaces = std::vector<std::pair<std::basic_string<WCHAR>, ProgramPlace>>;

SearchPlaces PlacesFor(const std::string& discFolder)
{
    SearchPlaces places = {{Utf8ToWide(discFolder), ProgramPlace::LauncherFolder}};
#ifdef _WIN32
    WCHAR folder[MAX_PATH + 1];
    if (const UINT length = GetSystemDirectoryW(folder, MAX_PATH); length > 0 && length < MAX_PATH)
        places.push_back({folder, ProgramPlace::SystemFolder});
    if (const UINT length = GetWindowsDirectoryW(folder, MAX_PATH); length > 0 && length < MAX_PATH)
        places.push_back({folder, ProgramPlace::WindowsFolder});
#endif
    const char* variable = std::getenv("PATH");
    ForEachField(variable != nullptr ? variable : "", kPathSeparator,
                 [&](std::string_view folder, std::size_t) {
                     if (!folder.empty())
                         places.push_back({Utf8ToWide(folder), ProgramPlace::PathFolder});
                 });
    return places;
}

struct Located {
    std::string path;
    ProgramPlace place;
};

/// The launcher's look-up, from the disc's root: a bare name in each place in turn.
std::optional<Located> Locate(const std::string& name, const std::string& discFolder,
                              const SearchPlaces& places)
{
    if (name.empty())
        return std::nullopt;
    WCHAR path[MAX_PATH];
    if (HasFolderPart(name.c_str())) {
        const bool absolute = IsAbsolute(name);
        const std::string named = absolute ? name : Join(discFolder, name);
        if (!FindProgramFile(Utf8ToWide(named).c_str(), nullptr, path))
            return std::nullopt;
        return Located{WideToUtf8(path),
                       absolute ? ProgramPlace::AsNamed : ProgramPlace::BelowDiscRoot};
    }
    for (const auto& [folder, place] : places) {
        if (!FindProgramFile(Utf8ToWide(name).c_str(), folder.c_str(), path))
            continue;
        // On the disc, the file is named from the disc's folder as the report names it.
        std::string found = WideToUtf8(path);
        if (place == ProgramPlace::LauncherFolder)
            found = Join(discFolder, found.substr(found.find_last_of("\\/") + 1));
        return Located{std::move(found), place};
    }
    return std::nullopt;
}

struct SearchContext {
    const std::string* discFolder;
    const SearchPlaces* places;
    std::optional<Located> found;
};

bool Exists(const char* name, void* context)
{
    auto& search = *static_cast<SearchContext*>(context);
    search.found = Locate(name, *search.discFolder, *search.places);
    return search.found.has_value();
}

/// What the program's file says about itself.
void ReadProgramFile(ProgramFacts& program)
{
    std::ifstream file(PathOf(*program.path), std::ios::binary);
    const PeRead read = [&file](std::uint64_t offset, std::size_t size, void* buffer) {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return file && static_cast<std::size_t>(file.gcount()) == size;
    };
    const PeInfo info = ReadPeInfo(read);
    const std::size_t slash = program.path->find_last_of("\\/");
    const std::string fileName = program.path->substr(slash == std::string::npos ? 0 : slash + 1);
    program.needsElevation = NeedsElevation(info, fileName);
    program.level = info.level;
    program.elevation = !program.needsElevation   ? ElevationCause::NotAProgram
                        : !info.level.empty()     ? ElevationCause::Manifest
                        : *program.needsElevation ? ElevationCause::InstallerDetection
                        : info.is32Bit            ? ElevationCause::NoLevel32
                                                  : ElevationCause::NoLevel64;
    program.description = WideToUtf8(reinterpret_cast<const WCHAR*>(info.description.c_str()));
    if (info.machine == IMAGE_FILE_MACHINE_I386)
        program.machine = Machine::X86;
    else if (info.machine == IMAGE_FILE_MACHINE_ARM64 || info.arm64ec)
        program.machine = Machine::Arm64;
    else if (info.machine == IMAGE_FILE_MACHINE_AMD64)
        program.machine = Machine::X64;
    std::error_code error;
    if (info.isPe)
        program.signature =
            VerifySignature(read, std::filesystem::file_size(PathOf(*program.path), error), info);
    const std::string built =
        LowerAscii(!info.originalName.empty()
                       ? WideToUtf8(reinterpret_cast<const WCHAR*>(info.originalName.c_str()))
                       : fileName);
    program.isLauncher = built == "autorun.exe";
}

/// The unquoted path in `commandLine`, if it has one. The name meant is the longest that
/// names a program where the launcher looks, or else the one up to the first blank after a
/// ".exe"; a line where neither is found is not judged.
std::optional<UnquotedPath> FindUnquotedPath(const std::string& commandLine, const DiscPlace& disc,
                                             const SearchPlaces& places)
{
    if (commandLine.empty() || commandLine.front() == '"')
        return std::nullopt;
    // The names Windows tries, in its order: the text up to each blank or tab, then the line.
    std::vector<std::string> names;
    for (std::size_t end = commandLine.find_first_of(" \t"); end != std::string::npos;
         end = commandLine.find_first_of(" \t", end + 1))
        if (end > 0 && end <= kMaxCommandLine)
            names.push_back(commandLine.substr(0, end));
    if (commandLine.size() <= kMaxCommandLine)
        names.push_back(commandLine);
    std::vector<std::optional<Located>> found;
    for (const std::string& name : names)
        found.push_back(Locate(name, disc.readFolder, places));
    std::size_t meant = names.size();
    for (std::size_t i = names.size(); i-- > 0 && meant == names.size();)
        if (found[i])
            meant = i;
    for (std::size_t i = 0; i < names.size() && meant == names.size(); ++i)
        if (EndsWithIgnoringCase(names[i], kProgramExtension))
            meant = i;
    if (meant == names.size() || meant == 0)
        return std::nullopt;
    UnquotedPath path{names[meant], {}, {}};
    for (std::size_t i = 0; i < meant; ++i) {
        path.earlier.push_back(AddsProgramExtension(names[i].c_str()) ? names[i] + kProgramExtension
                                                                      : names[i]);
        if (found[i])
            path.existing.push_back(disc.Shown(found[i]->path));
    }
    return path;
}

} // namespace

std::string DiscPlace::Shown(const std::string& path) const
{
    if (readFolder == shownFolder || !path.starts_with(readFolder))
        return path;
    return shownFolder + path.substr(readFolder.size());
}

ProgramFacts FindProgram(const std::string& commandLine, const DiscPlace& disc)
{
    const SearchPlaces places = PlacesFor(disc.readFolder);
    SearchContext search{&disc.readFolder, &places, std::nullopt};
    CommandProgram<char> split;
    SplitCommandProgram(commandLine.c_str(), Exists, &search, split);
    ProgramFacts program;
    program.name = split.program;
    if (split.found && search.found) {
        program.path = std::move(search.found->path);
        program.place = search.found->place;
        program.onDisc = program.path->starts_with(disc.readFolder);
        ReadProgramFile(program);
        program.path = disc.Shown(*program.path);
    }
    program.unquoted = FindUnquotedPath(commandLine, disc, places);
    return program;
}

std::optional<std::string> FindDiscFile(const std::string& name, const DiscPlace& disc)
{
    if (name.empty() || IsAbsolute(name))
        return std::nullopt;
    std::string path = Join(disc.readFolder, name);
    if (!IsProgramFile(Utf8ToWide(path).c_str()))
        return std::nullopt;
    return path;
}

} // namespace autorun::check
