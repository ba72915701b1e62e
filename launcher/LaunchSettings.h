/// The settings the launcher takes from "autorun.inf", and where it found each of them.
#ifndef KOVA_LAUNCHER_LAUNCHSETTINGS_H
#define KOVA_LAUNCHER_LAUNCHSETTINGS_H

#include "launcher/GetValue.h"

#include <windows.h>

namespace autorun {

/// One setting's text as the file holds it (8-bit ANSI text or UTF-8): at most
/// kMaxValueLength characters and a terminator.
using SettingValue = char[kMaxValueBytes + 1];

/// The most UTF-16 units a setting's characters become: two for a character beyond the
/// Basic Multilingual Plane.
constexpr std::size_t kMaxWideLength = 2 * kMaxValueLength;

/// One setting's text as Windows' wide calls take it, terminated.
using WideValue = WCHAR[kMaxWideLength + 1];

/// The keys in the order they are looked up; the registry view, the version and the setups
/// for one machine come after the others, so that the first keys' order never changed.
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
    SetupNameX64,
    SetupNameArm64,
};
constexpr int kSettingKeyCount = 12;

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
    SettingValue setupNameX64;
    SettingValue setupNameArm64;
    /// For each key, in the order of SettingKey, where the search found it.
    std::size_t offsets[kSettingKeyCount];
    /// How the text was encoded, which decides how a value becomes UTF-16.
    TextEncoding encoding;
    /// For each key, its value in UTF-16: what the registry and the start are asked with.
    WideValue wide[kSettingKeyCount];

    const char* Value(SettingKey key) const;
    const WCHAR* Wide(SettingKey key) const { return wide[static_cast<int>(key)]; }
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

/// `text` (terminated, in `encoding`) as UTF-16 in `out`, which holds `capacity` units
/// with the terminator: MultiByteToWideChar from the ANSI code page or from UTF-8. Text
/// that does not fit gives an empty value.
void ToWide(const char* text, TextEncoding encoding, WCHAR* out, int capacity);

/// Looks every key up in the terminated text `buf` of `encoding`, in the order of
/// kLaunchKeys, notes where each occurrence begins, and makes each value's UTF-16 form.
void ReadLaunchSettings(const char* buf, TextEncoding encoding, LaunchSettings& settings);

} // namespace autorun

#endif
