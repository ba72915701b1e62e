#include "framework/gui/HardenProcess.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr DWORD kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

/// The calling thread keeps Windows' error boxes away; the process's mode, which the
/// programs it starts inherit, stays what it was.
TEST(HardenProcess, QuietsTheThreadAndLeavesTheProcessErrorMode)
{
    const UINT processMode = GetErrorMode();
    SetThreadErrorMode(0, nullptr);
    kova::HardenProcess();
    EXPECT_EQ(GetThreadErrorMode(), kQuiet);
    EXPECT_EQ(GetErrorMode(), processMode);
    SetThreadErrorMode(0, nullptr);
}

#ifndef _WIN32
/// On a Windows that lacks a call, the entry takes the other road; the process's error
/// mode is never the one changed.
TEST(HardenProcess, TakesTheOtherRoadWhereKernel32LacksACall)
{
    const struct {
        const char* withheld;
        DWORD threadMode;
    } cases[] = {
        {"SetDefaultDllDirectories", kQuiet},
        {"SetThreadErrorMode", 0},
        {"SetDefaultDllDirectories;SetThreadErrorMode", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.withheld);
        setenv("KOVA_KERNEL32_WITHOUT", c.withheld, 1);
        SetThreadErrorMode(0, nullptr);
        kova::HardenProcess();
        EXPECT_EQ(GetThreadErrorMode(), c.threadMode);
        EXPECT_EQ(GetErrorMode(), 0u);
    }
    unsetenv("KOVA_KERNEL32_WITHOUT");
    SetThreadErrorMode(0, nullptr);
}
#endif

} // namespace
