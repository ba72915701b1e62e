#include "checker/Words.h"

#include "checker/Quote.h"
#include "launcher/RegistryView.h"

namespace kova::check {

namespace {

struct ErrorWords {
    LONG error;
    const char* meaning;
};

// The one number in a meaning comes from the launcher's buffer, below.
constexpr ErrorWords kErrors[] = {
    {ERROR_SUCCESS, "success"},
    {ERROR_FILE_NOT_FOUND, "not found"},
    {ERROR_PATH_NOT_FOUND, "path not found"},
    {ERROR_ACCESS_DENIED, "access denied"},
    {ERROR_INVALID_HANDLE, "invalid handle"},
    {ERROR_BAD_FORMAT, "not a program Windows can start"},
    {ERROR_INVALID_PARAMETER, "invalid parameter"},
    {ERROR_BAD_PATHNAME, "bad path name"},
    {ERROR_MORE_DATA, nullptr},
    {ERROR_KEY_DELETED, "key deleted"},
};

struct TypeWords {
    DWORD type;
    const char* name;
};

constexpr TypeWords kTypes[] = {
    {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
};

const std::string& MoreDataMeaning()
{
    static const std::string meaning =
        "longer than the launcher's " + std::to_string(autorun::kDataSize) + "-byte buffer";
    return meaning;
}

} // namespace

const char* ErrorMeaning(LONG error)
{
    for (const ErrorWords& words : kErrors)
        if (words.error == error)
            return words.meaning != nullptr ? words.meaning : MoreDataMeaning().c_str();
    return "unexpected error";
}

std::string ErrorText(LONG error)
{
    return "error " + std::to_string(error) + ": " + ErrorMeaning(error);
}

const char* TypeName(DWORD type)
{
    for (const TypeWords& words : kTypes)
        if (words.type == type)
            return words.name;
    return "";
}

std::string AccessName(REGSAM access)
{
    std::string name = "KEY_QUERY_VALUE";
    for (const autorun::RegistryViewEntry& view : autorun::kRegistryViews)
        if (view.flag != 0 && (access & view.flag) != 0)
            name += std::string(" | ") + view.flagName;
    return name;
}

const char* ActionName(autorun::LaunchAction action)
{
    switch (action) {
    case autorun::LaunchAction::Installed:
        return "installed";
    case autorun::LaunchAction::Setup:
        return "setup";
    case autorun::LaunchAction::Nothing:
        break;
    }
    return "nothing";
}

const char* ReasonName(autorun::LaunchReason reason)
{
    using autorun::LaunchReason;
    switch (reason) {
    case LaunchReason::SetupKeyClosed:
        return "setup-key-closed";
    case LaunchReason::NoSetupKeyClosed:
        return "no-setup-key-closed";
    case LaunchReason::SetupUpgrade:
        return "setup-upgrade";
    case LaunchReason::InstalledForced:
        return "installed-forced";
    case LaunchReason::InstalledWanted:
        return "installed-wanted";
    case LaunchReason::AutoStartQueryFailed:
        return "autostart-query-failed";
    case LaunchReason::AutoStartDiffers:
        return "autostart-differs";
    case LaunchReason::AppPathQueryFailed:
        return "app-path-query-failed";
    }
    return "";
}

const char* CommandSourceName(autorun::CommandSource source)
{
    switch (source) {
    case autorun::CommandSource::SetupName:
        return "setupName";
    case autorun::CommandSource::AppPath:
        return "appPath";
    case autorun::CommandSource::None:
        break;
    }
    return nullptr;
}

const char* SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Info:
        return "info";
    case Severity::Warning:
        return "warning";
    case Severity::Error:
        break;
    }
    return "error";
}

std::string VersionText(const autorun::Version& version)
{
    std::string text;
    for (int i = 0; i < version.count; ++i)
        text += (i > 0 ? "." : "") + std::to_string(version.parts[i]);
    return text;
}

const char* VersionOrderName(autorun::VersionOrder order)
{
    switch (order) {
    case autorun::VersionOrder::Older:
        return "older";
    case autorun::VersionOrder::Equal:
        return "equal";
    case autorun::VersionOrder::Newer:
        return "newer";
    case autorun::VersionOrder::Unknown:
        break;
    }
    return "";
}

std::string VersionSentence(const CheckReport& report)
{
    using autorun::VersionOrder;
    if (!report.launch.IsSet(autorun::SettingKey::AppVersion))
        return {};
    const autorun::VersionComparison& versions = report.decision.versions;
    if (versions.disc.count == 0)
        return "AppVersion= (" + Quote(report.launch.appVersion) +
               ") is not a version, so no versions are compared.";
    const std::string disc = VersionText(versions.disc);
    const autorun::LaunchQuery* query = report.decision.Query(autorun::QueryRole::Version);
    if (query == nullptr)
        return "The disc's version is " + disc +
               "; with the product not installed there is nothing to compare.";
    const std::string asInstalled = ", so the launch goes on as for any installed product.";
    if (query->status != ERROR_SUCCESS)
        return "The disc's version is " + disc + "; the installed version cannot be read (" +
               ErrorText(query->status) + ")" + asInstalled;
    if (versions.installed.count == 0)
        return "The disc's version is " + disc + "; the installed version " +
               Quote(WideToUtf8(query->data)) + " is not a version" + asInstalled;
    const std::string installed = "The installed version " + VersionText(versions.installed);
    switch (versions.order) {
    case VersionOrder::Older:
        if (report.decision.reason == autorun::LaunchReason::SetupUpgrade)
            return installed + " is older than the disc's " + disc +
                   ": the setup program upgrades it.";
        return installed + " is older than the disc's " + disc + ", but SetupName= is not set" +
               asInstalled;
    case VersionOrder::Equal:
        return installed + " equals the disc's " + disc + asInstalled;
    case VersionOrder::Newer:
        return installed + " is newer than the disc's " + disc +
               ", so the launch goes on as for any installed product (the disc never downgrades "
               "it).";
    case VersionOrder::Unknown:
        break;
    }
    return {};
}

