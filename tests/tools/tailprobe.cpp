/// Writes the command tail its WinMain received to "tail.txt" beside itself, so a test can
/// see what the runtime (or the stand-in's entry) hands a program.
#include "tests/tools/ExecutablePath.h"

#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    const std::string file = kova::test::ExecutableDirectory() + "/tail.txt";
    std::FILE* out = std::fopen((file + ".part").c_str(), "wb");
    if (out == nullptr) {
        return 1;
    }
    std::fputs(lpCmdLine, out);
    std::fclose(out);
    // Renamed only when complete, so a reader never sees half of it.
    return std::rename((file + ".part").c_str(), file.c_str()) == 0 ? 0 : 1;
}
