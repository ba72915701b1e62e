/// The machine the stand-in plays, as kernel32's calls report it, and the program's own
/// file and the current directory.
#include "platform/posix/src/RegistryView.h"
#include "tests/platform/posix/TempDirectory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void Play(const char* machine, const char* windows64)
{
    machine ? setenv("KOVA_NATIVE_MACHINE", machine, 1) : unsetenv("KOVA_NATIVE_MACHINE");
    windows64 ? setenv("KOVA_WINDOWS64", windows64, 1) : unsetenv("KOVA_WINDOWS64");
    kova::posix::ReloadProcessKind();
}

/// Each Windows as a 32-bit (or 64-bit) program sees it: WoW64 only for a 32-bit program on
/// a 64-bit machine, and the machines whose programs run there.
TEST(Machine, AsAProgramOfEachWidthSeesIt)
{
    constexpr DWORD kNative = UserEnabled | KernelEnabled;
    constexpr DWORD kWow64 = UserEnabled | Wow64Container;
    const struct {
        const char* machine;
        const char* windows64;
        BOOL wow64;
        USHORT processMachine, nativeMachine;
        DWORD x86, x64, arm64;
    } cases[] = {
        {nullptr, nullptr, FALSE, 0, 0x14c, kNative, 0, 0},
        {nullptr, "32", TRUE, 0x14c, 0x8664, kWow64, kNative, 0},
        {nullptr, "64", FALSE, 0, 0x8664, kWow64, kNative, 0},
        {"x64", nullptr, TRUE, 0x14c, 0x8664, kWow64, kNative, 0},
        {"arm64", nullptr, TRUE, 0x14c, 0xaa64, kWow64, UserEnabled, kNative},
        {"arm64", "64", FALSE, 0, 0xaa64, kWow64, UserEnabled, kNative},
        {"x86", nullptr, FALSE, 0, 0x14c, kNative, 0, 0},
        {"sparc", nullptr, FALSE, 0, 0x14c, kNative, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machine ? c.machine : "-") + " " +
                     (c.windows64 ? c.windows64 : "-"));
        Play(c.machine, c.windows64);
        BOOL wow64 = 7;
        ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
        EXPECT_EQ(wow64, c.wow64);
        USHORT process = 7;
        USHORT native = 7;
        ASSERT_TRUE(IsWow64Process2(GetCurrentProcess(), &process, &native));
        EXPECT_EQ(process, c.processMachine);
        EXPECT_EQ(native, c.nativeMachine);
        const struct {
            USHORT machine;
            DWORD expected;
        } attributes[] = {{0x14c, c.x86}, {0x8664, c.x64}, {0xaa64, c.arm64}};
        for (const auto& a : attributes) {
            MACHINE_ATTRIBUTES got = static_cast<MACHINE_ATTRIBUTES>(99);
            EXPECT_EQ(GetMachineTypeAttributes(a.machine, &got), S_OK);
            EXPECT_EQ(static_cast<DWORD>(got), a.expected) << a.machine;
        }
    }
    // An ARM64 Windows without x64 emulation, and calls Windows refuses.
    Play("arm64", nullptr);
    setenv("KOVA_X64_EMULATION", "0", 1);
    MACHINE_ATTRIBUTES got = UserEnabled;
    EXPECT_EQ(GetMachineTypeAttributes(0x8664, &got), S_OK);
    EXPECT_EQ(got, 0);
    unsetenv("KOVA_X64_EMULATION");
    EXPECT_EQ(GetMachineTypeAttributes(0x8664, nullptr), E_INVALIDARG);
    BOOL wow64 = FALSE;
    USHORT process = 0;
    EXPECT_FALSE(IsWow64Process(reinterpret_cast<HANDLE>(0x40), &wow64));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(IsWow64Process(GetCurrentProcess(), nullptr));
    EXPECT_FALSE(IsWow64Process2(reinterpret_cast<HANDLE>(0x40), &process, nullptr));
    EXPECT_FALSE(IsWow64Process2(GetCurrentProcess(), nullptr, nullptr));
    EXPECT_TRUE(IsWow64Process2(GetCurrentProcess(), &process, nullptr));
    EXPECT_EQ(process, 0x14c);
    Play(nullptr, nullptr);
}

/// The program's own file, cut short as Windows cuts it; kernel32 has no file here.
TEST(Machine, ModuleFileNameIsTheProgramsFile)
{
    WCHAR name[4096];
    const DWORD length = GetModuleFileNameW(NULL, name, 4096);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::filesystem::path(std::u16string(name, length)),
              std::filesystem::read_symlink("/proc/self/exe"));
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleA(nullptr), name, 4096), length);
    WCHAR cut[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetModuleFileNameW(NULL, cut, 5), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(cut), std::u16string(name, 4));
    EXPECT_EQ(GetModuleFileNameW(GetModuleHandleA("kernel32.dll"), name, 4096), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

/// Backslashes and any case find the folder, as on Windows; a file or nothing is refused.
TEST(Machine, SetCurrentDirectoryFindsTheFolderWhateverItsCase)
{
    const kova::posix::test::TempDirectory temp;
    std::filesystem::create_directory(temp.Path() / "Disc Root");
    temp.Write("file.txt", "x");
    const std::filesystem::path saved = std::filesystem::current_path();
    const std::u16string base = temp.Path().u16string();
    EXPECT_TRUE(SetCurrentDirectoryW((base + u"\\DISC ROOT\\").c_str()));
    EXPECT_EQ(std::filesystem::current_path(), temp.Path() / "Disc Root");
    EXPECT_TRUE(SetCurrentDirectoryW(u".."));
    EXPECT_EQ(std::filesystem::current_path(), temp.Path());
    EXPECT_FALSE(SetCurrentDirectoryW(u"file.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(SetCurrentDirectoryW(u"missing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryW(u""));
    EXPECT_FALSE(SetCurrentDirectoryW(nullptr));
    EXPECT_EQ(std::filesystem::current_path(), temp.Path());
    std::filesystem::current_path(saved);
}

} // namespace
