/// The process entry: hands the program's WinMain what Windows' start-up code would.
#include "CommandLine.h"
#include "Module.h"

#include <windows.h>

int main(int argc, char** argv)
{
    kova::posix::SetProcessCommandLine(kova::posix::JoinCommandLine(argc, argv));
    // The tail points into the module's copy of the command line, which lives on until
    // the process ends.
    const LPSTR commandLine = GetCommandLineA();
    const LPSTR tail = commandLine + (kova::posix::CommandTail(commandLine) - commandLine);
    return WinMain(GetModuleHandleA(nullptr), nullptr, tail, SW_SHOWDEFAULT);
}
