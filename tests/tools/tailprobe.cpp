/// Writes the command tail its WinMain received to "tail.txt" beside itself, so a test can
/// see what the runtime (or the stand-in's entry) hands a program.
#include <windows.h>

#include <cstdio>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::string OwnDirectory()
{
    char path[4096] = {};
#ifdef _WIN32
    GetModuleFileNameA(NULL, path, sizeof path - 1);
#else
    if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) {
        return ".";
    }
#endif
    const std::string name(path);
    return name.substr(0, name.find_last_of("/\\"));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    const std::string file = OwnDirectory() + "/tail.txt";
    std::FILE* out = std::fopen((file + ".part").c_str(), "wb");
    if (out == nullptr) {
        return 1;
    }
    std::fputs(lpCmdLine, out);
    std::fclose(out);
    // Renamed only when complete, so a reader never sees half of it.
    return std::rename((file + ".part").c_str(), file.c_str()) == 0 ? 0 : 1;
}
