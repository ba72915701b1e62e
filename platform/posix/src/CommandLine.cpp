/// Splits and builds command lines by the Microsoft C runtime's rules.
#include "CommandLine.h"

namespace kova::posix {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// The end of the program name: the first blank or tab outside double quotes. The
/// runtime reads argv[0] this way, and so does the start-up code that finds WinMain's
/// command tail.
std::size_t ProgramNameEnd(std::string_view line)
{
    bool quoted = false;
    std::size_t i = 0;
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i)
        if (line[i] == '"')
            quoted = !quoted;
    return i;
}

void AppendProgramName(std::string& line, std::string_view name)
{
    std::string bare;
    for (char c : name)
        if (c != '"')
            bare += c;
    const bool quote = bare.empty() || bare.find_first_of(" \t") != std::string::npos;
    if (quote)
        line += '"';
    line += bare;
    if (quote)
        line += '"';
}

void AppendArgument(std::string& line, std::string_view argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) {
        line += argument;
        return;
    }
    // Backslashes matter only before a quote: those get doubled, and the quote escaped.
    line += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            line.append(2 * backslashes + 1, '\\');
        else
            line.append(backslashes, '\\');
        line += c;
        backslashes = 0;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view line)
{
    std::vector<std::string> arguments;
    std::size_t i = ProgramNameEnd(line);
    std::string name;
    for (char c : line.substr(0, i))
        if (c != '"')
            name += c;
    arguments.push_back(std::move(name));

    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            return arguments;
        std::string argument;
        bool quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            argument.append(i < line.size() && line[i] == '"' ? backslashes / 2 : backslashes,
                            '\\');
            if (i < line.size() && line[i] == '"') {
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++i;
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            if (i == line.size() || (!quoted && IsBlank(line[i])))
                break;
            argument += line[i++];
        }
        arguments.push_back(std::move(argument));
    }
}

std::string JoinCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i] ? argv[i] : "";
        if (i == 0) {
            AppendProgramName(line, argument);
        } else {
            line += ' ';
            AppendArgument(line, argument);
        }
    }
    return line;
}

const char* CommandTail(const char* commandLine)
{
    if (!commandLine)
        return "";
    const std::string_view line = commandLine;
    std::size_t i = ProgramNameEnd(line);
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return commandLine + i;
}

} // namespace kova::posix
