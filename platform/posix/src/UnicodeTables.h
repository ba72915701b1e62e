/// Windows' code page and upper-case tables, as data (generated into UnicodeTables.cpp).
#ifndef KOVA_POSIX_UNICODETABLES_H
#define KOVA_POSIX_UNICODETABLES_H

#include <cstddef>
#include <iterator>

namespace kova::posix {

/// A character outside a code page that Windows writes as a near byte ("Ā" as "A").
struct BestFit {
    char16_t unit;
    unsigned char byte;
};

/// A single-byte ANSI code page: bytes 0x00-0x7F are ASCII, the others are in `high`;
/// `bestFit` is sorted by unit.
struct CodePageTable {
    unsigned number;
    const char16_t* high;
    const BestFit* bestFit;
    std::size_t bestFitCount;
};

/// Characters first, first + step, ... up to last upper-case to themselves plus delta
/// (modulo 2^16).
struct CaseRun {
    char16_t first;
    char16_t last;
    unsigned char step;
    char16_t delta;
};

extern const CodePageTable CodePageTables[3];
extern const CaseRun UpperCaseRuns[164];

} // namespace kova::posix

#endif
