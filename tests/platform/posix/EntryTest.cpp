/// The stand-in's main: runs a program with its own WinMain and reads what it was given.
#include "tests/platform/posix/TempDirectory.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char** environ;

namespace kova::posix {
namespace {

TEST(Entry, WinMainGetsTheTailOfTheRebuiltCommandLine)
{
    test::TempDirectory directory;
    const std::string output = (directory.Path() / "out.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const char* argv[] = {KOVA_ENTRY_PROBE, "two words", "plain", "q\"t", nullptr};
    pid_t child;
    ASSERT_EQ(posix_spawn(&child, KOVA_ENTRY_PROBE, &actions, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7) << "main returns what WinMain returns";

    std::ostringstream report;
    report << std::ifstream(output).rdbuf();
    EXPECT_EQ(report.str(), "instance=1 previous=1 show=10\n"
                            "tail=[\"two words\" plain \"q\\\"t\"]\n"
                            "line=[" KOVA_ENTRY_PROBE " \"two words\" plain \"q\\\"t\"]\n");
}

} // namespace
} // namespace kova::posix
