/// Fuzzes the checker's reading of disc images with any bytes: the volume descriptors,
/// then each tree they announce (ISO 9660, Joliet, UDF) as libarchive and libudfread
/// read it, with the checker's own code around them. The image lies in a buffer of
/// exactly its size, read only through a callback that refuses anything past its end.
/// A damaged image may end the reading with a message, never otherwise; each file hands
/// over no more than was asked for; every name the checker accepts is one it can lay out
/// in its temporary folder without leaving it.
#include "checker/DiscImage.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "image fuzzer: %s\n", what);
        std::abort();
    }
}

constexpr std::size_t kWanted = 4096;

void CheckPath(const std::string& path)
{
    Check(!path.empty() && path.size() <= autorun::check::kMaxImagePath,
          "a path of no or too great a length");
    Check(path.front() != '/' && path.back() != '/', "a path that is not relative");
    Check(path.find("//") == std::string::npos, "an empty part");
    const std::string parts = "/" + path + "/";
    Check(parts.find("/../") == std::string::npos && parts.find("/./") == std::string::npos,
          "a . or .. part");
    Check(path.find_first_of(std::string("\\:\0", 3)) == std::string::npos,
          "a character no Windows name holds");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace autorun::check;
    const std::unique_ptr<std::uint8_t[]> image(new std::uint8_t[size]);
    std::memcpy(image.get(), data, size);
    const ImageInput input{size, [&](std::uint64_t offset, std::size_t count, void* buffer) {
                               if (offset > size || count > size - offset)
                                   return false;
                               std::memcpy(buffer, image.get() + offset, count);
                               return true;
                           }};
    ImageVolumes volumes;
    try {
        volumes = FindVolumes(input);
    } catch (const CheckFailure& failure) {
        Check(!failure.message.empty(), "a failure without a message");
        return 0;
    }
    Check(volumes.iso9660 || volumes.udf, "volumes without a file system");
    const bool systems[] = {volumes.udf, volumes.joliet, volumes.iso9660};
    const ImageFileSystem names[] = {ImageFileSystem::Udf, ImageFileSystem::Joliet,
                                     ImageFileSystem::Iso9660};
    for (int i = 0; i < 3; ++i) {
        if (!systems[i])
            continue;
        std::size_t entries = 0;
        const ImageVisit visit{
            [](const ImageEntry&) { return kWanted; },
            [&](const ImageEntry& entry, std::string_view head) {
                ++entries;
                Check(entry.folder || (head.size() <= kWanted && head.size() <= entry.size),
                      "more of a file than was asked for");
                Check(!entry.folder || head.empty(), "contents of a folder");
                if (const std::optional<std::string> path = WindowsPath(entry.name))
                    CheckPath(*path);
            }};
        try {
            ReadImageTree(input, names[i], visit);
        } catch (const CheckFailure& failure) {
            Check(!failure.message.empty(), "a failure without a message");
        }
        Check(entries <= kMaxImageEntries, "more entries than the reader allows");
    }
    if (const std::optional<std::string> path = WindowsPath(
            std::string(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 4096))))
        CheckPath(*path);
    return 0;
}
