#include "checker/ProgramSearch.h"

#include "checker/PeManifest.h"
#include "checker/Quote.h"
#include "checker/Signature.h"
#include "checker/TextFields.h"
#include "launcher/CommandProgram.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <utility>
#include <vector>

namespace kova::check {

namespace {

#ifdef _WIN32
constexpr std::string_view kPathSeparator = ";";
#else
constexpr std::string_view kPathSeparator = ":";
#endif

/// Whether the UTF-8 `path` names a program file, asked in UTF-16 as the launcher asks.
bool IsProgramFile(const std::string& path)
{
    return autorun::IsProgramFile(Utf8ToWide(path).c_str());
}

struct Place {
    std::string folder;
    std::string where;
};

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
#ifdef _WIN32
    return folder + '\\' + std::string(name);
#else
    return folder + '/' + std::string(name);
#endif
}

/// The forms a name is tried in. Windows adds ".exe" to a name without an extension; the
/// Linux build tries the name as it stands too, so that host programs can be started.
std::vector<std::string> Forms(const std::string& name)
{
    std::vector<std::string> forms;
    if (autorun::AddsProgramExtension(name.c_str())) {
        forms.push_back(name + autorun::kProgramExtension);
#ifdef _WIN32
        return forms;
#endif
    }
    forms.emplace_back(name);
    return forms;
}

std::vector<Place> SearchPlaces(const std::string& discFolder)
{
    std::vector<Place> places{{discFolder, "the launcher's folder"}};
#ifdef _WIN32
    char folder[MAX_PATH + 1];
    if (const UINT length = GetSystemDirectoryA(folder, sizeof folder);
        length > 0 && length <= MAX_PATH)
        places.push_back({AnsiToUtf8(folder), "the system folder"});
    if (const UINT length = GetWindowsDirectoryA(folder, sizeof folder);
        length > 0 && length <= MAX_PATH)
        places.push_back({AnsiToUtf8(folder), "the Windows folder"});
#endif
    const char* variable = std::getenv("PATH");
    ForEachField(variable != nullptr ? variable : "", kPathSeparator,
                 [&](std::string_view folder, std::size_t) {
                     if (!folder.empty())
                         places.push_back({std::string(folder), "a folder on PATH"});
                 });
    return places;
}

std::optional<Place> Locate(const std::string& name, const std::string& discFolder)
{
    if (name.empty())
        return std::nullopt;
    if (autorun::HasFolderPart(name.c_str())) {
        const bool absolute = IsAbsolute(name);
        for (const std::string& form : Forms(name)) {
            std::string path = absolute ? form : Join(discFolder, form);
            if (IsProgramFile(path))
                return Place{std::move(path), absolute ? "where the command line names it"
                                                       : "below the disc's root"};
        }
        return std::nullopt;
    }
    const std::vector<Place> places = SearchPlaces(discFolder);
    for (const std::string& form : Forms(name))
        for (const Place& place : places)
            if (std::string path = Join(place.folder, form); IsProgramFile(path))
                return Place{std::move(path), place.where};
    return std::nullopt;
}

struct SearchContext {
    const std::string* discFolder;
    std::optional<Place> found;
};

bool Exists(const char* name, void* context)
{
    auto& search = *static_cast<SearchContext*>(context);
    search.found = Locate(name, *search.discFolder);
    return search.found.has_value();
}

/// What the program's file says about the rights it needs.
void LookAtProgram(ProgramReport& report)
{
    const std::string& path = *report.path;
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())),
                       std::ios::binary);
    const PeInfo info = ReadPeInfo([&file](std::uint64_t offset, std::size_t size, void* buffer) {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return file && static_cast<std::size_t>(file.gcount()) == size;
    });
    const std::size_t slash = report.path->find_last_of("\\/");
    const std::string fileName =
        slash == std::string::npos ? *report.path : report.path->substr(slash + 1);
    report.needsElevation = NeedsElevation(info, fileName);
    report.description = WideToAnsi(info.description);
    report.originalName = WideToAnsi(info.originalName);
    report.isSigned = info.isSigned;
    if (info.isSigned && info.signatureSize <= kMaxSignature) {
        std::string der(info.signatureSize, '\0');
        file.clear();
        file.seekg(static_cast<std::streamoff>(info.signatureOffset));
        if (file.read(der.data(), static_cast<std::streamsize>(der.size())))
            report.signer = SignerName(der);
    }
    if (!report.needsElevation)
        report.elevationReason =
            "it is not a Windows program, so whether it needs administrator rights is unknown";
    else if (!info.level.empty())
        report.elevationReason = "its manifest asks for \"" + info.level + "\"";
    else if (*report.needsElevation)
        report.elevationReason =
            "it is a 32-bit program without an execution level whose name Windows' "
            "installer detection takes for a setup program's";
    else if (info.is32Bit)
        report.elevationReason =
            "it asks for no execution level and its name is not a setup program's";
    else
        report.elevationReason = "it is a 64-bit program without an execution level";
}

