/// Gathering a disc image: its tree laid out, under the names Windows shows, and gathered
/// as a folder.
#include "checker/DiscImage.h"
#include "checker/Gather.h"
#include "checker/Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace autorun::check {

namespace {

namespace fs = std::filesystem;

/// Of each program and of autorun.inf only the start matters: the launcher reads 32000
/// bytes of the file and the checker 4 MB; a program's headers and resources stand near
/// its start. The rest of each file is laid out as a hole of its size.
constexpr std::size_t kHeadSize = 16 * 1024 * 1024;
/// All the starts together, so that a disc of many programs does not fill the machine.
constexpr std::uint64_t kHeadBudget = 256 * 1024 * 1024;

/// The files whose contents a check reads: autorun.inf and the programs.
bool ContentMatters(std::string_view name)
{
    return EndsWithIgnoringCase(name, ".inf") || EndsWithIgnoringCase(name, ".exe") ||
           EndsWithIgnoringCase(name, ".com");
}

/// A folder of this process's own, removed with everything in it at the end of the check.
class PrivateFolder {
public:
    PrivateFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "autorun-check-image.XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw CheckFailure{"cannot make a temporary folder to lay the image out in"};
        fPath = pattern;
    }
    ~PrivateFolder()
    {
        std::error_code error;
        fs::remove_all(fPath, error);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const fs::path& Path() const { return fPath; }

private:
    fs::path fPath;
};

/// Lays the tree out below `folder` and notes each name in `image`.
class Layout {
public:
    Layout(const fs::path& folder, ImageFacts& image) : fFolder(folder), fImage(image) {}

    ImageVisit Visit()
    {
        return {[this](const ImageEntry& entry) { return Wanted(entry); },
                [this](const ImageEntry& entry, std::string_view head) { Place(entry, head); }};
    }

private:
    std::size_t Wanted(const ImageEntry& entry)
    {
        if (!ContentMatters(entry.name))
            return 0;
        const std::uint64_t wanted =
            std::min<std::uint64_t>({entry.size, kHeadSize, kHeadBudget - fHeads});
        if (wanted < entry.size)
            fImage.contentsCut = true;
        fHeads += wanted;
        return static_cast<std::size_t>(wanted);
    }

    void Place(const ImageEntry& entry, std::string_view head)
    {
        const std::optional<std::string> path = WindowsPath(entry.name);
        if (!path) {
            fImage.leftOut.push_back(ToUtf8(entry.name, TextEncoding::Utf8));
            return;
        }
        // Windows holds one of two names that differ only in case; the first stays.
        if (!fNames.insert(UpperAscii(*path)).second)
            return;
        std::error_code error;
        const fs::path target = fFolder / PathOf(*path);
        fs::create_directories(entry.folder ? target : target.parent_path(), error);
        if (!entry.folder && !error) {
            std::ofstream(target, std::ios::binary)
                .write(head.data(), static_cast<std::streamsize>(head.size()));
            // The rest of the file is a hole: its size shows, its bytes take no room.
            if (entry.size > head.size())
                fs::resize_file(target, std::min<std::uint64_t>(entry.size, std::uint64_t{1} << 40),
                                error);
        }
        fImage.files.push_back(ToUtf8(*path, TextEncoding::Utf8));
    }

    const fs::path& fFolder;
    ImageFacts& fImage;
    std::uint64_t fHeads = 0;
    std::set<std::string> fNames;
};

/// The names of one of the image's trees, folded as Windows compares them.
std::set<std::string> TreeNames(const ImageInput& input, ImageFileSystem system)
{
    std::set<std::string> names;
    ReadImageTree(input, system,
                  {[](const ImageEntry&) { return std::size_t{0}; },
                   [&](const ImageEntry& entry, std::string_view) {
                       if (const std::optional<std::string> path = WindowsPath(entry.name))
                           names.insert(UpperAscii(ToUtf8(*path, TextEncoding::Utf8)));
                   }});
    return names;
}

} // namespace

DiscFacts GatherImage(const std::string& path)
{
    // The image is read where it stands.
    std::error_code error;
    std::ifstream file(PathOf(path), std::ios::binary);
    const std::uint64_t size = fs::file_size(PathOf(path), error);
    if (!file || error || fs::is_directory(PathOf(path), error))
        throw CheckFailure{"cannot read the image " + path};
    const ImageInput input{
        size, [&file, size](std::uint64_t offset, std::size_t count, void* buffer) {
            if (offset > size || count > size - offset)
                return false;
            file.clear();
            file.seekg(static_cast<std::streamoff>(offset));
            return static_cast<bool>(
                file.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count)));
        }};
    ImageVolumes volumes;
    try {
        volumes = FindVolumes(input);
    } catch (const CheckFailure& failure) {
        throw CheckFailure{path + ": " + failure.message};
    }
    ImageFacts image;
    image.path = path;
    image.hasIso9660 = volumes.iso9660;
    image.hasJoliet = volumes.joliet;
    image.hasUdf = volumes.udf;
    image.fileSystem = WindowsFileSystem(volumes);
    const PrivateFolder folder;
    try {
        Layout layout(folder.Path(), image);
        ReadImageTree(input, image.fileSystem, layout.Visit());
        if (image.fileSystem == ImageFileSystem::Udf && volumes.iso9660) {
            // What a reader that knows no UDF sees; Windows reads the UDF tree.
            const std::set<std::string> iso = TreeNames(
                input, volumes.joliet ? ImageFileSystem::Joliet : ImageFileSystem::Iso9660);
            std::set<std::string> udf;
            for (const std::string& name : image.files)
                udf.insert(UpperAscii(name));
            std::set_difference(udf.begin(), udf.end(), iso.begin(), iso.end(),
                                std::back_inserter(image.udfOnly));
            std::set_difference(iso.begin(), iso.end(), udf.begin(), udf.end(),
                                std::back_inserter(image.isoOnly));
        }
    } catch (const CheckFailure& failure) {
        throw CheckFailure{path + ": " + failure.message};
    }
    return GatherImageTree(Utf8Of(folder.Path()), std::move(image));
}

} // namespace autorun::check
