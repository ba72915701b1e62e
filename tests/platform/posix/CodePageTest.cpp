/// The ANSI code page of the "A" calls and Windows' case mapping.
#include "platform/posix/src/CodePage.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kova::posix {
namespace {

/// Sets KOVA_CODEPAGE (or unsets it, for null) for one test, and unsets it afterwards.
class CodePage : public testing::Test {
protected:
    static void Use(const char* number)
    {
        if (number)
            setenv("KOVA_CODEPAGE", number, 1);
        else
            unsetenv("KOVA_CODEPAGE");
        ReloadAnsiCodePage();
    }
    void TearDown() override { Use(nullptr); }
};

TEST_F(CodePage, ChosenByTheEnvironmentWithWindows1252ByDefault)
{
    const struct {
        const char* variable;
        unsigned expected;
    } cases[] = {{nullptr, 1252}, {"1252", 1252},  {"1250", 1250},  {"1251", 1251},
                 {"", 1252},      {"65001", 1252}, {"1251x", 1252}, {"cp1251", 1252}};
    for (const auto& c : cases) {
        Use(c.variable);
        EXPECT_EQ(AnsiCodePage(), c.expected) << (c.variable ? c.variable : "(unset)");
    }
}

TEST_F(CodePage, EveryByteRoundTripsInEveryCodePage)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (const char* number : {"1250", "1251", "1252"}) {
        Use(number);
        const std::u16string wide = AnsiToWide(all);
        ASSERT_EQ(wide.size(), 256u);
        EXPECT_EQ(WideToAnsi(wide), all) << number;
    }
}

TEST_F(CodePage, ConvertsAsWindowsDoes)
{
    const struct {
        const char* codePage;
        std::u16string_view wide;
        std::string_view ansi;
    } cases[] = {
        {"1252", u"Société Zoë", "Soci\xE9t\xE9 Zo\xEB"},
        {"1252", u"€ Ÿ ‰ \u0081", "\x80 \x9F \x89 \x81"},
        // Outside the code page: Windows' best fit, else a question mark.
        {"1252", u"Łódź Ā Ω ☺",
         "L\xF3"
         "dz A O ?"},
        {"1250", u"Łódź", "\xA3\xF3\x64\x9F"},
        {"1251", u"Москва Ё", "\xCC\xEE\xF1\xEA\xE2\xE0 \xA8"},
    };
    for (const auto& c : cases) {
        Use(c.codePage);
        EXPECT_EQ(WideToAnsi(c.wide), c.ansi) << c.codePage;
    }
    Use("1251");
    EXPECT_EQ(AnsiToWide("\xCC\xEE\xF1\xEA\xE2\xE0"), u"Москва");
}

TEST_F(CodePage, UpperCaseIsWindowsOwn)
{
    const struct {
        char16_t lower;
        char16_t upper;
    } cases[] = {
        {u'a', u'A'},
        {u'z', u'Z'},
        {u'é', u'É'},
        {u'ÿ', u'Ÿ'},
        {u'š', u'Š'},
        {u'œ', u'Œ'},
        {u'ł', u'Ł'},
        {u'ж', u'Ж'},
        {u'ё', u'Ё'},
        {u'ω', u'Ω'},
        {u'ｚ', u'Ｚ'},
        {u'ⅰ', u'Ⅰ'},
        // Left alone: no single upper-case letter, or one Windows does not map to.
        {u'ß', u'ß'},
        {u'ı', u'ı'},
        {u'ς', u'ς'},
        {u'µ', u'µ'},
        {u'1', u'1'},
        {u'A', u'A'},
        {u'÷', u'÷'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UpcaseChar(c.lower), c.upper) << static_cast<unsigned>(c.lower);
    EXPECT_EQ(CompareIgnoringCase(u"Société\\Müller", u"SOCIÉTÉ\\MÜLLER"), 0);
    EXPECT_LT(CompareIgnoringCase(u"abc", u"ABD"), 0);
    EXPECT_GT(CompareIgnoringCase(u"abc", u"AB"), 0);
    EXPECT_NE(CompareIgnoringCase(u"Straße", u"STRASSE"), 0);
}

TEST_F(CodePage, Utf8ForTheFileSystem)
{
    EXPECT_EQ(WideToUtf8(u"Müller €"), "M\xC3\xBCller \xE2\x82\xAC");
    EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t{0xD800}) + u"x"), "\xEF\xBF\xBDx");

    // One reading of UTF-8: bytes outside a character become U+FFFD for MultiByteToWideChar,
    // and for a file name each one a lone surrogate of its own.
    const struct {
        std::string_view utf8;
        std::u16string_view wide;
        std::u16string_view fileName;
    } cases[] = {
        {"M\xC3\xBCller", u"Müller", u"Müller"},
        {"\xF0\x9F\x98\x80", u"\U0001F600", u"\U0001F600"},
        {"\xC0"
         "AB",
         u"\uFFFD"
         "AB",
         u"\xDCC0"
         "AB"},
        {"t\xFF\xFE", u"t\uFFFD\uFFFD", u"t\xDCFF\xDCFE"},
        {"\xE2\x82", u"\uFFFD", u"\xDCE2\xDC82"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.utf8;
        EXPECT_EQ(FileNameToWide(c.utf8), c.fileName) << c.utf8;
    }
}

} // namespace
} // namespace kova::posix
