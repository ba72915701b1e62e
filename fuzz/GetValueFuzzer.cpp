/// Fuzzes the settings extraction: any text, each of the seven keys. Every value must be
/// terminated within its 257 bytes, hold at most 256 characters, and be exactly the text
/// that follows the key's first occurrence, up to the end of that line.
#include "fuzz/Settings.h"
#include "launcher/GetValue.h"

using autorun::kMaxValueLength;

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Both buffers are exactly as large as the contract says, so that the sanitizer sees
    // any read past the text's terminator or write past the value's 257 bytes.
    const std::unique_ptr<char[]> text(new char[size + 1]);
    if (size > 0)
        std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const std::unique_ptr<char[]> value(new char[kMaxValueLength + 1]);

    for (const char* key : kova::fuzz::kSettingKeys) {
        std::memset(value.get(), 0x5A, kMaxValueLength + 1);
        GetValue(text.get(), value.get(), key);
        const void* terminator = std::memchr(value.get(), '\0', kMaxValueLength + 1);
        if (terminator == nullptr)
            std::abort();
        const std::string_view got(value.get());
        if (got.size() > kMaxValueLength)
            std::abort();
        if (got != kova::fuzz::ExpectedSetting(std::string_view(text.get(), size), key))
            std::abort();
    }
    return 0;
}
