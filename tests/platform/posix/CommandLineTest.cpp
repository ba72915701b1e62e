/// The Microsoft C runtime's command-line rules: splitting, joining, and WinMain's tail.
#include "platform/posix/src/CommandLine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace kova::posix {
namespace {

using Arguments = std::vector<std::string>;

struct SplitCase {
    std::string_view line;
    Arguments arguments;
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.line;
}

class SplitCommandLineCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineCases, GivesWhatTheRuntimeGives)
{
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments) << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Runtime, SplitCommandLineCases,
    testing::Values(
        // The runtime's own documented examples.
        SplitCase{R"(p "abc" d e)", {"p", "abc", "d", "e"}},
        SplitCase{R"(p a\\b d"e f"g h)", {"p", R"(a\\b)", "de fg", "h"}},
        SplitCase{R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        SplitCase{R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        SplitCase{R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        // Blanks, tabs, empty and unterminated groups.
        SplitCase{"p \t a\tb  ", {"p", "a", "b"}}, SplitCase{R"(p "" "")", {"p", "", ""}},
        SplitCase{R"(p "a b)", {"p", "a b"}}, SplitCase{R"(p """" """")", {"p", "\"", "\""}},
        SplitCase{R"(p \" "\"" x""y)", {"p", "\"", "\"", "xy"}},
        SplitCase{R"(p C:\dir\ "C:\dir\\" C:\a\\b)",
                  {"p", R"(C:\dir\)", R"(C:\dir\)", R"(C:\a\\b)"}},
        // The program name: quotes group and vanish, backslashes are plain.
        SplitCase{R"("C:\Program Files\x.exe"   /x)", {R"(C:\Program Files\x.exe)", "/x"}},
        SplitCase{R"(C:\a\"b c"\d e)", {R"(C:\a\b c\d)", "e"}},
        SplitCase{R"(a"b c"d e)", {"ab cd", "e"}}, SplitCase{"", {""}},
        SplitCase{"  x", {"", "x"}}));

/// Joining and splitting back gives the same arguments.
void ExpectRoundTrip(const Arguments& arguments)
{
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    const std::string line = JoinCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(SplitCommandLine(line), arguments) << line;
}

TEST(JoinCommandLine, SplitsBackIntoTheSameArguments)
{
    ExpectRoundTrip({"C:\\Program Files\\app.exe", "", " ", "a b", "a\\", "a\\\\", "\\\"", "\"",
                     "\"\"", "x\\\"y", "tab\there", "C:\\dir with space\\", "end\\\\\"quoted\"\\"});
    ExpectRoundTrip({""});
    ExpectRoundTrip({"", "x"});

    std::mt19937 random(11);
    const std::string alphabet = "ab \t\"\\";
    for (int round = 0; round < 2000; ++round) {
        Arguments arguments{"prog"};
        for (unsigned count = random() % 4; count > 0; --count) {
            std::string argument;
            for (unsigned length = random() % 7; length > 0; --length)
                argument += alphabet[random() % alphabet.size()];
            arguments.push_back(argument);
        }
        ExpectRoundTrip(arguments);
    }
}

TEST(JoinCommandLine, QuotesOnlyWhatNeedsIt)
{
    const char* argv[] = {"/opt/my app/run", "plain", "C:\\x\\", "two words", "", "q\"t"};
    EXPECT_EQ(JoinCommandLine(6, argv), R"("/opt/my app/run" plain C:\x\ "two words" "" "q\"t")");
}

TEST(CommandTail, SkipsTheProgramNameAndTheBlanksAfterIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\x.exe\"   /x", "/x"},
        {"\"C:\\Program Files\\x.exe\"", ""},
        {"autorun.exe", ""},
        {"autorun.exe \t a \"b c\" ", "a \"b c\" "},
        {"", ""},
        {"a\"b c\"d e", "e"},
        {"\"unterminated name", ""},
    };
    for (const auto& [line, tail] : cases) {
        const char* result = CommandTail(line);
        EXPECT_STREQ(result, tail) << line;
        EXPECT_EQ(result, line + std::strlen(line) - std::strlen(tail))
            << "must point into the line";
    }
}

} // namespace
} // namespace kova::posix
