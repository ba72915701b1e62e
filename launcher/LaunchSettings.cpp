#include "launcher/LaunchSettings.h"

namespace autorun {

const LaunchKey kLaunchKeys[kSettingKeyCount] = {
    {SettingKey::AppRegistry, "AppRegistry=", &LaunchSettings::appReg},
    {SettingKey::AppKey, "AppKey=", &LaunchSettings::appKey},
    {SettingKey::AutoStart, "AutoStart=", &LaunchSettings::autoStart},
    {SettingKey::AutoStartValueName, "AutoStartValueName=", &LaunchSettings::autoStartValueName},
    {SettingKey::AutoStartValue, "AutoStartValue=", &LaunchSettings::autoStartValue},
    {SettingKey::AppPathValueName, "AppPathValueName=", &LaunchSettings::appPathValueName},
    {SettingKey::SetupName, "SetupName=", &LaunchSettings::setupName},
    {SettingKey::AppRegistryView, "AppRegistryView=", &LaunchSettings::appRegistryView},
    {SettingKey::AppVersion, "AppVersion=", &LaunchSettings::appVersion},
    {SettingKey::AppVersionValueName, "AppVersionValueName=", &LaunchSettings::appVersionValueName},
};

const LaunchKey& KeyOf(SettingKey key)
{
    return kLaunchKeys[static_cast<int>(key)];
}

const char* LaunchSettings::Value(SettingKey key) const
{
    return this->*KeyOf(key).value;
}

void ReadLaunchSettings(const char* buf, LaunchSettings& settings)
{
    for (const LaunchKey& key : kLaunchKeys) {
        const char* found = FindValue(buf, settings.*key.value, key.name);
        settings.offsets[static_cast<int>(key.key)] =
            found != nullptr ? static_cast<std::size_t>(found - buf) : kNotFound;
    }
}

} // namespace autorun
