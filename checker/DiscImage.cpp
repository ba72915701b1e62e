#include "checker/DiscImage.h"

#include <archive.h>
#include <archive_entry.h>
#include <udfread/blockinput.h>
#include <udfread/udfread.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace autorun::check {

namespace {

constexpr std::size_t kSector = 2048;
/// Volume descriptors begin 16 sectors in; a real image has a handful.
constexpr std::uint64_t kFirstDescriptor = 16;
constexpr std::uint64_t kMaxDescriptors = 64;

// --- Volume descriptors ----------------------------------------------------------------

bool IsJolietEscape(const std::uint8_t* descriptor)
{
    // The escape sequences of UCS-2 levels 1 to 3, in the supplementary descriptor.
    const std::uint8_t* escape = descriptor + 88;
    return escape[0] == '%' && escape[1] == '/' &&
           (escape[2] == '@' || escape[2] == 'C' || escape[2] == 'E');
}

std::uint32_t Le16(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

/// Hands `use` each volume descriptor from 32 KB in, with its standard identifier, up to
/// the first of no kind an image holds or the image's end.
template <typename Use>
void ForEachDescriptor(const ImageInput& input, const Use& use)
{
    std::array<std::uint8_t, kSector> descriptor{};
    for (std::uint64_t sector = kFirstDescriptor; sector < kFirstDescriptor + kMaxDescriptors;
         ++sector) {
        if (!input.read(sector * kSector, descriptor.size(), descriptor.data()))
            return;
        const std::string_view id(reinterpret_cast<const char*>(descriptor.data()) + 1, 5);
        if (id != "CD001" && id != "NSR02" && id != "NSR03" && id != "BEA01" && id != "TEA01" &&
            id != "BOOT2" && id != "CDW02")
            return;
        use(descriptor.data(), id);
    }
}

// --- ISO 9660 and Joliet, through libarchive ------------------------------------------

/// libarchive reads the image through these callbacks, from a buffer of its own.
class ArchiveInput {
public:
    explicit ArchiveInput(const ImageInput& input) : fInput(input) {}

    static la_ssize_t Read(struct archive*, void* self, const void** buffer)
    {
        auto& in = *static_cast<ArchiveInput*>(self);
        *buffer = in.fBuffer.data();
        if (in.fPosition >= in.fInput.size)
            return 0;
        const std::size_t count = static_cast<std::size_t>(
            std::min<std::uint64_t>(in.fBuffer.size(), in.fInput.size - in.fPosition));
        if (!in.fInput.read(in.fPosition, count, in.fBuffer.data()))
            return ARCHIVE_FATAL;
        in.fPosition += count;
        return static_cast<la_ssize_t>(count);
    }

    static la_int64_t Skip(struct archive*, void* self, la_int64_t request)
    {
        auto& in = *static_cast<ArchiveInput*>(self);
        const std::uint64_t left = in.fInput.size - std::min(in.fPosition, in.fInput.size);
        const std::uint64_t skipped = std::min<std::uint64_t>(
            static_cast<std::uint64_t>(std::max<la_int64_t>(request, 0)), left);
        in.fPosition += skipped;
        return static_cast<la_int64_t>(skipped);
    }

    static la_int64_t Seek(struct archive*, void* self, la_int64_t offset, int whence)
    {
        auto& in = *static_cast<ArchiveInput*>(self);
        const la_int64_t base = whence == SEEK_SET   ? 0
                                : whence == SEEK_CUR ? static_cast<la_int64_t>(in.fPosition)
                                                     : static_cast<la_int64_t>(in.fInput.size);
        if (offset < -base || (offset > 0 && base > INT64_MAX - offset))
            return ARCHIVE_FATAL;
        in.fPosition = static_cast<std::uint64_t>(base + offset);
        return static_cast<la_int64_t>(in.fPosition);
    }

private:
    const ImageInput& fInput;
    std::uint64_t fPosition = 0;
    std::array<char, 64 * 1024> fBuffer{};
};

struct ArchiveClose {
    void operator()(struct archive* archive) const { archive_read_free(archive); }
};

/// The image's file system does not hold together; `why` in the library's words.
[[noreturn]] void Damaged(const char* system, const char* library, const char* why)
{
    throw CheckFailure{std::string("the image's ") + system +
                       " file system cannot be read, it is damaged or cut short (" + library +
                       ": " + (why != nullptr && why[0] != '\0' ? why : "no volume it can read") +
                       ")"};
}

/// libarchive believes the sizes in the primary and the Joliet volume descriptor: it reads
/// the root folder in one piece of the size its record gives, and any other folder whole if
/// it ends within the volume the descriptor declares, setting the memory aside before it
/// reads a byte. Sizes no image of this size can hold would have it ask for up to 4 GB;
/// they are refused here, before it starts. The volume must lie within the image (a
/// folder, then, never exceeds the image), the root folder within the volume, and the
/// blocks must be a disc's 2048 bytes, in which the extents are counted (libarchive finds
/// the root folder by 2048-byte blocks whatever the field says). Descriptors past the set's
/// terminator are none that libarchive reads.
void CheckIsoSizes(const ImageInput& input, const char* system)
{
    bool ended = false;
    ForEachDescriptor(input, [&](const std::uint8_t* descriptor, std::string_view id) {
        ended = ended || (id == "CD001" && descriptor[0] == 255);
        if (ended || id != "CD001" ||
            !(descriptor[0] == 1 || (descriptor[0] == 2 && IsJolietEscape(descriptor))))
            return;
        const std::uint32_t block = Le16(descriptor + 128);
        const std::uint64_t volume = std::uint64_t{Le32(descriptor + 80)} * kSector;
        const std::uint8_t* root = descriptor + 156;
        const std::uint64_t rootEnd = std::uint64_t{Le32(root + 2)} * kSector + Le32(root + 10);
        std::string why;
        if (block != kSector)
            why = "blocks of " + std::to_string(block) + " bytes, where a disc's are 2048";
        else if (volume > input.size)
            why = "a volume of " + std::to_string(volume) + " bytes in an image of " +
                  std::to_string(input.size);
        else if (rootEnd > volume)
            why = "a root folder that ends " + std::to_string(rootEnd) +
                  " bytes in, past its volume's " + std::to_string(volume);
        if (!why.empty())
            Damaged(system, "its volume descriptor", why.c_str());
    });
}

void ReadIsoTree(const ImageInput& input, bool joliet, const ImageVisit& visit)
{
    CheckIsoSizes(input, joliet ? "Joliet" : "ISO 9660");
    const std::unique_ptr<struct archive, ArchiveClose> archive(archive_read_new());
    if (!archive)
        throw CheckFailure{"out of memory"};
    struct archive* a = archive.get();
    ArchiveInput source(input);
    archive_read_support_format_iso9660(a);
    // Windows never reads Rock Ridge names; it reads Joliet's where there are any.
    archive_read_set_options(a,
                             joliet ? "iso9660:!rockridge" : "iso9660:!rockridge,iso9660:!joliet");
    archive_read_set_callback_data(a, &source);
    archive_read_set_read_callback(a, ArchiveInput::Read);
    archive_read_set_skip_callback(a, ArchiveInput::Skip);
    archive_read_set_seek_callback(a, ArchiveInput::Seek);
    if (archive_read_open1(a) != ARCHIVE_OK)
        Damaged(joliet ? "Joliet" : "ISO 9660", "libarchive", archive_error_string(a));
    const char* system = joliet ? "Joliet" : "ISO 9660";
    std::size_t entries = 0;
    std::vector<char> head;
    for (;;) {
        struct archive_entry* item = nullptr;
        const int status = archive_read_next_header(a, &item);
        if (status == ARCHIVE_EOF)
            return;
        // A warning leaves the entry whole.
        if (status < ARCHIVE_WARN)
            Damaged(system, "libarchive", archive_error_string(a));
        if (++entries > kMaxImageEntries)
            return;
        const mode_t type = archive_entry_filetype(item);
        if (type != AE_IFDIR && type != AE_IFREG)
            continue;
        const char* name = archive_entry_pathname_utf8(item);
        if (name == nullptr)
            name = archive_entry_pathname(item);
        if (name == nullptr || std::strcmp(name, ".") == 0)
            continue;
        const la_int64_t size = archive_entry_size(item);
        const ImageEntry entry{name, type == AE_IFDIR,
                               size > 0 ? static_cast<std::uint64_t>(size) : 0};
        const std::size_t wanted = entry.folder ? 0
                                                : static_cast<std::size_t>(std::min<std::uint64_t>(
                                                      visit.wanted(entry), entry.size));
        head.resize(wanted);
        std::size_t got = 0;
        while (got < wanted) {
            const la_ssize_t count = archive_read_data(a, head.data() + got, wanted - got);
            if (count < 0)
                Damaged(system, "libarchive", archive_error_string(a));
            if (count == 0)
                break;
            got += static_cast<std::size_t>(count);
        }
        visit.entry(entry, std::string_view(head.data(), got));
    }
}

// --- UDF, through libudfread -----------------------------------------------------------

constexpr const char* kUdfCircle = "descriptors that lead back to themselves";

/// libudfread reads the image's blocks through this, in each call of the library no more
/// than Allow() gives it (see ReadUdfTree).
struct UdfInput {
    udfread_block_input base; ///< first, so that the library's pointer is this object's
    const ImageInput* input;
    std::uint64_t budget = 0;
    bool spent = false; ///< a call wanted more; all reads fail from then on

    /// Before each call of the library that reads: twice the image's blocks, and 256 more
    /// for a small image's volume recognition.
    void Allow() { budget = 2 * (input->size / UDF_BLOCK_SIZE) + 256; }

    static int Read(udfread_block_input* self, uint32_t lba, void* buffer, uint32_t blocks, int)
    {
        UdfInput& source = *reinterpret_cast<UdfInput*>(self);
        const ImageInput& in = *source.input;
        const std::uint64_t offset = std::uint64_t{lba} * UDF_BLOCK_SIZE;
        if (offset >= in.size)
            return 0;
        const std::uint64_t whole = (in.size - offset) / UDF_BLOCK_SIZE;
        const auto count = static_cast<uint32_t>(std::min<std::uint64_t>(blocks, whole));
        source.spent = source.spent || count > source.budget;
        if (source.spent)
            return 0;
        source.budget -= count;
        if (count == 0 || !in.read(offset, std::size_t{count} * UDF_BLOCK_SIZE, buffer))
            return 0;
        return static_cast<int>(count);
    }

    static uint32_t Size(udfread_block_input* self)
    {
        const ImageInput& in = *reinterpret_cast<UdfInput*>(self)->input;
        return static_cast<uint32_t>(std::min<std::uint64_t>(in.size / UDF_BLOCK_SIZE, UINT32_MAX));
    }
};

/// libudfread tells what it cannot read on standard error, line after line; the checker
/// says it once, in its own words. The checker runs on one thread.
class QuietStandardError {
public:
    QuietStandardError() : fSaved(dup(STDERR_FILENO))
    {
        const int null = open("/dev/null", O_WRONLY);
        if (fSaved >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStandardError()
    {
        if (fSaved >= 0) {
            dup2(fSaved, STDERR_FILENO);
            close(fSaved);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int fSaved;
};

struct UdfClose {
    void operator()(udfread* udf) const { udfread_close(udf); }
};
struct UdfDirClose {
    void operator()(UDFDIR* dir) const { udfread_closedir(dir); }
};
struct UdfFileClose {
    void operator()(UDFFILE* file) const { udfread_file_close(file); }
};

class UdfTree {
public:
    UdfTree(const ImageVisit& visit, UdfInput& source) : fVisit(visit), fSource(source) {}

    void Walk(UDFDIR* dir, const std::string& prefix, std::size_t depth)
    {
        std::vector<std::pair<std::string, bool>> children;
        udfread_dirent item;
        while (udfread_readdir(dir, &item) != nullptr) {
            if (item.d_name == nullptr || std::strcmp(item.d_name, ".") == 0 ||
                std::strcmp(item.d_name, "..") == 0)
                continue;
            if (item.d_type == UDF_DT_DIR || item.d_type == UDF_DT_REG)
                children.emplace_back(item.d_name, item.d_type == UDF_DT_DIR);
        }
        for (const auto& [name, folder] : children) {
            if (++fEntries > kMaxImageEntries)
                return;
            const std::string path = prefix + name;
            if (folder) {
                fVisit.entry(ImageEntry{path, true, 0}, {});
                if (depth + 1 >= kMaxImageDepth)
                    continue;
                fSource.Allow();
                const std::unique_ptr<UDFDIR, UdfDirClose> child(
                    udfread_opendir_at(dir, name.c_str()));
                if (child)
                    Walk(child.get(), path + "/", depth + 1);
            } else {
                File(dir, name, path);
            }
        }
    }

private:
    void File(UDFDIR* dir, const std::string& name, const std::string& path)
    {
        fSource.Allow();
        const std::unique_ptr<UDFFILE, UdfFileClose> file(udfread_file_openat(dir, name.c_str()));
        if (!file)
            Damaged("UDF", "libudfread",
                    fSource.spent ? kUdfCircle : ("its file " + path + " does not open").c_str());
        const std::int64_t size = udfread_file_size(file.get());
        const ImageEntry entry{path, false, size > 0 ? static_cast<std::uint64_t>(size) : 0};
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(fVisit.wanted(entry), entry.size));
        std::vector<char> head(wanted);
        std::size_t got = 0;
        while (got < wanted) {
            fSource.Allow();
            const ssize_t count = udfread_file_read(file.get(), head.data() + got, wanted - got);
            if (count < 0)
                Damaged("UDF", "libudfread", ("its file " + path + " cannot be read").c_str());
            if (count == 0)
                break;
            got += static_cast<std::size_t>(count);
        }
        fVisit.entry(entry, std::string_view(head.data(), got));
    }

    const ImageVisit& fVisit;
    UdfInput& fSource;
    std::size_t fEntries = 0;
};

/// The tag identifier of the UDF descriptor in `block`, if its tag's checksum holds, as
/// libudfread reads it; else -1.
int UdfTag(const std::uint8_t* block)
{
    std::uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
        sum = static_cast<std::uint8_t>(sum + (i == 4 ? 0 : block[i]));
    return sum == block[4] ? static_cast<int>(Le16(block)) : -1;
}

/// libudfread trusts the volume descriptors on its way to the tree: it walks the anchor's
/// two descriptor sequences and the pointers that continue a sequence elsewhere (round and
/// round, should one point back), then the logical volume descriptor's file set descriptor
/// area, block by block, counting 0 bytes as 4 GB and writing two lines of complaint for
/// each block past the image's end (ten seconds of it). The same walk is made here first,
/// and a sequence that comes back on itself or an area that leaves the image is refused.
void CheckUdfSizes(const ImageInput& input)
{
    constexpr int kAnchor = 2, kPointer = 3, kLogicalVolume = 6, kTerminator = 8;
    const std::uint64_t blocks = input.size / kSector;
    std::array<std::uint8_t, kSector> block{};
    const auto tag = [&](std::uint32_t lba) {
        return input.read(std::uint64_t{lba} * kSector, kSector, block.data())
                   ? UdfTag(block.data())
                   : -1;
    };
    // Where libudfread looks for the anchor: block 256, the last block, 256 before it.
    const auto last = static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, UINT32_MAX) - 1);
    if (tag(256) != kAnchor && tag(last) != kAnchor && tag(last - 256) != kAnchor)
        return; // libudfread finds no volume, and says so
    std::array<std::uint8_t, 16> sequences{};
    std::memcpy(sequences.data(), block.data() + 16, sequences.size());
    for (int i = 0; i < 2; ++i) {
        std::uint32_t start = Le32(&sequences[8 * i + 4]);
        std::uint32_t end = start + Le32(&sequences[8 * i]) / kSector;
        std::uint64_t walked = 0;
        for (std::uint32_t lba = start; lba < end && lba < blocks; ++lba) {
            if (++walked > blocks)
                Damaged("UDF", "its volume descriptors", "a sequence that comes back on itself");
            const int id = tag(lba);
            if (id == kTerminator)
                break;
            if (id == kPointer) {
                start = Le32(block.data() + 24);
                end = start + Le32(block.data() + 20) / kSector;
                lba = start - 1;
            } else if (id == kLogicalVolume) {
                // Its long allocation descriptor: 30 bits of length, then the block.
                const std::uint32_t length = Le32(block.data() + 248) & 0x3FFFFFFF;
                const std::uint64_t at = std::uint64_t{Le32(block.data() + 252)} * kSector;
                if (length == 0 || at + length > input.size)
                    Damaged("UDF", "its volume descriptors",
                            ("a file set descriptor area of " + std::to_string(length) +
                             " bytes at " + std::to_string(at) + ", in an image of " +
                             std::to_string(input.size))
                                .c_str());
            }
        }
    }
}

/// libudfread follows the chains of descriptors the image holds as they lead; one that
/// leads back to itself (an allocation extent that continues in itself, say) it follows for
/// ever. No one call of it needs to read the image twice over, so past that its reads fail,
/// which ends any such chain, and the image is damaged.
///
/// It also sets memory aside for a folder or a file entry before it reads it, as much as
/// the extent's length says. That length has 30 bits, so a lying one asks for at most
/// 1 GB, which is never touched: the reads past the image's end fail, and the folder or
/// file is given up, as it would be were the memory refused. Bounding each such length
/// would mean reading the UDF tree here, ahead of the library.
void ReadUdfTree(const ImageInput& input, const ImageVisit& visit)
{
    CheckUdfSizes(input);
    const QuietStandardError quiet;
    const std::unique_ptr<udfread, UdfClose> udf(udfread_init());
    if (!udf)
        throw CheckFailure{"out of memory"};
    UdfInput source{{nullptr, UdfInput::Read, UdfInput::Size}, &input};
    source.Allow();
    if (udfread_open_input(udf.get(), &source.base) < 0)
        Damaged("UDF", "libudfread", source.spent ? kUdfCircle : nullptr);
    source.Allow();
    const std::unique_ptr<UDFDIR, UdfDirClose> root(udfread_opendir(udf.get(), "/"));
    if (!root)
        Damaged("UDF", "libudfread", "its root folder does not open");
    UdfTree(visit, source).Walk(root.get(), "", 0);
    if (source.spent)
        Damaged("UDF", "libudfread", kUdfCircle);
}

bool IsForbidden(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || std::strchr("<>:\"\\|?*", c) != nullptr;
}

} // namespace

ImageVolumes FindVolumes(const ImageInput& input)
{
    ImageVolumes volumes;
    ForEachDescriptor(input, [&](const std::uint8_t* descriptor, std::string_view id) {
        if (id == "CD001") {
            if (descriptor[0] == 1)
                volumes.iso9660 = true;
            else if (descriptor[0] == 2 && IsJolietEscape(descriptor))
                volumes.joliet = true;
        } else if (id == "NSR02" || id == "NSR03") {
            volumes.udf = true;
        }
    });
    if (!volumes.iso9660 && !volumes.udf)
        throw CheckFailure{
            "it is not a disc image: it holds neither an ISO 9660 nor a UDF file system"};
    return volumes;
}

ImageFileSystem WindowsFileSystem(const ImageVolumes& volumes)
{
    if (volumes.udf)
        return ImageFileSystem::Udf;
    return volumes.joliet ? ImageFileSystem::Joliet : ImageFileSystem::Iso9660;
}

void ReadImageTree(const ImageInput& input, ImageFileSystem system, const ImageVisit& visit)
{
    if (system == ImageFileSystem::Udf)
        ReadUdfTree(input, visit);
    else
        ReadIsoTree(input, system == ImageFileSystem::Joliet, visit);
}

std::optional<std::string> WindowsPath(std::string_view name)
{
    std::string path;
    std::size_t parts = 0;
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        // Windows leaves out a name's trailing dots and blanks, so such a name is another.
        if (part == ".." || std::any_of(part.begin(), part.end(), IsForbidden) ||
            part.back() == '.' || part.back() == ' ' || ++parts > kMaxImageDepth)
            return std::nullopt;
        path += (path.empty() ? "" : "/") + std::string(part);
    }
    if (path.empty() || path.size() > kMaxImagePath)
        return std::nullopt;
    return path;
}

} // namespace autorun::check
