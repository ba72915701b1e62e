#include "checker/Words.h"

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
    {REG_NONE, "REG_NONE"},   {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
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

std::string ReasonText(const CheckReport& report)
{
    using autorun::LaunchReason;
    using autorun::QueryRole;
    if (!report.fileFound)
        return "there is no autorun.inf, so the launcher does nothing.";
    if (!report.fileReadable)
        return "autorun.inf cannot be read, so the launcher does nothing.";
    const autorun::LaunchDecision& decision = report.decision;
    const std::string key = "the product's key does not open (" + ErrorText(decision.openStatus) + ")";
    switch (decision.reason) {
    case LaunchReason::SetupKeyClosed:
        return key + ", so the product counts as not installed.";
    case LaunchReason::NoSetupKeyClosed:
        return key + ", so the product counts as not installed, and SetupName= is not set.";
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

} // namespace kova::check
