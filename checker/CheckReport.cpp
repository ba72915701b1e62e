#include "checker/CheckReport.h"

#include "checker/Findings.h"
#include "checker/ProgramSearch.h"
#include "checker/Quote.h"
#include "checker/ShellAutorun.h"
#include "launcher/RegistryView.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace kova::check {

namespace {

/// How much of a file the checker reads, to find keys beyond the launcher's limit.
constexpr std::size_t kMaxLook = 4 * 1024 * 1024;

std::string ReadBytes(const std::filesystem::path& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

/// Looks for the product's key in the views the launcher did not use. Only opens it.
std::optional<REGSAM> FindInOtherView(const autorun::LaunchSettings& settings,
                                      const autorun::LaunchDecision& decision)
{
    for (const autorun::RegistryViewEntry& view : autorun::kRegistryViews) {
        if (view.flag == 0 || (decision.access & view.flag) != 0)
            continue;
        const REGSAM access = KEY_QUERY_VALUE | view.flag;
        HKEY key = nullptr;
        if (RegOpenKeyExW(decision.root, settings.Wide(autorun::SettingKey::AppKey), 0, access,
                          &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return access;
        }
    }
    return std::nullopt;
}

/// The decision's start: the checker never starts anything; the report takes the command
/// line from the decision afterwards.
void StartNothing(const WCHAR*)
{
}

/// A UTF-16LE file's bytes after the mark as UTF-8, zero units kept as zero bytes, so that
/// the whole file reads as the launcher's text does up to its first zero.
std::string Utf16Text(std::string_view bytes)
{
    std::string text;
    for (std::size_t at = 0; at + 1 < bytes.size();) {
        std::size_t end = at;
        while (end + 1 < bytes.size() && (bytes[end] != '\0' || bytes[end + 1] != '\0'))
            end += 2;
        const std::size_t size =
            autorun::WholeCharacters(bytes.data() + at, end - at, autorun::TextEncoding::Utf16Le);
        std::string part(autorun::Utf8RoomFor(size), '\0');
        part.resize(autorun::Utf16LeToUtf8(bytes.data() + at, size, part.data()));
        text += part;
        if (end + 1 < bytes.size())
            text += '\0';
        at = end + 2;
    }
    return text;
}

/// The name the folder gives the file `name`, whatever its case: Windows' file system
/// finds "AUTORUN.INF" (an ISO 9660 name) when asked for "autorun.inf".
std::string NameInFolder(const std::filesystem::path& folder, const std::string& name)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(folder / name, error))
        return name;
    const auto lower = [](std::string text) {
        for (char& c : text)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        return text;
    };
    std::string found = name;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (const std::string candidate = entry->path().filename().string();
            lower(candidate) == name)
            // The first in byte order, so that the choice never depends on the folder's order.
            if (found == name || candidate < found)
                found = candidate;
    return found;
}

/// Whether the file of a program that was found is this launcher: its version resource
/// says it was built as "autorun.exe", or, without one, that is its file's name.
bool IsLauncher(const ProgramReport& program)
{
    const std::string& path = *program.path;
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = !program.originalName.empty()
                           ? program.originalName
                           : (slash == std::string::npos ? path : path.substr(slash + 1));
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name == "autorun.exe";
}

/// What Windows' shell reads of the file, from its bytes as they stand (its reader knows
/// UTF-16LE by the mark and takes anything else as ANSI text).
void ReportShell(CheckReport& report, std::string_view fileBytes)
{
    ShellReport& shell = report.shell;
    shell.lines = ReadShellAutorun(fileBytes);
    for (const ShellKey& key : kShellKeys)
        if ((key.line == &ShellAutorun::open || key.line == &ShellAutorun::shellExecute) &&
            shell.lines.*key.line && shell.start == nullptr)
            shell.start = &key;
    if (shell.start != nullptr && !shell.StartLine().value.empty()) {
        ProgramReport program = FindCommandProgram(shell.StartLine().value, report.readFolder);
        if (program.path) {
            shell.onDisc = program.path->starts_with(report.readFolder);
            shell.isLauncher = IsLauncher(program);
            program.path = ShownPath(report, *program.path);
        }
        shell.program = std::move(program);
    }
    if (shell.lines.icon) {
        const std::string& icon = shell.lines.icon->value;
        shell.iconOnDisc =
            FindDiscFile(icon.substr(0, icon.find(',')), report.readFolder).has_value();
    }
}

void ReportSettings(CheckReport& report)
{
    for (const autorun::LaunchKey& key : autorun::kLaunchKeys) {
        const std::size_t offset = report.text ? report.launch.Offset(key.key) : autorun::kNotFound;
        const bool set = offset != autorun::kNotFound;
        report.settings.push_back(
            {key.key, key.name, set,
             set ? FileTextToUtf8(report.launch.*key.value, report.encoding) : "", offset,
             set ? LineOf(report.bytes, offset) : 0});
    }
}

} // namespace

