/// The process entry: hands the program's WinMain what Windows' start-up code would.
#include "CommandLine.h"
#include "Module.h"
#include "StartupInfo.h"

#include <windows.h>

int main(int argc, char** argv)
{
    // A program started by WinExec gets the very line and show state it was started with;
    // any other gets its arguments joined into a line, and the default show state.
    const std::optional<kova::posix::StartupInfo> handed =
        kova::posix::StartupInfo::Take(argc, argv);
    kova::posix::SetProcessCommandLine(handed ? handed->commandLine
                                              : kova::posix::JoinCommandLine(argc, argv));
    // The tail points into the module's copy of the command line, which lives on until
    // the process ends.
    const LPSTR commandLine = GetCommandLineA();
    const LPSTR tail = commandLine + (kova::posix::CommandTail(commandLine) - commandLine);
    return WinMain(GetModuleHandleA(nullptr), nullptr, tail,
                   handed ? handed->show : SW_SHOWDEFAULT);
}
