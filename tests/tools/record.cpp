/// Stands in for an installed program or a setup program in the end-to-end tests: appends
/// one line to "started.txt" in the current directory, its own file name followed by each
/// argument in brackets ("setup.exe [/quiet]"), so a test can see what was started and how.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::string OwnFileName()
{
    char path[4096] = {};
#ifdef _WIN32
    GetModuleFileNameA(NULL, path, sizeof path - 1);
#else
    if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) {
        return "?";
    }
#endif
    std::string name(path);
    const std::string::size_type slash = name.find_last_of("/\\");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

} // namespace

int main(int argc, char** argv)
{
    std::string line = OwnFileName();
    for (int i = 1; i < argc; ++i) {
        line += " [";
        line += argv[i];
        line += "]";
    }
    line += "\n";
    std::FILE* out = std::fopen("started.txt", "ab");
    if (out == nullptr) {
        return 1;
    }
    std::fputs(line.c_str(), out);
    std::fclose(out);
    return 0;
}
