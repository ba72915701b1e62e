#include "launcher/LaunchSettings.h"

const LaunchKey kLaunchKeys[kLaunchKeyCount] = {
    {"AppRegistry=", &LaunchSettings::appReg},
    {"AppKey=", &LaunchSettings::appKey},
    {"AutoStart=", &LaunchSettings::autoStart},
    {"AutoStartValueName=", &LaunchSettings::autoStartValueName},
    {"AutoStartValue=", &LaunchSettings::autoStartValue},
    {"AppPathValueName=", &LaunchSettings::appPathValueName},
    {"SetupName=", &LaunchSettings::setupName},
    {"AppRegistryView=", &LaunchSettings::appRegistryView},
};

void ReadLaunchSettings(const char* buf, LaunchSettings& settings)
{
    for (const LaunchKey& key : kLaunchKeys) {
        GetValue(buf, settings.*key.value, key.name);
    }
}
