#include "launcher/LaunchDecision.h"

#include "launcher/RegistryRoot.h"

#include <cstring>

namespace {

/// Reads a registry value as text. The value's type is not looked at: its bytes are the
/// text.
bool QueryText(HKEY key, const char* valueName, LaunchDecision& decision)
{
    LaunchQuery& query = decision.queries[decision.queryCount++];
    std::memset(&query, 0, sizeof query);
    query.valueName = valueName;
    query.lenKeyValue = kDataSize;
    query.status = RegQueryValueExA(key, valueName, NULL, &query.valType,
                                    reinterpret_cast<LPBYTE>(query.data), &query.lenKeyValue);
    if (query.status != ERROR_SUCCESS) {
        // Whatever a failed query left in the buffer is not data.
        std::memset(query.data, 0, sizeof query.data);
        return false;
    }
    return true;
}

void Decide(const LaunchSettings& settings, LaunchDecision& decision, HKEY skey)
{
    if (decision.openStatus != ERROR_SUCCESS) {
        const bool named = settings.setupName[0] != '\0';
        decision.action = named ? LaunchAction::Setup : LaunchAction::Nothing;
        decision.reason = named ? LaunchReason::SetupKeyClosed : LaunchReason::NoSetupKeyClosed;
        decision.commandLine = named ? settings.setupName : NULL;
        return;
    }
    // Installed. The program starts when the file forces it, or when the registry says
    // that automatic start is wanted; otherwise nothing starts at all.
    decision.action = LaunchAction::Nothing;
    if (settings.autoStart[0] != '\0') {
        decision.reason = LaunchReason::InstalledForced;
    } else if (!QueryText(skey, settings.autoStartValueName, decision)) {
        decision.reason = LaunchReason::AutoStartQueryFailed;
        return;
    } else if (std::strcmp(decision.queries[0].data, settings.autoStartValue) != 0) {
        decision.reason = LaunchReason::AutoStartDiffers;
        return;
    } else {
        decision.reason = LaunchReason::InstalledWanted;
    }
    if (!QueryText(skey, settings.appPathValueName, decision)) {
        decision.reason = LaunchReason::AppPathQueryFailed;
        return;
    }
    decision.action = LaunchAction::Installed;
    decision.commandLine = decision.queries[decision.queryCount - 1].data;
}

} // namespace

void DecideLaunch(const LaunchSettings& settings, LaunchDecision& decision, LaunchStart start)
{
    std::memset(&decision, 0, sizeof decision);
    decision.root = RegistryRoot(settings.appReg);
    decision.access = RegistryAccess(settings.appRegistryView);
    HKEY skey = NULL;
    decision.openStatus = RegOpenKeyExA(decision.root, settings.appKey, 0, decision.access, &skey);
    Decide(settings, decision, skey);
    if (decision.commandLine != NULL) {
        start(decision.commandLine);
    }
    if (decision.openStatus == ERROR_SUCCESS) {
        RegCloseKey(skey);
    }
}
