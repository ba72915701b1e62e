#include "framework/core/ErrorCode.h"
#include "framework/core/XGKOVAThreadError.h"
#include "framework/core/XGKOVAUnexpected.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using kova::XGKOVAError;
using kova::XGKOVAThreadError;
using kova::XGKOVAUnexpected;

int gEvaluations = 0;

bool Counted(bool value)
{
    ++gEvaluations;
    return value;
}

TEST(KOVAAssert, PassingConditionDoesNothingAndIsEvaluatedOnce)
{
    gEvaluations = 0;
    EXPECT_NO_THROW(KOVAAssert(Counted(true)));
    EXPECT_EQ(gEvaluations, 1);
}

TEST(KOVAAssert, FailingConditionThrowsItsSourceTextFileAndLine)
{
    gEvaluations = 0;
    const int line = __LINE__ + 2;
    try {
        KOVAAssert(Counted(1 + 1 == 3));
        FAIL() << "no exception";
    } catch (const XGKOVAUnexpected& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Unexpected error Counted(1 + 1 == 3) at ErrorCodeTest.cpp(" +
                      std::to_string(line) + ")");
    }
    EXPECT_EQ(gEvaluations, 1);
}

TEST(KOVAAssert, IsCaughtAsEveryBase)
{
    const void* p = nullptr;
    EXPECT_THROW(KOVAAssert(p != NULL), XGKOVAUnexpected);
    EXPECT_THROW(KOVAAssert(p != NULL), XGKOVAError);
    EXPECT_THROW(KOVAAssert(p != NULL), std::exception);
}

/// The message of the XGKOVAUnexpected that `report` throws; a test failure when it throws
/// nothing or something else.
template <class Report>
std::string ThrownMessage(Report report)
{
    try {
        report();
    } catch (const XGKOVAUnexpected& error) {
        return error.what();
    } catch (...) {
        ADD_FAILURE() << "threw something other than XGKOVAUnexpected";
        return {};
    }
    ADD_FAILURE() << "threw nothing";
    return {};
}

TEST(KOVAInlineError, FormatsTheReportAndCutsItToItsBuffer)
{
    const std::string longCondition(400, 'c');
    const struct {
        std::string condition;
        const char* file;
        std::int32_t line;
        std::string message;
    } cases[] = {
        {"a != NULL", "AppMain", 122, "Unexpected error a != NULL at AppMain(122)"},
        {"", "", -2147483647 - 1, "Unexpected error  at (-2147483648)"},
        // 255 characters and the terminator fill the report's buffer.
        {longCondition, "File", 1, ("Unexpected error " + longCondition).substr(0, 255)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            ThrownMessage([&c] { kova::KOVAInlineError(c.condition.c_str(), c.file, c.line); }),
            c.message);
    }
}

TEST(KOVASourceName, DropsTheDirectory)
{
    EXPECT_STREQ(kova::KOVASourceName("a/b/XGArray.cpp"), "XGArray.cpp");
    EXPECT_STREQ(kova::KOVASourceName("C:\\src\\AppMain.cpp"), "AppMain.cpp");
    EXPECT_STREQ(kova::KOVASourceName("AppMain"), "AppMain");
    EXPECT_STREQ(kova::KOVASourceName(""), "");
}

TEST(KOVADebugError, ShowsNothingAndTouchesNoArgument)
{
    // A hook that formatted its arguments would print, store the count at "%n", or
    // follow the null "%s" and crash.
    int count = -1;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    kova::KOVADebugError("KOVAInlineError: %s%n", "text", &count);
    kova::KOVADebugError("%s %d %n", static_cast<const char*>(nullptr));
    kova::KOVADebugError("Unknown exception caught before application core initialized");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(count, -1);
}

TEST(XGKOVAError, KeepsItsOwnCopyOfTheMessage)
{
    char message[] = "first";
    const XGKOVAThreadError error(message);
    std::strcpy(message, "other");
    EXPECT_STREQ(error.what(), "first");

    EXPECT_STREQ(XGKOVAError("").what(), "");

    const XGKOVAError copy = XGKOVAUnexpected("copied");
    EXPECT_STREQ(copy.what(), "copied");
}

} // namespace
