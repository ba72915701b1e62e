#include "launcher/ProgramStart.h"
#include "tests/tools/ExecutablePath.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

namespace {

using namespace autorun;

namespace fs = std::filesystem;

/// The first line the recording program wrote in `folder`, once it has written one: the
/// started program runs on its own, so it is waited for, for a minute at most.
std::string FirstStart(const fs::path& folder)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::string line;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream started(folder / "started.txt");
        if (std::getline(started, line) && started.good())
            return line;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return line;
}

/// The fallback's second half through the platform's shell: the program and its
/// parameters reach the started program as the command line held them.
TEST(StartThroughShell, OpensTheProgramWithItsParameters)
{
    const fs::path folder =
        fs::temp_directory_path() / ("kova-shell-" + std::to_string(std::random_device()()));
    fs::create_directories(folder / "My App");
    fs::copy_file(KOVA_RECORDER, folder / "My App" / "app.exe");
    const fs::path saved = fs::current_path();
    fs::current_path(folder);
    const std::u16string line = u"My App\\app.exe --go \"two words\"  x";
    StartThroughShell(std::basic_string<WCHAR>(line.begin(), line.end()).c_str());
    const std::string started = FirstStart(folder);
    fs::current_path(saved);
    fs::remove_all(folder);
    EXPECT_EQ(started, "app.exe [--go] [two words] [x]");
}

} // namespace
