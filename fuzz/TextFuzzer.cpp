/// Fuzzes the reading of "autorun.inf" in every encoding: any bytes, as the first 32000 of a
/// file. The text made of them must stay inside its buffer and be terminated, and every
/// key's value must be exactly the characters that the text, worked out independently
/// (fuzz/Settings.h), holds after the key: at most 256 whole characters, up to a line end.
#include "fuzz/Settings.h"
#include "launcher/AutorunFile.h"
#include "launcher/GetValue.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

/// A value's characters, as its encoding makes them: bytes for ANSI text, else UTF-8.
std::u32string Characters(std::string_view value, autorun::TextEncoding encoding)
{
    std::u32string characters;
    for (std::size_t at = 0; at < value.size();) {
        char32_t code = static_cast<unsigned char>(value[at]);
        std::size_t used = encoding == autorun::TextEncoding::Ansi
                               ? 1
                               : kova::fuzz::DecodeUtf8(value.substr(at), code);
        if (used == 0) {
            code = 0xFFFD;
            used = 1;
        }
        characters += code;
        at += used;
    }
    return characters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A file longer than the limit: its first kMaxRead bytes are read.
    const std::size_t read = size < autorun::kMaxRead ? size : autorun::kMaxRead;
    const auto text = std::make_unique<autorun::AutorunText>();
    std::memset(text->buf, 0x5A, sizeof text->buf);
    std::memcpy(text->buf + autorun::kMaxText - autorun::kMaxRead, data, read);
    text->bufRead = read;
    autorun::DecodeAutorunText(*text);
    if (std::memchr(text->Text(), '\0', autorun::kMaxText + 1 - text->textStart) == nullptr)
        std::abort();

    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const kova::fuzz::ExpectedText expected = kova::fuzz::ReadExpectedText(file, autorun::kMaxRead);
    if (static_cast<int>(expected.encoding) != static_cast<int>(text->encoding))
        std::abort();
    const std::unique_ptr<char[]> value(new char[autorun::kMaxValueBytes + 1]);
    for (const char* key : kova::fuzz::kSettingKeys) {
        std::memset(value.get(), 0x5A, autorun::kMaxValueBytes + 1);
        autorun::FindValue(text->Text(), value.get(), key, text->encoding);
        if (std::memchr(value.get(), '\0', autorun::kMaxValueBytes + 1) == nullptr)
            std::abort();
        if (Characters(value.get(), text->encoding) !=
            kova::fuzz::ExpectedSetting(expected.text, key))
            std::abort();
    }
    return 0;
}
