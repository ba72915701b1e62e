/// The ".reg" parser: what each kind of line puts into the tree and how text is kept. The
/// import's rules line by line are checked against Wine's own import in tests/regimport.
#include "platform/posix/src/CodePage.h"
#include "platform/posix/src/RegFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>

namespace kova::posix {
namespace {

using namespace std::literals;

constexpr std::string_view Version5 = "Windows Registry Editor Version 5.00\r\n";

const RegValue* Find(const RegTree& tree, std::u16string_view key, std::u16string_view name)
{
    const auto found = tree.keys.find(key);
    if (found == tree.keys.end())
        return nullptr;
    const auto value = found->second.find(name);
    return value == found->second.end() ? nullptr : &value->second;
}

/// What a string value holds, in UTF-16LE as the registry keeps it.
std::string Wide(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

std::string Utf16File(std::u16string_view text)
{
    return "\xFF\xFE" + Wide(text);
}

/// Runs a test under another ANSI code page, and puts the default back afterwards.
class CodePageScope {
public:
    explicit CodePageScope(const char* number)
    {
        setenv("KOVA_CODEPAGE", number, 1);
        ReloadAnsiCodePage();
    }
    ~CodePageScope()
    {
        unsetenv("KOVA_CODEPAGE");
        ReloadAnsiCodePage();
    }
};

TEST(RegFile, HeadersEncodingsAndLineEndsAllRead)
{
    const std::string body = "[HKEY_CURRENT_USER\\Software\\Kova]\n\"Name\"=\"value\"\n";
    const std::u16string wideBody =
        u"[HKEY_CURRENT_USER\\Software\\Kova]\r\n\"Name\"=\"value\"\r\n";
    for (const std::string& text :
         {"REGEDIT4\n" + body, std::string(Version5) + body, "  REGEDIT4\r" + body,
          Utf16File(u"Windows Registry Editor Version 5.00\r\n" + wideBody),
          Utf16File(u"REGEDIT4\n" + wideBody)}) {
        const RegTree tree = ParseRegFile(text);
        const RegValue* value = Find(tree, u"HKEY_CURRENT_USER\\Software\\Kova", u"Name");
        ASSERT_NE(value, nullptr) << text;
        EXPECT_EQ(value->type, DWORD{REG_SZ});
        EXPECT_EQ(value->data, Wide(u"value\0"s));
    }
}

TEST(RegFile, WithoutItsHeaderOnTheFirstLineNothingIsImported)
{
    for (std::string_view text : std::initializer_list<std::string_view>{
             "[HKEY_CURRENT_USER\\A]\n\"x\"=\"y\"\n", "; comment\nREGEDIT4\n[HKCU\\A]\n",
             "\nREGEDIT4\n[HKCU\\A]\n", "REGEDIT5\n[HKCU\\A]\n", "REGEDIT4 \n[HKCU\\A]\n",
             "regedit4\n[HKCU\\A]\n", "\xEF\xBB\xBFREGEDIT4\n[HKCU\\A]\n",
             "R\0EGEDIT4\n[HKCU\\A]\n"sv, "R", ""}) {
        const RegTree tree = ParseRegFile(text);
        EXPECT_EQ(tree.keys.size(), 5u) << text;
        EXPECT_TRUE(tree.keys.contains(u"HKEY_CURRENT_CONFIG"));
    }
}

TEST(RegFile, EightBitFilesAreTextInTheCodePage)
{
    // "Société" and "Zoë" in Windows-1252 and, for the same bytes, in Windows-1251.
    const std::string text =
        "REGEDIT4\n[HKCU\\Soci\xE9t\xE9]\n\"M\xFCller\"=\"Zo\xEB\"\n\"H\"=hex(2):e9\n";
    const RegTree western = ParseRegFile(text);
    const RegValue* value = Find(western, u"HKEY_CURRENT_USER\\SOCIÉTÉ", u"MÜLLER");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->data, Wide(u"Zoë\0"s));
    ASSERT_NE(Find(western, u"HKEY_CURRENT_USER\\Société", u"H"), nullptr);
    EXPECT_EQ(Find(western, u"HKEY_CURRENT_USER\\Société", u"H")->data, Wide(u"é\0"s));

    const CodePageScope cyrillic("1251");
    const RegTree russian = ParseRegFile(text);
    ASSERT_NE(Find(russian, u"HKEY_CURRENT_USER\\SociЙtЙ", u"Mьller"), nullptr);
    EXPECT_EQ(Find(russian, u"HKEY_CURRENT_USER\\SociЙtЙ", u"Mьller")->data, Wide(u"Zoл\0"s));
}

TEST(RegFile, Utf16FilesKeepTheirTextAndTheirHexStrings)
{
    const RegTree tree = ParseRegFile(Utf16File(u"Windows Registry Editor Version 5.00\r\n"
                                                u"[HKCU\\Łódź]\r\n"
                                                u"\"Ω\"=\"☺ ı\"\r\n"
                                                u"\"E\"=hex(2):41,01,3a,26\r\n"
                                                u"\"Odd\"=hex(1):61,00,62\r\n"
                                                u"\"B\"=hex:41,01\r\n"));
    ASSERT_NE(Find(tree, u"HKEY_CURRENT_USER\\ŁÓDŹ", u"ω"), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CURRENT_USER\\ŁÓDŹ", u"ω")->data, Wide(u"☺ ı\0"s));
    // A string without its terminator gets one, as the import gives it.
    ASSERT_NE(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"E"), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"E")->data, "\x41\x01\x3a\x26\0\0"s);
    ASSERT_NE(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"Odd"), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"Odd")->data, "a\0\0\0\0"s);
    ASSERT_NE(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"B"), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CURRENT_USER\\Łódź", u"B")->data, "\x41\x01");
}

