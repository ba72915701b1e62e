/// autorun-check: tells a disc author what the launcher will do with a disc folder, and
/// why, without starting anything or writing anywhere.
#include "checker/CheckReport.h"
#include "framework/gui/HardenProcess.h"
#include "checker/Quote.h"
#include "checker/ReportWriters.h"
#include "launcher/Version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace {

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kFailed = 2;

const char kUsage[] =
    "usage: autorun-check [--json] [--registry FILE.reg] [FOLDER]\n"
    "Reads FOLDER/autorun.inf (FOLDER: the current folder when not given) and the registry\n"
    "exactly as the launcher does, and tells what the launcher would start there, and why.\n"
    "Nothing is started and nothing is written.\n"
    "  --json              the report as one JSON object\n"
    "  --registry FILE     the registry to ask, a .reg file (Linux build only)\n"
    "  --version           the version\n"
    "Exit status: 0 no findings, 1 findings, 2 the check could not run.\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "autorun-check: %s\n", message.c_str());
    return kFailed;
}

#ifndef _WIN32
bool IsReadableFile(const char* path)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    char byte;
    const bool readable = std::fread(&byte, 1, 1, file) == 1 || std::feof(file);
    std::fclose(file);
    return readable;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    // Before anything may load a DLL: none comes from the folder being checked.
    kova::HardenProcess();
    bool json = false;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json") {
            json = true;
        } else if (argument == "--version") {
            std::printf("autorun-check %s\n", KOVA_VERSION_STRING);
            return kClean;
        } else if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return kClean;
        } else if (argument == "--registry") {
            if (++i == argc)
                return Fail("--registry needs a .reg file");
#ifdef _WIN32
            return Fail("--registry is for the Linux build; on Windows the checker asks this "
                        "machine's registry");
#else
            if (!IsReadableFile(argv[i]))
                return Fail(std::string("cannot read the registry file ") + argv[i]);
            // The stand-in reads its registry from this file on first use.
            setenv("KOVA_REGISTRY", argv[i], 1);
#endif
        } else if (argument.starts_with("-") && argument != "-") {
            return Fail("unknown option " + argument + " (see --help)");
        } else if (folder != nullptr) {
            return Fail("only one folder can be checked at a time");
        } else {
            folder = argv[i];
        }
    }
    try {
        const kova::check::CheckReport report = kova::check::CheckFolder(folder != nullptr ? folder : ".");
        // Both reports are UTF-8; a Windows console shows it once told so.
#ifdef _WIN32
        if (!json)
            SetConsoleOutputCP(CP_UTF8);
#endif
        const std::string text = json ? JsonReport(report) : TextReport(report);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return report.findings.empty() ? kClean : kFindings;
    } catch (const kova::check::CheckFailure& failure) {
        return Fail(failure.message);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
