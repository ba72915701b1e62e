/// How the text of "autorun.inf" is encoded, and the conversions the launcher makes of it.
#ifndef KOVA_LAUNCHER_TEXTENCODING_H
#define KOVA_LAUNCHER_TEXTENCODING_H

#include <cstddef>

namespace autorun {

/// What the bytes of a file are. A file that is neither marked nor valid UTF-8 with at
/// least one byte above 127 (plain ASCII, or 8-bit text) is text in the machine's ANSI
/// code page, as it always was.
enum class TextEncoding {
    Ansi,    ///< 8-bit text in the ANSI code page: one byte, one character
    Utf8,    ///< UTF-8 without a byte-order mark
    Utf8Bom, ///< UTF-8 after the mark EF BB BF
    Utf16Le, ///< UTF-16LE after the mark FF FE; searched as UTF-8 once converted
};

/// The length of the well-formed UTF-8 sequence that starts `text` (1 to 4), or 0 when
/// it is not one: a stray continuation byte, an overlong form, a surrogate, a value past
/// U+10FFFF, or a sequence cut short by the end of `text` (`size` bytes).
std::size_t Utf8SequenceLength(const char* text, std::size_t size);

/// How many bytes make the character that starts the terminated `text`, by the
/// encoding's rule: one for ANSI text; for UTF-8 a whole well-formed sequence, or a lone
/// byte where none stands (it becomes U+FFFD), so that a cut never splits a character.
std::size_t CharacterLength(const char* text, TextEncoding encoding);

/// The encoding of the `size` bytes read from the start of a file. `cut`: the read
/// stopped at its limit, so a UTF-8 sequence that the limit cuts short does not make the
/// bytes invalid. Only the bytes up to the first zero byte count, as the search stops
/// there. A file in UTF-16 without its mark, or big-endian, is not told apart: ANSI.
TextEncoding DetectEncoding(const char* bytes, std::size_t size, bool cut);

/// The number of bytes of `bytes` that form whole characters of `encoding`: all of them,
/// less a UTF-8 sequence or a UTF-16 unit or surrogate pair cut short at the end.
std::size_t WholeCharacters(const char* bytes, std::size_t size, TextEncoding encoding);

/// Converts UTF-16LE bytes (without the mark) to UTF-8 at `out`, which has room for
/// Utf8RoomFor(size) bytes; stops at a zero unit or after the last whole unit. An
/// unpaired surrogate becomes U+FFFD. Gives the UTF-8 length; `out` is not terminated.
/// NOTE: `out` may overlap `bytes` when it starts at least size / 2 bytes before them:
/// the unit read next always lies beyond what has been written, so a file can be
/// converted where it was read.
std::size_t Utf16LeToUtf8(const char* bytes, std::size_t size, char* out);

/// How much more room UTF-8 may need than the UTF-16LE it comes from, for `size` bytes:
/// each unit (two bytes) becomes at most three bytes.
constexpr std::size_t Utf8RoomFor(std::size_t utf16Size)
{
    return utf16Size / 2 * 3;
}

struct TextEncodingEntry {
    TextEncoding encoding;
    const char* id;   ///< in a report for scripts: "ansi", "utf-8", "utf-8-bom", "utf-16le"
    const char* name; ///< in words: "UTF-8 without a byte-order mark"
};

/// The encodings, in the order of TextEncoding.
constexpr int kTextEncodingCount = 4;
extern const TextEncodingEntry kTextEncodings[kTextEncodingCount];

/// The encoding's entry in kTextEncodings.
const TextEncodingEntry& EncodingOf(TextEncoding encoding);

} // namespace autorun

#endif
