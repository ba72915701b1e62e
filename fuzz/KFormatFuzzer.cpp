/// Fuzzes the formatter with any format and a fixed set of nine arguments whose kinds come
/// from the format's own survey: a text where a #S or #P directive uses the slot, a number
/// everywhere else. The output goes into a buffer exactly as large as a bound worked out
/// here from the format and the arguments, and must never pass it (nor fall short of what
/// the directives must write); the bounded variant must return the same length and cut
/// the same text at every size tried.
#include "framework/core/kformat.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {

constexpr int kSlots = 9;

/// The texts for string slots. Each is a valid #S text and a valid #P one at once (its
/// first byte is the count of the bytes after it), since a slot can serve both.
std::array<std::string, kSlots> MakeTexts()
{
    std::array<std::string, kSlots> texts = {
        std::string(1, '\0'),
        "\x03"
        "abc",
        "\x05"
        "#S#1L",
        "\x01"
        "\xFF",
        "",
        "\x0B"
        "hello world",
        "\x02"
        "\r\n",
        "",
        "",
    };
    texts[4] = std::string(1, '\x10') + std::string(16, '#');
    texts[8] = std::string(1, '\xFF') + std::string(255, 'z');
    return texts;
}

const std::array<std::string, kSlots> gTexts = MakeTexts();

/// Slot 8's text is a null pointer: the formatter writes nothing for it.
constexpr std::size_t kNullSlot = 8;

const char* Text(std::size_t slot)
{
    return slot + 1 == kNullSlot ? nullptr : gTexts[slot].c_str();
}

constexpr std::int32_t kNumbers[kSlots] = {
    0, -1, INT32_MIN, INT32_MAX, 255, 0x73746174, 0x0A414244, -42, 1000000000,
};

template <bool IsText>
struct Slot;
template <>
struct Slot<true> {
    static const char* Get(std::size_t slot) { return Text(slot); }
};
template <>
struct Slot<false> {
    static std::int32_t Get(std::size_t slot) { return kNumbers[slot]; }
};

using Formatter = std::size_t (*)(char* out, std::size_t size, const char* format);

/// kformatn with the nine arguments typed by the bits of Mask (bit i set: slot i+1 is a
/// text). SIZE_MAX stands for the unbounded kformat.
template <unsigned Mask, std::size_t... I>
std::size_t Format(char* out, std::size_t size, const char* format, std::index_sequence<I...>)
{
    if (size == SIZE_MAX) {
        kova::kformat(out, format, Slot<((Mask >> I) & 1u) != 0>::Get(I)...);
        return std::strlen(out);
    }
    return kova::kformatn(out, size, format, Slot<((Mask >> I) & 1u) != 0>::Get(I)...);
}

template <unsigned Mask>
std::size_t FormatWith(char* out, std::size_t size, const char* format)
{
    return Format<Mask>(out, size, format, std::make_index_sequence<kSlots>());
}

template <std::size_t... M>
constexpr std::array<Formatter, sizeof...(M)> MakeFormatters(std::index_sequence<M...>)
{
    return {&FormatWith<static_cast<unsigned>(M)>...};
}

constexpr auto kFormatters = MakeFormatters(std::make_index_sequence<1u << kSlots>());

bool IsLetter(char c)
{
    return c == 'S' || c == 'P' || c == 'L' || c == 'X' || c == 'I';
}

/// Walks the format by the formatter's rules: calls literal(count) for literal output
/// characters and directive(letter, slot) for each directive (slot may exceed nine).
template <class Literal, class Directive>
void Walk(const char* p, Literal literal, Directive directive)
{
    int current = 1;
    while (*p != '\0') {
        if (*p++ != '#') {
            literal(1);
            continue;
        }
        if (*p >= '1' && *p <= '9')
            current = *p++ - '0';
        if (*p == '\0') {
            literal(1);
            return;
        }
        if (IsLetter(*p))
            directive(*p, current++);
        else
            literal(2);
        ++p;
    }
}

[[noreturn]] void Fail(const char* what, const char* format)
{
    std::fprintf(stderr, "kformat fuzzer: %s (format of %zu bytes)\n", what, std::strlen(format));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The format is a C string: it ends at the input's first zero byte.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* format = input.c_str();

    // Survey: which slots are texts, and the most each directive can write.
    unsigned mask = 0;
    Walk(
        format, [](std::size_t) {},
        [&](char letter, int slot) {
            if (slot <= kSlots && (letter == 'S' || letter == 'P'))
                mask |= 1u << (slot - 1);
        });
    // The output's length is known exactly but for #L on a text slot, which writes the
    // pointer's bits as a number: between one character and a sign and ten digits.
    std::size_t bound = 0;
    std::size_t least = 0;
    const auto add = [&](std::size_t most, std::size_t fewest) {
        bound += most;
        least += fewest;
    };
    Walk(
        format, [&](std::size_t count) { add(count, count); },
        [&](char letter, int slot) {
            if (slot > kSlots)
                return;
            const std::size_t index = static_cast<std::size_t>(slot - 1);
            const bool isText = (mask >> index) & 1u;
            const char* text = isText ? Text(index) : nullptr;
            switch (letter) {
            case 'S':
                add(text ? std::strlen(text) : 0, text ? std::strlen(text) : 0);
                break;
            case 'P':
                add(text ? static_cast<unsigned char>(text[0]) : 0,
                    text ? static_cast<unsigned char>(text[0]) : 0);
                break;
            case 'L':
                if (isText)
                    add(11, 1);
                else
                    add(std::to_string(kNumbers[index]).size(),
                        std::to_string(kNumbers[index]).size());
                break;
            case 'X':
                add(8, 8);
                break;
            case 'I':
                add(4, 4);
                break;
            }
        });

    // Unbounded, into exactly the bound and its terminator.
    const Formatter formatter = kFormatters[mask];
    const std::unique_ptr<char[]> full(new char[bound + 1]);
    const std::size_t length = formatter(full.get(), SIZE_MAX, format);
    if (length > bound)
        Fail("output passed the bound", format);
    if (length < least)
        Fail("output shorter than its directives", format);

    // Bounded: the same length at every size, and the output cut to fit.
    const std::size_t sizes[] = {0, 1, length / 2 + 1, length, length + 1, bound + 1};
    for (const std::size_t room : sizes) {
        const std::unique_ptr<char[]> cut(new char[room == 0 ? 1 : room]);
        cut[0] = 'Q';
        if (formatter(cut.get(), room, format) != length)
            Fail("bounded length differs", format);
        if (room == 0) {
            if (cut[0] != 'Q')
                Fail("wrote into a buffer of size 0", format);
            continue;
        }
        const std::size_t kept = length < room ? length : room - 1;
        if (cut[kept] != '\0' || std::memcmp(cut.get(), full.get(), kept) != 0)
            Fail("bounded output is not the cut full output", format);
    }
    return 0;
}
