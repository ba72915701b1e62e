/// The record of the platform calls a process makes, kept on request.
#include "CallRecord.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace kova::posix {

namespace {

/// The record's file, opened on the first recorded call and never closed: calls are made
/// before main and after it, while globals are built and destroyed. -1 when none is kept.
int RecordFile()
{
    static const int file = [] {
        const char* const path = std::getenv("KOVA_RELAY");
        return path && *path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }();
    return file;
}

} // namespace

bool CallRecord::IsKept()
{
    return RecordFile() >= 0;
}

void CallRecord::Write(std::string_view call, std::initializer_list<std::string> arguments,
                       const std::string& result)
{
    std::string line = std::to_string(getpid()) + ':';
    line += call;
    line += '(';
    for (const std::string& argument : arguments) {
        if (&argument != arguments.begin())
            line += ", ";
        line += argument;
    }
    line += ") = " + result + '\n';
    // One write a line, to a file opened for appending: the lines of several threads, or
    // of started programs that keep their record in the same file, never mix.
    for (std::size_t written = 0; written < line.size();) {
        const ssize_t count = write(RecordFile(), line.data() + written, line.size() - written);
        if (count <= 0)
            return;
        written += static_cast<std::size_t>(count);
    }
}

std::string CallRecord::Show(const void* handle)
{
    if (!handle)
        return "NULL";
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    // The predefined keys are 32-bit values sign-extended to a pointer; they show as Win32
    // has them, HKEY_CURRENT_USER as 0x80000001.
    if (value >> 31 == UINTPTR_MAX >> 31)
        value &= 0xFFFFFFFF;
    return Hex(value);
}

std::string CallRecord::Show(const Text& text)
{
    if (!text.text)
        return "NULL";
    std::string shown = "\"";
    for (const char* c = text.text; *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte == '"' || byte == '\\') {
            shown += '\\';
            shown += *c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += *c;
        }
    }
    return shown + '"';
}

std::string CallRecord::Show(const WideText& text)
{
    if (!text.text)
        return "NULL";
    std::string shown = "L\"";
    for (const WCHAR* c = text.text; *c; ++c) {
        if (*c == '"' || *c == '\\') {
            shown += '\\';
            shown += static_cast<char>(*c);
        } else if (*c < 0x20 || *c >= 0x7F) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\%04x", static_cast<unsigned>(*c));
            shown += escape;
        } else {
            shown += static_cast<char>(*c);
        }
    }
    return shown + '"';
}

std::string CallRecord::Show(const Startup& startup)
{
    if (!startup.info)
        return "NULL";
    return "{dwFlags=" + Hex(startup.info->dwFlags) +
           ", wShowWindow=" + Hex(startup.info->wShowWindow) + "}";
}

std::string CallRecord::Show(const Buffer& buffer)
{
    return buffer.data ? "buffer" : "NULL";
}

std::string CallRecord::Hex(std::uint64_t value)
{
    char text[19];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace kova::posix
