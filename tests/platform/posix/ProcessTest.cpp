/// WinExec: where it finds programs, what it returns, and what the started program gets.
#include "platform/posix/src/CodePage.h"
#include "platform/posix/src/SplitFields.h"
#include "tests/platform/posix/TempDirectory.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace kova::posix {
namespace {

namespace fs = std::filesystem;

/// A program of the host, found on the PATH the tests started with.
fs::path HostProgram(const std::string& name)
{
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    for (const std::string_view folder : SplitFields(path, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

/// WinExec does not wait for what it starts, but the started programs are this process's
/// children: once every child has ended, their effects are all there.
bool Appeared(const fs::path& file)
{
    int status = 0;
    while (wait(&status) > 0) {
    }
    return fs::exists(file);
}

/// Runs each test in a directory of its own, with one more directory on PATH.
class WinExecTest : public testing::Test {
protected:
    void SetUp() override
    {
        fTouch = HostProgram("touch");
        fTrue = HostProgram("true");
        ASSERT_FALSE(fTouch.empty());
        ASSERT_FALSE(fTrue.empty());
        fs::create_directory(PathDirectory());
        fSavedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (PathDirectory().string() + ":" + fSavedPath).c_str(), 1);
        fSavedDirectory = fs::current_path();
        fs::current_path(fDirectory.Path());
    }

    void TearDown() override
    {
        fs::current_path(fSavedDirectory);
        setenv("PATH", fSavedPath.c_str(), 1);
    }

    fs::path PathDirectory() const { return fDirectory.Path() / "path"; }

    test::TempDirectory fDirectory;
    fs::path fTouch;
    fs::path fTrue;

private:
    std::string fSavedPath;
    fs::path fSavedDirectory;
};

TEST_F(WinExecTest, ReturnsWin32ErrorsForWhatCannotStart)
{
    fs::create_directory("sub");
    fDirectory.Write("data.txt", "not a program");
    fs::permissions(fDirectory.Write("garbage", "\x01\x02 not an executable format"),
                    fs::perms::owner_all);
    const std::pair<const char*, UINT> cases[] = {
        {nullptr, 0},
        {"", ERROR_FILE_NOT_FOUND},
        {"kova-no-such-program", ERROR_FILE_NOT_FOUND},
        {"kova-no-such-program /with /arguments", ERROR_FILE_NOT_FOUND},
        {"sub", ERROR_FILE_NOT_FOUND},
        {"sub\\absent.exe", ERROR_FILE_NOT_FOUND},
        {"missing\\dir\\prog.exe", ERROR_PATH_NOT_FOUND},
        {"\"missing dir\\prog\" /s", ERROR_PATH_NOT_FOUND},
        {"C:\\Program Files\\Vendor\\setup.exe /s", ERROR_PATH_NOT_FOUND},
        {"data.txt", ERROR_BAD_FORMAT},
        {"garbage", ERROR_BAD_FORMAT},
        {".\\garbage arg", ERROR_BAD_FORMAT},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(WinExec(line, SW_SHOWNORMAL), expected) << (line ? line : "(null)");
}

TEST_F(WinExecTest, StartsAProgramWithTheRuntimesArguments)
{
    const fs::path spaced = fDirectory.Path() / "with space";
    const fs::path plain = fDirectory.Path() / "plain";
    EXPECT_GT(
        WinExec(("touch \"" + spaced.string() + "\" " + plain.string()).c_str(), SW_SHOWNORMAL),
        31u);
    EXPECT_TRUE(Appeared(spaced));
    EXPECT_TRUE(Appeared(plain));
}

TEST_F(WinExecTest, PathsMayUseBackslashesAndHoldBlanks)
{
    fs::create_directories("my tools/bin");
    fs::create_symlink(fTouch, "my tools/bin/tool");
    EXPECT_GT(WinExec("\"my tools\\bin\\tool\" made1", SW_SHOWNORMAL), 31u);
    EXPECT_TRUE(Appeared("made1"));
    // Unquoted, "my" is tried before "my tools\bin\tool". The child still gets the
    // arguments the runtime makes of the line, the last of which names the file.
    EXPECT_GT(WinExec("my tools\\bin\\tool made2", SW_SHOWNORMAL), 31u);
    EXPECT_TRUE(Appeared("made2"));
}

TEST_F(WinExecTest, TheCommandLineIsTextInTheCodePage)
{
    // "Müller\outil Zoë" in Windows-1252; the folder and the file are UTF-8 on the host.
    fs::create_directory("M\xC3\xBCller");
    fs::create_symlink(fTouch, "M\xC3\xBCller/outil");
    EXPECT_GT(WinExec("M\xFCller\\outil Zo\xEB", SW_SHOWNORMAL), 31u);
    EXPECT_TRUE(Appeared("Zo\xC3\xAB"));
    EXPECT_EQ(WinExec("M\xC3\xBCller\\outil x", SW_SHOWNORMAL), UINT{ERROR_PATH_NOT_FOUND});
}

TEST_F(WinExecTest, BareNamesAreSearchedInOrder)
{
    // The probe that should win touches the file; every other candidate does nothing.
    const fs::path own = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string name = "kova-probe-" + std::to_string(getpid());
    struct Case {
        const char* what;
        fs::path touchAt;
        fs::path trueAt;
    };
    const Case cases[] = {
        {"own directory before the current one", own / name, fDirectory.Path() / name},
        {"current directory before PATH", fDirectory.Path() / name, PathDirectory() / name},
        {"\".exe\" anywhere before the bare name", PathDirectory() / (name + ".exe"),
         fDirectory.Path() / name},
        {"PATH when nowhere else", PathDirectory() / name, fs::path()},
    };
    int round = 0;
    for (const Case& c : cases) {
        fs::create_symlink(fTouch, c.touchAt);
        if (!c.trueAt.empty())
            fs::create_symlink(fTrue, c.trueAt);
        const std::string made = "made" + std::to_string(++round);
        const UINT result = WinExec((name + " " + made).c_str(), SW_SHOWNORMAL);
        EXPECT_GT(result, 31u) << c.what;
        EXPECT_TRUE(result > 31 && Appeared(made)) << c.what;
        fs::remove(c.touchAt);
        if (!c.trueAt.empty())
            fs::remove(c.trueAt);
    }
}

TEST_F(WinExecTest, ProgramsThatNeedElevationStartOnlyThroughTheShell)
{
    fs::create_symlink(fTouch, "Setup.exe");
    setenv("KOVA_NEEDS_ELEVATION", "other.exe;SETUP.EXE", 1);
    SetLastError(0);
    EXPECT_EQ(WinExec("setup.exe made1", SW_SHOWNORMAL), UINT{ERROR_BAD_FORMAT});
    EXPECT_EQ(GetLastError(), DWORD{ERROR_ELEVATION_REQUIRED});
    EXPECT_GT(reinterpret_cast<ULONG_PTR>(
                  ShellExecuteA(NULL, "open", "setup", "made2", NULL, SW_SHOWNORMAL)),
              32u);
    unsetenv("KOVA_NEEDS_ELEVATION");
    EXPECT_FALSE(Appeared("made1"));
    EXPECT_TRUE(Appeared("made2"));
    const std::pair<const char*, ULONG_PTR> refused[] = {
        {"missing.exe", ERROR_FILE_NOT_FOUND}, {"no\\such\\setup.exe", ERROR_PATH_NOT_FOUND}};
    for (const auto& [file, error] : refused)
        EXPECT_EQ(
            reinterpret_cast<ULONG_PTR>(ShellExecuteA(NULL, NULL, file, NULL, NULL, SW_SHOWNORMAL)),
            error)
            << file;
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(
                  ShellExecuteA(NULL, "print", "setup.exe", NULL, NULL, SW_SHOWNORMAL)),
              ULONG_PTR{SE_ERR_NOASSOC});
}

/// CreateProcessW finds and starts programs as WinExec does, from a UTF-16 line that no
/// code page touches, and fails with the error itself.
TEST_F(WinExecTest, CreateProcessWStartsAsWinExecDoes)
{
    fs::create_directories("Users/鬼");
    fs::create_symlink(fTouch, "Users/鬼/tool");
    fs::create_symlink(fTouch, "setup.exe");
    setenv("KOVA_NEEDS_ELEVATION", "setup.exe", 1);
    const struct {
        std::u16string line;
        DWORD error; ///< ERROR_SUCCESS when it starts
    } cases[] = {
        {u"\"Users\\鬼\\tool\" made1", ERROR_SUCCESS},   {u"Users\\鬼\\tool made2", ERROR_SUCCESS},
        {u"Users\\?\\tool made3", ERROR_PATH_NOT_FOUND}, {u"missing.exe", ERROR_FILE_NOT_FOUND},
        {u"setup.exe made4", ERROR_ELEVATION_REQUIRED},
    };
    for (const auto& c : cases) {
        std::u16string line = c.line;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION process = {};
        SetLastError(0);
        const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                            nullptr, nullptr, &startup, &process);
        EXPECT_EQ(started != FALSE, c.error == ERROR_SUCCESS) << WideToUtf8(c.line);
        if (started) {
            EXPECT_TRUE(CloseHandle(process.hThread));
            EXPECT_TRUE(CloseHandle(process.hProcess));
        } else {
            EXPECT_EQ(GetLastError(), c.error) << WideToUtf8(c.line);
        }
    }
    unsetenv("KOVA_NEEDS_ELEVATION");
    EXPECT_TRUE(Appeared("made1"));
    EXPECT_TRUE(Appeared("made2"));
    EXPECT_FALSE(Appeared("made3"));
    EXPECT_FALSE(Appeared("made4"));
    // The shell's "W" call starts what needs elevation, from a folder outside the code page.
    setenv("KOVA_NEEDS_ELEVATION", "tool", 1);
    EXPECT_GT(reinterpret_cast<ULONG_PTR>(
                  ShellExecuteW(NULL, u"open", u"Users\\鬼\\tool", u"made5", NULL, SW_SHOWNORMAL)),
              32u);
    unsetenv("KOVA_NEEDS_ELEVATION");
    EXPECT_TRUE(Appeared("made5"));
}

TEST_F(WinExecTest, SearchPathLooksWhereWinExecDoes)
{
    fs::create_directories("Sub Dir");
    fDirectory.Write("Sub Dir/Tool.EXE", "");
    fDirectory.Write("path/onpath.exe", "");
    char buffer[MAX_PATH];
    LPSTR file = nullptr;
    const struct {
        const char* path;
        const char* name;
        const char* found; ///< the end of the path found, or null when nothing is
    } cases[] = {
        {nullptr, "onpath", "/path/onpath.exe"},
        {nullptr, "ONPATH.exe", "/path/onpath.exe"},
        {nullptr, "sub dir\\tool", "Sub Dir/Tool.EXE"},
        {nullptr, "tool", nullptr},
        {"Sub Dir;elsewhere", "tool", "Sub Dir/Tool.EXE"},
        {"elsewhere", "onpath", nullptr},
    };
    for (const auto& c : cases) {
        const DWORD length = SearchPathA(c.path, c.name, ".exe", sizeof buffer, buffer, &file);
        if (!c.found) {
            EXPECT_EQ(length, 0u) << c.name;
            continue;
        }
        ASSERT_GT(length, 0u) << c.name;
        EXPECT_EQ(length, std::strlen(buffer)) << c.name;
        EXPECT_TRUE(std::string_view(buffer).ends_with(c.found)) << buffer;
        EXPECT_STREQ(file, buffer + std::string_view(buffer).rfind('/') + 1);
    }
    // Too small a buffer: the size it needs, with the terminator.
    const DWORD needed = SearchPathA(nullptr, "onpath", ".exe", sizeof buffer, buffer, nullptr);
    EXPECT_EQ(SearchPathA(nullptr, "onpath", ".exe", needed, buffer, nullptr), needed + 1);
}

} // namespace
} // namespace kova::posix
