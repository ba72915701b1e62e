/// Reads the start of "autorun.inf" the way the launcher sees it.
#ifndef KOVA_LAUNCHER_AUTORUNFILE_H
#define KOVA_LAUNCHER_AUTORUNFILE_H

#include "launcher/TextEncoding.h"

#include <cstddef>

namespace autorun {

/// Only the start of the file is read; later bytes are never seen.
constexpr std::size_t kMaxRead = 32000;

/// Room for the text the settings are searched in: the bytes read, or the UTF-8 that a
/// UTF-16 file's bytes become.
constexpr std::size_t kMaxText = Utf8RoomFor(kMaxRead);

/// The text the settings are searched in, terminated. ANSI and UTF-8 text is the bytes
/// read, a UTF-8 file's mark included; a UTF-16LE file's text is its UTF-8 form, so that
/// one literal search of the keys serves every encoding. A zero byte (or zero unit) ends
/// the text early, since the search stops there; so does the end of the last whole
/// character read.
struct AutorunText {
    char buf[kMaxText + 1];
    std::size_t textStart; ///< where in `buf` the text begins
    std::size_t bufRead;   ///< the bytes read from the file
    TextEncoding encoding;

    const char* Text() const { return buf + textStart; }
};

/// Opens `path` in binary mode, reads at most kMaxRead bytes into `text`, closes the file,
/// tells the encoding and makes the text. False when the file does not open or cannot be
/// read (a directory, say, which POSIX lets one open): then the launcher starts nothing.
bool ReadAutorunFile(const char* path, AutorunText& text);

/// Makes the text of the `text.bufRead` bytes that stand at `text.buf + kMaxText -
/// kMaxRead`, where ReadAutorunFile reads them.
void DecodeAutorunText(AutorunText& text);

} // namespace autorun

#endif
