#include "launcher/LaunchDecision.h"

#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <cstring>

namespace autorun {

namespace {

/// Reads a registry value into a text buffer, whatever its type; only the installed
/// version looks at the type afterwards.
LaunchQuery& QueryText(HKEY key, QueryRole role, const char* valueName, LaunchDecision& decision)
{
    LaunchQuery& query = decision.queries[decision.queryCount++];
    std::memset(&query, 0, sizeof query);
    query.role = role;
    query.valueName = valueName;
    query.lenKeyValue = kDataSize;
    query.status = RegQueryValueExA(key, valueName, NULL, &query.valType,
                                    reinterpret_cast<LPBYTE>(query.data), &query.lenKeyValue);
    if (query.status != ERROR_SUCCESS) {
        // Whatever a failed query left in the buffer is not data.
        std::memset(query.data, 0, sizeof query.data);
    }
    return query;
}

/// The installed version in a query's data: a REG_DWORD is its number as one part, any
/// other type is text. `version` is still all zero, as the decision starts.
void ReadInstalledVersion(const LaunchQuery& query, Version& version)
{
    if (query.valType == REG_DWORD && query.lenKeyValue == sizeof(DWORD)) {
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(query.data);
        version.parts[0] = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
                           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        version.count = 1;
        return;
    }
    ParseVersion(query.data, version);
}

/// When the disc has a version, asks for the installed one and compares them. True when the
/// installed version is older and a setup program is named to upgrade it; in every other
/// case the launch goes on as without a version.
bool Upgrades(const LaunchSettings& settings, LaunchDecision& decision, HKEY skey)
{
    VersionComparison& versions = decision.versions;
    if (versions.disc.count == 0) {
        return false;
    }
    const LaunchQuery& query = QueryText(skey, QueryRole::Version, settings.appVersionValueName, decision);
    if (query.status != ERROR_SUCCESS) {
        return false;
    }
    ReadInstalledVersion(query, versions.installed);
    if (versions.installed.count == 0) {
        return false;
    }
    const int order = CompareVersions(versions.installed, versions.disc);
    versions.order = static_cast<VersionOrder>(static_cast<int>(VersionOrder::Equal) + order);
    return versions.order == VersionOrder::Older && settings.setupName[0] != '\0';
}

void Decide(const LaunchSettings& settings, LaunchDecision& decision, HKEY skey)
{
    if (decision.openStatus != ERROR_SUCCESS) {
        const bool named = settings.setupName[0] != '\0';
        decision.action = named ? LaunchAction::Setup : LaunchAction::Nothing;
        decision.reason = named ? LaunchReason::SetupKeyClosed : LaunchReason::NoSetupKeyClosed;
        decision.commandSource = named ? CommandSource::SetupName : CommandSource::None;
        return;
    }
    // Installed, but older than the disc's product: the setup program upgrades it, whatever
    // the auto-start settings say.
    if (Upgrades(settings, decision, skey)) {
        decision.action = LaunchAction::Setup;
        decision.reason = LaunchReason::SetupUpgrade;
        decision.commandSource = CommandSource::SetupName;
        return;
    }
    // Installed. The program starts when the file forces it, or when the registry says
    // that automatic start is wanted; otherwise nothing starts at all.
    decision.action = LaunchAction::Nothing;
    if (settings.autoStart[0] != '\0') {
        decision.reason = LaunchReason::InstalledForced;
    } else {
        LaunchQuery& query = QueryText(skey, QueryRole::AutoStart, settings.autoStartValueName, decision);
        if (query.status != ERROR_SUCCESS) {
            decision.reason = LaunchReason::AutoStartQueryFailed;
            return;
        }
        query.matched = std::strcmp(query.data, settings.autoStartValue) == 0;
        if (!query.matched) {
            decision.reason = LaunchReason::AutoStartDiffers;
            return;
        }
        decision.reason = LaunchReason::InstalledWanted;
    }
    if (QueryText(skey, QueryRole::AppPath, settings.appPathValueName, decision).status != ERROR_SUCCESS) {
        decision.reason = LaunchReason::AppPathQueryFailed;
        return;
    }
    decision.action = LaunchAction::Installed;
    decision.commandSource = CommandSource::AppPath;
}

} // namespace

const LaunchQuery* LaunchDecision::Query(QueryRole role) const
{
    for (int i = 0; i < queryCount; ++i) {
        if (queries[i].role == role) {
            return &queries[i];
        }
    }
    return nullptr;
}

const char* CommandLine(const LaunchDecision& decision, const LaunchSettings& settings)
{
    switch (decision.commandSource) {
    case CommandSource::SetupName:
        return settings.setupName;
    case CommandSource::AppPath:
        return decision.Query(QueryRole::AppPath)->data;
    case CommandSource::None:
        break;
    }
    return nullptr;
}

void DecideLaunch(const LaunchSettings& settings, LaunchDecision& decision, LaunchStart start)
{
    std::memset(&decision, 0, sizeof decision);
    decision.root = RegistryRoot(settings.appReg);
    decision.access = RegistryAccess(settings.appRegistryView);
    ParseVersion(settings.appVersion, decision.versions.disc);
    HKEY skey = NULL;
    decision.openStatus = RegOpenKeyExA(decision.root, settings.appKey, 0, decision.access, &skey);
    Decide(settings, decision, skey);
    if (const char* commandLine = CommandLine(decision, settings); commandLine != nullptr) {
        start(commandLine);
    }
    if (decision.openStatus == ERROR_SUCCESS) {
        RegCloseKey(skey);
    }
}

} // namespace autorun
