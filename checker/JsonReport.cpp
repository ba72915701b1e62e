#include "checker/ReportWriters.h"
#include "checker/Wording.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <nlohmann/json.hpp>

namespace autorun::check {

namespace {

using Json = nlohmann::ordered_json;

Json Line(int line)
{
    return line > 0 ? Json(line) : Json(nullptr);
}

/// A text, or null where it is empty or missing.
Json TextOrNull(const std::optional<std::string>& text)
{
    return text && !text->empty() ? Json(*text) : Json(nullptr);
}

Json NameOrNull(const char* name)
{
    return name != nullptr ? Json(name) : Json(nullptr);
}

Json VersionNumbers(const Version& version)
{
    return version.count > 0 ? Json(VersionText(version)) : Json(nullptr);
}

/// The versions the decision compared and how they stand; null without "AppVersion=".
Json Versions(const DiscFacts& facts)
{
    const VersionComparison& versions = facts.decision.versions;
    if (versions.cause == VersionCause::NotSet)
        return nullptr;
    return {
        {"disc", VersionNumbers(versions.disc)},
        {"installed", VersionNumbers(versions.installed)},
        {"comparison",
         NameOrNull(versions.cause == VersionCause::Compared ? VersionOrderName(versions.order)
                                                             : nullptr)},
        {"meaning", VersionSentence(facts)},
    };
}

Json Registry(const DiscFacts& facts)
{
    const LaunchDecision& decision = facts.decision;
    Json values = Json::array();
    for (const QueryFacts& query : facts.queries) {
        const bool ok = query.status == ERROR_SUCCESS;
        Json value = {
            {"name", query.name},
            {"role", RoleName(query.role)},
            {"status", query.status},
            {"statusText", ErrorMeaning(query.status)},
            {"type", ok ? Json(query.type) : Json(nullptr)},
            {"typeName",
             ok && TypeName(query.type)[0] != '\0' ? Json(TypeName(query.type)) : Json(nullptr)},
            {"size", ok || query.status == ERROR_MORE_DATA ? Json(query.size) : Json(nullptr)},
            {"data", ok ? Json(query.data) : Json(nullptr)},
        };
        if (query.role == QueryRole::AutoStart)
            value["matched"] = query.matched;
        values.push_back(std::move(value));
    }
    return {
        {"root", RootName(decision.root)},
        {"keyPath", facts.Setting(SettingKey::AppKey).value},
        {"view", RegistryViewOf(decision.access).id},
        {"access", decision.access},
        {"opened", decision.openStatus == ERROR_SUCCESS},
        {"error", decision.openStatus},
        {"errorText", ErrorMeaning(decision.openStatus)},
        {"otherViewAccess", facts.otherView ? Json(*facts.otherView) : Json(nullptr)},
        {"values", std::move(values)},
    };
}

Json Shell(const DiscFacts& facts)
{
    const ShellFacts& shell = facts.shell;
    Json keys = Json::object();
    for (std::size_t key = 0; key < std::size(kShellKeys); ++key) {
        const std::optional<ShellLine>& line = shell.lines[key];
        keys[kShellKeys[key]] =
            line ? Json{{"value", line->value}, {"line", line->line}} : Json(nullptr);
    }
    const ProgramFacts* program = shell.program ? &*shell.program : nullptr;
    const bool found = program != nullptr && program->path;
    Json amd64 = nullptr;
    if (shell.amd64Line != 0) {
        Json amd64Keys = Json::object();
        for (std::size_t key = 0; key < std::size(kShellKeys); ++key) {
            const std::optional<ShellLine>& line = shell.amd64Lines[key];
            amd64Keys[kShellKeys[key]] =
                line ? Json{{"value", line->value}, {"line", line->line}} : Json(nullptr);
        }
        amd64 = {{"line", shell.amd64Line},
                 {"keys", std::move(amd64Keys)},
                 {"program", shell.amd64Program ? Json(shell.amd64Program->name) : Json(nullptr)},
                 {"programFound",
                  shell.amd64Program ? TextOrNull(shell.amd64Program->path) : Json(nullptr)}};
    }
    return {
        {"section",
         {{"found", shell.sectionLine != 0},
          {"line", Line(shell.sectionLine)},
          {"utf16", shell.utf16}}},
        {"keys", std::move(keys)},
        {"start",
         {{"key", NameOrNull(shell.startKey >= 0 ? kShellKeys[shell.startKey] : nullptr)},
          {"program", program != nullptr ? Json(program->name) : Json(nullptr)},
          {"programFound", found ? Json(*program->path) : Json(nullptr)},
          {"onDisc", program != nullptr && program->onDisc},
          {"isLauncher", found && program->isLauncher},
          {"description", found ? TextOrNull(program->description) : Json(nullptr)},
          {"signed", found ? Json(program->signature.isSigned) : Json(nullptr)},
          {"signer", found ? TextOrNull(program->signature.signer) : Json(nullptr)},
          {"text", ShellStartSentence(facts)},
          {"autoPlayName", AutoPlaySentence(facts)}}},
        {"removableDrives", RemovableDriveSentence(facts)},
        {"amd64", std::move(amd64)},
    };
}

/// A program the disc names: where it is, what it is built for, and its signature.
Json Program(const ProgramFacts& program)
{
    const SignatureFacts& signature = program.signature;
    return {
        {"program", program.name},
        {"programFound", TextOrNull(program.path)},
        {"machine", program.machine ? Json(MachineId(*program.machine)) : Json(nullptr)},
        {"needsElevation", program.needsElevation ? Json(*program.needsElevation) : Json(nullptr)},
        {"signature",
         !signature.isSigned
             ? Json(nullptr)
             : Json{{"signer", TextOrNull(signature.signer)},
                    {"keyType", TextOrNull(std::string(KeyTypeName(signature.keyType)))},
                    {"keyBits", signature.keyBits},
                    {"digestAlgorithm", TextOrNull(signature.digestAlgorithm)},
                    {"valid", signature.Valid()},
                    {"problem", TextOrNull(signature.problem)},
                    {"timestamped", signature.timestamped},
                    {"timestamp", TextOrNull(TimeText(signature.timestampTime))},
                    {"certificateExpires", TextOrNull(TimeText(signature.certificateNotAfter))}}},
        {"text", SignatureSentence(program)},
    };
}

/// The programs the disc starts: the shell's, and each setup program a setting names.
Json Programs(const DiscFacts& facts)
{
    Json programs = Json::array();
    for (const StartedProgram& started : facts.StartedPrograms()) {
        Json program = Program(*started.program);
        // The setting by its name alone, without the '=' the file spells it with.
        program["setting"] = started.setting.substr(0, started.setting.size() - 1);
        programs.push_back(std::move(program));
    }
    return programs;
}

/// Which setting each kind of machine gets its setup from; null when the file names no
/// setup for one machine.
Json SetupByMachine(const DiscFacts& facts)
{
    if (facts.setupByMachine.empty())
        return nullptr;
    Json machines = Json::object();
    for (const auto& [machine, key] : facts.setupByMachine) {
        std::string setting = KeyOf(key).name;
        setting.pop_back();
        const std::string& commandLine = facts.Setting(key).value;
        machines[MachineId(machine)] = {
            {"setting", setting},
            {"commandLine", commandLine.empty() ? Json(nullptr) : Json(commandLine)}};
    }
    return machines;
}

Json Image(const ImageFacts& image)
{
    return {
        {"path", image.path},
        {"fileSystem", FileSystemId(image.fileSystem)},
        {"hasUdf", image.hasUdf},
        {"hasJoliet", image.hasJoliet},
        {"hasIso9660", image.hasIso9660},
        {"files", image.files.size()},
        {"udfOnly", image.udfOnly},
        {"isoOnly", image.isoOnly},
        {"leftOut", image.leftOut.size()},
        {"contentsCut", image.contentsCut},
    };
}

Json Decision(const DiscFacts& facts)
{
    const LaunchDecision& decision = facts.decision;
    const ProgramFacts* program = facts.program ? &*facts.program : nullptr;
    return {
        {"action", ActionName(decision.action)},
        {"commandLine", facts.commandLine ? Json(*facts.commandLine) : Json(nullptr)},
        {"commandSource", NameOrNull(CommandSourceName(decision.commandSource))},
        {"program", program != nullptr ? Json(program->name) : Json(nullptr)},
        {"programFound", program != nullptr ? TextOrNull(program->path) : Json(nullptr)},
        {"needsElevation", program != nullptr && program->needsElevation
                               ? Json(*program->needsElevation)
                               : Json(nullptr)},
        {"reasonCode", facts.file.readable ? Json(ReasonName(decision.reason)) : Json(nullptr)},
        {"reason", ReasonSentence(facts)},
        {"versions", Versions(facts)},
        {"setupByMachine", SetupByMachine(facts)},
    };
}

} // namespace

std::string JsonReport(const DiscFacts& facts, const std::vector<Finding>& findings)
{
    const FileFacts& file = facts.file;
    Json settings = Json::object();
    for (const SettingFacts& setting : facts.settings) {
        std::string name = setting.name;
        name.pop_back();
        settings[name] = {{"value", setting.set ? Json(setting.value) : Json(nullptr)},
                          {"line", Line(setting.line)}};
    }
    Json found = Json::array();
    for (const Finding& finding : findings)
        found.push_back({{"code", finding.code},
                         {"severity", SeverityName(finding.severity)},
                         {"line", Line(finding.line)},
                         {"message", finding.message},
                         {"fix", finding.fix}});
    const Json out = {
        {"folder", facts.folder},
        {"file",
         {{"path", file.path},
          {"encoding", file.readable ? Json(EncodingOf(file.encoding).id) : Json(nullptr)},
          {"found", file.found},
          {"readable", file.readable},
          {"size", file.readable ? Json(file.size) : Json(nullptr)},
          {"bytesRead", file.bytesRead},
          {"bytesSeen", file.bytesSeen}}},
        {"image", facts.image ? Image(*facts.image) : Json(nullptr)},
        {"autorun", Shell(facts)},
        {"settings", std::move(settings)},
        {"registry", file.readable ? Registry(facts) : Json(nullptr)},
        {"decision", Decision(facts)},
        {"programs", Programs(facts)},
        {"findings", std::move(found)},
    };
    return out.dump(2) + "\n";
}

} // namespace autorun::check
