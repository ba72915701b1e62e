#include "launcher/ParseVersion.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace autorun;

/// The version's parts joined by dots, or "-" when it does not parse.
std::string Parsed(const char* text)
{
    Version version;
    version.count = 3;
    const bool parses = ParseVersion(text, version);
    EXPECT_EQ(parses, version.count > 0) << text;
    std::string out;
    for (int i = 0; i < version.count; ++i) {
        out += (i > 0 ? "." : "") + std::to_string(version.parts[i]);
    }
    return parses ? out : "-";
}

TEST(ParseVersion, Cases)
{
    const struct {
        const char* text;
        const char* parsed;
    } cases[] = {
        {"2", "2"},
        {"2.1", "2.1"},
        {"2.1.0.417", "2.1.0.417"},
        {"007.010", "7.10"},
        {"  \t2.1", "2.1"},
        {"v2.1", "2.1"},
        {"V2.1", "2.1"},
        {" v2.1", "2.1"},
        {"2.1.0 beta", "2.1.0"},
        {"2.1.0-rc1", "2.1.0"},
        {"2.1 (build 7)", "2.1"},
        {"4294967295.0", "4294967295.0"},
        {"00000000004294967295", "4294967295"},
        {"4294967296", "-"},
        {"1.99999999999999999999", "-"},
        {"2..1", "-"},
        {"2.", "-"},
        {".2", "-"},
        {"2.1.0.417.5", "-"},
        {"", "-"},
        {"   ", "-"},
        {"v", "-"},
        {"vv2", "-"},
        {"v 2", "-"},
        {"#10", "-"},
        {"beta 2.1", "-"},
        {"-2", "-"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parsed(c.text), c.parsed) << '"' << c.text << '"';
    }
}

TEST(ParseVersion, ComparesPartByPartAsNumbers)
{
    const struct {
        const char* left;
        const char* right;
        int order;
    } cases[] = {
        {"1.10", "1.9", 1},        {"1.9", "1.10", -1},
        {"2.1", "2.1.0", 0},       {"2.1.0.0", "2.1", 0},
        {"2.1.0.1", "2.1", 1},     {"2", "10", -1},
        {"v2.1", "2.1.0 beta", 0}, {"4294967295", "4294967294.9", 1},
        {"3.0", "2.99.99.99", 1},
    };
    for (const auto& c : cases) {
        Version left;
        Version right;
        ASSERT_TRUE(ParseVersion(c.left, left)) << c.left;
        ASSERT_TRUE(ParseVersion(c.right, right)) << c.right;
        const int order = CompareVersions(left, right);
        EXPECT_EQ((order > 0) - (order < 0), c.order) << c.left << " against " << c.right;
        const int reverse = CompareVersions(right, left);
        EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order) << c.right << " against " << c.left;
    }
}

} // namespace
