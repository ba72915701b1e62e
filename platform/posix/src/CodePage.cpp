/// The ANSI code page of the "A" calls and Windows' case mapping.
#include "CodePage.h"

#include "UnicodeTables.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>

namespace kova::posix {

namespace {

constexpr unsigned DefaultCodePage = 1252;

/// 0 until the environment has been read.
std::atomic<unsigned> gCodePage{0};

const CodePageTable& Table()
{
    unsigned number = gCodePage.load(std::memory_order_relaxed);
    if (number == 0) {
        number = DefaultCodePage;
        if (const char* variable = std::getenv("KOVA_CODEPAGE")) {
            char* end = nullptr;
            const unsigned long asked = std::strtoul(variable, &end, 10);
            for (const CodePageTable& table : CodePageTables)
                if (*variable && !*end && table.number == asked)
                    number = table.number;
        }
        gCodePage.store(number, std::memory_order_relaxed);
    }
    for (const CodePageTable& table : CodePageTables)
        if (table.number == number)
            return table;
    return CodePageTables[0];
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// Reads UTF-8 into UTF-16 as MultiByteToWideChar(CP_UTF8) does, handing each stretch of
/// bytes that Windows replaces by one U+FFFD to `illFormed(out, stretch)`, which writes
/// what stands for it.
template <class IllFormed>
std::u16string ReadUtf8(std::string_view bytes, IllFormed illFormed)
{
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        std::size_t used = 1;
        bool good = length > 0;
        for (; good && used < length; ++used) {
            const auto next =
                i + used < bytes.size() ? static_cast<unsigned char>(bytes[i + used]) : 0;
            good = (next & 0xC0) == 0x80;
            if (good)
                code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        good = good && !(length == 3 && (code < 0x800 || (code >= 0xD800 && code < 0xE000))) &&
               !(length == 4 && (code < 0x10000 || code > 0x10FFFF));
        if (!good) {
            const std::size_t stretch = used > 1 ? used - 1 : 1;
            illFormed(out, bytes.substr(i, stretch));
            i += stretch;
            continue;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

} // namespace

unsigned AnsiCodePage()
{
    return Table().number;
}

void ReloadAnsiCodePage()
{
    gCodePage.store(0, std::memory_order_relaxed);
}

std::u16string AnsiToWide(std::string_view bytes)
{
    const CodePageTable& table = Table();
    std::u16string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x80 ? char16_t{byte} : table.high[byte - 0x80];
    }
    return out;
}

std::string WideToAnsi(std::u16string_view text)
{
    const CodePageTable& table = Table();
    const BestFit* const bestFitEnd = table.bestFit + table.bestFitCount;
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        if (unit < 0x80) {
            out += static_cast<char>(unit);
            continue;
        }
        const char16_t* const high = std::find(table.high, table.high + 128, unit);
        if (high != table.high + 128) {
            out += static_cast<char>(0x80 + (high - table.high));
            continue;
        }
        const BestFit* const fit =
            std::lower_bound(table.bestFit, bestFitEnd, unit,
                             [](const BestFit& entry, char16_t u) { return entry.unit < u; });
        out += fit != bestFitEnd && fit->unit == unit ? static_cast<char>(fit->byte) : '?';
    }
    return out;
}

std::string WideToUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::u16string Utf8ToWide(std::string_view bytes)
{
    return ReadUtf8(bytes, [](std::u16string& out, std::string_view) { out += u'\uFFFD'; });
}

std::u16string FileNameToWide(std::string_view name)
{
    return ReadUtf8(name, [](std::u16string& out, std::string_view stretch) {
        for (const char byte : stretch)
            out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(byte));
    });
}

char16_t UpcaseChar(char16_t c)
{
    // Most names are ASCII: no search for them.
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - ('a' - 'A')) : c;
    // The runs are sorted: find the last one starting at or before c.
    const auto run =
        std::upper_bound(std::begin(UpperCaseRuns), std::end(UpperCaseRuns), c,
                         [](char16_t u, const CaseRun& entry) { return u < entry.first; });
    if (run == std::begin(UpperCaseRuns))
        return c;
    const CaseRun& found = *(run - 1);
    if (c > found.last || (c - found.first) % found.step != 0)
        return c;
    return static_cast<char16_t>(c + found.delta);
}

int CompareIgnoringCase(std::u16string_view left, std::u16string_view right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t a = UpcaseChar(left[i]);
        const char16_t b = UpcaseChar(right[i]);
        if (a != b)
            return a < b ? -1 : 1;
    }
    return left.size() < right.size() ? -1 : left.size() > right.size() ? 1 : 0;
}

} // namespace kova::posix
