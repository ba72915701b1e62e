/// Names found whatever their case, as on Windows' file system.
#include "platform/posix/src/CodePage.h"
#include "platform/posix/src/FileNames.h"
#include "platform/posix/src/RegFile.h"

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
        {"Soci\xC3\xA9t\xC3\xA9", "SOCI\xC3\x89T\xC3\x89", true},       // Société
        {"M\xC3\xBCller", "M\xC3\x9CLLER", true},                       // Müller
        {"\xC5\xA1\xC5\xBE\xC3\xBF", "\xC5\xA0\xC5\xBD\xC5\xB8", true}, // šžÿ, ŠŽŸ
        {"\xC5\x82", "\xC5\x81", true},                                 // ł, Ł
        {"stra\xC3\x9F"
         "e",
         "STRASSE", false},       // no letter becomes two
        {"\xC4\xB1", "I", false}, // the dotless i
        {"\xC3\xA9", "e", false},
        {"\xC3\xB7", "\xC3\x97", false}, // ÷ and × are no pair
        {"a", "ab", false},
        {"\xE9t\xE9", "\xE9T\xE9", true}, // stray bytes stand as they are
        {"\xE9", "\xC9", false},
        {"\xC0\xAE", ".", false},               // an overlong "."
        {"\xFE", "\xFF", false},                // no two stray bytes are one
        {"\xFF", "\xEF\xBF\xBD", false},        // nor a stray byte U+FFFD
        {"\xED\xA0\x80", "\xED\xA0\x80", true}, // an encoded surrogate: bytes
        {"\xED\xA0\x80", "\xED\xA0\x81", false},
        {"\xD0\x94\xE2\x82", "\xD0\xB4\xE2\x82", true}, // "Д", "д" before a cut-off "€"
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
    for (const char* name : {"app.exe", "App.exe", "APP.EXE", "\xFE.txt", "\xFF.txt"})
        directory.Write(std::string("Disc1/") + name, "");

    const struct {
        const char* asked;
        std::optional<std::string> found;
    } cases[] = {
        {"DISC1/tools/setup.exe", root + "/Disc1/Tools/Setup.EXE"},
        {"disc1//./TOOLS/../Tools/SETUP.exe", root + "/Disc1/./Tools/../Tools/Setup.EXE"},
        {"Disc1/app.exe", root + "/Disc1/app.exe"}, // spelled exactly: that one
        {"Disc1/App.exe", root + "/Disc1/App.exe"},
        {"Disc1/aPP.exe", root + "/Disc1/APP.EXE"},   // else the first in byte order
        {"Disc1/\xFF.TXT", root + "/Disc1/\xFF.txt"}, // a stray byte matches only itself
        {"disc1", root + "/Disc1"},
        {"Disc2/app.exe", std::nullopt},
        {"Disc1/Tools/Setup.EXE/more", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindPath(root, c.asked), c.found) << c.asked;
    EXPECT_EQ(FindPath("/", "etc"), "/etc");
}

TEST(FileNames, FoldAsRegistryNamesFold)
{
    const struct {
        std::u16string_view stored;
        std::u16string_view asked;
        bool same;
    } cases[] = {
        {u"ДИСК", u"диск", true},
        {u"Ёлка", u"ёЛКА", true},
        {u"ΑΡΧΕΊΟ", u"αρχείο", true},
        {u"ΟΔΟΣ", u"οδοσ", true},
        {u"ΟΔΟΣ", u"οδος", false}, // Windows leaves the final sigma alone
        {u"Ｄｉｓｃ", u"ＤＩＳＣ", true},
        {u"Straße", u"STRASSE", false},
        {u"\U00010400", u"\U00010428", false}, // Deseret: the table holds no pairs beyond U+FFFF
    };
    for (const auto& c : cases) {
        const std::string stored = WideToUtf8(c.stored);
        const std::string asked = WideToUtf8(c.asked);
        EXPECT_EQ(SameFileName(stored, asked), c.same) << stored << " / " << asked;

        test::TempDirectory directory;
        const std::string root = directory.Path().string();
        directory.Write(stored, "");
        EXPECT_EQ(FindPath(root, asked), c.same ? std::optional(root + '/' + stored) : std::nullopt)
            << asked;

        RegTree registry = EmptyRegistry();
        registry.keys.try_emplace(u"HKEY_CURRENT_USER\\" + std::u16string(c.stored));
        EXPECT_EQ(registry.keys.contains(u"HKEY_CURRENT_USER\\" + std::u16string(c.asked)), c.same)
            << asked;
    }
}

} // namespace
} // namespace kova::posix
