#include "launcher/TextEncoding.h"

#include <cstdint>
#include <cstring>

namespace autorun {

namespace {

constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr unsigned char kUtf16LeMark[] = {0xFF, 0xFE};

unsigned char Byte(const char* text, std::size_t at)
{
    return static_cast<unsigned char>(text[at]);
}

bool StartsWith(const char* bytes, std::size_t size, const unsigned char* mark, std::size_t length)
{
    if (size < length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (Byte(bytes, i) != mark[i]) {
            return false;
        }
    }
    return true;
}

char* AppendUtf8(char* out, unsigned long code)
{
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | code >> 6);
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | code >> 12);
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | code >> 18);
        *out++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

unsigned Unit(const char* bytes, std::size_t at)
{
    return Byte(bytes, at) | static_cast<unsigned>(Byte(bytes, at + 1)) << 8;
}

bool IsHighSurrogate(unsigned unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(unsigned unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

} // namespace

const TextEncodingEntry kTextEncodings[kTextEncodingCount] = {
    {TextEncoding::Ansi, "ansi", "ANSI text in the machine's code page"},
    {TextEncoding::Utf8, "utf-8", "UTF-8 without a byte-order mark"},
    {TextEncoding::Utf8Bom, "utf-8-bom", "UTF-8 with a byte-order mark"},
    {TextEncoding::Utf16Le, "utf-16le", "UTF-16LE with a byte-order mark"},
};

const TextEncodingEntry& EncodingOf(TextEncoding encoding)
{
    return kTextEncodings[static_cast<int>(encoding)];
}

std::size_t Utf8SequenceLength(const char* text, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const unsigned char lead = Byte(text, 0);
    if (lead < 0x80) {
        return 1;
    }
    // The second byte's range rules out overlong forms, surrogates and values past
    // U+10FFFF, as Unicode's table of well-formed sequences has it.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (size < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = Byte(text, i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

std::size_t CharacterLength(const char* text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Ansi) {
        return 1;
    }
    // The text is terminated: a zero byte ends any sequence early, so at most four bytes
    // are looked at and none past the terminator.
    std::size_t size = 0;
    while (size < 4 && text[size] != '\0') {
        ++size;
    }
    const std::size_t length = Utf8SequenceLength(text, size);
    return length > 0 ? length : 1;
}

std::size_t WholeCharacters(const char* bytes, std::size_t size, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ansi:
        return size;
    case TextEncoding::Utf16Le: {
        std::size_t whole = size - size % 2;
        if (whole >= 2 && IsHighSurrogate(Unit(bytes, whole - 2))) {
            whole -= 2;
        }
        return whole;
    }
    case TextEncoding::Utf8:
    case TextEncoding::Utf8Bom:
        break;
    }
    // A sequence cut short has its lead byte among the last three.
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const unsigned char byte = Byte(bytes, size - back);
        if ((byte & 0xC0) != 0x80) {
            const std::size_t expected = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return expected > back ? size - back : size;
        }
    }
    return size;
}

TextEncoding DetectEncoding(const char* bytes, std::size_t size, bool cut)
{
    if (StartsWith(bytes, size, kUtf16LeMark, sizeof kUtf16LeMark)) {
        return TextEncoding::Utf16Le;
    }
    if (StartsWith(bytes, size, kUtf8Mark, sizeof kUtf8Mark)) {
        return TextEncoding::Utf8Bom;
    }
    const void* zero = std::memchr(bytes, '\0', size);
    std::size_t end =
        zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - bytes) : size;
    if (cut && end == size) {
        end = WholeCharacters(bytes, end, TextEncoding::Utf8);
    }
    bool nonAscii = false;
    for (std::size_t at = 0; at < end;) {
        // Most text is ASCII: eight bytes at a time while none has its top bit set.
        std::uint64_t chunk;
        if (at + sizeof chunk <= end) {
            std::memcpy(&chunk, bytes + at, sizeof chunk);
            if ((chunk & 0x8080808080808080u) == 0) {
                at += sizeof chunk;
                continue;
            }
        }
        if (Byte(bytes, at) < 0x80) {
            ++at;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(bytes + at, end - at);
        if (length == 0) {
            return TextEncoding::Ansi;
        }
        nonAscii = true;
        at += length;
    }
    return nonAscii ? TextEncoding::Utf8 : TextEncoding::Ansi;
}

std::size_t Utf16LeToUtf8(const char* bytes, std::size_t size, char* out)
{
    char* const start = out;
    const std::size_t units = size / 2;
    for (std::size_t i = 0; i < units; ++i) {
        unsigned long code = Unit(bytes, 2 * i);
        if (code == 0) {
            break;
        }
        if (IsHighSurrogate(code) && i + 1 < units && IsLowSurrogate(Unit(bytes, 2 * i + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (Unit(bytes, 2 * i + 2) - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
            code = 0xFFFD;
        }
        out = AppendUtf8(out, code);
    }
    return static_cast<std::size_t>(out - start);
}

} // namespace autorun
