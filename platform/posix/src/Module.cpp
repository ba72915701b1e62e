/// The module handles, the process command line, the thread's last error and user32's
/// formatter.
#include "Module.h"

#include "CallRecord.h"
#include "CodePage.h"
#include "FileNames.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <unistd.h>

// The linker defines this at the start of the executable image: the ELF header, mapped
// where the image begins, which is what a Win32 module handle points at too.
extern "C" const char __ehdr_start[];

namespace kova::posix {

namespace {

thread_local DWORD gLastError = ERROR_SUCCESS;

/// NOTE: built on first use and never destroyed, so that code running before main or
/// after it (global constructors and destructors) still gets a valid, empty line.
std::string& ProcessCommandLine()
{
    static std::string* const line = new std::string;
    return *line;
}

/// user32 never writes more than 1024 characters, the terminating zero included.
constexpr std::size_t FormatCapacity = 1023;

/// Reads a width or precision; anything beyond the output's capacity could not show.
std::size_t ReadCount(const char*& format)
{
    std::size_t count = 0;
    for (; *format >= '0' && *format <= '9'; ++format)
        count = std::min(count * 10 + static_cast<std::size_t>(*format - '0'), FormatCapacity);
    return count;
}

std::string_view Digits(std::uint32_t value, unsigned base, bool upper, char (&out)[16])
{
    const char* const digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char* start = std::end(out);
    do {
        *--start = digits[value % base];
        value /= base;
    } while (value != 0);
    return {start, static_cast<std::size_t>(std::end(out) - start)};
}

} // namespace

HMODULE Kernel32Module()
{
    // Any address that no other handle has will do: a module handle is only compared.
    static const char module = 0;
    return reinterpret_cast<HMODULE>(const_cast<char*>(&module));
}

void SetProcessCommandLine(std::string commandLine)
{
    ProcessCommandLine() = std::move(commandLine);
}

} // namespace kova::posix

using namespace kova::posix;

DWORD WINAPI GetLastError(void)
{
    return gLastError;
}

void WINAPI SetLastError(DWORD error)
{
    gLastError = error;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    // The image and kernel32 are the only modules the stand-in knows by handle; Windows
    // adds ".dll" to a name without an extension.
    HMODULE module = nullptr;
    if (!moduleName)
        module = reinterpret_cast<HMODULE>(const_cast<char*>(__ehdr_start));
    else if (SameFileName(moduleName, "kernel32.dll") || SameFileName(moduleName, "kernel32"))
        module = Kernel32Module();
    else
        SetLastError(ERROR_MOD_NOT_FOUND);
    return CallRecord::Returned("GetModuleHandleA", module, CallRecord::Text{moduleName});
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    DWORD length = 0;
    char path[PATH_MAX];
    const bool image =
        !module || module == reinterpret_cast<HMODULE>(const_cast<char*>(__ehdr_start));
    // kernel32 has no file of its own here.
    const ssize_t read = image ? readlink("/proc/self/exe", path, sizeof path) : 0;
    if (!image) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    } else if (read <= 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
    } else {
        const std::u16string name =
            Utf8ToWide(std::string_view(path, static_cast<std::size_t>(read)));
        if (name.size() < size) {
            length = static_cast<DWORD>(name.size());
            std::memcpy(fileName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        } else {
            // Cut short and terminated, as Windows does it from Vista on.
            length = size;
            if (size > 0) {
                std::memcpy(fileName, name.data(), (size - 1) * sizeof(WCHAR));
                fileName[size - 1] = 0;
            }
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        }
    }
    return CallRecord::Returned("GetModuleFileNameW", length, module,
                                CallRecord::WideText{length > 0 && size > 0 ? fileName : nullptr},
                                size);
}

LPSTR WINAPI GetCommandLineA(void)
{
    return ProcessCommandLine().data();
}

int wvsprintfA(LPSTR buffer, LPCSTR format, va_list args)
{
    if (!buffer)
        return 0;
    std::size_t written = 0;
    const auto put = [&](char c, std::size_t count) {
        for (; count > 0 && written < FormatCapacity; --count)
            buffer[written++] = c;
    };

    for (const char* f = format ? format : ""; *f; ++f) {
        if (*f != '%') {
            put(*f, 1);
            continue;
        }
        ++f;
        bool left = false;
        bool zero = false;
        bool alternate = false;
        for (;; ++f) {
            if (*f == '-')
                left = true;
            else if (*f == '0')
                zero = true;
            else if (*f == '#')
                alternate = true;
            else
                break;
        }
        const std::size_t width = ReadCount(f);
        std::size_t precision = SIZE_MAX;
        if (*f == '.')
            precision = ReadCount(++f);
        // Every argument is 32 bits wide, as on Win32; user32 reads numbers whole
        // whatever the size prefix says.
        if (*f == 'l' || *f == 'h')
            ++f;
        if (!*f)
            break;

        // A field is the sign and the digits (or the text); the radix prefix "0x" stands
        // outside it and its width, as user32 lays it out.
        char number[16];
        std::string_view radix;
        std::string_view sign;
        std::string_view body;
        bool numeric = false;
        switch (*f) {
        case 'c':
            number[0] = static_cast<char>(va_arg(args, int));
            body = {number, 1};
            break;
        case 's': {
            const char* text = va_arg(args, const char*);
            if (!text)
                text = "(null)";
            // The precision bounds how far the string is read, not only what is shown.
            std::size_t size = 0;
            while (size < precision && text[size])
                ++size;
            body = {text, size};
            break;
        }
        case 'd':
        case 'i': {
            const std::int32_t value = va_arg(args, std::int32_t);
            // Negated in unsigned arithmetic, so the most negative value stays defined.
            const std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value)
                                                      : static_cast<std::uint32_t>(value);
            sign = value < 0 ? "-" : "";
            body = Digits(magnitude, 10, false, number);
            numeric = true;
            break;
        }
        case 'u':
        case 'x':
        case 'X':
            body = Digits(va_arg(args, std::uint32_t), *f == 'u' ? 10 : 16, *f == 'X', number);
            if (alternate && *f != 'u')
                radix = *f == 'x' ? "0x" : "0X";
            numeric = true;
            break;
        default:
            // "%%" gives '%'; an unknown directive gives its character likewise.
            body = {f, 1};
            break;
        }

        // A number's precision is the least length of sign and digits, which the '0'
        // flag stretches to the width; the gap is zeros between sign and digits.
        const std::size_t length = sign.size() + body.size();
        std::size_t field = length;
        if (numeric) {
            if (precision != SIZE_MAX)
                field = std::max(field, precision);
            if (zero && !left)
                field = std::max(field, width);
        }
        const std::size_t spaces = width > field ? width - field : 0;
        if (!left)
            put(' ', spaces);
        for (char c : radix)
            put(c, 1);
        for (char c : sign)
            put(c, 1);
        put('0', field - length);
        for (char c : body)
            put(c, 1);
        if (left)
            put(' ', spaces);
    }
    buffer[written] = '\0';
    return static_cast<int>(written);
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = wvsprintfA(buffer, format, args);
    va_end(args);
    return length;
}
