#include "checker/PeManifest.h"

#include "checker/Text.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace autorun::check {

namespace {

constexpr std::uint16_t kMagicPe32 = 0x010B;
constexpr std::uint16_t kMagicPe32Plus = 0x020B;
constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kResourceTypeManifest = 24;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kSecurityDirectory = 4;
constexpr std::uint32_t kLoadConfigDirectory = 10;
/// Where a 64-bit load configuration holds CHPEMetadataPointer.
constexpr std::size_t kHybridMetadataAt = 0xC8;
constexpr std::uint16_t kCertificatePkcsSignedData = 2;
constexpr std::size_t kHeadersSizeAt = 60;
constexpr std::size_t kChecksumAt = 64;
/// More sections or resource entries than any real program has: a file that claims more
/// is not believed.
constexpr std::uint16_t kMaxSections = 96;
constexpr std::uint16_t kMaxEntries = 4096;
/// Manifests and version resources are a few kilobytes; a bigger one is not read.
constexpr std::uint32_t kMaxResource = 1024 * 1024;

std::uint16_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

class PeReader {
public:
    explicit PeReader(const PeRead& read) : fRead(read) {}

    PeInfo Read()
    {
        PeInfo info;
        std::uint8_t dos[64];
        if (!fRead(0, sizeof dos, dos) || dos[0] != 'M' || dos[1] != 'Z')
            return info;
        const std::uint32_t peOffset = Le32(dos + 0x3C);
        std::uint8_t pe[24];
        if (!fRead(peOffset, sizeof pe, pe) || std::memcmp(pe, "PE\0\0", 4) != 0)
            return info;
        const std::uint16_t machine = Le16(pe + 4);
        const std::uint16_t sectionCount = Le16(pe + 6);
        const std::uint16_t optionalSize = Le16(pe + 20);
        if (sectionCount > kMaxSections || optionalSize < 2)
            return info;
        std::vector<std::uint8_t> optional(optionalSize);
        const std::uint64_t optionalOffset = std::uint64_t{peOffset} + sizeof pe;
        if (!fRead(optionalOffset, optional.size(), optional.data()))
            return info;
        const std::uint16_t magic = Le16(optional.data());
        if (magic != kMagicPe32 && magic != kMagicPe32Plus)
            return info;
        // The data directories follow the fixed part of the optional header, after their
        // count; the resource table is the third.
        const std::size_t countAt = magic == kMagicPe32 ? 92 : 108;
        if (countAt + 4 > optional.size())
            return info;
        const std::uint32_t directories = Le32(optional.data() + countAt);
        const std::size_t resourceAt = countAt + 4 + 8 * kResourceDirectory;
        std::uint32_t resourceRva = 0;
        if (directories > kResourceDirectory && resourceAt + 8 <= optional.size())
            resourceRva = Le32(optional.data() + resourceAt);
        // The security directory holds a file offset, not an address of the loaded image.
        const std::size_t securityAt = countAt + 4 + 8 * kSecurityDirectory;
        if (directories > kSecurityDirectory && securityAt + 8 <= optional.size()) {
            info.securityEntryOffset = optionalOffset + securityAt;
            info.securityOffset = Le32(optional.data() + securityAt);
            info.securitySize = Le32(optional.data() + securityAt + 4);
            ReadSignature(info.securityOffset, info.securitySize, info);
        }
        // Both header formats keep SizeOfHeaders and CheckSum at the same place.
        info.checksumOffset = optionalOffset + kChecksumAt;
        info.headersSize = Le32(optional.data() + kHeadersSizeAt);

        const std::uint64_t sectionsOffset = optionalOffset + optionalSize;
        for (std::uint16_t i = 0; i < sectionCount; ++i) {
            std::uint8_t header[40];
            if (!fRead(sectionsOffset + 40u * i, sizeof header, header))
                return info;
            fSections.push_back(
                {Le32(header + 12), Le32(header + 8), Le32(header + 16), Le32(header + 20)});
            info.sections.push_back({Le32(header + 20), Le32(header + 16)});
        }
        info.isPe = true;
        info.machine = machine;
        info.is32Bit = machine == IMAGE_FILE_MACHINE_I386;
        // An ARM64EC program's header names x64; the load configuration of a 64-bit image
        // points to its hybrid metadata.
        const std::size_t loadConfigAt = countAt + 4 + 8 * kLoadConfigDirectory;
        if (machine == IMAGE_FILE_MACHINE_AMD64 && magic == kMagicPe32Plus &&
            directories > kLoadConfigDirectory && loadConfigAt + 8 <= optional.size()) {
            std::uint8_t config[kHybridMetadataAt + 8];
            if (Le32(optional.data() + loadConfigAt + 4) >= sizeof config &&
                ReadAt(Le32(optional.data() + loadConfigAt), sizeof config, config))
                info.arm64ec = Le32(config + kHybridMetadataAt) != 0 ||
                               Le32(config + kHybridMetadataAt + 4) != 0;
        }
        if (resourceRva != 0) {
            if (const std::optional<std::string> manifest =
                    FindResource(resourceRva, kResourceTypeManifest)) {
                info.hasManifest = true;
                info.level = ManifestLevel(*manifest);
            }
            if (const std::optional<std::string> version =
                    FindResource(resourceRva, kResourceTypeVersion))
                ReadVersionStrings(*version, info);
        }
        return info;
    }

private:
    /// Whether the security directory holds a WIN_CERTIFICATE of PKCS #7 signed data, and
    /// where its DER stands.
    void ReadSignature(std::uint32_t offset, std::uint32_t size, PeInfo& info) const
    {
        std::uint8_t header[8];
        if (offset == 0 || size < sizeof header || !fRead(offset, sizeof header, header))
            return;
        const std::uint32_t length = Le32(header);
        if (length < sizeof header || length > size ||
            Le16(header + 6) != kCertificatePkcsSignedData)
            return;
        info.isSigned = true;
        info.signatureOffset = std::uint64_t{offset} + sizeof header;
        info.signatureSize = length - sizeof header;
    }

