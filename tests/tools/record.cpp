/// Stands in for an installed program or a setup program in the end-to-end tests. It
/// appends one line to "started.txt" in the current directory: its own file name followed
/// by each argument in brackets ("setup.exe [/quiet]"), so a test can see what was started
/// and how the runtime split its command line; and one line to "tails.txt": its name, the
/// show state and the command tail its WinMain received ("setup.exe show=1 tail=[/quiet]");
/// and one line to "errormodes.txt": its name and the error mode it inherited
/// ("setup.exe errormode=0").
/// The lines are UTF-8 on every platform, so that one expected line serves them all.
#include "tests/tools/ExecutablePath.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

/// Windows hands a program its name, arguments and command tail in the ANSI code page;
/// the stand-in hands it the arguments in UTF-8, the host's, but its tail in the code page.
std::string Utf8(const std::string& text)
{
    const int units =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::basic_string<WCHAR> wide(static_cast<std::size_t>(units), 0);
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), units);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
}

/// The file's name as its folder holds it, whatever case the command line gave it in. On
/// Windows it is asked in UTF-16: in the code page a name outside it would read as another
/// ("Łapp.exe" as "Lapp.exe" on a Western machine), which may well be another file.
std::string OwnFileName()
{
#ifdef _WIN32
    WCHAR module[4096] = {};
    GetModuleFileNameW(NULL, module, 4095);
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(module, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        const int bytes =
            WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, nullptr, 0, nullptr, nullptr);
        std::string name(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, name.data(), bytes, nullptr, nullptr);
        name.resize(name.size() - 1);
        return name;
    }
#endif
    const std::string path = kova::test::ExecutablePath();
    return path.substr(path.find_last_of("/\\") + 1);
}

/// The arguments the runtime made of the command line, the program's name first.
std::vector<std::string> Arguments()
{
#ifdef _WIN32
    return std::vector<std::string>(__argv, __argv + __argc);
#else
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end - start));
        start = end == std::string::npos ? all.size() : end + 1;
    }
    return arguments;
#endif
}

bool Append(const char* file, const std::string& line)
{
    std::FILE* out = std::fopen(file, "ab");
    if (out == nullptr) {
        return false;
    }
    std::fputs(line.c_str(), out);
    return std::fclose(out) == 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR tail, int show)
{
    const std::string name = OwnFileName();
    std::string started = name;
    const std::vector<std::string> arguments = Arguments();
    for (std::size_t i = 1; i < arguments.size(); ++i) {
#ifdef _WIN32
        started += " [" + Utf8(arguments[i]) + "]";
#else
        started += " [" + arguments[i] + "]";
#endif
    }
    // The tail and the error mode go first: a test that has seen every start in
    // "started.txt" finds them complete.
    const std::string tails =
        name + " show=" + std::to_string(show) + " tail=[" + Utf8(tail) + "]\n";
    const std::string errorMode = name + " errormode=" + std::to_string(GetErrorMode()) + "\n";
    return Append("tails.txt", tails) && Append("errormodes.txt", errorMode) &&
                   Append("started.txt", started + "\n")
               ? 0
               : 1;
}
