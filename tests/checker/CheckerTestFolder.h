/// A fresh disc folder for one checker test, removed with everything in it afterwards.
#ifndef KOVA_TESTS_CHECKER_CHECKERTESTFOLDER_H
#define KOVA_TESTS_CHECKER_CHECKERTESTFOLDER_H

#include "checker/Findings.h"
#include "checker/Gather.h"
#include "checker/ReportWriters.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace autorun::check::test {

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

/// A folder checked as autorun-check checks it: its facts and their findings.
struct Checked {
    DiscFacts facts;
    std::vector<Finding> findings;

    std::string Text() const { return TextReport(facts, findings); }
    std::string Json() const { return JsonReport(facts, findings); }
};

inline Checked Check(const std::string& folder)
{
    Checked checked{GatherFolder(folder), {}};
    checked.findings = FindTraps(checked.facts);
    return checked;
}

} // namespace autorun::check::test

#endif
