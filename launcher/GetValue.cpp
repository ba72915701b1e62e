#include "launcher/GetValue.h"

#include <cstring>

void GetValue(const char* buf, char* value, const char* valueName)
{
    // A plain, case-sensitive search of the whole text: the file is not read as an INI
    // file, so sections, comments and blanks mean nothing here.
    std::size_t length = 0;
    const char* found = std::strstr(buf, valueName);
    if (found != nullptr) {
        const char* text = found + std::strlen(valueName);
        while (length < kMaxValueLength && text[length] != '\0' && text[length] != '\n' &&
               text[length] != '\r') {
            value[length] = text[length];
            ++length;
        }
    }
    value[length] = '\0';
}
