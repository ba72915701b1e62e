/// A program on the framework's entry that does what Windows' own code does on the
/// launcher's way to a program: it loads, by name alone, each DLL its command line names
/// ("version uxtheme": version.dll, then uxtheme.dll), as shell32 and the compatibility
/// code load theirs, and then starts "setup.exe /shell" through the launcher's road
/// through the shell. Built with the entry as it is, and without its first step.
#include "framework/gui/AppMain.h"
#include "launcher/ProgramStart.h"

#include <windows.h>

#include <cstring>
#include <string>

kova::XGAppCore* StartApplication()
{
    const char* names = kova::_GArgString;
    while (*names != '\0') {
        const std::size_t length = std::strcspn(names, " ");
        if (length > 0) {
            LoadLibraryA((std::string(names, length) + ".dll").c_str());
        }
        names += length + (names[length] == ' ' ? 1 : 0);
    }
    // A Windows-only probe: WCHAR is wchar_t there.
    autorun::StartThroughShell(L"setup.exe /shell");
    return nullptr;
}