struct DataCase {
    std::string_view data;
    DWORD type;
    std::optional<std::string> bytes; ///< none: the value is refused
};

constexpr std::nullopt_t Refused = std::nullopt;

void PrintTo(const DataCase& c, std::ostream* out)
{
    *out << c.data;
}

class RegFileData : public testing::TestWithParam<DataCase> {};

TEST_P(RegFileData, StoresWhatTheImportStores)
{
    const DataCase& c = GetParam();
    const RegTree tree = ParseRegFile(
        std::string(Version5) + "[HKLM\\K]\n\"V\"=" + std::string(c.data) + "\n\"Next\"=dword:1\n");
    const RegValue* value = Find(tree, u"HKEY_LOCAL_MACHINE\\K", u"V");
    // Whatever the value, the line after it is a line of its own.
    EXPECT_NE(Find(tree, u"HKEY_LOCAL_MACHINE\\K", u"Next"), nullptr);
    if (!c.bytes) {
        EXPECT_EQ(value, nullptr);
        return;
    }
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, *c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegFileData,
    testing::Values(
        DataCase{R"("text")", REG_SZ, Wide(u"text\0"s)},
        DataCase{R"("a\\b\"c\nd\re" ; note)", REG_SZ, Wide(u"a\\b\"c\nd\re\0"s)},
        DataCase{R"("C:\Program Files\x.exe")", REG_SZ, Wide(u"C:Program Filesx.exe\0"s)},
        DataCase{R"("a\0b")", REG_NONE, Refused}, DataCase{R"("a" b)", REG_NONE, Refused},
        DataCase{R"("a\)", REG_NONE, Refused}, DataCase{"dword:0000000a", REG_DWORD, "\x0a\0\0\0"s},
        DataCase{"dword:FfFfFfFe", REG_DWORD, "\xfe\xff\xff\xff"s},
        DataCase{"dword: 1 ;x", REG_DWORD, "\x01\0\0\0"s},
        DataCase{"dword:;x", REG_DWORD, "\0\0\0\0"s},
        DataCase{"dword:123456789", REG_NONE, Refused}, DataCase{"dword:", REG_NONE, Refused},
        DataCase{"DWORD:1", REG_NONE, Refused},
        DataCase{"hex:01,02, ff,0", REG_BINARY, "\x01\x02\xff\x00"s},
        DataCase{"hex:01,02 ,03", REG_NONE, Refused},
        DataCase{"hex:001,0x2,+3,-0,", REG_BINARY, "\x01\x02\x03\x00"s},
        DataCase{"hex:", REG_BINARY, ""}, DataCase{"hex:01,,02", REG_NONE, Refused},
        DataCase{"hex:100", REG_NONE, Refused}, DataCase{"hex:01 02", REG_NONE, Refused},
        DataCase{"HEX:01", REG_NONE, Refused}, DataCase{"hex(0):", REG_NONE, ""},
        DataCase{"hex():01", REG_NONE, "\x01"},
        DataCase{"hex(b):01,00,00,00,00,00,00,80", REG_QWORD, "\x01\0\0\0\0\0\0\x80"s},
        DataCase{"hex(0x4):01", REG_NONE, Refused},
        DataCase{"hex(100000000):01", REG_NONE, Refused}, DataCase{"hex(2)01", REG_NONE, Refused},
        // In an 8-bit file the string types are 8-bit text whatever the header; a string
        // without its terminator gets one, and an empty one stays empty.
        DataCase{"hex(2):25,41,25", REG_EXPAND_SZ, Wide(u"%A%\0"s)},
        DataCase{"hex(1):e9,00,80", REG_SZ, Wide(u"é\0€\0"s)},
        DataCase{"hex(7):61,00,62,00,00", REG_MULTI_SZ, Wide(u"a\0b\0\0"s)},
        DataCase{"hex(2):", REG_EXPAND_SZ, ""}));

