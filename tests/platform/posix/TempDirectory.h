/// A fresh directory for one test, removed with everything in it afterwards.
#ifndef KOVA_TESTS_POSIX_TEMPDIRECTORY_H
#define KOVA_TESTS_POSIX_TEMPDIRECTORY_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kova::posix::test {

class TempDirectory {
public:
    TempDirectory()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kova-posix-XXXXXX").string();
        fPath = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDirectory() { std::filesystem::remove_all(fPath); }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& Path() const { return fPath; }

    std::filesystem::path Write(const std::string& name, std::string_view bytes) const
    {
        const std::filesystem::path file = fPath / name;
        std::ofstream(file, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

private:
    std::filesystem::path fPath;
};

} // namespace kova::posix::test

#endif
