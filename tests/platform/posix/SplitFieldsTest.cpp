/// Lists of names split into their fields.
#include "platform/posix/src/SplitFields.h"

#include <gtest/gtest.h>

#include <string>

namespace kova::posix {
namespace {

TEST(SplitFields, EveryFieldInOrderEmptyOnesIncluded)
{
    using Fields = std::vector<std::string_view>;
    const struct {
        std::string_view text;
        Fields fields;
    } cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"/usr/bin:/bin", {"/usr/bin", "/bin"}},
        {"a::b", {"a", "", "b"}},
        {":a:", {"", "a", ""}},
        {":", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitFields(c.text, ':'), c.fields) << c.text;
    EXPECT_EQ(SplitFields(u"Software\\\\Maker\\", u'\\'),
              (std::vector<std::u16string_view>{u"Software", u"", u"Maker", u""}));
}

} // namespace
} // namespace kova::posix
