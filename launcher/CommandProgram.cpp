#include "launcher/CommandProgram.h"

#include <windows.h>

#include <cstring>

namespace autorun {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// Copies `length` characters of `text` into the result's name when they fit.
bool TakeName(CommandProgram& result, const char* text, std::size_t length)
{
    if (length > kMaxCommandLine) {
        result.program[0] = '\0';
        return false;
    }
    std::memcpy(result.program, text, length);
    result.program[length] = '\0';
    return true;
}

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text)) {
        ++text;
    }
    return text;
}

} // namespace

void SplitCommandProgram(const char* line, ProgramExists exists, void* context,
                         CommandProgram& result)
{
    result.found = false;
    if (line[0] == '"') {
        const char* close = std::strchr(line + 1, '"');
        const std::size_t length = close != nullptr ? static_cast<std::size_t>(close - line - 1)
                                                 : std::strlen(line + 1);
        result.found = TakeName(result, line + 1, length) && exists(result.program, context);
        result.parameters = SkipBlanks(close != nullptr ? close + 1 : line + 1 + length);
        return;
    }
    for (std::size_t end = 0;; ++end) {
        while (line[end] != '\0' && !IsBlank(line[end])) {
            ++end;
        }
        if (TakeName(result, line, end) && exists(result.program, context)) {
            result.found = true;
            result.parameters = SkipBlanks(line + end);
            return;
        }
        if (line[end] == '\0') {
            break;
        }
    }
    std::size_t first = 0;
    while (line[first] != '\0' && !IsBlank(line[first])) {
        ++first;
    }
    TakeName(result, line, first);
    result.parameters = SkipBlanks(line + first);
}

bool IsProgramFile(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool HasFolderPart(const char* name)
{
    return std::strpbrk(name, kFolderSeparators) != nullptr;
}

bool AddsProgramExtension(const char* name)
{
    const char* file = name + std::strlen(name);
    while (file > name && std::strchr(kFolderSeparators, file[-1]) == nullptr) {
        --file;
    }
    return std::strchr(file, '.') == nullptr;
}

} // namespace autorun
