/// Stands in for an installed program or a setup program in the end-to-end tests: appends
/// one line to "started.txt" in the current directory, its own file name followed by each
/// argument in brackets ("setup.exe [/quiet]"), so a test can see what was started and how.
#include "tests/tools/ExecutablePath.h"

#include <cstdio>
#include <string>

namespace {

std::string OwnFileName()
{
    const std::string path = kova::test::ExecutablePath();
    return path.substr(path.find_last_of("/\\") + 1);
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
