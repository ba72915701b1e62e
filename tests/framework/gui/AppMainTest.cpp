#include "framework/core/XGKOVAUnexpected.h"
#include "framework/gui/AppMain.h"
#include "framework/gui/XGAppCore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

// What this program's StartApplication does, set by each test.
enum class Start {
    Null,
    ThrowStandard,
    ThrowFramework,
    ThrowOther,
    Core,
    CoreRunThrows,
    CoreDestructorThrows
};
Start gStart = Start::Null;
int gStartCalls = 0;
int gRunCalls = 0;
int gDestroyed = 0;
kova::XGAppCore* gLastCore = nullptr;

class TestCore : public kova::XGAppCore {
public:
    ~TestCore() noexcept(false) override
    {
        ++gDestroyed;
        if (gStart == Start::CoreDestructorThrows) {
            throw std::runtime_error("destructor");
        }
    }

    std::int32_t Run() override
    {
        ++gRunCalls;
        if (gStart == Start::CoreRunThrows) {
            throw kova::XGKOVAUnexpected("run");
        }
        return 0;
    }
};

int RunEntry(Start start, char* commandTail = nullptr, int show = SW_SHOWDEFAULT)
{
    gStart = start;
    gStartCalls = gRunCalls = gDestroyed = 0;
    char empty[] = "";
    return WinMain(GetModuleHandleA(NULL), NULL, commandTail != nullptr ? commandTail : empty,
                   show);
}

/// A module handle as the class names carry it: eight digits at least, more when it lies
/// above 4 GB.
std::string HandleDigits(UINT_PTR value)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint64_t rest = value; rest != 0 || text.size() < 8; rest >>= 4) {
        text.insert(text.begin(), digits[rest & 0xF]);
    }
    return text;
}

} // namespace

kova::XGAppCore* StartApplication()
{
    ++gStartCalls;
    switch (gStart) {
    case Start::Null:
        return nullptr;
    case Start::ThrowStandard:
        throw std::runtime_error("standard");
    case Start::ThrowFramework:
        throw kova::XGKOVAUnexpected("framework");
    case Start::ThrowOther:
        throw 42;
    default:
        gLastCore = new TestCore;
        return gLastCore;
    }
}

