#include "launcher/GetValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace autorun;

// Runs GetValue with a value buffer that shows any write past its 257 bytes.
std::string Value(const std::string& text, const char* name)
{
    char value[kMaxValueLength + 1 + 8];
    std::memset(value, '@', sizeof value);
    GetValue(text.c_str(), value, name);
    for (std::size_t i = kMaxValueLength + 1; i < sizeof value; ++i) {
        EXPECT_EQ(value[i], '@') << "wrote past the value buffer";
    }
    return value;
}

struct Case {
    const char* what;
    std::string text;
    const char* name;
    std::string expected;
};

TEST(GetValue, Cases)
{
    const Case cases[] = {
        {"value to the end of its line", "[autorun]\nAppKey=Software\\Product\nX=1\n",
         "AppKey=", "Software\\Product"},
        {"missing key gives an empty value", "AppKey=x\n", "SetupName=", ""},
        {"empty text", "", "AppKey=", ""},
        {"key at the very end", "AppKey=", "AppKey=", ""},
        {"last line without a line end", "A=1\nSetupName=setup.exe /q",
         "SetupName=", "setup.exe /q"},
        {"carriage return ends the value", "SetupName=setup.exe\r\nX=1", "SetupName=", "setup.exe"},
        {"lone carriage return ends it too", "SetupName=a\rb", "SetupName=", "a"},
        {"blanks, tabs and quotes are kept", "SetupName= \"a b\"\t \n",
         "SetupName=", " \"a b\"\t "},
        {"case-sensitive", "appkey=lower\n", "AppKey=", ""},
        {"first occurrence wins, even inside a comment", "; AppKey=first\nAppKey=second\n",
         "AppKey=", "first"},
        {"found in the middle of a line", "xxAppKey=mid\n", "AppKey=", "mid"},
        {"AutoStartValue= is not inside AutoStartValueName=",
         "AutoStartValueName=Name\nAutoStartValue=Yes\n", "AutoStartValue=", "Yes"},
        {"AutoStart= is not inside the longer keys",
         "AutoStartValueName=Name\nAutoStartValue=Yes\n", "AutoStart=", ""},
        {"an equals sign in the value is kept", "AppKey=a=b\n", "AppKey=", "a=b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Value(c.text, c.name), c.expected) << c.what;
    }
}

TEST(GetValue, CutsAtTheLimit)
{
    const std::string exact(kMaxValueLength, 'v');
    EXPECT_EQ(Value("SetupName=" + exact + "\n", "SetupName="), exact);
    EXPECT_EQ(Value("SetupName=" + exact + "w\n", "SetupName="), exact);
    EXPECT_EQ(Value("SetupName=" + std::string(5000, 'v'), "SetupName="), exact);
    EXPECT_EQ(Value("SetupName=" + std::string(kMaxValueLength - 1, 'v') + "\n", "SetupName="),
              std::string(kMaxValueLength - 1, 'v'));
}

TEST(GetValue, ZeroByteEndsTheText)
{
    const char text[] = "SetupName=a\0b\nAppKey=after\n";
    char value[kMaxValueLength + 1];
    GetValue(text, value, "SetupName=");
    EXPECT_STREQ(value, "a");
    GetValue(text, value, "AppKey=");
    EXPECT_STREQ(value, "");
}

TEST(GetValue, ReplacesWhatTheBufferHeld)
{
    char value[kMaxValueLength + 1];
    std::strcpy(value, "old contents");
    GetValue("nothing here", value, "AppKey=");
    EXPECT_STREQ(value, "");
}

} // namespace
