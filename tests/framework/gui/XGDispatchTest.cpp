#include "framework/gui/XGDispatch.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace kova {
namespace {

static_assert(KOVAMessageCode("stat") == 0x73746174);
static_assert(KOVAMessageCode("\xFF\xFF\xFF\xFE") == -2);

constexpr std::int32_t kPing = KOVAMessageCode("ping");
constexpr std::int32_t kPong = KOVAMessageCode("pong");
constexpr std::int32_t kNone = KOVAMessageCode("none");

/// Every handler call, as "object.handler", in the order the calls happened.
using Trace = std::vector<std::string>;

/// The first level of the test classes: a catch-all and one entry, and a chain of its own.
/// Each handler notes its call and gives the answer the test set for it (declined if none).
class TestBase : public XGDispatch {
    KOVA_DECLARE_DISPATCH();

public:
    TestBase(std::string name, Trace& trace) : fName(std::move(name)), fTrace(trace) {}

    XGDispatch* GetNextDispatch() override { return fNext; }

    std::int32_t BaseAll(std::int32_t, std::int32_t, void*) { return Answer("BaseAll"); }
    std::int32_t BasePing(std::int32_t, void*) { return Answer("BasePing"); }

    XGDispatch* fNext = nullptr;
    std::map<std::string, std::int32_t> fAnswers;

protected:
    std::int32_t Answer(const char* handler)
    {
        fTrace.push_back(fName + "." + handler);
        const auto answer = fAnswers.find(handler);
        return answer != fAnswers.end() ? answer->second : kDispatchDeclined;
    }

private:
    std::string fName;
    Trace& fTrace;
};

constinit const _DispatchTable TestBase::_Dispatch[] = {
    KOVADispatchEntry<&TestBase::BasePing>("ping"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(TestBase, XGDispatch, KOVACatchAll<&TestBase::BaseAll>())

/// Declares no table: its objects are searched with TestBase's record.
class TestMiddle : public TestBase {
public:
    using TestBase::TestBase;
};

/// The third level: links past TestMiddle to TestBase's record. Its table holds "ping"
/// twice; the second entry can only be reached if a declining first one did not end the
/// table's search.
class TestLeaf : public TestMiddle {
    KOVA_DECLARE_DISPATCH();

public:
    using TestMiddle::TestMiddle;

    std::int32_t LeafAll(std::int32_t, std::int32_t, void*) { return Answer("LeafAll"); }
    std::int32_t LeafPing(std::int32_t, void*) { return Answer("LeafPing"); }
    std::int32_t LeafPingAgain(std::int32_t, void*) { return Answer("LeafPingAgain"); }
    std::int32_t LeafPong(std::int32_t, void*) { return Answer("LeafPong"); }
};

constinit const _DispatchTable TestLeaf::_Dispatch[] = {
    KOVADispatchEntry<&TestLeaf::LeafPong>("pong"),
    KOVADispatchEntry<&TestLeaf::LeafPing>("ping"),
    KOVADispatchEntry<&TestLeaf::LeafPingAgain>("ping"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(TestLeaf, TestBase, KOVACatchAll<&TestLeaf::LeafAll>())

struct Answer {
    const char* object; // "leaf" or "middle"
    const char* handler;
    std::int32_t value;
};

struct DispatchCase {
    const char* name;
    std::int32_t code;
    bool chain;
    std::vector<Answer> answers;
    std::int32_t expectedResult;
    Trace expectedTrace;
};

void PrintTo(const DispatchCase& c, std::ostream* out)
{
    *out << c.name;
}

class DoDispatchTest : public testing::TestWithParam<DispatchCase> {};

TEST_P(DoDispatchTest, SearchesLevelsThenTheChain)
{
    const DispatchCase& c = GetParam();
    Trace trace;
    TestLeaf leaf("leaf", trace);
    TestMiddle middle("middle", trace);
    leaf.fNext = &middle;
    for (const Answer& answer : c.answers) {
        TestBase& object =
            std::string(answer.object) == "leaf" ? static_cast<TestBase&>(leaf) : middle;
        object.fAnswers[answer.handler] = answer.value;
    }

    EXPECT_EQ(leaf.DoDispatch(c.code, 0, nullptr, c.chain), c.expectedResult);
    EXPECT_EQ(trace, c.expectedTrace);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, DoDispatchTest,
    testing::Values(
        DispatchCase{"NobodyTakesItWithoutChain",
                     kNone,
                     false,
                     {},
                     kDispatchDeclined,
                     {"leaf.LeafAll", "leaf.BaseAll"}},
        // Each level's catch-all comes before its table, and a derived table before a base
        // catch-all; the declining first "ping" ends the leaf table's search.
        DispatchCase{"CatchAllBeforeTableAtEachLevel",
                     kPing,
                     false,
                     {},
                     kDispatchDeclined,
                     {"leaf.LeafAll", "leaf.LeafPing", "leaf.BaseAll", "leaf.BasePing"}},
        DispatchCase{"CatchAllAnswerEndsTheSearch",
                     kPing,
                     true,
                     {{"leaf", "LeafAll", 0}},
                     0,
                     {"leaf.LeafAll"}},
        DispatchCase{"EntryAnswerIsReturned",
                     kPong,
                     true,
                     {{"leaf", "LeafPong", 7}},
                     7,
                     {"leaf.LeafAll", "leaf.LeafPong"}},
        DispatchCase{"BaseLevelAnswersAfterTheDerivedTable",
                     kPing,
                     true,
                     {{"leaf", "BaseAll", 0}},
                     0,
                     {"leaf.LeafAll", "leaf.LeafPing", "leaf.BaseAll"}},
        // Code -1 closes every table, so no entry can take it; the catch-alls still see it.
        DispatchCase{"EndMarkerCodeMatchesNoEntry",
                     kDispatchEnd,
                     false,
                     {},
                     kDispatchDeclined,
                     {"leaf.LeafAll", "leaf.BaseAll"}},
        // The middle object has no table of its own and is searched with its base's.
        DispatchCase{"ChainRunsHandlersOnTheNextObject",
                     kPing,
                     true,
                     {{"middle", "BasePing", 0}},
                     0,
                     {"leaf.LeafAll", "leaf.LeafPing", "leaf.BaseAll", "leaf.BasePing",
                      "middle.BaseAll", "middle.BasePing"}},
        DispatchCase{"ChainToItsEndDeclines",
                     kPong,
                     true,
                     {},
                     kDispatchDeclined,
                     {"leaf.LeafAll", "leaf.LeafPong", "leaf.BaseAll", "middle.BaseAll"}},
        DispatchCase{"AnAnswerKeepsTheChainFromSeeingIt",
                     kPing,
                     true,
                     {{"leaf", "BasePing", 0}, {"middle", "BasePing", 5}},
                     0,
                     {"leaf.LeafAll", "leaf.LeafPing", "leaf.BaseAll", "leaf.BasePing"}}),
    [](const testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

/// Puts XGDispatch behind another polymorphic base with data of its own, so that the
/// dispatcher's address differs from the object's: handlers must still get the object.
class Padding {
public:
    virtual ~Padding() noexcept(false) = default;
    std::int32_t fPadding[7] = {};
};

class TestSecondBase : public Padding, public TestLeaf {
    KOVA_DECLARE_DISPATCH();

public:
    using TestLeaf::TestLeaf;

    std::int32_t Pong(std::int32_t param, void* data)
    {
        fSeen = this;
        fParam = param;
        fData = data;
        return 0;
    }

    TestSecondBase* fSeen = nullptr;
    std::int32_t fParam = 0;
    void* fData = nullptr;
};

constinit const _DispatchTable TestSecondBase::_Dispatch[] = {
    KOVADispatchEntry<&TestSecondBase::Pong>("pong"),
    KOVADispatchEnd(),
};
KOVA_DISPATCH_RECORD(TestSecondBase, TestLeaf, nullptr)

TEST(XGDispatchTest, HandlersOfAClassWithAnEarlierBaseGetTheWholeObject)
{
    Trace trace;
    TestSecondBase object("object", trace);
    XGDispatch* receiver = &object;
    ASSERT_NE(static_cast<void*>(receiver), static_cast<void*>(&object));
    int payload = 0;

    EXPECT_EQ(receiver->DoDispatch(kPong, 42, &payload, false), 0);
    EXPECT_EQ(object.fSeen, &object);
    EXPECT_EQ(object.fParam, 42);
    EXPECT_EQ(object.fData, &payload);
    // Inherited levels run on it as well: the leaf's handlers saw "ping" declined.
    EXPECT_EQ(receiver->DoDispatch(kPing, 0, nullptr, false), kDispatchDeclined);
    EXPECT_EQ(trace,
              (Trace{"object.LeafAll", "object.LeafPing", "object.BaseAll", "object.BasePing"}));
}

TEST(XGDispatchTest, SendDispatchWithoutFocusCallsNothing)
{
    Trace trace;
    auto leaf = std::make_unique<TestLeaf>("leaf", trace);
    leaf->fAnswers["LeafAll"] = 0;
    ASSERT_EQ(XGDispatch::GetFocus(), nullptr);
    EXPECT_EQ(XGDispatch::SendDispatch(kPing, 0, nullptr), kDispatchDeclined);
    EXPECT_TRUE(trace.empty());
}

TEST(XGDispatchTest, SendDispatchStartsAtTheFocusAndChains)
{
    Trace trace;
    TestMiddle middle("middle", trace);
    TestLeaf leaf("leaf", trace);
    leaf.fNext = &middle;
    middle.fAnswers["BasePing"] = 3;

    leaf.TakeFocus();
    EXPECT_TRUE(leaf.HasFocus());
    EXPECT_EQ(XGDispatch::SendDispatch(kPing, 0, nullptr), 3);
    EXPECT_EQ(trace.back(), "middle.BasePing");

    middle.TakeFocus();
    EXPECT_FALSE(leaf.HasFocus());
    leaf.ReleaseFocus();
    EXPECT_EQ(XGDispatch::GetFocus(), &middle);
    middle.ReleaseFocus();
    EXPECT_EQ(XGDispatch::GetFocus(), nullptr);
}

TEST(XGDispatchTest, ADestroyedDispatcherStopsBeingTheFocus)
{
    Trace trace;
    auto leaf = std::make_unique<TestLeaf>("leaf", trace);
    leaf->TakeFocus();
    leaf.reset();
    EXPECT_EQ(XGDispatch::GetFocus(), nullptr);
    EXPECT_EQ(XGDispatch::SendDispatch(kPing, 0, nullptr), kDispatchDeclined);
}

} // namespace
} // namespace kova
