/// Little-endian stores for building Windows programs byte by byte in the checker's tests
/// and fuzz targets.
#ifndef KOVA_TESTS_CHECKER_PEBYTES_H
#define KOVA_TESTS_CHECKER_PEBYTES_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace autorun::check::test {

inline void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

inline void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

} // namespace autorun::check::test

#endif
