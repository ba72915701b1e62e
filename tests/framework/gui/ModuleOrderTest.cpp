// The framework's modules build their globals in a fixed order before the entry and are
// destroyed in the reverse order after it, whether or not the program's start threw. The
// probe reports the real sequence from its last moment, so it runs as a process of its own.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The order the framework promises, written out here so that a change to the modules' own
// list shows up as a failure.
const char* const kModules[] = {
    "XGAppCore",    "XGThread", "XGDispatch", "XGWindowFactory", "XGViewFactory",
    "XGPrinter",    "XGWindow", "XGEventTrigger", "XGBroadcast", "XGDraw",
    "XGScrollView", "XGForm",   "XGButton",   "XGFont",          "XGScrollBar",
};

std::vector<std::string> ExpectedReport()
{
    std::vector<std::string> lines;
    for (const char* module : kModules) {
        lines.push_back(std::string("built ") + module);
    }
    lines.push_back("entry");
    for (auto module = std::rbegin(kModules); module != std::rend(kModules); ++module) {
        lines.push_back(std::string("destroyed ") + *module);
    }
    lines.push_back("application thread alone at entry: yes");
    lines.push_back("thread records at exit: 0, list empty");
    lines.push_back("end");
    return lines;
}

/// Runs a command line to its end and returns its exit code.
int Run(const std::string& commandLine)
{
#ifdef _WIN32
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
#else
    return std::system(commandLine.c_str());
#endif
}

std::vector<std::string> ProbeReport(const std::string& mode)
{
    // The test runs in the probe's directory.
    const fs::path probe = fs::current_path() / KOVA_ORDER_PROBE;
    const fs::path log = fs::temp_directory_path() / ("kova-module-order-" + mode + ".log");
    fs::remove(log);
    const std::string commandLine =
        "\"" + probe.string() + "\" " + mode + " \"" + log.string() + "\"";
    EXPECT_EQ(Run(commandLine), 0) << commandLine;

    std::vector<std::string> lines;
    {
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
    }
    // Windows removes no file that is still open.
    fs::remove(log);
    return lines;
}

TEST(ModuleOrder, ModulesAreBuiltInOrderAndDestroyedInReverse)
{
    EXPECT_EQ(ProbeReport("null"), ExpectedReport());
}

TEST(ModuleOrder, AnExceptionCaughtByTheEntryLeavesTheExitSequenceAlone)
{
    EXPECT_EQ(ProbeReport("throw"), ExpectedReport());
}

} // namespace
