#include "framework/core/kformat.h"

#include <cstdint>

namespace kova {

namespace {

constexpr int kMaxArguments = 9;

bool IsDirectiveLetter(char c)
{
    return c == 'S' || c == 'P' || c == 'L' || c == 'X' || c == 'I';
}

bool IsStringDirective(char c)
{
    return c == 'S' || c == 'P';
}

/// Walks a format and reports what each piece of it is. The survey of the arguments and the
/// output both use this one walk, so they can never disagree about which directive uses
/// which argument.
///   literal(c)             a character to copy
///   directive(letter, n)   a directive with its argument number (which may exceed 9)
template <class Literal, class Directive>
void ScanFormat(const char* format, Literal literal, Directive directive)
{
    int current = 1;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '#') {
            literal(*p++);
            continue;
        }
        ++p;
        if (*p >= '1' && *p <= '9') {
            current = *p - '0';
            ++p;
        }
        if (*p == '\0') {
            // A '#' (with or without a selecting digit) at the very end stands for itself.
            literal('#');
            break;
        }
        if (IsDirectiveLetter(*p)) {
            directive(*p, current);
            ++current;
        } else {
            // No escape exists: '#' and the character after it are both written.
            literal('#');
            literal(*p);
        }
        ++p;
    }
}

/// Writes into a buffer of a given size, counting what does not fit.
class Output {
public:
    Output(char* out, std::size_t size) : fOut(out), fSize(size) {}

    void Put(char c)
    {
        if (fLength + 1 < fSize) {
            fOut[fLength] = c;
        }
        ++fLength;
    }

    std::size_t Finish()
    {
        if (fSize > 0) {
            fOut[fLength < fSize ? fLength : fSize - 1] = '\0';
        }
        return fLength;
    }

private:
    char* fOut;
    std::size_t fSize;
    std::size_t fLength = 0;
};

union Argument {
    const char* text;
    std::int32_t number;
};

void PutDecimal(Output& out, std::int32_t value)
{
    // Unsigned arithmetic gives the magnitude of the most negative value too.
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        out.Put('-');
        magnitude = 0u - magnitude;
    }
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        out.Put(digits[--count]);
    }
}

void PutHex(Output& out, std::int32_t value)
{
    static const char kHexDigits[] = "0123456789ABCDEF";
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (int shift = 28; shift >= 0; shift -= 4) {
        out.Put(kHexDigits[(bits >> shift) & 0xF]);
    }
}

void PutCode(Output& out, std::int32_t value)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char byte = static_cast<unsigned char>(bits >> shift);
        out.Put(byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.');
    }
}

} // namespace

std::size_t vkformatn(char* out, std::size_t size, const char* format, va_list args)
{
    // Survey: the highest argument used (at most nine) and which of them are strings.
    int count = 0;
    bool isString[kMaxArguments + 1] = {};
    ScanFormat(
        format, [](char) {},
        [&](char letter, int number) {
            if (number > kMaxArguments) {
                return;
            }
            if (number > count) {
                count = number;
            }
            if (IsStringDirective(letter)) {
                isString[number] = true;
            }
        });

    // Fetch: every slot up to the highest one, each by its kind.
    Argument arguments[kMaxArguments + 1] = {};
    for (int i = 1; i <= count; ++i) {
        if (isString[i]) {
            arguments[i].text = va_arg(args, const char*);
        } else {
            arguments[i].number = va_arg(args, std::int32_t);
        }
    }

    // Output. A directive beyond the ninth argument, and a null text, write nothing.
    Output output(out, size);
    ScanFormat(
        format, [&](char c) { output.Put(c); },
        [&](char letter, int number) {
            if (number > kMaxArguments) {
                return;
            }
            const Argument& argument = arguments[number];
            switch (letter) {
            case 'S':
                for (const char* s = argument.text; s != nullptr && *s != '\0'; ++s) {
                    output.Put(*s);
                }
                break;
            case 'P':
                if (argument.text != nullptr) {
                    const unsigned char* counted =
                        reinterpret_cast<const unsigned char*>(argument.text);
                    for (unsigned i = 1; i <= counted[0]; ++i) {
                        output.Put(static_cast<char>(counted[i]));
                    }
                }
                break;
            case 'L':
                PutDecimal(output, argument.number);
                break;
            case 'X':
                PutHex(output, argument.number);
                break;
            case 'I':
                PutCode(output, argument.number);
                break;
            }
        });
    return output.Finish();
}

std::size_t kformatn(char* out, std::size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::size_t length = vkformatn(out, size, format, args);
    va_end(args);
    return length;
}

void vkformat(char* out, const char* format, va_list args)
{
    vkformatn(out, SIZE_MAX, format, args);
}

void kformat(char* out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vkformat(out, format, args);
    va_end(args);
}

} // namespace kova
