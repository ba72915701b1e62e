/// Reads the start of "autorun.inf" the way the launcher sees it.
#ifndef KOVA_LAUNCHER_AUTORUNFILE_H
#define KOVA_LAUNCHER_AUTORUNFILE_H

#include <cstddef>

namespace autorun {

/// Only the start of the file is read; later bytes are never seen.
constexpr std::size_t kMaxRead = 32000;

/// The text the settings are searched in: the bytes read, terminated after the last one.
/// A zero byte among them ends the text early, since the search stops there.
struct AutorunText {
    char buf[kMaxRead + 1];
    std::size_t bufRead;
};

/// Opens `path` in binary mode, reads at most kMaxRead bytes into `text`, closes the file
/// and terminates the text. False when the file does not open or cannot be read (a
/// directory, say, which POSIX lets one open): then the launcher starts nothing.
bool ReadAutorunFile(const char* path, AutorunText& text);

} // namespace autorun

#endif
