#include "launcher/LaunchDecision.h"

#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <cstring>
#include <string_view>

namespace autorun {

namespace {

/// Data that is not text stays what the "A" query made of it: its bytes, read as 8-bit
/// text in the ANSI code page, up to the first zero byte, from a buffer of kMaxByteData
/// bytes.
void BytesAsText(LaunchQuery& query)
{
    if (query.lenKeyValue > kMaxByteData) {
        query.status = ERROR_MORE_DATA;
        return;
    }
    char bytes[kMaxByteData + 1];
    std::memcpy(bytes, query.data, query.lenKeyValue);
    bytes[query.lenKeyValue] = '\0';
    ToWide(bytes, TextEncoding::Ansi, query.data, static_cast<int>(kDataLength + 1));
}

/// Reads a registry value as text. The type is looked at only to take data that is not
/// text as the "A" query did: with it a number or bytes read the same on every machine
/// as before.
LaunchQuery& QueryText(HKEY key, QueryRole role, SettingKey name, const LaunchSettings& settings,
                       LaunchDecision& decision)
{
    LaunchQuery& query = decision.queries[decision.queryCount++];
    std::memset(&query, 0, sizeof query);
    query.role = role;
    query.valueName = settings.Value(name);
    query.wideValueName = settings.Wide(name);
    query.lenKeyValue = kDataSize;
    query.status = RegQueryValueExW(key, query.wideValueName, NULL, &query.valType,
                                    reinterpret_cast<LPBYTE>(query.data), &query.lenKeyValue);
    if (query.status == ERROR_SUCCESS && query.valType == REG_DWORD &&
        query.lenKeyValue == sizeof(DWORD)) {
        std::memcpy(&query.number, query.data, sizeof query.number);
    }
    if (query.status == ERROR_SUCCESS && !IsTextType(query.valType)) {
        BytesAsText(query);
    } else if (query.status == ERROR_SUCCESS) {
        // The text ends with the data: an odd byte at its end is no character.
        query.data[query.lenKeyValue / sizeof(WCHAR)] = 0;
    }
    if (query.status != ERROR_SUCCESS) {
        // Whatever a failed query left in the buffer is not data.
        std::memset(query.data, 0, sizeof query.data);
    }
    return query;
}

/// The installed version in a query's data: a REG_DWORD is its number as one part, any
/// other type is text, whose characters beyond ASCII end the numbers as any other letter
/// does. `version` is still all zero, as the decision starts.
void ReadInstalledVersion(const LaunchQuery& query, Version& version)
{
    if (query.valType == REG_DWORD && query.lenKeyValue == sizeof(DWORD)) {
        version.parts[0] = query.number;
        version.count = 1;
        return;
    }
    char text[kDataLength + 1];
    for (DWORD i = 0; i <= kDataLength; ++i) {
        text[i] = query.data[i] < 0x80 ? static_cast<char>(query.data[i]) : '?';
    }
    ParseVersion(text, version);
}

/// Chooses the setup program for this machine, asking Windows what it runs on only when the
/// file names a setup for one machine. True when the chosen setting names a program.
bool ChooseSetup(const LaunchSettings& settings, LaunchDecision& decision)
{
    if (NamesMachineSetups(settings)) {
        decision.machine = NativeMachine();
    }
    decision.setupKey = SetupFor(settings, decision.machine);
    return settings.Value(decision.setupKey)[0] != '\0';
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
    const LaunchQuery& query =
        QueryText(skey, QueryRole::Version, SettingKey::AppVersionValueName, settings, decision);
    versions.cause = VersionCause::ValueUnread;
    if (query.status != ERROR_SUCCESS) {
        return false;
    }
    ReadInstalledVersion(query, versions.installed);
    versions.cause = VersionCause::InstalledUnparsable;
    if (versions.installed.count == 0) {
        return false;
    }
    versions.cause = VersionCause::Compared;
    const int order = CompareVersions(versions.installed, versions.disc);
    versions.order = static_cast<VersionOrder>(static_cast<int>(VersionOrder::Equal) + order);
    return versions.order == VersionOrder::Older && ChooseSetup(settings, decision);
}

void Decide(const LaunchSettings& settings, LaunchDecision& decision, HKEY skey)
{
    if (decision.openStatus != ERROR_SUCCESS) {
        const bool named = ChooseSetup(settings, decision);
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
        LaunchQuery& query = QueryText(skey, QueryRole::AutoStart, SettingKey::AutoStartValueName,
                                       settings, decision);
        if (query.status != ERROR_SUCCESS) {
            decision.reason = LaunchReason::AutoStartQueryFailed;
            return;
        }
        // Character by character, up to the terminator, case-sensitive.
        query.matched = std::basic_string_view<WCHAR>(query.data) ==
                        std::basic_string_view<WCHAR>(settings.Wide(SettingKey::AutoStartValue));
        if (!query.matched) {
            decision.reason = LaunchReason::AutoStartDiffers;
            return;
        }
        decision.reason = LaunchReason::InstalledWanted;
    }
    if (QueryText(skey, QueryRole::AppPath, SettingKey::AppPathValueName, settings, decision)
            .status != ERROR_SUCCESS) {
        decision.reason = LaunchReason::AppPathQueryFailed;
        return;
    }
    decision.action = LaunchAction::Installed;
    decision.commandSource = CommandSource::AppPath;
}

} // namespace

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

const LaunchQuery* LaunchDecision::Query(QueryRole role) const
{
    for (int i = 0; i < queryCount; ++i) {
        if (queries[i].role == role) {
            return &queries[i];
        }
    }
    return nullptr;
}

const WCHAR* CommandLine(const LaunchDecision& decision, const LaunchSettings& settings)
{
    switch (decision.commandSource) {
    case CommandSource::SetupName:
        return settings.Wide(decision.setupKey);
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
    decision.setupKey = SettingKey::SetupName;
    decision.machine = Machine::NotAsked;
    decision.root = RegistryRoot(settings.appReg);
    decision.access = RegistryAccess(settings.appRegistryView);
    // Until the key opens and the installed version is asked for, the cause is the disc's.
    if (!ParseVersion(settings.appVersion, decision.versions.disc)) {
        decision.versions.cause = settings.IsSet(SettingKey::AppVersion)
                                      ? VersionCause::DiscUnparsable
                                      : VersionCause::NotSet;
    } else {
        decision.versions.cause = VersionCause::KeyClosed;
    }
    HKEY skey = NULL;
    decision.openStatus =
        RegOpenKeyExW(decision.root, settings.Wide(SettingKey::AppKey), 0, decision.access, &skey);
    Decide(settings, decision, skey);
    if (const WCHAR* commandLine = CommandLine(decision, settings); commandLine != nullptr) {
        start(commandLine);
    }
    if (decision.openStatus == ERROR_SUCCESS) {
        RegCloseKey(skey);
    }
}

} // namespace autorun
