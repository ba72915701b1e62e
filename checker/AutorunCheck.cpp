/// autorun-check: tells a disc author what Windows and the launcher will do with a disc
/// folder or a disc image, and why, without starting anything or writing anywhere.
#include "checker/Findings.h"
#include "checker/Gather.h"
#include "checker/ReportWriters.h"
#include "checker/Text.h"
#include "framework/gui/HardenProcess.h"
#include "launcher/Version.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kFailed = 2;

/// Which report the program writes.
enum class Form { Text, Json, Sarif };

const char kUsage[] =
    "usage: autorun-check [--json | --sarif] [--registry FILE.reg] [FOLDER | IMAGE.iso]\n"
    "Reads FOLDER/autorun.inf (FOLDER: the current folder when not given) as Windows' shell\n"
    "and the launcher do, asks the registry exactly as the launcher does, and tells what\n"
    "would start there, and why. IMAGE.iso, a disc image (ISO 9660, Joliet, UDF), is checked\n"
    "as the disc pressed from it, under the names Windows shows (Linux build only).\n"
    "Nothing is started and nothing is written.\n"
    "  --json              the report as one JSON object\n"
    "  --sarif             the findings as a SARIF 2.1.0 log, for code scanning in CI; its\n"
    "                      paths are relative to the current folder\n"
    "  --registry FILE     the registry to ask, a .reg file (Linux build only)\n"
    "  --version           the version\n"
    "Exit status: 0 no findings (or only informational ones), 1 findings, 2 the check\n"
    "could not run.\n";

int Fail(const std::string& message)
{
    std::fprintf(stderr, "autorun-check: %s\n", message.c_str());
    return kFailed;
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything may load a DLL: none comes from the folder being checked.
    kova::HardenProcess();
    Form form = Form::Text;
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--json" || argument == "--sarif") {
            const Form chosen = argument == "--json" ? Form::Json : Form::Sarif;
            if (form != Form::Text && form != chosen)
                return Fail("--json and --sarif cannot be given together: choose one");
            form = chosen;
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
            std::error_code error;
            if (!std::ifstream(argv[i]) || std::filesystem::is_directory(argv[i], error))
                return Fail(std::string("cannot read the registry file ") + argv[i]);
            // The stand-in reads its registry from this file on first use.
            setenv("KOVA_REGISTRY", argv[i], 1);
#endif
        } else if (argument.starts_with("-") && argument != "-") {
            return Fail("unknown option " + argument + " (see --help)");
        } else if (folder != nullptr) {
            return Fail("only one folder or image can be checked at a time");
        } else {
            folder = argv[i];
        }
    }
    // The folder's name comes in the ANSI code page on Windows, in UTF-8 elsewhere; from
    // here on every text is UTF-8.
#ifdef _WIN32
    const std::string disc = autorun::check::AnsiToUtf8(folder != nullptr ? folder : ".");
#else
    const std::string disc = folder != nullptr ? folder : ".";
#endif
    std::error_code error;
    const bool image = std::filesystem::is_regular_file(autorun::check::PathOf(disc), error);
#ifdef _WIN32
    if (image)
        return Fail(
            disc +
            " is a file: disc images are read by the Linux build; on Windows, mount the image "
            "(open it in Explorer) and check its drive letter, e.g. autorun-check E:\\");
#endif
    try {
        using namespace autorun::check;
#ifdef _WIN32
        const DiscFacts facts = GatherFolder(disc);
#else
        const DiscFacts facts = image ? GatherImage(disc) : GatherFolder(disc);
#endif
        const std::vector<Finding> findings = FindTraps(facts);
        // Every report is UTF-8; a Windows console shows the text once told so.
#ifdef _WIN32
        if (form == Form::Text)
            SetConsoleOutputCP(CP_UTF8);
#endif
        const std::string text = form == Form::Json    ? JsonReport(facts, findings)
                                 : form == Form::Sarif ? SarifReport(facts, findings)
                                                       : TextReport(facts, findings);
        std::fwrite(text.data(), 1, text.size(), stdout);
        const bool clean =
            std::all_of(findings.begin(), findings.end(),
                        [](const Finding& finding) { return finding.severity == Severity::Info; });
        return clean ? kClean : kFindings;
    } catch (const autorun::check::CheckFailure& failure) {
        return Fail(failure.message);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
}
