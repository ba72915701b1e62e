#include "checker/DiscImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

} // namespace
