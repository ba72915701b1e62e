// The framework's modules build their globals in a fixed order before the entry and are
// destroyed in the reverse order after it, whether or not the program's start threw. The
// probe is a program of its own; on the stand-in the test reads the record of the platform
// calls it made, and so watches the real kernel objects come and go.
#include "framework/core/KOVAModules.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The order the framework promises, written out here so that a change to the modules' own
// list shows up as a failure.
const char* const kModules[] = {
    "XGAppCore",    "XGThread", "XGDispatch",     "XGWindowFactory", "XGViewFactory",
    "XGPrinter",    "XGWindow", "XGEventTrigger", "XGBroadcast",     "XGDraw",
    "XGScrollView", "XGForm",   "XGButton",       "XGFont",          "XGScrollBar",
};

const std::vector<std::string> kExitReport = {
    "application thread alone at entry: yes",
    "thread records at exit: 0, list empty",
    "end",
};

std::vector<std::string> ReadLines(const fs::path& file)
{
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

#ifndef _WIN32
// The kernel objects' calls, as the record shows them with handles named in the order they
// first appear: H1 the thread list's lock, H2 the drawing lock, H3 the drawing event.
const std::vector<std::string> kKernelCalls = {
    // XGThread: the list's lock, then the application thread's record, which links itself
    // in under it.
    "CreateSemaphoreA(NULL, 0x1, 0x1, NULL) = H1",
    "WaitForSingleObject(H1, 0xffffffff) = 0x0",
    "ReleaseSemaphore(H1, 0x1, NULL) = 0x1",
    // XGDraw: its lock, then its auto-reset event that starts not signalled.
    "CreateSemaphoreA(NULL, 0x1, 0x1, NULL) = H2",
    "CreateEventA(NULL, 0x0, 0x0, NULL) = H3",
    "GetModuleHandleA(\"kova-order-probe-entry\") = NULL",
    // At exit, in reverse: the drawing event and lock; the application thread's record
    // unlinks itself under the list's lock, which goes last.
    "CloseHandle(H3) = 0x1",
    "CloseHandle(H2) = 0x1",
    "WaitForSingleObject(H1, 0xffffffff) = 0x0",
    "ReleaseSemaphore(H1, 0x1, NULL) = 0x1",
    "CloseHandle(H1) = 0x1",
};

/// The kernel-object calls and the entry's mark, of the process that made the first
/// recorded call, with the process ID taken off and handles named by first appearance.
std::vector<std::string> KernelCalls(const std::vector<std::string>& record)
{
    std::vector<std::string> calls;
    std::map<std::string, std::string> names;
    std::string process;
    for (const std::string& line : record) {
        const std::size_t colon = line.find(':');
        if (process.empty()) {
            process = line.substr(0, colon);
        }
        if (line.substr(0, colon) != process) {
            continue;
        }
        std::string call = line.substr(colon + 1);
        const bool kernel =
            call.starts_with("CreateSemaphoreA(") || call.starts_with("CreateEventA(") ||
            call.starts_with("WaitForSingleObject(") || call.starts_with("ReleaseSemaphore(") ||
            call.starts_with("CloseHandle(");
        if (!kernel && call.find("kova-order-probe-entry") == std::string::npos) {
            continue;
        }
        // A creation's result is a handle; later calls name it by the same number.
        const std::size_t result = call.rfind(" = ") + 3;
        const bool creation = call.starts_with("Create");
        std::string named;
        for (std::size_t i = 0; i < call.size();) {
            if (call.compare(i, 2, "0x") == 0) {
                std::size_t end = i + 2;
                while (end < call.size() && std::isxdigit(static_cast<unsigned char>(call[end]))) {
                    ++end;
                }
                const std::string number = call.substr(i, end - i);
                if (names.contains(number) || (creation && i == result)) {
                    auto [entry, added] =
                        names.emplace(number, "H" + std::to_string(names.size() + 1));
                    named += entry->second;
                } else {
                    named += number;
                }
                i = end;
            } else {
                named += call[i++];
            }
        }
        calls.push_back(named);
    }
    return calls;
}
#endif

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

struct ProbeRun {
    std::vector<std::string> report;
    std::vector<std::string> record;
};

ProbeRun RunProbe(const std::string& mode)
{
    // The test runs in the probe's directory.
    const fs::path probe = fs::current_path() / KOVA_ORDER_PROBE;
    const fs::path log = fs::temp_directory_path() / ("kova-module-order-" + mode + ".log");
    const fs::path record = fs::temp_directory_path() / ("kova-module-order-" + mode + ".calls");
    fs::remove(log);
    fs::remove(record);
    std::string commandLine = "\"" + probe.string() + "\" " + mode + " \"" + log.string() + "\"";
#ifndef _WIN32
    commandLine = "KOVA_RELAY='" + record.string() + "' " + commandLine;
#endif
    EXPECT_EQ(Run(commandLine), 0) << commandLine;
    ProbeRun run{ReadLines(log), ReadLines(record)};
    // Windows removes no file that is still open.
    fs::remove(log);
    fs::remove(record);
    return run;
}

TEST(ModuleOrder, TheOneListOfModulesHoldsThePromisedOrder)
{
    for (int i = 0; i < static_cast<int>(std::size(kModules)); ++i) {
        EXPECT_STREQ(kova::KOVAModuleName(static_cast<kova::KOVAModule>(i)), kModules[i]) << i;
    }
    EXPECT_STREQ(kova::KOVAModuleName(static_cast<kova::KOVAModule>(std::size(kModules))), "");
}

TEST(ModuleOrder, KernelObjectsAreBuiltBeforeTheEntryAndClosedInReverseAfterIt)
{
    // An exception caught by the entry leaves the exit sequence alone.
    for (const char* mode : {"null", "throw"}) {
        const ProbeRun run = RunProbe(mode);
        EXPECT_EQ(run.report, kExitReport) << mode;
#ifdef _WIN32
        // Windows keeps no such record; the same calls show in Wine's relay trace.
        EXPECT_TRUE(run.record.empty());
#else
        EXPECT_EQ(KernelCalls(run.record), kKernelCalls) << mode;
#endif
    }
}

} // namespace
