/// The release archive's sample "autorun.inf", read the way the launcher reads it: its
/// comments explain every setting, and none of them may be taken for one.
#include "launcher/GetValue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace autorun;

// The launcher's read: the first 32000 bytes, terminated.
std::string ReadSample()
{
    std::FILE* file = std::fopen(KOVA_SAMPLE_INF, "rb");
    EXPECT_NE(file, nullptr) << "cannot open " << KOVA_SAMPLE_INF;
    if (file == nullptr) {
        return {};
    }
    std::string text(32000, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

TEST(SampleInf, EverySettingIsFoundOnItsOwnLine)
{
    const std::string text = ReadSample();
    ASSERT_FALSE(text.empty());
    // AutoStart= is left out: it would start the installed program without asking the
    // registry, which a sample should not do; AppRegistryView= too: only a disc whose
    // product's installer is a 64-bit program needs it; and the version keys and the setups
    // for one machine, whose values only the disc's author can know.
    const struct {
        const char* key;
        bool present;
    } settings[] = {{"AppRegistry=", true},    {"AppKey=", true},
                    {"AutoStart=", false},     {"AutoStartValueName=", true},
                    {"AutoStartValue=", true}, {"AppPathValueName=", true},
                    {"SetupName=", true},      {"AppRegistryView=", false},
                    {"AppVersion=", false},    {"AppVersionValueName=", false},
                    {"SetupNameX64=", false},  {"SetupNameArm64=", false}};
    for (const auto& setting : settings) {
        const char* found = std::strstr(text.c_str(), setting.key);
        if (!setting.present) {
            EXPECT_EQ(found, nullptr) << setting.key << " occurs in the sample";
            continue;
        }
        ASSERT_NE(found, nullptr) << setting.key << " is missing";
        EXPECT_TRUE(found == text.c_str() || found[-1] == '\n')
            << setting.key << " first occurs inside a line: " << std::string(found).substr(0, 40);
        char value[kMaxValueLength + 1];
        GetValue(text.c_str(), value, setting.key);
        const std::size_t length = std::strlen(value);
        EXPECT_GT(length, 0u) << setting.key << " has no value";
        EXPECT_TRUE(length == 0 || (value[length - 1] != ' ' && value[length - 1] != '\t'))
            << setting.key << " ends in a blank, which would be part of its value";
    }
}

TEST(SampleInf, CommentsHoldNoEqualsSign)
{
    // Whatever a comment says, it can then never be found as a setting, now or after an
    // author's edit that adds a setting name to it.
    const std::string text = ReadSample();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] == ';') {
            EXPECT_EQ(line.find('='), std::string::npos) << line;
        }
        start = end + 1;
    }
}

} // namespace
