/// user32's wsprintfA, the module handle, the command line outside the entry, and the
/// thread's last error.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

struct NumberCase {
    const char* format;
    std::int32_t value;
    const char* expected;
};

void PrintTo(const NumberCase& c, std::ostream* out)
{
    *out << c.format;
}

class WsprintfNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(WsprintfNumbers, LaysOutTheFieldAsUser32Does)
{
    char buffer[64];
    const NumberCase& c = GetParam();
    const int length = wsprintfA(buffer, c.format, c.value);
    EXPECT_STREQ(buffer, c.expected) << c.format;
    EXPECT_EQ(length, static_cast<int>(std::strlen(c.expected)));
}

// The layouts of sign, radix prefix and padding were checked against Win32's user32.
INSTANTIATE_TEST_SUITE_P(
    Directives, WsprintfNumbers,
    testing::Values(NumberCase{"%08lX", 0x00400000, "00400000"},
                    NumberCase{"_XGWindow_%08lX", 0x00400000, "_XGWindow_00400000"},
                    NumberCase{"%08lX", static_cast<std::int32_t>(0xDEADBEEF), "DEADBEEF"},
                    NumberCase{"%lx", 0xABC, "abc"}, NumberCase{"%d", -42, "-42"},
                    NumberCase{"%i", INT32_MIN, "-2147483648"}, NumberCase{"%u", -1, "4294967295"},
                    NumberCase{"%hd", 70000, "70000"}, NumberCase{"[%5d]", 42, "[   42]"},
                    NumberCase{"[%-5d]", -7, "[-7   ]"}, NumberCase{"[%-05d]", 3, "[3    ]"},
                    NumberCase{"%05d", -42, "-0042"}, NumberCase{"%.5d", -42, "-0042"},
                    NumberCase{"[%6.3d]", -5, "[   -05]"}, NumberCase{"%.0d", 0, "0"},
                    NumberCase{"%#x", 0, "0x0"}, NumberCase{"%#X", 0xAB, "0XAB"},
                    NumberCase{"[%#6x]", 0xAB, "[    0xab]"},
                    NumberCase{"%#010x", 0xABCD, "0x000000abcd"}));

TEST(Wsprintf, CharactersStringsAndPercent)
{
    char buffer[64];
    EXPECT_EQ(wsprintfA(buffer, "[%c|%3c|%-3c|%%]", 'x', 'y', 'z'), 13);
    EXPECT_STREQ(buffer, "[x|  y|z  |%]");
    wsprintfA(buffer, "[%s|%.3s|%5.2s|%-4s|%05s]", "text", "abcdef", "xyz", "ab", "q");
    EXPECT_STREQ(buffer, "[text|abc|   xy|ab  |    q]");
    wsprintfA(buffer, "%s", static_cast<const char*>(nullptr));
    EXPECT_STREQ(buffer, "(null)");
    // The precision bounds the read: this array has no terminator.
    const char unterminated[3] = {'a', 'b', 'c'};
    wsprintfA(buffer, "%.3s.", unterminated);
    EXPECT_STREQ(buffer, "abc.");
    EXPECT_EQ(wsprintfA(buffer, "ab%"), 2);
    EXPECT_STREQ(buffer, "ab");
}

TEST(Wsprintf, WritesAtMost1024CharactersWithTheTerminator)
{
    const std::string longText(3000, 'a');
    for (const auto& [format, argument] :
         {std::pair{"%s", longText.c_str()}, std::pair{"%2000s", "x"},
          std::pair{longText.c_str(), ""}}) {
        char buffer[2048];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(wsprintfA(buffer, format, argument), 1023);
        EXPECT_EQ(buffer[1023], '\0');
        EXPECT_EQ(buffer[1024], 'Z');
    }
}

TEST(Module, HandleIsTheImageKernel32IsKnownAndOtherNamesAreNot)
{
    const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleA(nullptr));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(std::memcmp(image,
                          "\x7F"
                          "ELF",
                          4),
              0);
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    ASSERT_NE(kernel32, nullptr);
    EXPECT_NE(reinterpret_cast<const void*>(kernel32), image);
    EXPECT_EQ(GetModuleHandleA("KERNEL32"), kernel32);
    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("user32.dll"), nullptr);
    EXPECT_EQ(GetLastError(), 126u);
}

TEST(Module, CommandLineIsEmptyWithoutTheEntry)
{
    ASSERT_NE(GetCommandLineA(), nullptr);
    EXPECT_STREQ(GetCommandLineA(), "");
}

TEST(Module, LastErrorBelongsToEachThread)
{
    SetLastError(5);
    DWORD seen = 1;
    std::thread([&] {
        seen = GetLastError();
        SetLastError(6);
    }).join();
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), 5u);
}

} // namespace
