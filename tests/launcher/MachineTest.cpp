/// The setup chosen for each machine, the machine as Windows (here the stand-in) reports it,
/// and the launcher's own folder.
#include "launcher/LaunchDecision.h"
#include "launcher/Machine.h"
#include "launcher/OwnFolder.h"

#ifndef _WIN32
#include "platform/posix/src/RegistryView.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using namespace autorun;

std::unique_ptr<LaunchSettings> Settings(const char* text)
{
    auto settings = std::make_unique<LaunchSettings>();
    ReadLaunchSettings(text, TextEncoding::Ansi, *settings);
    return settings;
}

TEST(SetupFor, EachMachineGetsTheSetupTheRuleNames)
{
    using enum Machine;
    constexpr SettingKey kAny = SettingKey::SetupName;
    constexpr SettingKey kX64 = SettingKey::SetupNameX64;
    constexpr SettingKey kArm64 = SettingKey::SetupNameArm64;
    const struct {
        const char* file;
        bool asks;
        SettingKey notAsked, x86, x64, arm64, arm64WithoutX64;
    } cases[] = {
        {"SetupName=s\nSetupNameX64=x\nSetupNameArm64=a\n", true, kAny, kAny, kX64, kArm64, kArm64},
        {"SetupName=s\nSetupNameX64=x\n", true, kAny, kAny, kX64, kX64, kAny},
        {"SetupName=s\nSetupNameArm64=a\n", true, kAny, kAny, kAny, kArm64, kArm64},
        {"SetupNameX64=x\n", true, kAny, kAny, kX64, kX64, kAny},
        {"SetupName=s\n", false, kAny, kAny, kAny, kAny, kAny},
        // A setting without a value counts as not set.
        {"SetupName=s\nSetupNameX64=\nSetupNameArm64=\n", false, kAny, kAny, kAny, kAny, kAny},
        // "SetupName=" is not found inside the others, nor they inside one another.
        {"SetupNameArm64=a\n", true, kAny, kAny, kAny, kArm64, kArm64},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto settings = Settings(c.file);
        EXPECT_EQ(SetupFor(*settings, NotAsked), c.notAsked);
        EXPECT_EQ(SetupFor(*settings, X86), c.x86);
        EXPECT_EQ(SetupFor(*settings, X64), c.x64);
        EXPECT_EQ(SetupFor(*settings, Arm64), c.arm64);
        EXPECT_EQ(SetupFor(*settings, Arm64WithoutX64), c.arm64WithoutX64);
        EXPECT_EQ(NamesMachineSetups(*settings), c.asks);
    }
    EXPECT_EQ(MachineOf(IMAGE_FILE_MACHINE_I386, true), X86);
    EXPECT_EQ(MachineOf(IMAGE_FILE_MACHINE_AMD64, false), X64);
    EXPECT_EQ(MachineOf(IMAGE_FILE_MACHINE_ARM64, true), Arm64);
    EXPECT_EQ(MachineOf(IMAGE_FILE_MACHINE_ARM64, false), Arm64WithoutX64);
    EXPECT_EQ(MachineOf(0x01C4, true), X86); // 32-bit ARM: whatever it is, no x64 or ARM64
}

#ifndef _WIN32

/// Sets the stand-in's machine for one test, and leaves none behind.
class StandInMachine : public testing::Test {
protected:
    void TearDown() override
    {
        for (const char* name : {"KOVA_NATIVE_MACHINE", "KOVA_X64_EMULATION",
                                 "KOVA_KERNEL32_WITHOUT", "KOVA_WINDOWS64"})
            unsetenv(name);
        kova::posix::ReloadProcessKind();
    }

    static void Play(const char* machine, const char* windows64, const char* emulation,
                     const char* without)
    {
        const auto set = [](const char* name, const char* value) {
            if (value != nullptr)
                setenv(name, value, 1);
            else
                unsetenv(name);
        };
        set("KOVA_NATIVE_MACHINE", machine);
        set("KOVA_WINDOWS64", windows64);
        set("KOVA_X64_EMULATION", emulation);
        set("KOVA_KERNEL32_WITHOUT", without);
        kova::posix::ReloadProcessKind();
    }
};

