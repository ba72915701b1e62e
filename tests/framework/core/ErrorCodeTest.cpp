#include "framework/core/ErrorCode.h"
#include "framework/core/XGKOVAThreadError.h"
#include "framework/core/XGKOVAUnexpected.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(std::string(error.what()), "Unexpected error Counted(1 + 1 == 3) at ErrorCodeTest.cpp(" +
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

TEST(KOVAInlineError, ReportsTheEntryCheck)
{
    try {
        kova::KOVAInlineError("a != NULL", "AppMain", 122);
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Unexpected error a != NULL at AppMain(122)");
    }
}

TEST(KOVAInlineError, CutsAMessageLongerThanItsBuffer)
{
    const std::string condition(400, 'c');
    try {
        kova::KOVAInlineError(condition.c_str(), "File", 1);
    } catch (const XGKOVAUnexpected& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.size(), 255u);
        EXPECT_EQ(message, ("Unexpected error " + condition).substr(0, 255));
    }
}

TEST(KOVASourceName, DropsTheDirectory)
{
    EXPECT_STREQ(kova::KOVASourceName("a/b/XGArray.cpp"), "XGArray.cpp");
    EXPECT_STREQ(kova::KOVASourceName("C:\\src\\AppMain.cpp"), "AppMain.cpp");
    EXPECT_STREQ(kova::KOVASourceName("AppMain"), "AppMain");
    EXPECT_STREQ(kova::KOVASourceName(""), "");
}

TEST(KOVADebugError, HasNoEffect)
{
    // Whatever it is given, with or without arguments, it neither reads nor writes them.
    kova::KOVADebugError("KOVAInlineError: %s", "text");
    kova::KOVADebugError("%s %d %n", static_cast<const char*>(nullptr));
    kova::KOVADebugError("Unknown exception caught before application core initialized");
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
