#include "checker/Quote.h"
#include "checker/ReportWriters.h"
#include "checker/Words.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <nlohmann/json.hpp>

namespace kova::check {

namespace {

using autorun::LaunchDecision;
using autorun::LaunchQuery;
using autorun::QueryRole;

using Json = nlohmann::ordered_json;

/// Every text of the report is UTF-8 already; only the folder's name comes from the
/// command line, which on Windows is in the ANSI code page.
Json Text(std::string_view text)
{
    return std::string(text);
}

Json CommandLineText(std::string_view text)
{
    return CommandLineToUtf8(text);
}

Json Line(int line)
{
    return line > 0 ? Json(line) : Json(nullptr);
}

const char* RoleName(QueryRole role)
{
    switch (role) {
    case QueryRole::Version:
        return "version";
    case QueryRole::AutoStart:
        return "autoStart";
    case QueryRole::AppPath:
        break;
    }
    return "appPath";
}

Json VersionNumbers(const autorun::Version& version)
{
    return version.count > 0 ? Json(VersionText(version)) : Json(nullptr);
}

/// The versions the decision compared and how they stand; null without "AppVersion=".
Json Versions(const CheckReport& report)
{
    if (!report.launch.IsSet(autorun::SettingKey::AppVersion))
        return nullptr;
    const autorun::VersionComparison& versions = report.decision.versions;
    const char* order = VersionOrderName(versions.order);
    return {
        {"disc", VersionNumbers(versions.disc)},
        {"installed", VersionNumbers(versions.installed)},
        {"comparison", order[0] != '\0' ? Json(order) : Json(nullptr)},
        {"meaning", Text(VersionSentence(report))},
    };
}

Json Registry(const CheckReport& report)
{
    const LaunchDecision& decision = report.decision;
    Json values = Json::array();
    for (int i = 0; i < decision.queryCount; ++i) {
        const LaunchQuery& query = decision.queries[i];
        const bool ok = query.status == ERROR_SUCCESS;
        Json value = {
            {"name", WideToUtf8(query.wideValueName)},
            {"role", RoleName(query.role)},
            {"status", query.status},
            {"statusText", ErrorMeaning(query.status)},
            {"type", ok ? Json(query.valType) : Json(nullptr)},
            {"typeName", ok && TypeName(query.valType)[0] != '\0' ? Json(TypeName(query.valType))
                                                                  : Json(nullptr)},
            {"size",
             ok || query.status == ERROR_MORE_DATA ? Json(query.lenKeyValue) : Json(nullptr)},
            {"data", ok ? Json(WideToUtf8(query.data)) : Json(nullptr)},
        };
        if (query.role == QueryRole::AutoStart)
            value["matched"] = query.matched;
        values.push_back(std::move(value));
    }
    return {
        {"root", autorun::RootName(decision.root)},
        {"keyPath", Text(report.Setting(autorun::SettingKey::AppKey).value)},
        {"view", autorun::RegistryViewOf(decision.access).id},
        {"access", decision.access},
        {"opened", decision.openStatus == ERROR_SUCCESS},
        {"error", decision.openStatus},
        {"errorText", ErrorMeaning(decision.openStatus)},
        {"otherViewAccess", report.otherView ? Json(*report.otherView) : Json(nullptr)},
        {"values", std::move(values)},
    };
}

Json Shell(const CheckReport& report)
{
    const ShellReport& shell = report.shell;
    Json keys = Json::object();
    for (const ShellKey& key : kShellKeys) {
        const std::optional<ShellLine>& line = shell.lines.*key.line;
        keys[key.name] =
            line ? Json{{"value", Text(line->value)}, {"line", line->line}} : Json(nullptr);
    }
    const bool found = shell.program && shell.program->path;
    return {
        {"section",
         {{"found", shell.lines.sectionLine != 0},
          {"line", Line(shell.lines.sectionLine)},
          {"utf16", shell.lines.utf16}}},
        {"keys", std::move(keys)},
        {"start",
         {{"key", shell.start != nullptr ? Json(shell.start->name) : Json(nullptr)},
          {"program", shell.program ? Text(shell.program->name) : Json(nullptr)},
          {"programFound", found ? Text(*shell.program->path) : Json(nullptr)},
          {"onDisc", shell.onDisc},
          {"isLauncher", shell.isLauncher},
          {"description", found && !shell.program->description.empty()
                              ? Text(shell.program->description)
                              : Json(nullptr)},
          {"signed", found ? Json(shell.program->isSigned) : Json(nullptr)},
          {"signer",
           found && !shell.program->signer.empty() ? Text(shell.program->signer) : Json(nullptr)},
          {"text", Text(ShellStartText(report))},
          {"autoPlayName", Text(AutoPlayNameText(report))}}},
        {"removableDrives", Text(RemovableDriveText(report))},
    };
}

Json Image(const ImageReport& image)
{
    Json udfOnly = Json::array();
    for (const std::string& name : image.udfOnly)
        udfOnly.push_back(Text(name));
    Json isoOnly = Json::array();
    for (const std::string& name : image.isoOnly)
        isoOnly.push_back(Text(name));
    return {
        {"path", Text(image.path)},        {"fileSystem", FileSystemId(image.fileSystem)},
        {"hasUdf", image.hasUdf},          {"hasJoliet", image.hasJoliet},
        {"hasIso9660", image.hasIso9660},  {"files", image.files.size()},
        {"udfOnly", std::move(udfOnly)},   {"isoOnly", std::move(isoOnly)},
        {"leftOut", image.leftOut.size()}, {"contentsCut", image.contentsCut},
    };
}

} // namespace

std::string JsonReport(const CheckReport& report)
{
    Json settings = Json::object();
    for (const SettingReport& setting : report.settings) {
        std::string name = setting.name;
        name.pop_back();
        settings[name] = {{"value", setting.set ? Text(setting.value) : Json(nullptr)},
                          {"line", Line(setting.line)}};
    }
    Json findings = Json::array();
    for (const Finding& finding : report.findings)
        findings.push_back({{"code", finding.code},
                            {"severity", SeverityName(finding.severity)},
                            {"line", Line(finding.line)},
                            {"message", Text(finding.message)},
                            {"fix", Text(finding.fix)}});
    const Json out = {
        {"folder", CommandLineText(report.folder)},
        {"file",
         {{"path", CommandLineText(report.path)},
          {"encoding",
           report.fileReadable ? Json(autorun::EncodingOf(report.encoding).id) : Json(nullptr)},
          {"found", report.fileFound},
          {"readable", report.fileReadable},
          {"size", report.fileReadable ? Json(report.fileSize) : Json(nullptr)},
          {"bytesRead", report.bytesRead},
          {"bytesSeen", report.bytesSeen}}},
        {"image", report.image ? Image(*report.image) : Json(nullptr)},
        {"autorun", Shell(report)},
        {"settings", std::move(settings)},
        {"registry", report.fileReadable ? Registry(report) : Json(nullptr)},
        {"decision",
         {{"action", ActionName(report.decision.action)},
          {"commandLine", report.commandLine ? Text(*report.commandLine) : Json(nullptr)},
          {"commandSource", CommandSourceName(report.decision.commandSource) != nullptr
                                ? Json(CommandSourceName(report.decision.commandSource))
                                : Json(nullptr)},
          {"program", report.program ? Text(report.program->name) : Json(nullptr)},
          {"programFound",
           report.program && report.program->path ? Text(*report.program->path) : Json(nullptr)},
          {"needsElevation", report.program && report.program->needsElevation
                                 ? Json(*report.program->needsElevation)
                                 : Json(nullptr)},
          {"reasonCode",
           report.fileReadable ? Json(ReasonName(report.decision.reason)) : Json(nullptr)},
          {"reason", Text(ReasonText(report))},
          {"versions", Versions(report)}}},
        {"findings", std::move(findings)},
    };
    return out.dump(2) + "\n";
}

} // namespace kova::check
