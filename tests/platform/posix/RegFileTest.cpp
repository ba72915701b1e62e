/// The ".reg" parser: what each kind of line puts into the tree, and what it skips.
#include "platform/posix/src/RegFile.h"

#include <gtest/gtest.h>

#include <random>

namespace kova::posix {
namespace {

using namespace std::string_literals;

constexpr std::string_view Version5 = "Windows Registry Editor Version 5.00\n";

const RegValue* Find(const RegTree& tree, std::string_view key, std::string_view name)
{
    const auto found = tree.keys.find(key);
    if (found == tree.keys.end())
        return nullptr;
    const auto value = found->second.find(name);
    return value == found->second.end() ? nullptr : &value->second;
}

std::string Utf16Le(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii)
        out += {c, '\0'};
    return out;
}

TEST(RegFile, HeadersBomsAndLineEndingsAllRead)
{
    const std::string body = "[HKEY_CURRENT_USER\\Software\\Kova]\n\"Name\"=\"value\"\n";
    const std::string crlf = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kova]\r\n\"Name\"=\"value\"\r\n";
    for (const std::string& text : {"REGEDIT4\n" + body, std::string(Version5) + body, crlf,
                                    "\xEF\xBB\xBF" + std::string(Version5) + body,
                                    Utf16Le(std::string(Version5) + body)}) {
        const RegTree tree = ParseRegFile(text);
        const RegValue* value = Find(tree, "HKEY_CURRENT_USER\\Software\\Kova", "Name");
        ASSERT_NE(value, nullptr) << text;
        EXPECT_EQ(value->type, DWORD{REG_SZ});
        EXPECT_EQ(value->data, "value\0"s);
    }
}

TEST(RegFile, WithoutHeaderNothingIsImported)
{
    for (std::string_view text : {"[HKEY_CURRENT_USER\\A]\n\"x\"=\"y\"\n", "; comment\nREGEDIT4\n[HKCU\\A]\n",
                                  "REGEDIT5\n[HKCU\\A]\n", ""}) {
        const RegTree tree = ParseRegFile(text);
        EXPECT_EQ(tree.keys.size(), 5u) << text;
        EXPECT_TRUE(tree.keys.contains("HKEY_CURRENT_CONFIG"));
    }
}

struct DataCase {
    std::string_view header;
    std::string_view data;
    DWORD type;
    std::string bytes;
};

void PrintTo(const DataCase& c, std::ostream* out)
{
    *out << c.data;
}

class RegFileData : public testing::TestWithParam<DataCase> {};

TEST_P(RegFileData, StoresTheBytesRegQueryValueExAHandsOut)
{
    const DataCase& c = GetParam();
    const std::string text = std::string(c.header) + "[HKLM\\K]\n\"V\"=" + std::string(c.data) + "\n";
    const RegTree tree = ParseRegFile(text);
    const RegValue* value = Find(tree, "HKEY_LOCAL_MACHINE\\K", "V");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RegFileData,
    testing::Values(
        DataCase{Version5, R"("text")", REG_SZ, "text\0"s},
        DataCase{Version5, R"("")", REG_SZ, "\0"s},
        DataCase{Version5, R"("a\\b\"c")", REG_SZ, "a\\b\"c\0"s},
        DataCase{Version5, R"("C:\Program Files\x.exe" ; note)", REG_SZ, "C:\\Program Files\\x.exe\0"s},
        DataCase{Version5, "dword:0000000a", REG_DWORD, "\x0a\0\0\0"s},
        DataCase{Version5, "DWORD:FfFfFfFe", REG_DWORD, "\xfe\xff\xff\xff"s},
        DataCase{Version5, "dword:1", REG_DWORD, "\x01\0\0\0"s},
        DataCase{Version5, "hex:01,02, ff ,0", REG_BINARY, "\x01\x02\xff\x00"s},
        DataCase{Version5, "hex:", REG_BINARY, ""},
        DataCase{Version5, "hex(0):", REG_NONE, ""},
        DataCase{Version5, "hex(b):01,00,00,00,00,00,00,80", REG_QWORD, "\x01\0\0\0\0\0\0\x80"s},
        // In an 8-bit file the string types are 8-bit text whatever the header, as Wine's
        // "reg import" takes them, and a string without its terminator gets one.
        DataCase{Version5, "hex(2):25,00,41,00,25,00,00,00", REG_EXPAND_SZ, "%\0A\0%\0\0\0"s},
        DataCase{Version5, "hex(1):e9,00,3a,26,42", REG_SZ, "\xe9\0\x3a\x26\x42\0"s},
        DataCase{Version5, "hex(1):", REG_SZ, ""},
        DataCase{"REGEDIT4\n", "hex(2):25,41,25,00", REG_EXPAND_SZ, "%A%\0"s},
        DataCase{"REGEDIT4\n", "hex(7):61,00,62", REG_MULTI_SZ, "a\0b\0"s},
        DataCase{"REGEDIT4\n", "hex(7):61,00,00", REG_MULTI_SZ, "a\0\0"s}));

