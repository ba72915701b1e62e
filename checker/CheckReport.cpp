#include "checker/CheckReport.h"

#include "checker/Findings.h"
#include "checker/ProgramSearch.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace kova::check {

namespace {

/// How much of a file the checker reads, to find keys beyond the launcher's 32000 bytes.
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
std::optional<REGSAM> FindInOtherView(const LaunchSettings& settings, const LaunchDecision& decision)
{
    for (const REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        if ((decision.access & view) != 0)
            continue;
        const REGSAM access = KEY_QUERY_VALUE | view;
        HKEY key = nullptr;
        if (RegOpenKeyExA(decision.root, settings.appKey, 0, access, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return access;
        }
    }
    return std::nullopt;
}

/// The decision's start: the checker never starts anything. The command line handed here
/// is the decision's own, which the report keeps.
void StartNothing(const char*)
{
}

} // namespace

CheckReport CheckFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        throw CheckFailure{"no such folder: " + folder};

    CheckReport report;
    report.folder = folder;
    const fs::path path = fs::path(folder) / "autorun.inf";
    report.path = path.string();
    report.fileFound = fs::exists(path, error);
    if (report.fileFound) {
        report.text = std::make_unique<AutorunText>();
        // The same read as the launcher's, so that the bytes seen cannot differ.
        if (!ReadAutorunFile(report.path.c_str(), *report.text) || fs::is_directory(path, error))
            throw CheckFailure{"cannot read " + report.path};
        report.fileSize = fs::file_size(path, error);
        report.bytesRead = report.text->bufRead;
        report.bytesSeen = std::strlen(report.text->buf);
        report.bytes = ReadBytes(path, kMaxLook);

        ReadLaunchSettings(report.text->buf, report.launch);
        DecideLaunch(report.launch, report.decision, StartNothing);
        if (report.decision.openStatus != ERROR_SUCCESS)
            report.otherView = FindInOtherView(report.launch, report.decision);
        if (report.decision.commandLine != nullptr) {
            report.commandLine = report.decision.commandLine;
            report.program = FindCommandProgram(*report.commandLine, folder);
        }
        for (const LaunchKey& key : kLaunchKeys) {
            const char* at = std::strstr(report.text->buf, key.name);
            report.settings.push_back(
                {key.name, at != nullptr, report.launch.*key.value,
                 at != nullptr ? LineOf(report.bytes, static_cast<std::size_t>(at - report.text->buf)) : 0});
        }
    } else {
        for (const LaunchKey& key : kLaunchKeys)
            report.settings.push_back({key.name, false, {}, 0});
    }
    FindTraps(report);
    return report;
}

const char* ViewName(REGSAM access)
{
    if ((access & KEY_WOW64_64KEY) != 0)
        return "the 64-bit view";
    if ((access & KEY_WOW64_32KEY) != 0)
        return "the 32-bit view";
    return "the launcher's own view";
}

const char* RootName(HKEY root)
{
    if (root == HKEY_USERS)
        return "HKEY_USERS";
    if (root == HKEY_CLASSES_ROOT)
        return "HKEY_CLASSES_ROOT";
    if (root == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_CONFIG)
        return "HKEY_CURRENT_CONFIG";
    return "HKEY_CURRENT_USER";
}

const char* ErrorMeaning(LONG error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return "success";
    case ERROR_FILE_NOT_FOUND:
        return "not found";
    case ERROR_PATH_NOT_FOUND:
        return "path not found";
    case ERROR_ACCESS_DENIED:
        return "access denied";
    case ERROR_INVALID_HANDLE:
        return "invalid handle";
    case ERROR_BAD_FORMAT:
        return "not a program Windows can start";
    case ERROR_INVALID_PARAMETER:
        return "invalid parameter";
    case ERROR_BAD_PATHNAME:
        return "bad path name";
    case ERROR_MORE_DATA:
        return "longer than the launcher's 256-byte buffer";
    case ERROR_KEY_DELETED:
        return "key deleted";
    default:
        return "unexpected error";
    }
}

std::string ErrorText(LONG error)
{
    return "error " + std::to_string(error) + ": " + ErrorMeaning(error);
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "";
    }
}

std::string ReasonText(const CheckReport& report)
{
    if (!report.fileFound)
        return "there is no autorun.inf, so the launcher does nothing.";
    const LaunchDecision& decision = report.decision;
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
               ErrorText(decision.queries[0].status) +
               "), so nothing starts; setup never starts for an installed product.";
    case LaunchReason::AutoStartDiffers:
        return "the product's key opens, but its auto-start value differs from AutoStartValue=, "
               "so nothing starts; setup never starts for an installed product.";
    case LaunchReason::AppPathQueryFailed: {
        const LaunchQuery& query = decision.queries[decision.queryCount - 1];
        return "the installed program is due, but the program-path value cannot be read (" +
               ErrorText(query.status) + "), so nothing starts.";
    }
    }
    return {};
}

} // namespace kova::check
