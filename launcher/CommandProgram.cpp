#include "launcher/CommandProgram.h"

#include <cstring>

namespace autorun {

namespace {

template <class Char>
bool IsBlank(Char c)
{
    return c == ' ' || c == '\t';
}

bool IsFolderSeparator(unsigned long c)
{
    for (const char* separator = kFolderSeparators; *separator != '\0'; ++separator) {
        if (c == static_cast<unsigned long>(*separator)) {
            return true;
        }
    }
    return false;
}

template <class Char>
std::size_t Length(const Char* text)
{
    std::size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

/// Copies `length` units of `text` into the result's name when they fit.
template <class Char>
bool TakeName(CommandProgram<Char>& result, const Char* text, std::size_t length)
{
    if (length > kMaxCommandLine) {
        result.program[0] = 0;
        return false;
    }
    std::memcpy(result.program, text, length * sizeof(Char));
    result.program[length] = 0;
    return true;
}

template <class Char>
const Char* SkipBlanks(const Char* text)
{
    while (IsBlank(*text)) {
        ++text;
    }
    return text;
}

} // namespace

template <class Char>
void SplitCommandProgram(const Char* line, ProgramExists<Char> exists, void* context,
                         CommandProgram<Char>& result)
{
    result.found = false;
    if (line[0] == '"') {
        std::size_t length = 0;
        while (line[1 + length] != 0 && line[1 + length] != '"') {
            ++length;
        }
        const bool closed = line[1 + length] == '"';
        result.found = TakeName(result, line + 1, length) && exists(result.program, context);
        result.parameters = SkipBlanks(line + 1 + length + (closed ? 1 : 0));
        return;
    }
    for (std::size_t end = 0;; ++end) {
        while (line[end] != 0 && !IsBlank(line[end])) {
            ++end;
        }
        if (TakeName(result, line, end) && exists(result.program, context)) {
            result.found = true;
            result.parameters = SkipBlanks(line + end);
            return;
        }
        if (line[end] == 0) {
            break;
        }
    }
    std::size_t first = 0;
    while (line[first] != 0 && !IsBlank(line[first])) {
        ++first;
    }
    TakeName(result, line, first);
    result.parameters = SkipBlanks(line + first);
}

bool IsProgramFile(const WCHAR* path)
{
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FindProgramFile(const WCHAR* name, const WCHAR* searchPath, WCHAR* path)
{
    static constexpr WCHAR kWideExtension[] = {'.', 'e', 'x', 'e', 0};
    static_assert(sizeof kWideExtension / sizeof(WCHAR) == sizeof kProgramExtension);
    if (!HasFolderPart(name)) {
        const DWORD length = SearchPathW(searchPath, name, kWideExtension, MAX_PATH, path, NULL);
        return length > 0 && length < MAX_PATH && IsProgramFile(path);
    }
    const std::size_t length = Length(name);
    const std::size_t extension = AddsProgramExtension(name) ? sizeof kProgramExtension - 1 : 0;
    if (length + extension >= MAX_PATH) {
        return false;
    }
    std::memcpy(path, name, length * sizeof(WCHAR));
    std::memcpy(path + length, kWideExtension, extension * sizeof(WCHAR));
    path[length + extension] = 0;
    return IsProgramFile(path);
}

template <class Char>
bool HasFolderPart(const Char* name)
{
    for (; *name != 0; ++name) {
        if (IsFolderSeparator(static_cast<unsigned long>(*name))) {
            return true;
        }
    }
    return false;
}

template <class Char>
bool AddsProgramExtension(const Char* name)
{
    const Char* file = name + Length(name);
    while (file > name && !IsFolderSeparator(static_cast<unsigned long>(file[-1]))) {
        --file;
    }
    for (; *file != 0; ++file) {
        if (*file == '.') {
            return false;
        }
    }
    return true;
}

// The launcher splits UTF-16 command lines, the checker UTF-8 ones.
template void SplitCommandProgram(const char*, ProgramExists<char>, void*, CommandProgram<char>&);
template void SplitCommandProgram(const WCHAR*, ProgramExists<WCHAR>, void*,
                                  CommandProgram<WCHAR>&);
template bool HasFolderPart(const char*);
template bool HasFolderPart(const WCHAR*);
template bool AddsProgramExtension(const char*);
template bool AddsProgramExtension(const WCHAR*);

} // namespace autorun