bool EndsWithExe(std::string_view name)
{
    constexpr std::string_view kExe = autorun::kProgramExtension;
    if (name.size() < kExe.size())
        return false;
    const std::string_view tail = name.substr(name.size() - kExe.size());
    return std::equal(tail.begin(), tail.end(), kExe.begin(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
    });
}

} // namespace

std::optional<UnquotedPath> FindUnquotedPath(const std::string& commandLine,
                                             const std::string& folder)
{
    if (commandLine.empty() || commandLine.front() == '"')
        return std::nullopt;
    // Paths are UTF-8 here, as the command line is.
    const std::string discFolder = CommandLineToUtf8(folder);
    // The names Windows tries, in its order: the text up to each blank or tab, then the line.
    std::vector<std::string> names;
    for (std::size_t end = commandLine.find_first_of(" \t"); end != std::string::npos;
         end = commandLine.find_first_of(" \t", end + 1))
        if (end > 0 && end <= autorun::kMaxCommandLine)
            names.push_back(commandLine.substr(0, end));
    if (commandLine.size() <= autorun::kMaxCommandLine)
        names.push_back(commandLine);
    std::size_t meant = names.size();
    for (std::size_t i = names.size(); i-- > 0 && meant == names.size();)
        if (Locate(names[i], discFolder))
            meant = i;
    for (std::size_t i = 0; i < names.size() && meant == names.size(); ++i)
        if (EndsWithExe(names[i]))
            meant = i;
    if (meant == names.size() || meant == 0)
        return std::nullopt;
    UnquotedPath path{names[meant], {}, {}};
    for (std::size_t i = 0; i < meant; ++i) {
        const std::string& name = names[i];
        path.earlier.push_back(
            autorun::AddsProgramExtension(name.c_str()) ? name + autorun::kProgramExtension : name);
        if (std::optional<Place> found = Locate(name, discFolder))
            path.existing.push_back(found->folder);
    }
    return path;
}

std::optional<std::string> FindDiscFile(const std::string& name, const std::string& discFolder)
{
    if (name.empty() || IsAbsolute(name))
        return std::nullopt;
    std::string path = Join(discFolder, name);
    if (!IsProgramFile(path))
        return std::nullopt;
    return path;
}

ProgramReport FindCommandProgram(const std::string& commandLine, const std::string& folder)
{
    // Paths are UTF-8 here, as the command line is.
    const std::string discFolder = CommandLineToUtf8(folder);
    SearchContext search{&discFolder, std::nullopt};
    autorun::CommandProgram<char> split;
    autorun::SplitCommandProgram(commandLine.c_str(), Exists, &search, split);
    ProgramReport report;
    report.name = split.program;
    if (split.found && search.found) {
        report.path = std::move(search.found->folder);
        report.where = std::move(search.found->where);
        LookAtProgram(report);
    }
    return report;
}

} // namespace kova::check
