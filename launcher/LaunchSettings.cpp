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
    {SettingKey::SetupNameX64, "SetupNameX64=", &LaunchSettings::setupNameX64},
    {SettingKey::SetupNameArm64, "SetupNameArm64=", &LaunchSettings::setupNameArm64},
};

const LaunchKey& KeyOf(SettingKey key)
{
    return kLaunchKeys[static_cast<int>(key)];
}

const char* LaunchSettings::Value(SettingKey key) const
{
    return this->*KeyOf(key).value;
}

void ToWide(const char* text, TextEncoding encoding, WCHAR* out, int capacity)
{
    if (text[0] == '\0') {
        out[0] = 0;
        return;
    }
    const UINT codePage = encoding == TextEncoding::Ansi ? CP_ACP : CP_UTF8;
    if (MultiByteToWideChar(codePage, 0, text, -1, out, capacity) == 0) {
        out[0] = 0;
    }
}

void ReadLaunchSettings(const char* buf, TextEncoding encoding, LaunchSettings& settings)
{
    settings.encoding = encoding;
    for (const LaunchKey& key : kLaunchKeys) {
        const int index = static_cast<int>(key.key);
        const char* found = FindValue(buf, settings.*key.value, key.name, encoding);
        settings.offsets[index] =
            found != nullptr ? static_cast<std::size_t>(found - buf) : kNotFound;
        ToWide(settings.*key.value, encoding, settings.wide[index],
               static_cast<int>(kMaxWideLength + 1));
    }
}

} // namespace autorun
