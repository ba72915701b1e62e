/// What a Windows program's file says about itself: its machine, the execution level in its
/// embedded manifest, the names in its version resource and whether it is signed.
#ifndef KOVA_CHECKER_PEMANIFEST_H
#define KOVA_CHECKER_PEMANIFEST_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autorun::check {

/// Reads `size` bytes at `offset` of a file into `buffer`; false when the file has fewer.
using PeRead = std::function<bool(std::uint64_t offset, std::size_t size, void* buffer)>;

struct PeInfo {
    bool isPe = false;         ///< a PE executable (MZ and PE headers that hold together)
    std::uint16_t machine = 0; ///< the header's IMAGE_FILE_MACHINE_ number
    bool is32Bit = false;      ///< built for x86 (IMAGE_FILE_MACHINE_I386)
    bool arm64ec = false;      ///< an x64 header over ARM64EC code (hybrid metadata)
    bool hasManifest = false;  ///< it carries an RT_MANIFEST resource
    /// The manifest's requestedExecutionLevel ("asInvoker", "requireAdministrator",
    /// "highestAvailable"), or empty when it names none.
    std::string level;
    /// From the version resource's first string table: FileDescription (the name AutoPlay
    /// and Explorer show for the program) and OriginalFilename; empty when absent.
    std::u16string description;
    std::u16string originalName;
    /// It carries an Authenticode signature: a PKCS #7 certificate in its security
    /// directory, whose DER (the certificate's bytes) stands at `signatureOffset`.
    bool isSigned = false;
    std::uint64_t signatureOffset = 0;
    std::uint32_t signatureSize = 0;
    /// Where the parts stand that an Authenticode digest leaves out, and what it covers:
    /// the file offsets of the optional header's CheckSum and of the security directory's
    /// entry (0 when the header has no room for them), that entry's values as the file
    /// gives them (a file offset and a size, however wrong), SizeOfHeaders and the raw
    /// data of each section in the order of the section table.
    std::uint64_t checksumOffset = 0;
    std::uint64_t securityEntryOffset = 0;
    std::uint32_t securityOffset = 0;
    std::uint32_t securitySize = 0;
    std::uint32_t headersSize = 0;
    struct RawData {
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::vector<RawData> sections;
};

/// Reads the PE headers, the first RT_MANIFEST and RT_VERSION resources and the security
/// directory's first certificate header through `read`. Every offset,
/// size and count the file holds is checked before it is used, so that no file, however
/// made, can lead a read astray; what does not hold together counts as absent.
PeInfo ReadPeInfo(const PeRead& read);

/// FileDescription and OriginalFilename from a VS_VERSIONINFO resource's bytes.
void ReadVersionStrings(std::string_view resource, PeInfo& info);

/// The execution level a manifest's text asks for, or empty.
std::string ManifestLevel(std::string_view manifest);

/// Whether Windows asks for consent before starting the program `fileName` (its name only)
/// described by `info`: its manifest asks for administrator rights, or, without a level,
/// Windows' installer detection takes a 32-bit program for a setup program by its name
/// ("setup", "instal", "update", "patch"). Empty when the file is not a Windows program.
std::optional<bool> NeedsElevation(const PeInfo& info, std::string_view fileName);

} // namespace autorun::check

#endif
