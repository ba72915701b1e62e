#include "checker/DiscImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using autorun::check::CheckFailure;
using autorun::check::FindVolumes;
using autorun::check::ImageInput;
using autorun::check::WindowsPath;

TEST(DiscImage, TakesOnlyNamesWindowsCanShowAndTheCheckCanLayOut)
{
    const struct {
        std::string name;
        const char* path; ///< nullptr: left out
    } cases[] = {
        {"SETUP.EXE", "SETUP.EXE"},
        {"/bin//./setup.exe", "bin/setup.exe"},
        {"bin/../../etc/passwd", nullptr},
        {"..", nullptr},
        {"a\\b.exe", nullptr},
        {"c:setup.exe", nullptr},
        {"setup.exe.", nullptr},
        {"setup.exe ", nullptr},
        {std::string("set\0up", 6), nullptr},
        {"what?.exe", nullptr},
        {"", nullptr},
        {"/", nullptr},
        {std::string(autorun::check::kMaxImagePath + 1, 'a'), nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> path = WindowsPath(c.name);
        EXPECT_EQ(path.has_value(), c.path != nullptr) << c.name;
        if (path && c.path != nullptr) {
            EXPECT_EQ(*path, c.path);
        }
    }
    std::string deep;
    for (std::size_t i = 0; i <= autorun::check::kMaxImageDepth; ++i)
        deep += "d/";
    EXPECT_FALSE(WindowsPath(deep + "f")) << "deeper than the layout goes";
}

/// An image of `sectors` zero sectors with the given descriptors from sector 16 on.
ImageInput Image(std::string& bytes, const std::vector<std::string>& descriptors)
{
    bytes.assign(2048 * (16 + descriptors.size() + 1), '\0');
    for (std::size_t i = 0; i < descriptors.size(); ++i)
        std::memcpy(&bytes[2048 * (16 + i)], descriptors[i].data(), descriptors[i].size());
    return {bytes.size(), [&bytes](std::uint64_t offset, std::size_t size, void* buffer) {
                if (offset > bytes.size() || size > bytes.size() - offset)
                    return false;
                std::memcpy(buffer, bytes.data() + offset, size);
                return true;
            }};
}

TEST(DiscImage, TellsTheFileSystemsByTheirDescriptors)
{
    std::string bytes;
    std::string joliet = std::string("\x02"
                                     "CD001",
                                     6) +
                         std::string(82, '\0') + "%/E";
    const autorun::check::ImageVolumes all = FindVolumes(Image(
        bytes, {std::string("\x01"
                            "CD001",
                            6),
                joliet,
                std::string("\xFF"
                            "CD001",
                            6),
                std::string("\0BEA01", 6), std::string("\0NSR02", 6), std::string("\0TEA01", 6)}));
    EXPECT_TRUE(all.iso9660 && all.joliet && all.udf);
    EXPECT_EQ(autorun::check::WindowsFileSystem(all), autorun::check::ImageFileSystem::Udf);

    joliet[88 + 2] = 'Z'; // a supplementary descriptor of another kind
    const autorun::check::ImageVolumes plain = FindVolumes(Image(bytes, {std::string("\x01"
                                                                                     "CD001",
                                                                                     6),
                                                                         joliet}));
    EXPECT_TRUE(plain.iso9660);
    EXPECT_FALSE(plain.joliet || plain.udf);
    EXPECT_EQ(autorun::check::WindowsFileSystem(plain), autorun::check::ImageFileSystem::Iso9660);

    EXPECT_THROW(FindVolumes(Image(bytes, {"not an image"})), CheckFailure);
    // A descriptor after something else is not believed.
    EXPECT_THROW(FindVolumes(Image(bytes, {"junk", std::string("\x01"
                                                               "CD001",
                                                               6)})),
                 CheckFailure);
    bytes = "short";
    EXPECT_THROW(
        FindVolumes({bytes.size(), [](std::uint64_t, std::size_t, void*) { return false; }}),
        CheckFailure);
}

/// Writes `value` into `d` at `at`, least significant byte first, in `bytes` bytes.
void Put(std::string& d, std::size_t at, std::uint32_t value, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        d[at + i] = static_cast<char>(value >> (8 * i));
}

/// A primary (type 1) or Joliet (type 2) volume descriptor: a volume of `blocks` blocks of
/// `blockSize` bytes, its root folder `rootSize` bytes long at block `rootExtent`.
std::string Sized(char type, std::uint32_t blocks, std::uint32_t rootExtent, std::uint32_t rootSize,
                  std::uint32_t blockSize = 2048)
{
    std::string d(2048, '\0');
    d.replace(0, 6, std::string(1, type) + "CD001");
    if (type == 2)
        d.replace(88, 3, "%/E");
    Put(d, 80, blocks);
    Put(d, 128, blockSize, 2);
    Put(d, 156 + 2, rootExtent);
    Put(d, 156 + 10, rootSize);
    return d;
}

/// The message with which the reader gives up `system`'s tree: it holds none.
std::string Failure(const ImageInput& input, autorun::check::ImageFileSystem system)
{
    try {
        autorun::check::ReadImageTree(input, system, {});
    } catch (const CheckFailure& failure) {
        return failure.message;
    }
    return "no failure";
}

TEST(DiscImage, RefusesSizesTheImageCannotHoldBeforeLibarchiveReadsIt)
{
    using enum autorun::check::ImageFileSystem;
    // Three descriptors make an image of 20 blocks.
    const std::string pvd = Sized(1, 20, 18, 2048), svd = Sized(2, 20, 19, 2048);
    const std::string end("\xFF"
                          "CD001\x01",
                          7);
    const struct {
        const char* what;
        std::vector<std::string> descriptors;
        autorun::check::ImageFileSystem system;
        bool refused;
    } cases[] = {
        {"sizes the image holds", {pvd, svd, end}, Joliet, false},
        {"blocks of 512 bytes", {Sized(1, 20, 18, 2048, 512), svd, end}, Joliet, true},
        {"a volume a block too large", {Sized(1, 21, 18, 2048), svd, end}, Iso9660, true},
        {"a root folder of 4 GB", {Sized(1, 20, 18, 0xFFFFFFFF), svd, end}, Iso9660, true},
        {"a root folder 8 TB in", {Sized(1, 20, 0xFFFFFF00, 2048), svd, end}, Iso9660, true},
        {"Joliet's root of 4 GB", {pvd, Sized(2, 20, 19, 0xFFFFFFFF), end}, Joliet, true},
        // libarchive takes the volume's size from Joliet's descriptor even for the other tree.
        {"Joliet's volume of 4 TB", {pvd, Sized(2, 0x7FFFFFFF, 19, 2048), end}, Iso9660, true},
        {"a lie past the terminator", {pvd, end, Sized(1, 1, 9, 0xFFFFFFFF)}, Iso9660, false},
    };
    for (const auto& c : cases) {
        std::string bytes;
        const ImageInput image = Image(bytes, c.descriptors);
        // libarchive reads an image from its first byte; the check reads only descriptors.
        std::uint64_t lowest = UINT64_MAX;
        const ImageInput watched{image.size, [&](std::uint64_t offset, std::size_t size, void* to) {
                                     lowest = std::min(lowest, offset);
                                     return image.read(offset, size, to);
                                 }};
        const std::string message = Failure(watched, c.system);
        // The bare descriptors hold no tree, so libarchive, once it reads them, refuses too.
        EXPECT_NE(message.find(c.refused ? "(its volume descriptor: " : "(libarchive: "),
                  std::string::npos)
            << c.what << ": " << message;
        EXPECT_EQ(lowest == 0, !c.refused) << c.what;
    }
}

/// A UDF descriptor with tag `id` (its tag's checksum right) and 32-bit `fields` at their
/// offsets.
std::string Tagged(std::uint16_t id, std::vector<std::pair<std::size_t, std::uint32_t>> fields)
{
    std::string d(2048, '\0');
    fields.emplace_back(0, id);
    for (const auto& [at, value] : fields)
        Put(d, at, value);
    unsigned sum = 0;
    for (int i = 0; i < 16; ++i)
        sum += i == 4 ? 0 : static_cast<unsigned char>(d[i]);
    d[4] = static_cast<char>(sum);
    return d;
}

TEST(DiscImage, RefusesUdfDescriptorsThatWouldKeepLibudfreadGoing)
{
    const struct {
        const char* what;
        std::string first; ///< of the volume descriptor sequence, before its terminator
        bool refused;
    } cases[] = {
        {"a file set area the image holds", Tagged(6, {{248, 2048}, {252, 200}}), false},
        {"a file set area of 0 bytes (4 GB to libudfread)", Tagged(6, {{248, 0}, {252, 200}}),
         true},
        {"a file set area past the image's end", Tagged(6, {{248, 4096}, {252, 257}}), true},
        {"a pointer back to its own sequence", Tagged(3, {{20, 2048}, {24, 32}}), true},
    };
    for (const auto& c : cases) {
        // 258 blocks: the anchor at 256 points at a sequence of two at 32.
        std::string bytes(258 * 2048, '\0');
        bytes.replace(256 * 2048, 2048, Tagged(2, {{16, 2 * 2048}, {20, 32}}));
        bytes.replace(32 * 2048, 2048, c.first);
        bytes.replace(33 * 2048, 2048, Tagged(8, {}));
        const std::string message =
            Failure({bytes.size(),
                     [&bytes](std::uint64_t offset, std::size_t size, void* to) {
                         if (offset > bytes.size() || size > bytes.size() - offset)
                             return false;
                         std::memcpy(to, bytes.data() + offset, size);
                         return true;
                     }},
                    autorun::check::ImageFileSystem::Udf);
        // With no volume recognition sequence, libudfread finds no volume.
        EXPECT_NE(message.find(c.refused ? "(its volume descriptors: " : "(libudfread: "),
                  std::string::npos)
            << c.what << ": " << message;
    }
}

} // namespace