    /// The file offset of `size` bytes at an address of the loaded image, when a section
    /// holds all of them.
    std::optional<std::uint64_t> FileOffset(std::uint32_t rva, std::uint32_t size) const
    {
        for (const Section& section : fSections) {
            const std::uint32_t extent = std::min(
                section.virtualSize == 0 ? section.rawSize : section.virtualSize, section.rawSize);
            if (rva >= section.virtualAddress &&
                std::uint64_t{rva} - section.virtualAddress + size <= extent)
                return std::uint64_t{section.rawOffset} + (rva - section.virtualAddress);
        }
        return std::nullopt;
    }

    bool ReadAt(std::uint32_t rva, std::size_t size, void* buffer) const
    {
        const std::optional<std::uint64_t> offset =
            FileOffset(rva, static_cast<std::uint32_t>(size));
        return offset && fRead(*offset, size, buffer);
    }

    /// The entry of a resource directory whose ID is `id`, or its first entry when `id` is
    /// empty: the offset it holds, relative to the resource table.
    std::optional<std::uint32_t> Entry(std::uint32_t base, std::uint32_t directory,
                                       std::optional<std::uint32_t> id) const
    {
        std::uint8_t header[16];
        if (!ReadAt(base + directory, sizeof header, header))
            return std::nullopt;
        const std::uint32_t count = std::uint32_t{Le16(header + 12)} + Le16(header + 14);
        if (count > kMaxEntries)
            return std::nullopt;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t entry[8];
            if (!ReadAt(base + directory + 16 + 8 * i, sizeof entry, entry))
                return std::nullopt;
            const std::uint32_t name = Le32(entry);
            if (!id || name == *id)
                return Le32(entry + 4);
        }
        return std::nullopt;
    }

    /// Type, then name, then language: a resource's data is three levels down. The first
    /// resource of the type.
    std::optional<std::string> FindResource(std::uint32_t base, std::uint32_t type) const
    {
        std::optional<std::uint32_t> at = Entry(base, 0, type);
        for (int level = 0; level < 2; ++level) {
            // Both levels must lead to a directory (the high bit), never back to the top.
            if (!at || (*at & 0x80000000u) == 0 || (*at & 0x7FFFFFFFu) == 0)
                return std::nullopt;
            at = Entry(base, *at & 0x7FFFFFFFu, std::nullopt);
        }
        if (!at || (*at & 0x80000000u) != 0)
            return std::nullopt;
        std::uint8_t data[16];
        if (!ReadAt(base + *at, sizeof data, data))
            return std::nullopt;
        const std::uint32_t rva = Le32(data);
        const std::uint32_t size = Le32(data + 4);
        if (size > kMaxResource)
            return std::nullopt;
        std::string resource(size, '\0');
        if (!ReadAt(rva, size, resource.data()))
            return std::nullopt;
        return resource;
    }

    const PeRead& fRead;
    std::vector<Section> fSections;
};

/// One block of a VS_VERSIONINFO resource: a length, a value's length and type, a key in
/// UTF-16, then the value and the child blocks, each aligned on 4 bytes.
struct VersionBlock {
    std::u16string key;
    std::size_t valueStart;
    std::size_t valueSize; ///< in bytes
    std::size_t childrenStart;
    std::size_t end;
};

std::size_t Align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t{3};
}