std::string ShownPath(const CheckReport& report, const std::string& path)
{
    if (report.readFolder == report.folder || !path.starts_with(report.readFolder))
        return path;
    return report.folder + path.substr(report.readFolder.size());
}

const SettingReport& CheckReport::Setting(autorun::SettingKey key) const
{
    return settings[static_cast<std::size_t>(key)];
}

namespace {

CheckReport CheckDisc(const std::string& readFolder, const std::string& shownFolder,
                      std::optional<ImageReport> image)
{
    namespace fs = std::filesystem;
    std::error_code error;
    CheckReport report;
    report.folder = shownFolder;
    report.readFolder = readFolder;
    report.image = std::move(image);
    const std::string name = NameInFolder(readFolder, "autorun.inf");
    const fs::path path = fs::path(readFolder) / name;
    report.path = (fs::path(shownFolder) / name).string();
    report.fileFound = fs::exists(path, error);
    if (report.fileFound) {
        auto text = std::make_unique<autorun::AutorunText>();
        // The same read as the launcher's, so that the bytes seen cannot differ.
        report.fileReadable = autorun::ReadAutorunFile(path.string().c_str(), *text) &&
                              !fs::is_directory(path, error);
        if (report.fileReadable) {
            report.text = std::move(text);
            report.fileSize = fs::file_size(path, error);
            report.bytesRead = report.text->bufRead;
            report.encoding = report.text->encoding;
            report.textSeen = std::strlen(report.text->Text());
            report.bytes = ReadBytes(path, kMaxLook);
            const std::string fileBytes = report.bytes;
            if (report.encoding == autorun::TextEncoding::Utf16Le) {
                const std::string_view read =
                    std::string_view(report.bytes).substr(2, report.bytesRead - 2);
                report.textRead = Utf16Text(read).size();
                std::size_t units = 0;
                while (2 * units + 1 < read.size() &&
                       (read[2 * units] != '\0' || read[2 * units + 1] != '\0'))
                    ++units;
                report.bytesSeen = 2 + 2 * units;
                report.bytes = Utf16Text(std::string_view(report.bytes).substr(2));
            } else {
                // A character the limit cut short is not part of the text.
                report.textRead = report.bytesRead == autorun::kMaxRead
                                      ? autorun::WholeCharacters(report.bytes.data(),
                                                                 report.bytesRead, report.encoding)
                                      : report.bytesRead;
                report.bytesSeen = report.textSeen;
            }

            autorun::ReadLaunchSettings(report.text->Text(), report.encoding, report.launch);
            autorun::DecideLaunch(report.launch, report.decision, StartNothing);
            if (report.decision.openStatus != ERROR_SUCCESS)
                report.otherView = FindInOtherView(report.launch, report.decision);
            if (const WCHAR* commandLine = autorun::CommandLine(report.decision, report.launch)) {
                report.commandLine = WideToUtf8(commandLine);
                report.program = FindCommandProgram(*report.commandLine, readFolder);
                if (report.program->path)
                    report.program->path = ShownPath(report, *report.program->path);
            }
            ReportShell(report, fileBytes);
        }
    }
    ReportSettings(report);
    FindTraps(report);
    return report;
}

} // namespace

CheckReport CheckFolder(const std::string& folder)
{
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        throw CheckFailure{"no such folder: " + folder};
    return CheckDisc(folder, folder, std::nullopt);
}

CheckReport CheckImageTree(const std::string& readFolder, ImageReport image)
{
    const std::string shown = image.path;
    return CheckDisc(readFolder, shown, std::move(image));
}

} // namespace kova::check
