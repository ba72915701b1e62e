/// Where the running test program lives, on Windows and on POSIX hosts alike.
#ifndef KOVA_TESTS_TOOLS_EXECUTABLEPATH_H
#define KOVA_TESTS_TOOLS_EXECUTABLEPATH_H

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kova::test {

/// The full path of the running program's file; empty if the system cannot tell.
inline std::string ExecutablePath()
{
    char path[4096] = {};
#ifdef _WIN32
    GetModuleFileNameA(NULL, path, sizeof path - 1);
#else
    if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) {
        return {};
    }
#endif
    return path;
}

/// The running program's folder (what comes before its last separator).
inline std::string ExecutableDirectory()
{
    const std::string path = ExecutablePath();
    const std::string::size_type separator = path.find_last_of("/\\");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

} // namespace kova::test

#endif
