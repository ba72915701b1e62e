/// Fuzzes the stand-in's command-line splitter and its inverse. The input is taken twice:
///   as a command line: splitting it, joining the pieces and splitting again gives the
///   same pieces, and the tail WinMain gets holds exactly the arguments after the name;
///   as an argument vector (pieces separated by zero bytes): joining and splitting it
///   gives it back, but for the double quotes a program name cannot hold.
#include "platform/posix/src/CommandLine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kova::posix;

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "commandline fuzzer: %s\n", what);
    std::abort();
}

std::string Join(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    return JoinCommandLine(static_cast<int>(argv.size()), argv.data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    // As a command line, which ends at the first zero byte.
    const std::string line = input.c_str();
    const std::vector<std::string> split = SplitCommandLine(line);
    if (split.empty() || split[0].find('"') != std::string::npos)
        Fail("no program name, or one with a quote");
    if (SplitCommandLine(Join(split)) != split)
        Fail("a split line does not survive joining");
    const char* tail = CommandTail(line.c_str());
    if (tail < line.c_str() || tail > line.c_str() + line.size())
        Fail("the tail is outside the line");
    std::vector<std::string> fromTail = SplitCommandLine("x " + std::string(tail));
    fromTail[0] = split[0];
    if (fromTail != split)
        Fail("the tail does not hold the arguments");

    // As an argument vector.
    std::vector<std::string> arguments;
    for (std::size_t start = 0;;) {
        const std::size_t end = input.find('\0', start);
        arguments.push_back(input.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::vector<std::string> expected = arguments;
    std::erase(expected[0], '"');
    if (SplitCommandLine(Join(arguments)) != expected)
        Fail("an argument vector does not survive joining");
    return 0;
}