TEST(RegFile, HexDataGoesOnOnlyAfterACommaAndSkipsCommentsAndBlankLines)
{
    const RegTree tree =
        ParseRegFile(std::string(Version5) + "[HKLM\\K]\r\n"
                                             "\"Joined\"=hex(7):61,00,\\\r\n"
                                             "; a comment between the halves\r\n"
                                             "\r\n"
                                             "  62,00,\\ ; and after a backslash\r\n"
                                             "  00,00\r\n"
                                             "\"Malformed\"=hex:01,02\\\r\n"
                                             "[HKLM\\AfterMalformed]\r\n"
                                             "\"Kept\"=\"x\"\r\n"
                                             "\"Lost\"=hex:01,\\\r\n"
                                             "[HKLM\\Swallowed]\r\n"
                                             "\"Unfinished\"=hex:0a,\\\r\n");
    const RegValue* joined = Find(tree, u"HKEY_LOCAL_MACHINE\\K", u"Joined");
    ASSERT_NE(joined, nullptr);
    // An 8-bit file's string types are 8-bit text: each byte is one character.
    EXPECT_EQ(joined->data, Wide(u"a\0b\0\0\0"s));
    EXPECT_EQ(Find(tree, u"HKEY_LOCAL_MACHINE\\K", u"Malformed"), nullptr);
    EXPECT_NE(Find(tree, u"HKEY_LOCAL_MACHINE\\AfterMalformed", u"Kept"), nullptr);
    // A continuation line that is no hex data drops the value and is lost with it, so the
    // value after it lands in the key before it.
    EXPECT_EQ(Find(tree, u"HKEY_LOCAL_MACHINE\\AfterMalformed", u"Lost"), nullptr);
    EXPECT_FALSE(tree.keys.contains(u"HKEY_LOCAL_MACHINE\\Swallowed"));
    const RegValue* unfinished = Find(tree, u"HKEY_LOCAL_MACHINE\\AfterMalformed", u"Unfinished");
    ASSERT_NE(unfinished, nullptr);
    EXPECT_EQ(unfinished->data, "\x0a");
}

