#include "launcher/AutorunFile.h"

#include <cstdio>

namespace autorun {

namespace {

/// The bytes are read to the end of the buffer, so that a UTF-16 file's UTF-8 text can be
/// made from them in place, from the buffer's start.
constexpr std::size_t kReadAt = kMaxText - kMaxRead;

constexpr std::size_t kUtf16MarkSize = 2;

} // namespace

void DecodeAutorunText(AutorunText& text)
{
    char* const bytes = text.buf + kReadAt;
    const std::size_t size = text.bufRead;
    const bool cut = size == kMaxRead;
    text.encoding = DetectEncoding(bytes, size, cut);
    if (text.encoding == TextEncoding::Utf16Le) {
        std::size_t length = size - kUtf16MarkSize;
        if (cut) {
            length = WholeCharacters(bytes + kUtf16MarkSize, length, text.encoding);
        }
        text.textStart = 0;
        text.buf[Utf16LeToUtf8(bytes + kUtf16MarkSize, length, text.buf)] = '\0';
        return;
    }
    text.textStart = kReadAt;
    std::size_t end = size;
    if (cut && text.encoding != TextEncoding::Ansi) {
        end = WholeCharacters(bytes, size, text.encoding);
    }
    bytes[end] = '\0';
}

bool ReadAutorunFile(const char* path, AutorunText& text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    text.bufRead = std::fread(text.buf + kReadAt, 1, kMaxRead, file);
    const bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    if (unreadable) {
        text.bufRead = 0;
    }
    DecodeAutorunText(text);
    return !unreadable;
}

} // namespace autorun
