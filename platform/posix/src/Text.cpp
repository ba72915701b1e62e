/// kernel32's conversions between the ANSI code page, UTF-8 and UTF-16.
#include "CodePage.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {

using namespace kova::posix;

bool IsAnsi(UINT codePage)
{
    return codePage == CP_ACP || codePage == AnsiCodePage();
}

/// The source text: `length` units, or up to and with the terminator when it is -1.
template <class Char>
std::basic_string_view<Char> Source(const Char* text, int length)
{
    if (length >= 0)
        return {text, static_cast<std::size_t>(length)};
    std::size_t count = 0;
    while (text[count] != 0)
        ++count;
    return {text, count + 1};
}

/// Hands the converted text out as the two calls do: its size when `capacity` is 0, else
/// copied when it fits, else ERROR_INSUFFICIENT_BUFFER.
template <class Char>
int HandOut(const std::basic_string<Char>& text, Char* out, int capacity)
{
    const auto size = static_cast<int>(text.size());
    if (capacity == 0)
        return size;
    if (size > capacity) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(text.begin(), text.end(), out);
    return size;
}

} // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR out,
                               int capacity)
{
    if (!text || length == 0 || length < -1 || capacity < 0 || (capacity > 0 && !out) ||
        (codePage != CP_UTF8 && !IsAnsi(codePage))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const std::string_view source = Source(text, length);
        const std::u16string wide = codePage == CP_UTF8 ? Utf8ToWide(source) : AnsiToWide(source);
        return HandOut(std::basic_string<WCHAR>(wide.begin(), wide.end()), out, capacity);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR text, int length, LPSTR out,
                               int capacity, LPCSTR, LPBOOL usedDefault)
{
    if (!text || length == 0 || length < -1 || capacity < 0 || (capacity > 0 && !out) ||
        (codePage != CP_UTF8 && !IsAnsi(codePage)) || (codePage == CP_UTF8 && usedDefault)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    try {
        const std::basic_string_view<WCHAR> source = Source(text, length);
        const std::u16string wide(source.begin(), source.end());
        const std::string bytes = codePage == CP_UTF8 ? WideToUtf8(wide) : WideToAnsi(wide);
        if (usedDefault)
            *usedDefault = codePage != CP_UTF8 && AnsiToWide(bytes) != wide;
        return HandOut(bytes, out, capacity);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
}
