/// Names found whatever their case, as on Windows' file system.
#include "platform/posix/src/FileNames.h"

#include "tests/platform/posix/TempDirectory.h"

#include <gtest/gtest.h>

namespace kova::posix {
namespace {

TEST(FileNames, LettersCompareWithoutRegardToCase)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"setup.exe", "SETUP.EXE", true},
        {"Soci\xC3\xA9t\xC3\xA9", "SOCI\xC3\x89T\xC3\x89", true},  // Société
        {"M\xC3\xBCller", "M\xC3\x9CLLER", true},                  // Müller
        {"\xC5\xA1\xC5\xBE\xC3\xBF", "\xC5\xA0\xC5\xBD\xC5\xB8", true}, // šžÿ, ŠŽŸ
        {"\xC5\x82", "\xC5\x81", true},                            // ł, Ł
        {"stra\xC3\x9F" "e", "STRASSE", false},                    // no letter becomes two
        {"\xC4\xB1", "I", false},                                  // the dotless i
        {"\xC3\xA9", "e", false},
        {"\xC3\xB7", "\xC3\x97", false},                           // ÷ and × are no pair
        {"a", "ab", false},
        {"\xE9t\xE9", "\xE9T\xE9", true},                          // stray bytes stand as they are
        {"\xE9", "\xC9", false},
        {"\xC0\xAE", ".", false},                                  // an overlong "."
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameFileName(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(SameFileName(c.b, c.a), c.same) << c.b << " / " << c.a;
    }
}

TEST(FileNames, EachComponentIsFoundWhateverItsCase)
{
    test::TempDirectory directory;
    const std::string root = directory.Path().string();
    std::filesystem::create_directories(directory.Path() / "Disc1" / "Tools");
    directory.Write("Disc1/Tools/Setup.EXE", "");
    // Names POSIX can hold side by side and Windows cannot.
    for (const char* name : {"app.exe", "App.exe", "APP.EXE"})
        directory.Write(std::string("Disc1/") + name, "");

    const struct {
        const char* asked;
        std::optional<std::string> found;
    } cases[] = {
        {"DISC1/tools/setup.exe", root + "/Disc1/Tools/Setup.EXE"},
        {"disc1//./TOOLS/../Tools/SETUP.exe", root + "/Disc1/./Tools/../Tools/Setup.EXE"},
        {"Disc1/app.exe", root + "/Disc1/app.exe"},  // spelled exactly: that one
        {"Disc1/App.exe", root + "/Disc1/App.exe"},
        {"Disc1/aPP.exe", root + "/Disc1/APP.EXE"},  // else the first in byte order
        {"disc1", root + "/Disc1"},
        {"Disc2/app.exe", std::nullopt},
        {"Disc1/Tools/Setup.EXE/more", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindPath(root, c.asked), c.found) << c.asked;
    EXPECT_EQ(FindPath("/", "etc"), "/etc");
}

} // namespace
} // namespace kova::posix
