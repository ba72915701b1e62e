/// The launcher: reads "autorun.inf", asks the registry whether the product is installed,
/// and starts the installed program or the setup program. It shows nothing, reports
/// nothing, and hands the framework no application core, so the process ends right after.
#include "framework/gui/AppMain.h"
#include "launcher/GetValue.h"
#include "launcher/RegistryRoot.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

/// Only the start of the file is read; later bytes are never seen.
constexpr std::size_t kMaxRead = 32000;

/// Registry data is read into buffers of this size.
constexpr DWORD kDataSize = 256;

/// Reads a registry value as text into `data` (kDataSize bytes and one more for a
/// terminator). The value's type is not looked at: its bytes are the text. Data that fills
/// the whole buffer without a zero byte still ends inside it, so nothing reads past it.
bool QueryText(HKEY key, const char* valueName, char (&data)[kDataSize + 1])
{
    DWORD valType = 0;
    DWORD lenKeyValue = kDataSize;
    std::memset(data, 0, sizeof data);
    const LONG status = RegQueryValueExA(key, valueName, NULL, &valType,
                                         reinterpret_cast<LPBYTE>(data), &lenKeyValue);
    return status == ERROR_SUCCESS;
}

} // namespace

kova::XGAppCore* StartApplication()
{
    std::FILE* file = std::fopen("autorun.inf", "rb");
    if (file == NULL) {
        return NULL;
    }
    char buf[kMaxRead + 1];
    const std::size_t bufRead = std::fread(buf, 1, kMaxRead, file);
    // A file that cannot be read (a directory, say, which POSIX lets one open) counts as
    // missing: nothing is started.
    const bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    if (unreadable) {
        return NULL;
    }
    buf[bufRead] = '\0';

    char appReg[kMaxValueLength + 1];
    char appKey[kMaxValueLength + 1];
    char autoStart[kMaxValueLength + 1];
    char autoStartValueName[kMaxValueLength + 1];
    char autoStartValue[kMaxValueLength + 1];
    char appPathValueName[kMaxValueLength + 1];
    char setupName[kMaxValueLength + 1];
    GetValue(buf, appReg, "AppRegistry=");
    GetValue(buf, appKey, "AppKey=");
    GetValue(buf, autoStart, "AutoStart=");
    GetValue(buf, autoStartValueName, "AutoStartValueName=");
    GetValue(buf, autoStartValue, "AutoStartValue=");
    GetValue(buf, appPathValueName, "AppPathValueName=");
    GetValue(buf, setupName, "SetupName=");

    HKEY skey = NULL;
    const LONG rv = RegOpenKeyExA(RegistryRoot(appReg), appKey, 0, KEY_QUERY_VALUE, &skey);
    if (rv == ERROR_SUCCESS) {
        // Installed. Start the program when the file forces it, or when the registry says
        // that automatic start is wanted; otherwise start nothing at all.
        char autoStartData[kDataSize + 1];
        const bool wanted = autoStart[0] != '\0' ||
                            (QueryText(skey, autoStartValueName, autoStartData) &&
                             std::strcmp(autoStartData, autoStartValue) == 0);
        char appPathData[kDataSize + 1];
        if (wanted && QueryText(skey, appPathValueName, appPathData)) {
            WinExec(appPathData, SW_SHOWNORMAL);
        }
        RegCloseKey(skey);
    } else if (setupName[0] != '\0') {
        WinExec(setupName, SW_SHOWNORMAL);
    }
    return NULL;
}
