#include "launcher/AutorunFile.h"

#include <cstdio>

namespace autorun {

bool ReadAutorunFile(const char* path, AutorunText& text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    text.bufRead = std::fread(text.buf, 1, kMaxRead, file);
    const bool unreadable = std::ferror(file) != 0;
    std::fclose(file);
    text.buf[unreadable ? 0 : text.bufRead] = '\0';
    return !unreadable;
}

} // namespace autorun