TEST(RegFile, HexDataContinuesOverBackslashLines)
{
    const std::string text = std::string(Version5) +
                             "[HKLM\\K]\r\n"
                             "\"Multi\"=hex(7):61,00,\\\r\n"
                             "  62,00,\\\r\n"
                             "  00\r\n"
                             "\"Bin\"=hex:01,\\\n"
                             "  02 ; comment\n"
                             "\"After\"=\"x\"\n"
                             // Continuation lines belong to their value even when the value
                             // goes nowhere; this one must not become a section.
                             "[HKEY_NOWHERE\\K]\n"
                             "\"Lost\"=hex:01,\\\n"
                             "  [HKLM\\Injected]\n";
    const RegTree tree = ParseRegFile(text);
    ASSERT_NE(Find(tree, "HKEY_LOCAL_MACHINE\\K", "Multi"), nullptr);
    EXPECT_EQ(Find(tree, "HKEY_LOCAL_MACHINE\\K", "Multi")->data, "a\0b\0\0"s);
    ASSERT_NE(Find(tree, "HKEY_LOCAL_MACHINE\\K", "Bin"), nullptr);
    EXPECT_EQ(Find(tree, "HKEY_LOCAL_MACHINE\\K", "Bin")->data, "\x01\x02");
    EXPECT_NE(Find(tree, "HKEY_LOCAL_MACHINE\\K", "After"), nullptr);
    EXPECT_FALSE(tree.keys.contains("HKEY_LOCAL_MACHINE\\Injected"));
}

TEST(RegFile, MalformedLinesAreSkippedAndTheirSurroundingsKept)
{
    const std::string text = std::string(Version5) +
                             "[HKCU\\K]\n"
                             "\"First\"=\"1\"\n"
                             "garbage line\n"
                             "\"Open=\"x\n"
                             "\"NoData\"\n"
                             "\"TooLong\"=dword:123456789\n"
                             "\"NotHex\"=dword:0000000g\n"
                             "\"BigByte\"=hex:1,2,300\n"
                             "\"Gap\"=hex:01,,02\n"
                             "\"BadType\"=hex(zz):01\n"
                             "\"Trailing\"=\"a\" b\n"
                             "   ; an indented comment\n"
                             "\n"
                             "\"Last\"=\"2\"\n"
                             "[HKEY_NOWHERE\\K]\n"
                             "\"Lost1\"=\"x\"\n"
                             "[HKCU\\Unclosed\n"
                             "\"Lost2\"=\"x\"\n"
                             "[-HKCU\\Gone]\n"
                             "\"Lost3\"=\"x\"\n";
    const RegTree tree = ParseRegFile(text);
    const RegValues& values = tree.keys.at("HKEY_CURRENT_USER\\K");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_TRUE(values.contains("First"));
    EXPECT_TRUE(values.contains("Last"));
    EXPECT_EQ(tree.keys.size(), 6u); // the roots, HKCU\K, and nothing from the broken sections
}

