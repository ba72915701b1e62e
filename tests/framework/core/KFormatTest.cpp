#include "framework/core/kformat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using kova::kformat;

// Formats with a buffer far larger than any result, and checks that nothing was written
// past the terminator the formatter reports.
template <class... Args>
std::string Format(const char* format, Args... args)
{
    char out[512];
    std::memset(out, '@', sizeof out);
    kformat(out, format, args...);
    const std::size_t length = std::strlen(out);
    EXPECT_EQ(out[length + 1], '@') << "wrote past its terminator";
    return std::string(out, length);
}

constexpr std::int32_t Code(char a, char b, char c, char d)
{
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(d)));
}

TEST(KFormat, AssertionMessage)
{
    EXPECT_EQ(Format("Unexpected error #S at #S(#L)", "a != NULL", "AppMain", std::int32_t{122}),
              "Unexpected error a != NULL at AppMain(122)");
}

TEST(KFormat, Decimal)
{
    EXPECT_EQ(Format("#L", std::int32_t{0}), "0");
    EXPECT_EQ(Format("#L", std::int32_t{-42}), "-42");
    EXPECT_EQ(Format("#L", std::int32_t{7}), "7");
    EXPECT_EQ(Format("#L", std::int32_t{INT32_MAX}), "2147483647");
    EXPECT_EQ(Format("#L", std::int32_t{INT32_MIN}), "-2147483648");
    EXPECT_EQ(Format("[#L]", std::int32_t{1000000000}), "[1000000000]");
}

TEST(KFormat, Hexadecimal)
{
    EXPECT_EQ(Format("#X", std::int32_t{0}), "00000000");
    EXPECT_EQ(Format("#X", std::int32_t{255}), "000000FF");
    EXPECT_EQ(Format("#X", std::int32_t{-1}), "FFFFFFFF");
    EXPECT_EQ(Format("#X", std::int32_t{0x0ABCDEF1}), "0ABCDEF1");
}

TEST(KFormat, FourCharacterCode)
{
    EXPECT_EQ(Format("#I", Code('s', 't', 'a', 't')), "stat");
    EXPECT_EQ(Format("#I", Code('\x0A', 'A', 'B', 'D')), ".ABD");
    // Only the printable ASCII range is written as itself.
    EXPECT_EQ(Format("#I", Code('\x1F', ' ', '~', '\x7F')), ". ~.");
    EXPECT_EQ(Format("#I", Code('\x80', '\xFF', 'a', '\0')), "..a.");
}

TEST(KFormat, Strings)
{
    EXPECT_EQ(Format("<#S>", ""), "<>");
    EXPECT_EQ(Format("#S#S", "ab", "cd"), "abcd");
    EXPECT_EQ(Format("#P", "\0ignored"), "");
    EXPECT_EQ(Format("#P", "\3abcdef"), "abc");
}

TEST(KFormat, CountedTextIsCopiedByteForByte)
{
    // A zero byte among the counted bytes is copied like any other.
    const char counted[] = "\4a\0b\xFF";
    char out[16];
    EXPECT_EQ(kova::kformatn(out, sizeof out, "[#P]", counted), 6u);
    EXPECT_EQ(std::string(out, 6), std::string("[a\0b\xFF]", 6));
}

TEST(KFormat, ArgumentSelection)
{
    EXPECT_EQ(Format("#2S and #1S", "x", "y"), "y and x");
    EXPECT_EQ(Format("#2L #L", std::int32_t{1}, std::int32_t{2}, std::int32_t{3}), "2 3");
    EXPECT_EQ(Format("#1S#S", "one", "two"), "onetwo");
    EXPECT_EQ(Format("#S#1S#S", "A", "B"), "AAB");
    // An argument no directive uses is still fetched in its place, as a number.
    EXPECT_EQ(Format("#1S #3S", "a", std::int32_t{99}, "c"), "a c");
    EXPECT_EQ(Format("#3L#1L", std::int32_t{1}, std::int32_t{2}, std::int32_t{3}), "31");
}

TEST(KFormat, TextWithoutDirectives)
{
    EXPECT_EQ(Format("plain text"), "plain text");
    EXPECT_EQ(Format(""), "");
    EXPECT_EQ(Format("##"), "##");
    EXPECT_EQ(Format("#s"), "#s");
    EXPECT_EQ(Format("#0S"), "#0S");
    EXPECT_EQ(Format("# "), "# ");
    EXPECT_EQ(Format("100%d"), "100%d");
}

TEST(KFormat, HashAtTheEnd)
{
    EXPECT_EQ(Format("100#"), "100#");
    EXPECT_EQ(Format("ab#5"), "ab#");
    EXPECT_EQ(Format("#"), "#");
}

TEST(KFormat, SelectionBeforeANonDirective)
{
    // The digit is swallowed but still moves the current argument.
    EXPECT_EQ(Format("#2x#S", "one", "two"), "#xtwo");
    // The second '#' is the character after the selection, so the third starts anew.
    EXPECT_EQ(Format("#2##S", "one", "two"), "##two");
}

TEST(KFormat, BeyondTheNinthArgumentWritesNothing)
{
    EXPECT_EQ(Format("#9L#L|", std::int32_t{1}, std::int32_t{2}, std::int32_t{3}, std::int32_t{4},
                     std::int32_t{5}, std::int32_t{6}, std::int32_t{7}, std::int32_t{8},
                     std::int32_t{9}),
              "9|");
}

TEST(KFormat, NullTextWritesNothing)
{
    EXPECT_EQ(
        Format("[#S][#P]", static_cast<const char*>(nullptr), static_cast<const char*>(nullptr)),
        "[][]");
}

TEST(KFormat, BoundedOutputIsCutAndTerminated)
{
    char out[8];
    std::memset(out, '@', sizeof out);
    EXPECT_EQ(kova::kformatn(out, 5, "#S-#L", "abcdef", std::int32_t{-12}), 10u);
    EXPECT_STREQ(out, "abcd");
    EXPECT_EQ(out[5], '@');

    EXPECT_EQ(kova::kformatn(out, sizeof out, "#X", std::int32_t{1}), 8u);
    EXPECT_STREQ(out, "0000000");

    EXPECT_EQ(kova::kformatn(out, sizeof out, "ok"), 2u);
    EXPECT_STREQ(out, "ok");

    out[0] = '@';
    EXPECT_EQ(kova::kformatn(out, 0, "abc"), 3u);
    EXPECT_EQ(out[0], '@');
}

} // namespace
