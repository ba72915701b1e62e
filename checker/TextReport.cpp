#include "checker/ReportWriters.h"
#include "checker/Text.h"
#include "checker/Wording.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <cstdio>

namespace autorun::check {

namespace {

std::string Padded(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

/// How an access is quoted: "the 64-bit view, with access 0x101 (KEY_QUERY_VALUE | ...)".
std::string ViewAndAccess(REGSAM access)
{
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(access));
    return std::string(RegistryViewOf(access).name) + ", with access " + hex + " (" +
           AccessName(access) + ")";
}

void FileSection(const FileFacts& file, std::string& out)
{
    out += "File\n";
    if (!file.found) {
        out += "  " + file.path + ": not found.\n";
        return;
    }
    if (!file.readable) {
        out += "  " + file.path + ": cannot be read.\n";
        return;
    }
    out += "  " + file.path + ": " + std::to_string(file.size) + " bytes, " +
           EncodingOf(file.encoding).name + ". ";
    if (file.bytesSeen == file.size)
        out += "The launcher sees all of them.\n";
    else if (file.bytesSeen < file.bytesRead)
        out += "The launcher reads " + std::to_string(file.bytesRead) + " and sees the first " +
               std::to_string(file.bytesSeen) + ", up to a zero byte.\n";
    else
        out += "The launcher sees the first " + std::to_string(file.bytesSeen) + ".\n";
}

void ImageSection(const ImageFacts& image, std::string& out)
{
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

void ShellSection(const DiscFacts& facts, std::string& out)
{
    out += "\nAutoRun, as Windows' shell reads the file before the launcher runs\n";
    if (facts.file.readable) {
        const ShellFacts& shell = facts.shell;
        out +=
            "  " + Padded("[autorun]", 22) +
            (shell.sectionLine != 0 ? Padded("", 36) + " line " + std::to_string(shell.sectionLine)
                                    : "not found") +
            (shell.utf16 ? " (UTF-16 text)" : "") + "\n";
        for (std::size_t key = 0; key < std::size(kShellKeys); ++key) {
            const std::optional<ShellLine>& line = shell.lines[key];
            out += "  " + Padded(std::string(kShellKeys[key]) + "=", 22);
            out +=
                line ? Padded(Quote(line->value), 36) + " line " + std::to_string(line->line) + "\n"
                     : "not set\n";
        }
    }
    if (facts.shell.amd64Line != 0) {
        const ShellFacts& shell = facts.shell;
        out += "  64-bit Windows reads [AutoRun.Amd64], line " + std::to_string(shell.amd64Line) +
               ", in place of [autorun]:\n";
        for (std::size_t key = 0; key < std::size(kShellKeys); ++key)
            if (const std::optional<ShellLine>& line = shell.amd64Lines[key])
                out += "    " + Padded(std::string(kShellKeys[key]) + "=", 20) +
                       Padded(Quote(line->value), 36) + " line " + std::to_string(line->line) +
                       "\n";
        if (shell.amd64Program)
            out += "    It starts " + Quote(shell.amd64Program->name) + ": " +
                   shell.amd64Program->path.value_or("not on the disc, so nothing starts") + ".\n";
    }
    out += "  " + ShellStartSentence(facts) + "\n";
    out += "  " + AutoPlaySentence(facts) + "\n";
    out += "  " + RemovableDriveSentence(facts) + "\n";
}

void SettingsSection(const DiscFacts& facts, std::string& out)
{
    out += "\nSettings, as the launcher reads them\n";
    for (const SettingFacts& setting : facts.settings) {
        out += "  " + Padded(setting.name, 22);
        if (setting.set)
            out +=
                Padded(Quote(setting.value), 36) + " line " + std::to_string(setting.line) + "\n";
        else
            out += "not set\n";
    }
}

void RegistrySection(const DiscFacts& facts, std::string& out)
{
    const LaunchDecision& decision = facts.decision;
    out += "\nRegistry\n";
    std::string key = RootName(decision.root);
    if (facts.launch.appKey[0] != '\0')
        key += "\\" + facts.Setting(SettingKey::AppKey).value;
    out += "  Opens " + Quote(key) + " in " + ViewAndAccess(decision.access) + ": ";
    if (decision.openStatus == ERROR_SUCCESS)
        out += "opened.\n";
    else
        out += "not opened, " + ErrorText(decision.openStatus) + ".\n";
    if (facts.otherView)
        out += "  It opens in " + ViewAndAccess(*facts.otherView) +
               ", where the launcher does not look.\n";
    for (const QueryFacts& query : facts.queries) {
        out += "  Queries " +
               (!query.name.empty() ? Quote(query.name) : std::string("the default value")) + ": ";
        if (query.status != ERROR_SUCCESS) {
            out += ErrorText(query.status) + ".\n";
            continue;
        }
        const std::string type = TypeName(query.type);
        out +=
            (type.empty() ? "type " + std::to_string(query.type) : type) + ", " + Quote(query.data);
        if (query.role == QueryRole::AutoStart)
            out += query.matched
                       ? ", equal to AutoStartValue=.\n"
                       : ", not equal to AutoStartValue= (" +
                             Quote(facts.Setting(SettingKey::AutoStartValue).value) + ").\n";
        else if (query.role == QueryRole::Version)
            out += decision.versions.installed.count > 0
                       ? ", version " + VersionText(decision.versions.installed) + ".\n"
                       : ", not a version.\n";
        else
            out += ".\n";
    }
}

void DecisionSection(const DiscFacts& facts, std::string& out)
{
    out += "\nDecision\n  ";
    switch (facts.decision.action) {
    case LaunchAction::Installed:
        out += "Starts the installed program: " + *facts.commandLine + "\n";
        break;
    case LaunchAction::Setup:
        out += "Starts the setup program: " + *facts.commandLine + "\n";
        break;
    case LaunchAction::Nothing:
        out += "Starts nothing.\n";
        break;
    }
    std::string reason = ReasonSentence(facts);
    reason[0] = UpperAscii(reason[0]);
    out += "  " + reason + "\n";
    if (const std::string versions = VersionSentence(facts); !versions.empty())
        out += "  " + versions + "\n";
    if (!facts.setupByMachine.empty())
        out += "  The setup program is chosen by the machine Windows runs on:\n";
    for (const auto& [machine, key] : facts.setupByMachine) {
        const std::string& line = facts.Setting(key).value;
        out += "    " + Padded(std::string(MachineName(machine)) + ":", 38) + KeyOf(key).name +
               " " + (line.empty() ? "not set: nothing starts" : Quote(line)) + "\n";
    }
    if (!facts.program)
        return;
    const ProgramFacts& program = *facts.program;
    if (!program.path) {
        out += "  The program " + Quote(program.name) +
               " is not found where the launcher looks (its own folder, then the system's "
               "folders and PATH), so nothing will start.\n";
        return;
    }
    out += "  The program is found: " + *program.path + " (" + PlaceWords(program.place) + ").\n";
    const std::optional<bool> elevation = program.needsElevation;
    out += elevation && *elevation
               ? "  It needs administrator rights: " + ElevationSentence(program) +
                     ". Windows asks the user for consent before it starts.\n"
               : "  Administrator rights: " + std::string(elevation ? "not needed" : "unknown") +
                     " (" + ElevationSentence(program) + ").\n";
}

void ProgramsSection(const DiscFacts& facts, std::string& out)
{
    const std::vector<StartedProgram> programs = facts.StartedPrograms();
    if (programs.empty())
        return;
    out += "\nPrograms the disc starts\n";
    for (const auto& [program, setting, line] : programs) {
        out += "  " + Padded(setting, 22) + Quote(program->name) + ": ";
        if (!program->path) {
            out += "not found.\n";
            continue;
        }
        out += *program->path;
        if (program->machine)
            out += std::string(", for ") + MachineName(*program->machine);
        out += "; " + SignatureSentence(*program) + ".\n";
    }
}

void FindingsSection(const std::vector<Finding>& findings, std::string& out)
{
    out += "\nFindings";
    if (findings.empty()) {
        out += ": none.\n";
        return;
    }
    out += " (" + std::to_string(findings.size()) + ")\n";
    for (const Finding& finding : findings) {
        out += std::string("  ") + SeverityName(finding.severity);
        if (finding.line > 0)
            out += ", line " + std::to_string(finding.line);
        out += " [" + finding.code + "]: " + finding.message + ".\n";
        out += "    Fix: " + finding.fix + ".\n";
    }
}

} // namespace

std::string TextReport(const DiscFacts& facts, const std::vector<Finding>& findings)
{
    std::string out;
    if (facts.image)
        ImageSection(*facts.image, out);
    FileSection(facts.file, out);
    ShellSection(facts, out);
    if (facts.file.readable) {
        SettingsSection(facts, out);
        RegistrySection(facts, out);
    }
    DecisionSection(facts, out);
    ProgramsSection(facts, out);
    FindingsSection(findings, out);
    return out;
}

} // namespace autorun::check
