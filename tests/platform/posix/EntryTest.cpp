/// The stand-in's main: runs a program with its own WinMain and reads what it was given.
#include "tests/platform/posix/TempDirectory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace kova::posix {
namespace {

/// What the probe reports when started with `argv` and, added to this process's
/// environment, `handOver`.
std::string ProbeReport(const std::vector<const char*>& argv,
                        const std::vector<std::string>& handOver)
{
    test::TempDirectory directory;
    const std::string output = (directory.Path() / "out.txt").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> environment(handOver);
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> args;
    for (const char* arg : argv)
        args.push_back(const_cast<char*>(arg));
    args.push_back(nullptr);
    pid_t child;
    EXPECT_EQ(posix_spawn(&child, KOVA_ENTRY_PROBE, &actions, nullptr, args.data(), envp.data()),
              0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7)
        << "main returns what WinMain returns";
    std::ostringstream report;
    report << std::ifstream(output).rdbuf();
    return report.str();
}

TEST(Entry, WinMainGetsTheHandedOverLineOrElseOneRebuiltFromTheArguments)
{
    const std::vector<const char*> argv = {KOVA_ENTRY_PROBE, "two words", "plain", "q\"t"};
    const std::string exact = std::string(KOVA_ENTRY_PROBE) + "   \"two \"words  plain q\\\"t";
    const std::string rebuilt = "show=10\ntail=[\"two words\" plain \"q\\\"t\"]\n"
                                "line=[" KOVA_ENTRY_PROBE " \"two words\" plain \"q\\\"t\"]\n";
    const struct {
        const char* what;
        std::vector<std::string> handOver;
        std::string report;
    } cases[] = {
        {"nothing handed over", {}, rebuilt},
        {"the line and show state WinExec handed over",
         {"KOVA_COMMAND_LINE=" + exact, "KOVA_SHOW_WINDOW=7"},
         "show=7\ntail=[\"two \"words  plain q\\\"t]\nline=[" + exact + "]\n"},
        {"a line that does not split into the arguments",
         {"KOVA_COMMAND_LINE=" KOVA_ENTRY_PROBE " \"two words\" plain", "KOVA_SHOW_WINDOW=7"},
         rebuilt},
        {"a show state that is no number",
         {"KOVA_COMMAND_LINE=" + exact, "KOVA_SHOW_WINDOW=7x"},
         rebuilt},
        {"half a hand-over", {"KOVA_SHOW_WINDOW=7"}, rebuilt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProbeReport(argv, c.handOver),
                  "instance=1 previous=1 " + c.report + "handed over: gone\n")
            << c.what;
}

TEST(Entry, AProgramStartedByWinExecGetsItsLineAndShowState)
{
    test::TempDirectory directory;
    const std::string output = (directory.Path() / "out.txt").string();
    // The started program writes to this process's output, which goes to the file meanwhile.
    std::fflush(stdout);
    const int saved = dup(1);
    const int file = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, 1);
    close(file);
    const std::string line = "\"" KOVA_ENTRY_PROBE "\"  /DIR=\"C:\\My Game\"   /S";
    const UINT started = WinExec(line.c_str(), SW_SHOWMINNOACTIVE);
    dup2(saved, 1);
    close(saved);
    ASSERT_GT(started, 31u);
    // WinExec does not wait, but the program is this process's child.
    int status = 0;
    while (wait(&status) > 0) {
    }
    std::ostringstream report;
    report << std::ifstream(output).rdbuf();
    EXPECT_EQ(report.str(),
              "instance=1 previous=1 show=7\ntail=[/DIR=\"C:\\My Game\"   /S]\nline=[" + line +
                  "]\nhanded over: gone\n");
}

} // namespace
} // namespace kova::posix
