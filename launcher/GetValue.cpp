#include "launcher/GetValue.h"

#include <cstring>

namespace autorun {

void CopyValue(const char* text, char* value)
{
    std::size_t length = 0;
    while (length < kMaxValueLength && text[length] != '\0' && text[length] != '\n' &&
           text[length] != '\r') {
        value[length] = text[length];
        ++length;
    }
    value[length] = '\0';
}

const char* FindValue(const char* buf, char* value, const char* valueName)
{
    // A plain, case-sensitive search of the whole text: the file is not read as an INI
    // file, so sections, comments and blanks mean nothing here.
    const char* found = std::strstr(buf, valueName);
    if (found == nullptr) {
        value[0] = '\0';
        return nullptr;
    }
    CopyValue(found + std::strlen(valueName), value);
    return found;
}

} // namespace autorun

void GetValue(const char* buf, char* value, const char* valueName)
{
    autorun::FindValue(buf, value, valueName);
}
