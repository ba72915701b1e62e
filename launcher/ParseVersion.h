/// Reads a product's version: the disc's "AppVersion=" and what the installer wrote.
#ifndef KOVA_LAUNCHER_PARSEVERSION_H
#define KOVA_LAUNCHER_PARSEVERSION_H

#include <cstdint>

namespace autorun {

/// A version has at most this many parts ("2.1.0.417").
constexpr int kMaxVersionParts = 4;

/// The numbers of a version, as many as were written and 0 after them (so that versions of
/// different lengths compare part by part); `count` is 0 for no version at all.
struct Version {
    std::uint32_t parts[kMaxVersionParts];
    int count;
};

/// Reads the terminated text `text` as a version: blanks, an optional 'v' or 'V', then one
/// to kMaxVersionParts numbers separated by dots. Whatever follows, from the first
/// character that is neither a digit nor a dot, is ignored ("2.1.0 beta" and "2.1.0-rc1"
/// are 2.1.0). An empty part ("2..1", "2."), a number above 4294967295, more parts than
/// kMaxVersionParts or no number at all is not a version: then `version.count` is 0 and
/// the result false.
bool ParseVersion(const char* text, Version& version);

/// Compares two versions part by part as numbers, a missing part counting as 0 ("2.1"
/// equals "2.1.0", "1.10" is above "1.9"): -1 when `left` is lower, 0 when equal, 1 when
/// higher.
int CompareVersions(const Version& left, const Version& right);

} // namespace autorun

#endif
