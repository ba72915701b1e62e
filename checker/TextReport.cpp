#include "checker/Quote.h"
#include "checker/ReportWriters.h"
#include "checker/Words.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <cstdio>

namespace kova::check {

namespace {

using autorun::LaunchAction;
using autorun::LaunchDecision;
using autorun::LaunchQuery;

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

/// How an access is quoted: "the 64-bit view, with access 0x101 (KEY_QUERY_VALUE | ...)".
std::string ViewAndAccess(REGSAM access)
{
    return std::string(autorun::RegistryViewOf(access).name) + ", with access " + Hex(access) +
           " (" + AccessName(access) + ")";
}

void FileSection(const CheckReport& report, std::string& out)
{
    out += "File\n";
    if (!report.fileFound) {
        out += "  " + CommandLineToUtf8(report.path) + ": not found.\n";
        return;
    }
    if (!report.fileReadable) {
        out += "  " + CommandLineToUtf8(report.path) + ": cannot be read.\n";
        return;
    }
    out += "  " + CommandLineToUtf8(report.path) + ": " + std::to_string(report.fileSize) +
           " bytes, " + autorun::EncodingOf(report.encoding).name + ". ";
    if (report.bytesSeen == report.fileSize)
        out += "The launcher sees all of them.\n";
    else if (report.bytesSeen < report.bytesRead)
        out += "The launcher reads " + std::to_string(report.bytesRead) + " and sees the first " +
               std::to_string(report.bytesSeen) + ", up to a zero byte.\n";
    else
        out += "The launcher sees the first " + std::to_string(report.bytesSeen) + ".\n";
}

void ImageSection(const CheckReport& report, std::string& out)
{
    const ImageReport& image = *report.image;
    out += "Image\n  " + image.path + ": " + FileSystemName(image.fileSystem) +
           ", as Windows reads it";
    std::string others;
    if (image.hasUdf && image.fileSystem != ImageFileSystem::Udf)
        others += ", UDF";
    if (image.hasJoliet && image.fileSystem != ImageFileSystem::Joliet)
        others += ", Joliet";
    if (image.hasIso9660 && image.fileSystem == ImageFileSystem::Udf)
        others += ", ISO 9660";
    if (!others.empty())
        out += " (it also holds " + others.substr(2) +
               (image.fileSystem == ImageFileSystem::Udf
                    ? ", which Windows does not read when there is UDF"
                    : "") +
               ")";
    out += "; " + std::to_string(image.files.size()) + " files and folders.\n";
    if (image.contentsCut)
        out += "  Of the largest files only the start was read, which is all the checks need.\n";
    out += "\n";
}

void ShellSection(const CheckReport& report, std::string& out)
{
    out += "\nAutoRun, as Windows' shell reads the file before the launcher runs\n";
    if (report.fileReadable) {
        const ShellAutorun& lines = report.shell.lines;
        out +=
            "  " + Padded("[autorun]", 22) +
            (lines.sectionLine != 0 ? Padded("", 36) + " line " + std::to_string(lines.sectionLine)
                                    : "not found") +
            (lines.utf16 ? " (UTF-16 text)" : "") + "\n";
        for (const ShellKey& key : kShellKeys) {
            const std::optional<ShellLine>& line = lines.*key.line;
            out += "  " + Padded(std::string(key.name) + "=", 22);
            out +=
                line ? Padded(Quote(line->value), 36) + " line " + std::to_string(line->line) + "\n"
                     : "not set\n";
        }
    }
    out += "  " + ShellStartText(report) + "\n";
    out += "  " + AutoPlayNameText(report) + "\n";
    out += "  " + RemovableDriveText(report) + "\n";
}

void SettingsSection(const CheckReport& report, std::string& out)
{
    out += "\nSettings, as the launcher reads them\n";
    for (const SettingReport& setting : report.settings) {
        out += "  " + Padded(setting.name, 22);
        if (setting.set)
            out +=
                Padded(Quote(setting.value), 36) + " line " + std::to_string(setting.line) + "\n";
        else
            out += "not set\n";
    }
}

void RegistrySection(const CheckReport& report, std::string& out)
{
    const LaunchDecision& decision = report.decision;
    out += "\nRegistry\n";
    std::string key = autorun::RootName(decision.root);
    if (report.launch.appKey[0] != '\0')
        key += "\\" + report.Setting(autorun::SettingKey::AppKey).value;
    out += "  Opens " + Quote(key) + " in " + ViewAndAccess(decision.access) + ": ";
    if (decision.openStatus == ERROR_SUCCESS)
        out += "opened.\n";
    else
        out += "not opened, " + ErrorText(decision.openStatus) + ".\n";
    if (report.otherView)
        out += "  It opens in " + ViewAndAccess(*report.otherView) +
               ", where the launcher does not look.\n";
    for (int i = 0; i < decision.queryCount; ++i) {
        const LaunchQuery& query = decision.queries[i];
        const std::string name = WideToUtf8(query.wideValueName);
        out +=
            "  Queries " + (!name.empty() ? Quote(name) : std::string("the default value")) + ": ";
        if (query.status != ERROR_SUCCESS) {
            out += ErrorText(query.status) + ".\n";
            continue;
        }
        const std::string type = TypeName(query.valType);
        out += (type.empty() ? "type " + std::to_string(query.valType) : type) + ", " +
               Quote(WideToUtf8(query.data));
        if (query.role == autorun::QueryRole::AutoStart)
            out += query.matched
                       ? ", equal to AutoStartValue=.\n"
                       : ", not equal to AutoStartValue= (" +
                             Quote(report.Setting(autorun::SettingKey::AutoStartValue).value) +
                             ").\n";
        else if (query.role == autorun::QueryRole::Version)
            out += decision.versions.installed.count > 0
                       ? ", version " + VersionText(decision.versions.installed) + ".\n"
                       : ", not a version.\n";
        else
            out += ".\n";
    }
}

void DecisionSection(const CheckReport& report, std::string& out)
{
    out += "\nDecision\n  ";
    switch (report.decision.action) {
    case LaunchAction::Installed:
        out += "Starts the installed program: " + *report.commandLine + "\n";
        break;
    case LaunchAction::Setup:
        out += "Starts the setup program: " + *report.commandLine + "\n";
        break;
    case LaunchAction::Nothing:
        out += "Starts nothing.\n";
        break;
    }
    std::string reason = ReasonText(report);
    reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
    out += "  " + reason + "\n";
    if (const std::string versions = VersionSentence(report); !versions.empty())
        out += "  " + versions + "\n";
    if (report.program) {
        if (report.program->path) {
            out += "  The program is found: " + *report.program->path + " (" +
                   report.program->where + ").\n";
            const std::optional<bool> elevation = report.program->needsElevation;
            out += elevation && *elevation
                       ? "  It needs administrator rights: " + report.program->elevationReason +
                             ". Windows asks the user for consent before it starts.\n"
                       : "  Administrator rights: " +
                             std::string(elevation ? "not needed" : "unknown") + " (" +
                             report.program->elevationReason + ").\n";
        } else
            out += "  The program " + Quote(report.program->name) +
                   " is not found where the launcher looks (its own folder, then the system's "
                   "folders and PATH), so nothing will start.\n";
    }
}

void FindingsSection(const CheckReport& report, std::string& out)
{
    out += "\nFindings";
    if (report.findings.empty()) {
        out += ": none.\n";
        return;
    }
    out += " (" + std::to_string(report.findings.size()) + ")\n";
    for (const Finding& finding : report.findings) {
        out += std::string("  ") + SeverityName(finding.severity);
        if (finding.line > 0)
            out += ", line " + std::to_string(finding.line);
        out += " [" + finding.code + "]: " + finding.message + ".\n";
        out += "    Fix: " + finding.fix + ".\n";
    }
}

} // namespace

std::string TextReport(const CheckReport& report)
{
    std::string out;
    if (report.image)
        ImageSection(report, out);
    FileSection(report, out);
    ShellSection(report, out);
    if (report.fileReadable) {
        SettingsSection(report, out);
        RegistrySection(report, out);
    }
    DecisionSection(report, out);
    FindingsSection(report, out);
    return out;
}

} // namespace kova::check
