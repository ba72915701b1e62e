/// Stands in for an installed program or a setup program in the end-to-end tests: appends
/// one line to "started.txt" in the current directory, its own file name followed by each
/// argument in brackets ("setup.exe [/quiet]"), so a test can see what was started and how.
/// The line is UTF-8 on every platform, so that one expected line serves them all.
#include "tests/tools/ExecutablePath.h"

#include <cstdio>
#include <string>

namespace {

/// Windows hands a program its name and arguments in the ANSI code page; POSIX hosts in
/// UTF-8 already.
std::string Utf8(const std::string& text)
{
#ifdef _WIN32
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
#else
    return text;
#endif
}

std::string OwnFileName()
{
    const std::string path = kova::test::ExecutablePath();
    return Utf8(path.substr(path.find_last_of("/\\") + 1));
}

} // namespace

int main(int argc, char** argv)
{
    std::string line = OwnFileName();
    for (int i = 1; i < argc; ++i) {
        line += " [";
        line += Utf8(argv[i]);
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
