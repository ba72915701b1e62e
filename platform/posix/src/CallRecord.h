/// The record of the platform calls a process makes, kept on request in the spirit of
/// Wine's relay trace: with KOVA_RELAY naming a file, every recorded call appends one line
/// to it once it returns, "pid:Name(argument, ...) = result".
#ifndef KOVA_POSIX_CALLRECORD_H
#define KOVA_POSIX_CALLRECORD_H

#include <windows.h>

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kova::posix {

class CallRecord {
public:
    /// A text argument: shown quoted, with C escapes.
    struct Text {
        const char* text;
    };
    /// A UTF-16 text argument: shown as Wine's relay trace shows one, L"...", with the
    /// backslash and the quote escaped and each unit outside printable ASCII as \NNNN,
    /// four hexadecimal digits.
    struct WideText {
        const WCHAR* text;
    };
    /// Start-up information: shown as the flags and the show state, what a start uses.
    struct Startup {
        const STARTUPINFOW* info;
    };
    /// A buffer argument: shown only as there or not, since its address means nothing.
    struct Buffer {
        const void* data;
    };
    /// An out-argument: shown as the value the call left there, "->0x1".
    template <class T>
    struct Out {
        const T* value;
    };

    /// Records the call, unless no record is kept, and gives back its result. The
    /// arguments are shown only now, after the call, so that out-arguments show what the
    /// call wrote.
    template <class Result, class... Arguments>
    static Result Returned(std::string_view call, Result result, const Arguments&... arguments)
    {
        if (IsKept())
            Write(call, {Show(arguments)...}, Show(result));
        return result;
    }

    /// Whether calls are recorded: KOVA_RELAY named a file that could be opened for
    /// appending when the process made its first recorded call.
    static bool IsKept();

private:
    static void Write(std::string_view call, std::initializer_list<std::string> arguments,
                      const std::string& result);

    /// Numbers show in hexadecimal as 32-bit values, the width Win32 gives them.
    template <std::integral Number>
    static std::string Show(Number value)
    {
        return Hex(static_cast<std::uint32_t>(value));
    }
    static std::string Show(const void* handle);
    static std::string Show(const Text& text);
    static std::string Show(const WideText& text);
    static std::string Show(const Startup& startup);
    static std::string Show(const Buffer& buffer);
    template <class T>
    static std::string Show(const Out<T>& out)
    {
        return out.value ? "->" + Show(*out.value) : "NULL";
    }
    static std::string Hex(std::uint64_t value);
};

} // namespace kova::posix

#endif
