// The command tail as a started program's WinMain receives it: from the C runtime on
// Windows, from the stand-in's entry elsewhere.
#include "tests/tools/ExecutablePath.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;

// Starts the probe with `commandLine` and returns the tail it received.
std::string TailOf(const fs::path& output, const std::string& commandLine)
{
    fs::remove(output);
    EXPECT_GT(WinExec(commandLine.c_str(), SW_SHOWNORMAL), 31u) << commandLine;
#ifdef _WIN32
    // WinExec gives no handle to wait on: wait for the file the probe writes whole, for as
    // long as a loaded machine may take to start a program.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!fs::exists(output) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
#else
    // The probe is this process's child: once every child has ended, its file is there.
    int status = 0;
    while (wait(&status) > 0) {
    }
#endif
    std::ifstream in(output, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CommandTail, AsAStartedProgramReceivesIt)
{
#ifdef _WIN32
    const char* probeName = "tailprobe.exe";
#else
    const char* probeName = "tailprobe";
#endif
    // A folder and a program name with blanks in them, which only quoting keeps together.
    const fs::path dir = fs::temp_directory_path() / "kova tail probe";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path probe = dir / "tail probe.exe";
    fs::copy_file(fs::path(kova::test::ExecutableDirectory()) / probeName, probe);
    const std::string quoted = "\"" + probe.make_preferred().string() + "\"";

    const struct {
        std::string after;
        std::string tail;
    } cases[] = {
        {"   /x", "/x"},
        {"", ""},
        {" /x \"two words\"", "/x \"two words\""},
        {"\t/tab", "/tab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TailOf(dir / "tail.txt", quoted + c.after), c.tail) << quoted + c.after;
    }
    fs::remove_all(dir);
}

} // namespace
