/// Reads a disc image (ISO 9660 with or without Joliet names, UDF) the way Windows reads
/// the pressed disc: its volumes, then its tree under the names Windows shows. The file
/// systems themselves are read by libarchive (ISO 9660, Joliet) and libudfread (UDF);
/// this is the checker's side of them, which decides what to read, trusts no name, and
/// holds the sizes and chains the libraries would follow to what the image can hold.
#ifndef KOVA_CHECKER_DISCIMAGE_H
#define KOVA_CHECKER_DISCIMAGE_H

#include "checker/Gather.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace autorun::check {

/// The image's bytes: its size, and a read of `size` bytes at `offset` that is false when
/// the image holds fewer.
struct ImageInput {
    std::uint64_t size;
    std::function<bool(std::uint64_t offset, std::size_t size, void* buffer)> read;
};

/// The file systems whose descriptors the image holds, from its volume descriptors.
struct ImageVolumes {
    bool iso9660 = false;
    bool joliet = false;
    bool udf = false;
};

/// One entry of the image's tree: its name as the file system gives it (UTF-8,
/// '/'-separated, unchecked), whether it is a folder, and its size.
struct ImageEntry {
    std::string name;
    bool folder;
    std::uint64_t size;
};

/// What a reader of the tree does with each entry: how many of a file's first bytes it
/// wants (0 for none), and what it does with the entry and those bytes.
struct ImageVisit {
    std::function<std::size_t(const ImageEntry&)> wanted;
    std::function<void(const ImageEntry&, std::string_view head)> entry;
};

/// The volume descriptors at 32 KB into the image. Throws CheckFailure when there are
/// none of ISO 9660 and none of UDF: then it is not a disc image.
ImageVolumes FindVolumes(const ImageInput& input);

/// The file system Windows reads from an image that holds `volumes`: UDF where there is
/// UDF, else Joliet's names where there are any, else ISO 9660's.
ImageFileSystem WindowsFileSystem(const ImageVolumes& volumes);

/// Visits every entry of `system`'s tree (folders before what they hold), at most
/// kMaxImageEntries of them and kMaxImageDepth folders deep. Throws CheckFailure when
/// the tree cannot be read (a truncated or damaged image).
void ReadImageTree(const ImageInput& input, ImageFileSystem system, const ImageVisit& visit);

constexpr std::size_t kMaxImageEntries = 200000;
constexpr std::size_t kMaxImageDepth = 64;

/// The entry's name as a path below the root that Windows can show and the checker can
/// lay out: '/'-separated, without empty, "." or ".." parts, without a character no
/// Windows name may hold, at most kMaxImageDepth parts and kMaxImagePath bytes. Nothing
/// when the name is none of that.
std::optional<std::string> WindowsPath(std::string_view name);

constexpr std::size_t kMaxImagePath = 2048;

} // namespace autorun::check

#endif