TEST(RegFile, SectionsCreateParentsMergeWhateverTheCaseAndKeepTheKeyOnBadLines)
{
    const RegTree tree =
        ParseRegFile(std::string(Version5) + "[HKLM\\Software\\\\Vendor\\Product\\] ; comment\n"
                                             "\"A\"=\"1\"\n"
                                             "[hkey_local_machine\\SOFTWARE\\vendor\\PRODUCT]\n"
                                             "\"a\"=\"2\"\n"
                                             "[ HKLM\\Blank]\n"
                                             "[HKLM\\Unclosed\n"
                                             "@=\"default\"\n"
                                             "[HKEY_NOWHERE\\K]\n"
                                             "\"Lost1\"=\"x\"\n"
                                             "[HKLM\\\\Leading]\n"
                                             "\"Lost2\"=\"x\"\n");
    for (std::u16string_view key :
         {u"HKEY_LOCAL_MACHINE\\Software", u"HKEY_LOCAL_MACHINE\\software\\VENDOR"})
        EXPECT_TRUE(tree.keys.contains(key));
    EXPECT_EQ(tree.keys.size(), 8u);
    const RegValues& values = tree.keys.at(u"HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at(u"A").data, Wide(u"2\0"s));
    EXPECT_EQ(values.at(u"").data, Wide(u"default\0"s));
}

TEST(RegFile, DeletionsRemoveKeysWithSubKeysAndSingleValues)
{
    const RegTree tree = ParseRegFile(std::string(Version5) + "[HKCU\\A\\B\\C]\n"
                                                              "[HKCU\\AB]\n"
                                                              "[HKCU\\A2]\n"
                                                              "\"Keep\"=\"1\"\n"
                                                              "\"Drop\"=\"1\"\n"
                                                              "\"Text\"=\"1\"\n"
                                                              "@=\"1\"\n"
                                                              "[HKCU]\n"
                                                              "\"OnRoot\"=\"1\"\n"
                                                              "[HKCU\\A2]\n"
                                                              "\"DROP\" = - ; comment\n"
                                                              "\"Text\"=- x\n"
                                                              "@=-\n"
                                                              "[-hkey_current_user\\a]\n"
                                                              "\"NoKeyOpen\"=\"1\"\n"
                                                              "[-HKEY_CURRENT_USER]\n");
    EXPECT_FALSE(tree.keys.contains(u"HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(tree.keys.contains(u"HKEY_CURRENT_USER\\A\\B\\C"));
    EXPECT_TRUE(tree.keys.contains(u"HKEY_CURRENT_USER\\AB"));
    EXPECT_NE(Find(tree, u"HKEY_CURRENT_USER", u"OnRoot"), nullptr);
    const RegValues& values = tree.keys.at(u"HKEY_CURRENT_USER\\A2");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_TRUE(values.contains(u"keep"));
    EXPECT_TRUE(values.contains(u"text"));
}

TEST(RegFile, Windows31FilesSetDefaultValuesOfClassesRootKeys)
{
    const RegTree tree =
        ParseRegFile("REGEDIT\r\n"
                     "HKEY_CLASSES_ROOT\\.kova = Kova.File\r\n"
                     "HKEY_CLASSES_ROOT\\Kova.File\\shell\\open\\command =  kova.exe \"%1\"\r\n"
                     "HKEY_CLASSES_ROOT\\Bare\r\n"
                     "HKCR\\Short = no\r\n"
                     "[HKEY_CLASSES_ROOT\\Section]\r\n");
    ASSERT_NE(Find(tree, u"HKEY_CLASSES_ROOT\\.kova", u""), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CLASSES_ROOT\\.kova", u"")->data, Wide(u"Kova.File\0"s));
    ASSERT_NE(Find(tree, u"HKEY_CLASSES_ROOT\\Kova.File\\shell\\open\\command", u""), nullptr);
    EXPECT_EQ(Find(tree, u"HKEY_CLASSES_ROOT\\Kova.File\\shell\\open\\command", u"")->data,
              Wide(u" kova.exe \"%1\"\0"s));
    ASSERT_NE(Find(tree, u"HKEY_CLASSES_ROOT\\Bare", u""), nullptr);
    EXPECT_FALSE(tree.keys.contains(u"HKEY_CLASSES_ROOT\\Short"));
    EXPECT_FALSE(tree.keys.contains(u"HKEY_CLASSES_ROOT\\Section"));
}

TEST(RegFile, AnyBytesParseWithoutHarm)
{
    // Mutations of a valid file reach the parser's corners; the sanitizer build checks
    // that none of them reads outside the text.
    const std::string sample = std::string(Version5) +
                               "[HKLM\\Software\\K]\n\"S\"=\"a\\\\b\"\n@=dword:1\n"
                               "\"H\"=hex(7):61,00,\\\n  00,00\n[-HKLM\\Software\\K]\n\"D\"=-\n";
    const std::string alphabet = "[]\\\"@=-:,;()\r\n hexdword0aF\xFF\xFE\xE9";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 3 == 0 ? Utf16File(AnsiToWide(sample)) : sample;
        for (int edit = 0; edit < 1 + round % 8; ++edit) {
            const std::size_t at = random() % text.size();
            if (random() % 2)
                text[at] = alphabet[random() % alphabet.size()];
            else
                text.resize(at);
            if (text.empty())
                break;
        }
        EXPECT_EQ(ParseRegFile(text).keys.count(u"HKEY_USERS"), 1u);
    }
}

} // namespace
} // namespace kova::posix
