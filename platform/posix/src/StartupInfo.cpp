/// What WinExec hands a program beside its arguments, and how the program takes it.
#include "StartupInfo.h"

#include "CodePage.h"
#include "CommandLine.h"

#include <charconv>
#include <cstdlib>

namespace kova::posix {

namespace {

// The command line may hold any byte but zero, which an environment variable can carry.
constexpr std::string_view CommandLineVariable = "KOVA_COMMAND_LINE";
constexpr std::string_view ShowVariable = "KOVA_SHOW_WINDOW";

bool IsHandOver(std::string_view entry)
{
    for (std::string_view variable : {CommandLineVariable, ShowVariable})
        if (entry.size() > variable.size() && entry.starts_with(variable) &&
            entry[variable.size()] == '=')
            return true;
    return false;
}

} // namespace

std::vector<std::string> StartupInfo::Environment(const char* const* environment) const
{
    std::vector<std::string> result;
    for (const char* const* entry = environment; entry && *entry; ++entry)
        if (!IsHandOver(*entry))
            result.emplace_back(*entry);
    result.push_back(std::string(CommandLineVariable) + '=' + commandLine);
    result.push_back(std::string(ShowVariable) + '=' + std::to_string(show));
    return result;
}

std::optional<StartupInfo> StartupInfo::Take(int argc, const char* const* argv)
{
    const std::string lineVariable(CommandLineVariable);
    const std::string showVariable(ShowVariable);
    const char* const line = std::getenv(lineVariable.c_str());
    const char* const show = std::getenv(showVariable.c_str());
    std::optional<StartupInfo> info;
    if (line && show) {
        int value = 0;
        const std::string_view text = show;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size()) {
            // The line is in the code page; the arguments came as the host's UTF-8.
            const std::vector<std::string> arguments =
                SplitCommandLine(WideToUtf8(AnsiToWide(line)));
            bool matches = arguments.size() == static_cast<std::size_t>(argc);
            for (int i = 0; matches && i < argc; ++i)
                matches = arguments[static_cast<std::size_t>(i)] == argv[i];
            if (matches)
                info = StartupInfo{line, value};
        }
    }
    unsetenv(lineVariable.c_str());
    unsetenv(showVariable.c_str());
    return info;
}

} // namespace kova::posix
