#include "launcher/CommandProgram.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

using namespace autorun;

/// The programs that exist, as CreateProcess would find them: "name" counts when
/// "name" or "name.exe" is one of them.
bool Exists(const char* name, void* context)
{
    const auto& programs = *static_cast<const std::set<std::string>*>(context);
    return programs.contains(name) || programs.contains(std::string(name) + ".exe");
}

struct Case {
    const char* line;
    const char* program;
    const char* parameters;
    bool found;
};

TEST(SplitCommandProgram, ReadsTheLineAsCreateProcessDoes)
{
    std::set<std::string> programs = {"setup.exe", "C:\\Program Files\\My App\\app.exe",
                                      "C:\\Program Files\\My", "D:\\a b\\c"};
    const Case cases[] = {
        {"setup.exe /q", "setup.exe", "/q", true},
        {"setup /q", "setup", "/q", true},
        {"setup.exe", "setup.exe", "", true},
        {"setup.exe\t/q  /r ", "setup.exe", "/q  /r ", true},
        {"\"C:\\Program Files\\My App\\app.exe\" --go \"x y\"",
         "C:\\Program Files\\My App\\app.exe", "--go \"x y\"", true},
        {"\"setup.exe\"/q", "setup.exe", "/q", true},
        {"\"unterminated name", "unterminated name", "", false},
        {"\"\" /q", "", "/q", false},
        // Unquoted names with blanks: each blank is tried in turn, the shortest name first.
        {"C:\\Program Files\\My App\\app.exe /s", "C:\\Program Files\\My", "App\\app.exe /s", true},
        {"D:\\a b\\c d", "D:\\a b\\c", "d", true},
        {"D:\\a\tb\\c d", "D:\\a", "b\\c d", false},
        {"missing.exe /q", "missing.exe", "/q", false},
        {"no such program at all", "no", "such program at all", false},
        {"", "", "", false},
    };
    for (const Case& c : cases) {
        CommandProgram<char> result;
        SplitCommandProgram(c.line, Exists, &programs, result);
        EXPECT_STREQ(result.program, c.program) << c.line;
        EXPECT_STREQ(result.parameters, c.parameters) << c.line;
        EXPECT_EQ(result.found, c.found) << c.line;
    }
}

TEST(SplitCommandProgram, NeverTakesANameLongerThanItsBuffer)
{
    const std::string name(kMaxCommandLine + 1, 'a');
    std::set<std::string> programs = {name};
    for (const std::string& line : {name + " /q", "\"" + name + "\" /q"}) {
        CommandProgram<char> result;
        SplitCommandProgram(line.c_str(), Exists, &programs, result);
        EXPECT_FALSE(result.found) << line;
        EXPECT_STREQ(result.program, "");
        EXPECT_STREQ(result.parameters, "/q");
    }
}

} // namespace
