/// The settings the launcher takes from "autorun.inf".
#ifndef KOVA_LAUNCHER_LAUNCHSETTINGS_H
#define KOVA_LAUNCHER_LAUNCHSETTINGS_H

#include "launcher/GetValue.h"

/// One setting's text: at most kMaxValueLength characters and a terminator.
using SettingValue = char[kMaxValueLength + 1];

struct LaunchSettings {
    SettingValue appReg;
    SettingValue appKey;
    SettingValue autoStart;
    SettingValue autoStartValueName;
    SettingValue autoStartValue;
    SettingValue appPathValueName;
    SettingValue setupName;
    /// Which registry view the product's key is opened in; looked up after the others.
    SettingValue appRegistryView;
};

/// A key as it is searched for (with its "=") and where its value goes.
struct LaunchKey {
    const char* name;
    SettingValue LaunchSettings::*value;
};

/// The keys in the order they are looked up.
constexpr int kLaunchKeyCount = 8;
extern const LaunchKey kLaunchKeys[kLaunchKeyCount];

/// Looks every key up in the terminated text `buf`, in the order of kLaunchKeys.
void ReadLaunchSettings(const char* buf, LaunchSettings& settings);

#endif