/// The block at `at`, when it lies wholly before `limit`.
std::optional<VersionBlock> ReadBlock(std::string_view data, std::size_t at, std::size_t limit)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    if (limit > data.size() || at >= limit || limit - at < 6)
        return std::nullopt;
    const std::size_t length = Le16(bytes + at);
    const std::size_t valueLength = Le16(bytes + at + 2);
    const bool text = Le16(bytes + at + 4) == 1;
    if (length < 6 || length > limit - at)
        return std::nullopt;
    VersionBlock block;
    block.end = at + length;
    std::size_t p = at + 6;
    for (; p + 1 < block.end && Le16(bytes + p) != 0; p += 2)
        block.key += static_cast<char16_t>(Le16(bytes + p));
    if (p + 1 >= block.end)
        return std::nullopt;
    block.valueStart = std::min(Align4(p + 2), block.end);
    // A text's length counts characters; resource compilers differ on whether the zero
    // counts, so the value never reaches past its block.
    block.valueSize = std::min(text ? 2 * valueLength : valueLength, block.end - block.valueStart);
    block.childrenStart = std::min(Align4(block.valueStart + block.valueSize), block.end);
    return block;
}

/// Calls `visit` for each child block of `parent`.
template <typename Visit>
void ForEachChild(std::string_view data, const VersionBlock& parent, Visit visit)
{
    for (std::size_t at = parent.childrenStart; at < parent.end;) {
        const std::optional<VersionBlock> child = ReadBlock(data, at, parent.end);
        if (!child)
            return;
        visit(*child);
        at = Align4(child->end);
    }
}

std::u16string TextValue(std::string_view data, const VersionBlock& block)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    std::u16string text;
    for (std::size_t p = block.valueStart;
         p + 1 < block.valueStart + block.valueSize && Le16(bytes + p) != 0; p += 2)
        text += static_cast<char16_t>(Le16(bytes + p));
    return text;
}

} // namespace

PeInfo ReadPeInfo(const PeRead& read)
{
    return PeReader(read).Read();
}

void ReadVersionStrings(std::string_view resource, PeInfo& info)
{
    const std::optional<VersionBlock> root = ReadBlock(resource, 0, resource.size());
    if (!root || root->key != u"VS_VERSION_INFO")
        return;
    bool tableRead = false;
    ForEachChild(resource, *root, [&](const VersionBlock& fileInfo) {
        if (fileInfo.key != u"StringFileInfo")
            return;
        ForEachChild(resource, fileInfo, [&](const VersionBlock& table) {
            if (tableRead)
                return;
            tableRead = true;
            ForEachChild(resource, table, [&](const VersionBlock& entry) {
                if (entry.key == u"FileDescription")
                    info.description = TextValue(resource, entry);
                else if (entry.key == u"OriginalFilename")
                    info.originalName = TextValue(resource, entry);
            });
        });
    });
}

std::string ManifestLevel(std::string_view manifest)
{
    // A manifest in UTF-16 is narrowed; the names that matter are ASCII.
    std::string narrow;
    if (manifest.starts_with("\xFF\xFE")) {
        for (std::size_t i = 2; i + 1 < manifest.size(); i += 2)
            narrow += manifest[i + 1] == '\0' ? manifest[i] : '?';
        manifest = narrow;
    }
    const std::size_t element = manifest.find("requestedExecutionLevel");
    if (element == std::string_view::npos)
        return {};
    const std::size_t end = std::min(manifest.find('>', element), manifest.size());
    const std::string_view attributes = manifest.substr(element, end - element);
    for (std::size_t at = attributes.find("level"); at != std::string_view::npos;
         at = attributes.find("level", at + 1)) {
        // "level" must be an attribute of its own, not the end of "requestedExecutionLevel".
        if (at > 0 && attributes[at - 1] != ' ' && attributes[at - 1] != '\t' &&
            attributes[at - 1] != '\n' && attributes[at - 1] != '\r')
            continue;
        std::size_t i = at + 5;
        while (i < attributes.size() && (attributes[i] == ' ' || attributes[i] == '\t'))
            ++i;
        if (i >= attributes.size() || attributes[i] != '=')
            continue;
        ++i;
        while (i < attributes.size() && (attributes[i] == ' ' || attributes[i] == '\t'))
            ++i;
        if (i >= attributes.size() || (attributes[i] != '"' && attributes[i] != '\''))
            continue;
        const std::size_t close = attributes.find(attributes[i], i + 1);
        if (close == std::string_view::npos)
            return {};
        return std::string(attributes.substr(i + 1, close - i - 1));
    }
    return {};
}

std::optional<bool> NeedsElevation(const PeInfo& info, std::string_view fileName)
{
    if (!info.isPe)
        return std::nullopt;
    if (!info.level.empty())
        return info.level == "requireAdministrator" || info.level == "highestAvailable";
    if (!info.is32Bit)
        return false;
    const std::string lower = LowerAscii(std::string(fileName));
    static constexpr std::array<std::string_view, 4> kWords = {"setup", "instal", "update",
                                                               "patch"};
    return std::any_of(kWords.begin(), kWords.end(), [&](std::string_view word) {
        return lower.find(word) != std::string::npos;
    });
}

} // namespace autorun::check
