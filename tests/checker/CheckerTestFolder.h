/// A fresh disc folder for one checker test, removed with everything in it afterwards.
#ifndef KOVA_TESTS_CHECKER_CHECKERTESTFOLDER_H
#define KOVA_TESTS_CHECKER_CHECKERTESTFOLDER_H

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace kova::check::test {

class CheckerTestFolder {
public:
    CheckerTestFolder()
    {
        std::random_device random;
        do {
            fPath =
                std::filesystem::temp_directory_path() / ("kova-check-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(fPath));
    }
    ~CheckerTestFolder() { std::filesystem::remove_all(fPath); }
    CheckerTestFolder(const CheckerTestFolder&) = delete;
    CheckerTestFolder& operator=(const CheckerTestFolder&) = delete;

    std::string Path() const { return fPath.string(); }

    void Write(const std::string& name, std::string_view bytes) const
    {
        std::ofstream(fPath / name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path fPath;
};

} // namespace kova::check::test

#endif
