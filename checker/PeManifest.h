/// What a Windows program's file says about the rights it asks for: its machine and the
/// execution level in its embedded manifest.
#ifndef KOVA_CHECKER_PEMANIFEST_H
#define KOVA_CHECKER_PEMANIFEST_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kova::check {

/// Reads `size` bytes at `offset` of a file into `buffer`; false when the file has fewer.
using PeRead = std::function<bool(std::uint64_t offset, std::size_t size, void* buffer)>;

struct PeInfo {
    bool isPe = false;          ///< a PE executable (MZ and PE headers that hold together)
    bool is32Bit = false;       ///< built for x86 (IMAGE_FILE_MACHINE_I386)
    bool hasManifest = false;   ///< it carries an RT_MANIFEST resource
    /// The manifest's requestedExecutionLevel ("asInvoker", "requireAdministrator",
    /// "highestAvailable"), or empty when it names none.
    std::string level;
};

/// Reads the PE headers and the first RT_MANIFEST resource through `read`. Every offset,
/// size and count the file holds is checked before it is used, so that no file, however
/// made, can lead a read astray; what does not hold together counts as absent.
PeInfo ReadPeInfo(const PeRead& read);

/// The execution level a manifest's text asks for, or empty.
std::string ManifestLevel(std::string_view manifest);

/// Whether Windows asks for consent before starting the program `fileName` (its name only)
/// described by `info`: its manifest asks for administrator rights, or, without a level,
/// Windows' installer detection takes a 32-bit program for a setup program by its name
/// ("setup", "instal", "update", "patch"). Empty when the file is not a Windows program.
std::optional<bool> NeedsElevation(const PeInfo& info, std::string_view fileName);

} // namespace kova::check

#endif
