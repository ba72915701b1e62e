#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

/// kernel32 gives the calls that some Windows versions lack by name, and none that a
/// program must not expect; KOVA_KERNEL32_WITHOUT plays a kernel32 that lacks some.
TEST(Loader, ProcAddressesOfKernel32)
{
    const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetThreadErrorMode")),
              reinterpret_cast<void (*)()>(&SetThreadErrorMode));
    setenv("KOVA_KERNEL32_WITHOUT", "AddDllDirectory;SetDefaultDllDirectories", 1);
    const struct {
        HMODULE module;
        const char* name;
        bool found;
        DWORD error;
    } cases[] = {
        {kernel32, "SetDefaultDllDirectories", false, ERROR_PROC_NOT_FOUND},
        {kernel32, "SetThreadErrorMode", true, 0},
        {kernel32, "setthreaderrormode", false, ERROR_PROC_NOT_FOUND},
        {kernel32, "SetThreadErrorModeX", false, ERROR_PROC_NOT_FOUND},
        {GetModuleHandleA(nullptr), "SetThreadErrorMode", false, ERROR_PROC_NOT_FOUND},
        {nullptr, "SetThreadErrorMode", false, ERROR_PROC_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_EQ(GetProcAddress(c.module, c.name) != nullptr, c.found);
        EXPECT_EQ(GetLastError(), c.error);
    }
    unsetenv("KOVA_KERNEL32_WITHOUT");
    EXPECT_NE(GetProcAddress(kernel32, "SetDefaultDllDirectories"), nullptr);
}

/// The flags and modes that Windows refuses are refused, and leave the setting alone.
TEST(Loader, RefusesWhatWindowsRefuses)
{
    const struct {
        DWORD flags;
        BOOL done;
    } directories[] = {
        {LOAD_LIBRARY_SEARCH_SYSTEM32, TRUE},        {0x1000, TRUE}, {0, FALSE}, {0x100, FALSE},
        {LOAD_LIBRARY_SEARCH_SYSTEM32 | 0x1, FALSE},
    };
    for (const auto& c : directories) {
        SetLastError(0);
        EXPECT_EQ(SetDefaultDllDirectories(c.flags), c.done) << c.flags;
        EXPECT_EQ(GetLastError(), c.done ? 0u : static_cast<DWORD>(ERROR_INVALID_PARAMETER))
            << c.flags;
    }

    DWORD old = 7;
    ASSERT_TRUE(SetThreadErrorMode(SEM_FAILCRITICALERRORS, &old));
    EXPECT_EQ(old, 0u);
    EXPECT_FALSE(SetThreadErrorMode(0x4, &old));
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_FAILCRITICALERRORS));
    ASSERT_TRUE(SetThreadErrorMode(0, &old));
    EXPECT_EQ(old, static_cast<DWORD>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(GetErrorMode(), 0u);
}

} // namespace
