/// How the launcher tells a file's encoding and makes the text it searches.
#include "launcher/AutorunFile.h"
#include "launcher/GetValue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using namespace autorun;

/// The text the launcher makes of `bytes`, read as from a file, and its encoding.
std::pair<std::string, TextEncoding> Decoded(const std::string& bytes)
{
    const auto text = std::make_unique<AutorunText>();
    const std::size_t read = std::min(bytes.size(), kMaxRead);
    std::memcpy(text->buf + kMaxText - kMaxRead, bytes.data(), read);
    text->bufRead = read;
    DecodeAutorunText(*text);
    return {text->Text(), text->encoding};
}

TEST(TextEncoding, EachFileIsReadAsTheTextItIs)
{
    const std::string full(kMaxRead - 1, 'a');
    const struct {
        const char* what;
        std::string bytes;
        std::string text;
        TextEncoding encoding;
    } cases[] = {
        {"plain ASCII", "AppKey=x\r\n", "AppKey=x\r\n", TextEncoding::Ansi},
        {"8-bit text", "AppKey=Soci\xE9t\xE9", "AppKey=Soci\xE9t\xE9", TextEncoding::Ansi},
        {"UTF-8", "AppKey=Soci\xC3\xA9t\xC3\xA9", "AppKey=Soci\xC3\xA9t\xC3\xA9",
         TextEncoding::Utf8},
        {"UTF-8 and one byte that is not", "\xC3\xA9\xE9", "\xC3\xA9\xE9", TextEncoding::Ansi},
        {"an overlong form is not UTF-8", "\xC3\xA9\xC0\xAF", "\xC3\xA9\xC0\xAF",
         TextEncoding::Ansi},
        {"a surrogate is not UTF-8", "\xC3\xA9\xED\xA0\x80", "\xC3\xA9\xED\xA0\x80",
         TextEncoding::Ansi},
        {"only the text before a zero byte counts", std::string("\xC3\xA9\0\xE9", 4), "\xC3\xA9",
         TextEncoding::Utf8},
        {"UTF-8 with its mark, invalid bytes and all", "\xEF\xBB\xBFx\xE9", "\xEF\xBB\xBFx\xE9",
         TextEncoding::Utf8Bom},
        {"UTF-16LE", std::string("\xFF\xFEK\0=\0\xE9\0\x3C\x9B\x3D\xD8\x00\xDE", 14),
         "K=\xC3\xA9\xE9\xAC\xBC\xF0\x9F\x98\x80", TextEncoding::Utf16Le},
        {"UTF-16LE up to its zero unit", std::string("\xFF\xFEK\0\0\0L\0", 8), "K",
         TextEncoding::Utf16Le},
        {"UTF-16LE with an unpaired surrogate and an odd byte",
         std::string("\xFF\xFE\x00\xDCK\0x", 7), "\xEF\xBF\xBDK", TextEncoding::Utf16Le},
        {"big-endian UTF-16 is not read", std::string("\xFE\xFF\0K", 4), std::string("\xFE\xFF"),
         TextEncoding::Ansi},
        // The limit cuts a character in two: its first byte is not part of the text.
        {"UTF-8 cut at the limit", full + "\xC3\xA9", full + "\xC3", TextEncoding::Ansi},
        {"UTF-8 cut at the limit", "\xC3\xA9" + std::string(kMaxRead - 3, 'a') + "\xC3\xA9",
         "\xC3\xA9" + std::string(kMaxRead - 3, 'a'), TextEncoding::Utf8},
    };
    for (const auto& c : cases) {
        const auto [text, encoding] = Decoded(c.bytes);
        EXPECT_EQ(text, c.text) << c.what;
        EXPECT_EQ(encoding, c.encoding) << c.what;
    }
}

TEST(TextEncoding, AWholeUtf16FileBecomesItsUtf8InPlace)
{
    // 15999 units of U+20AC, three UTF-8 bytes each: the most the buffer must hold.
    std::string bytes = "\xFF\xFE";
    for (std::size_t i = 0; i < kMaxRead / 2 - 1; ++i)
        bytes += "\xAC\x20";
    std::string expected;
    for (std::size_t i = 0; i < kMaxRead / 2 - 1; ++i)
        expected += "\xE2\x82\xAC";
    EXPECT_EQ(Decoded(bytes).first, expected);
}

TEST(GetValue, AUtf8ValueKeeps256WholeCharacters)
{
    const std::string letters(255, 'v');
    char value[kMaxValueBytes + 1];
    // The 256th character is two bytes long and is kept whole; the 257th is not kept.
    CopyValue((letters + "\xC3\xA9\xC3\xA9").c_str(), value, TextEncoding::Utf8);
    EXPECT_EQ(std::string(value), letters + "\xC3\xA9");
    // In ANSI text each byte is a character, as always.
    CopyValue((letters + "\xC3\xA9").c_str(), value, TextEncoding::Ansi);
    EXPECT_EQ(std::string(value), letters + "\xC3");
    // A byte outside a sequence is one character, and a four-byte one is too.
    const std::string wide(256, '\xE9');
    CopyValue(wide.c_str(), value, TextEncoding::Utf8Bom);
    EXPECT_EQ(std::string(value), wide);
    std::string faces;
    for (int i = 0; i < 257; ++i)
        faces += "\xF0\x9F\x98\x80";
    CopyValue(faces.c_str(), value, TextEncoding::Utf8);
    EXPECT_EQ(std::string(value), faces.substr(0, 4 * 256));
}

} // namespace