namespace {

TEST(AppMain, ClassNamesForTheDefaultImageBase)
{
    kova::FormatWindowClassNames(0x00400000);
    EXPECT_STREQ(kova::_GWindowClass, "_XGWindow_00400000");
    EXPECT_STREQ(kova::_GPopClass, "_XGPop_00400000");
    EXPECT_STREQ(kova::_GMainClass, "_XGMain_00400000");
    EXPECT_STREQ(kova::_GToolClass, "_XGTool_00400000");
    EXPECT_STREQ(kova::_GFrameClass, "_XGFrame_00400000");
    EXPECT_STREQ(kova::_GControlClass, "_XGControl_00400000");
    EXPECT_STREQ(kova::_GDlogClass, "_XGDialog_00400000");
    EXPECT_STREQ(kova::_GCopyrightClass, "_XGC_00400000");

    kova::FormatWindowClassNames(0xABCDEF01);
    EXPECT_STREQ(kova::_GControlClass, "_XGControl_ABCDEF01");
    kova::FormatWindowClassNames(0);
    EXPECT_STREQ(kova::_GCopyrightClass, "_XGC_00000000");
}

TEST(AppMain, ClassNamesOfAModuleAbove4GBKeepItsUpperDigits)
{
    if (sizeof(UINT_PTR) < 8) {
        GTEST_SKIP() << "a 32-bit program has no module above 4 GB";
    }
    // The usual base of a 64-bit program: cut to 32 bits it would read 40000000.
    kova::FormatWindowClassNames(static_cast<UINT_PTR>(0x140000000ULL));
    EXPECT_STREQ(kova::_GWindowClass, "_XGWindow_140000000");
    EXPECT_STREQ(kova::_GDlogClass, "_XGDialog_140000000");
    // The lower half keeps its eight digits.
    kova::FormatWindowClassNames(static_cast<UINT_PTR>(0x200000001ULL));
    EXPECT_STREQ(kova::_GPopClass, "_XGPop_200000001");
    // The longest name there can be still fits its buffer.
    kova::FormatWindowClassNames(static_cast<UINT_PTR>(0xFEDCBA9876543210ULL));
    EXPECT_STREQ(kova::_GControlClass, "_XGControl_FEDCBA9876543210");
    EXPECT_STREQ(kova::_GCopyrightClass, "_XGC_FEDCBA9876543210");
}

TEST(AppMain, WinMainStoresTheStartupParameters)
{
    kova::_GMainWindow = kova::_GMDIWindow = kova::_GToolWindow = reinterpret_cast<HWND>(1);
    kova::_GToolView = reinterpret_cast<kova::XGView*>(1);
    char tail[] = "/x";
    EXPECT_EQ(RunEntry(Start::Null, tail, SW_SHOWNORMAL), 0);
    EXPECT_EQ(kova::_GInstance, GetModuleHandleA(NULL));
    EXPECT_EQ(kova::_GPrevInstance, nullptr);
    EXPECT_EQ(kova::_GArgString, tail);
    EXPECT_EQ(kova::_GArgShow, SW_SHOWNORMAL);
    EXPECT_EQ(kova::_GMainWindow, nullptr);
    EXPECT_EQ(kova::_GMDIWindow, nullptr);
    EXPECT_EQ(kova::_GToolWindow, nullptr);
    EXPECT_EQ(kova::_GToolView, nullptr);
    const UINT_PTR module = reinterpret_cast<UINT_PTR>(GetModuleHandleA(NULL));
    EXPECT_EQ(std::string(kova::_GWindowClass), "_XGWindow_" + HandleDigits(module));
    EXPECT_EQ(std::string(kova::_GCopyrightClass), "_XGC_" + HandleDigits(module));
}

#ifdef _WIN32
TEST(AppMain, ClassNamesOfThisProgramOnWindows)
{
    // A program is loaded at its preferred base unless linked otherwise: 0x00400000 for a
    // 32-bit one, 0x140000000 for a 64-bit one.
    RunEntry(Start::Null);
    if (sizeof(void*) == 4) {
        EXPECT_STREQ(kova::_GWindowClass, "_XGWindow_00400000");
        EXPECT_STREQ(kova::_GCopyrightClass, "_XGC_00400000");
    } else {
        EXPECT_STREQ(kova::_GWindowClass, "_XGWindow_140000000");
        EXPECT_STREQ(kova::_GCopyrightClass, "_XGC_140000000");
    }
}
#endif

TEST(AppMain, EveryRoadEndsWithZero)
{
    const struct {
        Start start;
        int runs;
        int destroyed;
    } cases[] = {
        {Start::Null, 0, 0},           {Start::ThrowStandard, 0, 0},
        {Start::ThrowFramework, 0, 0}, {Start::ThrowOther, 0, 0},
        {Start::Core, 1, 1},           {Start::CoreDestructorThrows, 1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunEntry(c.start), 0) << static_cast<int>(c.start);
        EXPECT_EQ(gStartCalls, 1);
        EXPECT_EQ(gRunCalls, c.runs) << static_cast<int>(c.start);
        EXPECT_EQ(gDestroyed, c.destroyed) << static_cast<int>(c.start);
    }
}

TEST(AppMain, ACoreWhoseRunThrowsIsLeftAlone)
{
    // The exception leaves the region before the core's deletion; the core is not
    // destroyed half-way through unwinding.
    EXPECT_EQ(RunEntry(Start::CoreRunThrows), 0);
    EXPECT_EQ(gRunCalls, 1);
    EXPECT_EQ(gDestroyed, 0);
    delete gLastCore;
}

} // namespace