/// What a 32-bit launcher learns on each Windows, through whichever calls that Windows has.
TEST_F(StandInMachine, NativeMachineAsEachWindowsReportsIt)
{
    const char* const windows7 = "IsWow64Process2;GetMachineTypeAttributes";
    const struct {
        const char* machine;
        const char* windows64;
        const char* emulation;
        const char* without;
        Machine seen;
    } cases[] = {
        {nullptr, nullptr, nullptr, nullptr, Machine::X86},
        {nullptr, "32", nullptr, nullptr, Machine::X64},
        {"x86", nullptr, nullptr, nullptr, Machine::X86},
        {"x64", nullptr, nullptr, nullptr, Machine::X64},
        {"x64", "64", nullptr, nullptr, Machine::X64},
        {"arm64", nullptr, nullptr, nullptr, Machine::Arm64},
        {"arm64", nullptr, "0", nullptr, Machine::Arm64WithoutX64},
        // Windows 10 on ARM has no GetMachineTypeAttributes: x64 counts as not running.
        {"arm64", nullptr, nullptr, "GetMachineTypeAttributes", Machine::Arm64WithoutX64},
        // Windows 7 and 8.1: IsWow64Process alone, whose yes means x64.
        {"x64", nullptr, nullptr, windows7, Machine::X64},
        {"x86", nullptr, nullptr, windows7, Machine::X86},
        {"x64", nullptr, nullptr, "IsWow64Process2;IsWow64Process", Machine::X86},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.machine ? c.machine : "-") + " " +
                     (c.windows64 ? c.windows64 : "-") + " " + (c.without ? c.without : "-"));
        Play(c.machine, c.windows64, c.emulation, c.without);
        EXPECT_EQ(NativeMachine(), c.seen);
    }
}

/// The decision asks the machine only for a setup, and only when the file names one for a
/// machine; it records the setting that chose the setup, and hands that setting's line on.
TEST_F(StandInMachine, DecisionRecordsTheChosenSetup)
{
    Play("arm64", nullptr, nullptr, nullptr);
    const struct {
        const char* file;
        Machine machine;
        SettingKey setup;
        const char* commandLine;
    } cases[] = {
        {"AppKey=Software\\KovaTest\\Absent\nSetupName=s.exe\nSetupNameX64=x.exe /64\n",
         Machine::Arm64, SettingKey::SetupNameX64, "x.exe /64"},
        {"AppKey=Software\\KovaTest\\Absent\nSetupName=s.exe\n", Machine::NotAsked,
         SettingKey::SetupName, "s.exe"},
        {"AppKey=Software\\KovaTest\\Absent\nSetupNameArm64=\nSetupName=s.exe\n", Machine::NotAsked,
         SettingKey::SetupName, "s.exe"},
        {"AppKey=Software\\KovaTest\\Absent\nSetupNameArm64=a.exe\n", Machine::Arm64,
         SettingKey::SetupNameArm64, "a.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto settings = Settings(c.file);
        LaunchDecision decision;
        DecideLaunch(*settings, decision, [](const WCHAR*) {});
        EXPECT_EQ(decision.machine, c.machine);
        EXPECT_EQ(decision.setupKey, c.setup);
        const WCHAR* line = CommandLine(decision, *settings);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(std::u16string(line),
                  std::u16string(c.commandLine, c.commandLine + std::strlen(c.commandLine)));
    }
    // Only SetupNameX64= on a machine that cannot run it: nothing to start.
    Play("x86", nullptr, nullptr, nullptr);
    const auto settings = Settings("AppKey=Software\\KovaTest\\Absent\nSetupNameX64=x.exe\n");
    LaunchDecision decision;
    DecideLaunch(*settings, decision, [](const WCHAR*) { ADD_FAILURE() << "started"; });
    EXPECT_EQ(decision.action, LaunchAction::Nothing);
    EXPECT_EQ(decision.machine, Machine::X86);
    EXPECT_EQ(CommandLine(decision, *settings), nullptr);
}

#endif

/// The folder of the program's own file, with its separator, and never a name cut short.
TEST(OwnFolder, TheProgramsFolderOrNothing)
{
    WCHAR module[4096];
    const DWORD length = GetModuleFileNameW(NULL, module, 4096);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, 4096u);
    WCHAR folder[4096];
    ASSERT_TRUE(OwnFolder(folder, 4096));
    const std::u16string own(folder, folder + std::char_traits<WCHAR>::length(folder));
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(own.back() == '\\' || own.back() == '/');
    const std::u16string name(module, module + length);
    EXPECT_EQ(name.substr(0, own.size()), own);
    EXPECT_EQ(name.find_first_of(u"\\/", own.size()), std::u16string::npos);
    // A buffer the name fills is a name cut short; one unit more holds it whole.
    EXPECT_FALSE(OwnFolder(folder, length));
    EXPECT_FALSE(OwnFolder(folder, 4));
    EXPECT_TRUE(OwnFolder(folder, length + 1));

    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    ASSERT_TRUE(EnterOwnFolder());
    const std::filesystem::path entered = std::filesystem::current_path();
    std::filesystem::current_path(saved);
    EXPECT_TRUE(std::filesystem::equivalent(
        entered, std::filesystem::path(std::u16string(name.begin(), name.end())).parent_path()));
}

} // namespace