TEST(RegFile, SectionsCreateParentsAndMergeWhateverTheCase)
{
    const RegTree tree = ParseRegFile(std::string(Version5) +
                                      "[HKLM\\Software\\\\Vendor\\Product\\]\n"
                                      "\"A\"=\"1\"\n"
                                      "[hkey_local_machine\\SOFTWARE\\vendor\\PRODUCT]\n"
                                      "\"a\"=\"2\"\n"
                                      "@=\"default\"\n");
    for (std::string_view key : {"HKEY_LOCAL_MACHINE\\Software", "HKEY_LOCAL_MACHINE\\software\\VENDOR"})
        EXPECT_TRUE(tree.keys.contains(key)) << key;
    EXPECT_EQ(tree.keys.size(), 8u);
    const RegValues& values = tree.keys.at("HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values.at("A").data, "2\0"s);
    EXPECT_EQ(values.at("").data, "default\0"s);
}

TEST(RegFile, DeletionsRemoveKeysWithSubKeysAndSingleValues)
{
    const RegTree tree = ParseRegFile(std::string(Version5) +
                                      "[HKCU\\A\\B\\C]\n"
                                      "[HKCU\\AB]\n"
                                      "[HKCU\\A2]\n"
                                      "\"Keep\"=\"1\"\n"
                                      "\"Drop\"=\"1\"\n"
                                      "@=\"1\"\n"
                                      "[HKCU\\A2]\n"
                                      "\"DROP\"=-\n"
                                      "@=-\n"
                                      "[-hkey_current_user\\a]\n"
                                      "[-HKEY_CURRENT_USER]\n");
    EXPECT_FALSE(tree.keys.contains("HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(tree.keys.contains("HKEY_CURRENT_USER\\A\\B\\C"));
    EXPECT_TRUE(tree.keys.contains("HKEY_CURRENT_USER\\AB"));
    EXPECT_TRUE(tree.keys.contains("HKEY_CURRENT_USER"));
    const RegValues& values = tree.keys.at("HKEY_CURRENT_USER\\A2");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_TRUE(values.contains("keep"));
}

TEST(RegFile, Utf16FilesBecomeUtf8AndTheirHexStringsNarrow)
{
    std::string text = Utf16Le(std::string(Version5) + "[HKCU\\K]\r\n\"S\"=\"");
    text += "\xe9\0\x3a\x26"s; // U+00E9, U+263A
    text += Utf16Le("\"\r\n\"E\"=hex(2):e9,00,3a,26,00,00\r\n\"U\"=hex(1):61,00,62,00\r\n").substr(2);
    const RegTree tree = ParseRegFile(text);
    ASSERT_NE(Find(tree, "HKEY_CURRENT_USER\\K", "S"), nullptr);
    EXPECT_EQ(Find(tree, "HKEY_CURRENT_USER\\K", "S")->data, "\xC3\xA9\xE2\x98\xBA\0"s);
    ASSERT_NE(Find(tree, "HKEY_CURRENT_USER\\K", "E"), nullptr);
    EXPECT_EQ(Find(tree, "HKEY_CURRENT_USER\\K", "E")->data, "\xe9?\0"s);
    // A string without its terminator gets one, as the import gives it.
    ASSERT_NE(Find(tree, "HKEY_CURRENT_USER\\K", "U"), nullptr);
    EXPECT_EQ(Find(tree, "HKEY_CURRENT_USER\\K", "U")->data, "ab\0"s);
}

TEST(RegFile, AnyBytesParseWithoutHarm)
{
    // Mutations of a valid file reach the parser's corners; the sanitizer build checks
    // that none of them reads outside the text.
    const std::string sample = std::string(Version5) +
                               "[HKLM\\Software\\K]\n\"S\"=\"a\\\\b\"\n@=dword:1\n"
                               "\"H\"=hex(7):61,00,\\\n  00,00\n[-HKLM\\Software\\K]\n\"D\"=-\n";
    const std::string alphabet = "[]\\\"@=-:,;()\r\n hexdword0aF\xFF\xFE";
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 3 == 0 ? Utf16Le(sample) : sample;
        for (int edit = 0; edit < 1 + round % 8; ++edit) {
            const std::size_t at = random() % text.size();
            if (random() % 2)
                text[at] = alphabet[random() % alphabet.size()];
            else
                text.resize(at);
            if (text.empty())
                break;
        }
        EXPECT_EQ(ParseRegFile(text).keys.count("HKEY_USERS"), 1u);
    }
}

} // namespace
} // namespace kova::posix
