/// The settings the launcher takes from "autorun.inf", and where it found each of them.
#ifndef KOVA_LAUNCHER_LAUNCHSETTINGS_H
#define KOVA_LAUNCHER_LAUNCHSETTINGS_H

#include "launcher/GetValue.h"

namespace autorun {

/// One setting's text: at most kMaxValueLength characters and a terminator.
using SettingValue = char[kMaxValueLength + 1];

/// The keys in the order they are looked up; the registry view and the version come after
/// the others.
enum class SettingKey {
    AppRegistry,
    AppKey,
    AutoStart,
    AutoStartValueName,
    AutoStartValue,
    AppPathValueName,
    SetupName,
    AppRegistryView,
    AppVersion,
    AppVersionValueName,
};
constexpr int kSettingKeyCount = 10;

/// Where a key's first occurrence begins in the text: its byte offset, or kNotFound.
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

struct LaunchSettings {
    SettingValue appReg;
    SettingValue appKey;
    SettingValue autoStart;
    SettingValue autoStartValueName;
    SettingValue autoStartValue;
    SettingValue appPathValueName;
    SettingValue setupName;
    SettingValue appRegistryView;
    SettingValue appVersion;
    SettingValue appVersionValueName;
    /// For each key, in the order of SettingKey, where the search found it.
    std::size_t offsets[kSettingKeyCount];

    const char* Value(SettingKey key) const;
    std::size_t Offset(SettingKey key) const { return offsets[static_cast<int>(key)]; }
    bool IsSet(SettingKey key) const { return Offset(key) != kNotFound; }
};

/// A key as it is searched for (with its "=") and where its value goes.
struct LaunchKey {
    SettingKey key;
    const char* name;
    SettingValue LaunchSettings::*value;
};

/// The keys in the order they are looked up (the order of SettingKey).
extern const LaunchKey kLaunchKeys[kSettingKeyCount];

/// The key's entry in kLaunchKeys.
const LaunchKey& KeyOf(SettingKey key);

/// Looks every key up in the terminated text `buf`, in the order of kLaunchKeys, and notes
/// where each occurrence begins.
void ReadLaunchSettings(const char* buf, LaunchSettings& settings);

} // namespace autorun

#endif
