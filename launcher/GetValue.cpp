#include "launcher/GetValue.h"

#include <cstring>

namespace autorun {

void CopyValue(const char* text, char* value, TextEncoding encoding)
{
    std::size_t length = 0;
    for (std::size_t characters = 0; characters < kMaxValueLength; ++characters) {
        if (text[length] == '\0' || text[length] == '\n' || text[length] == '\r') {
            break;
        }
        // A character is copied whole: a line end never stands inside one, since every
        // byte of a UTF-8 sequence but its first is above 127. An ASCII byte is one in
        // every encoding.
        const bool single =
            encoding == TextEncoding::Ansi || static_cast<unsigned char>(text[length]) < 0x80;
        for (std::size_t end = length + (single ? 1 : CharacterLength(text + length, encoding));
             length < end; ++length) {
            value[length] = text[length];
        }
    }
    value[length] = '\0';
}

const char* FindValue(const char* buf, char* value, const char* valueName, TextEncoding encoding)
{
    // A plain, case-sensitive search of the whole text: the file is not read as an INI
    // file, so sections, comments and blanks mean nothing here.
    const char* found = std::strstr(buf, valueName);
    if (found == nullptr) {
        value[0] = '\0';
        return nullptr;
    }
    CopyValue(found + std::strlen(valueName), value, encoding);
    return found;
}

} // namespace autorun

void GetValue(const char* buf, char* value, const char* valueName)
{
    autorun::FindValue(buf, value, valueName);
}