std::string ReasonText(const CheckReport& report)
{
    using autorun::LaunchReason;
    using autorun::QueryRole;
    if (!report.fileFound)
        return "there is no autorun.inf, so the launcher does nothing.";
    if (!report.fileReadable)
        return "autorun.inf cannot be read, so the launcher does nothing.";
    const autorun::LaunchDecision& decision = report.decision;
    const std::string key =
        "the product's key does not open (" + ErrorText(decision.openStatus) + ")";
    switch (decision.reason) {
    case LaunchReason::SetupKeyClosed:
        return key + ", so the product counts as not installed.";
    case LaunchReason::NoSetupKeyClosed:
        return key + ", so the product counts as not installed, and SetupName= is not set.";
    case LaunchReason::SetupUpgrade:
        return "the product's key opens, but the installed version is older than the disc's, so "
               "the setup program starts, whatever the auto-start settings say.";
    case LaunchReason::InstalledForced:
        return "the product's key opens and AutoStart= is set, so the installed program starts "
               "without asking the registry whether it should.";
    case LaunchReason::InstalledWanted:
        return "the product's key opens and its auto-start value equals AutoStartValue=.";
    case LaunchReason::AutoStartQueryFailed:
        return "the product's key opens, but its auto-start value cannot be read (" +
               ErrorText(decision.Query(QueryRole::AutoStart)->status) +
               "), so nothing starts; setup never starts for an installed product.";
    case LaunchReason::AutoStartDiffers:
        return "the product's key opens, but its auto-start value differs from AutoStartValue=, "
               "so nothing starts; setup never starts for an installed product.";
    case LaunchReason::AppPathQueryFailed:
        return "the installed program is due, but the program-path value cannot be read (" +
               ErrorText(decision.Query(QueryRole::AppPath)->status) + "), so nothing starts.";
    }
    return {};
}

std::string ShellStartText(const CheckReport& report)
{
    const ShellReport& shell = report.shell;
    if (!report.fileReadable || shell.lines.sectionLine == 0)
        return "Windows starts nothing from the disc: there is no [autorun] section.";
    if (shell.start == nullptr || !shell.program)
        return "Windows starts nothing from the disc: the [autorun] section names no program.";
    const std::string name = Quote(shell.program->name) + " (" + shell.start->name + "=, line " +
                             std::to_string(shell.StartLine().line) + ")";
    if (!shell.program->path)
        return "Windows would start " + name + ", which is not on the disc: nothing starts.";
    if (!shell.onDisc)
        return "Windows starts " + name +
               ", found not on the disc but on this machine: " + *shell.program->path + ".";
    return "Windows starts " + name + ": " + *shell.program->path + ", " +
           (shell.isLauncher ? "the launcher." : "another program than the launcher.");
}

std::string AutoPlayNameText(const CheckReport& report)
{
    const ShellReport& shell = report.shell;
    if (!shell.program || !shell.program->path)
        return "AutoPlay has no program to name.";
    const ProgramReport& program = *shell.program;
    std::string text =
        program.description.empty()
            ? "AutoPlay has no description to name the program by (it has no version resource's "
              "FileDescription)"
            : "AutoPlay names the program " + Quote(program.description) +
                  " (its version resource's FileDescription)";
    if (!program.isSigned)
        text += "; publisher: not signed, so Windows names none.";
    else if (!program.signer.empty())
        text += "; publisher: " + Quote(program.signer) + ", the signer.";
    else
        text += "; publisher: the file is signed, but its signature names no signer the checker "
                "can read.";
    return text;
}

std::string RemovableDriveText(const CheckReport& report)
{
    const ShellReport& shell = report.shell;
    const std::string name =
        shell.program && shell.program->path ? Quote(shell.program->name) : "\"autorun.exe\"";
    return "From a USB stick or an external hard disc, Windows 7 and later (and Windows XP and "
           "Vista since the "
           "2011 update) offer no AutoRun entry, whatever autorun.inf says; only CD and DVD drives "
           "do. There the "
           "person opens the drive in Explorer and starts " +
           name + " themselves.";
}

const char* FileSystemId(ImageFileSystem system)
{
    switch (system) {
    case ImageFileSystem::Udf:
        return "udf";
    case ImageFileSystem::Joliet:
        return "joliet";
    case ImageFileSystem::Iso9660:
        break;
    }
    return "iso9660";
}

const char* FileSystemName(ImageFileSystem system)
{
    switch (system) {
    case ImageFileSystem::Udf:
        return "UDF";
    case ImageFileSystem::Joliet:
        return "ISO 9660 with Joliet names";
    case ImageFileSystem::Iso9660:
        break;
    }
    return "ISO 9660 without Joliet names (upper-case 8.3)";
}

} // namespace kova::check
