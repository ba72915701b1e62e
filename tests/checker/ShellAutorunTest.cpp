#include "checker/Gather.h"
#include "tests/checker/CheckerTestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using autorun::check::ReadShellAutorun;
using autorun::check::ShellFacts;
using autorun::check::test::Check;
using autorun::check::test::Checked;
using autorun::check::test::CheckerTestFolder;

/// The text in UTF-16LE, with its byte-order mark when `mark`.
std::string Utf16(const std::string& text, bool mark)
{
    std::string out = mark ? "\xFF\xFE" : "";
    for (const char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(ShellAutorun, ReadsTheSectionAsWindowsIniReaderDoes)
{
    const struct {
        const char* what;
        std::string bytes;
        int section;
        std::string open; ///< "-" for no open= line
        int openLine;
    } cases[] = {
        {"plain", "[autorun]\r\nopen=autorun.exe\r\n", 1, "autorun.exe", 2},
        {"names in any case, blanks around them", "  [ AutoRun ]\n\tOPEN = autorun.exe  \n", 1,
         "autorun.exe", 2},
        {"one pair of quotes goes", "[autorun]\nopen=\"my setup.exe\"\n", 1, "my setup.exe", 2},
        {"a lone quote stays", "[autorun]\nopen=\"setup.exe\n", 1, "\"setup.exe", 2},
        {"the first line of a key counts", "[autorun]\nopen=a.exe\nopen=b.exe\n", 1, "a.exe", 2},
        {"only the first section counts", "[autorun]\nicon=x\n[autorun]\nopen=b.exe\n", 1, "-", 0},
        {"keys of other sections do not", "[other]\nopen=a.exe\n[autorun]\nlabel=x\n", 3, "-", 0},
        {"a comment is no key", "[autorun]\n;open=a.exe\n", 1, "-", 0},
        {"a line without = has no value", "[autorun]\nopen\n", 1, "", 2},
        {"no section", "open=autorun.exe\n", 0, "-", 0},
        {"a lone CR ends no line", "[autorun]\ropen=a.exe\n", 1, "-", 0},
        {"UTF-16LE with its mark", Utf16("[autorun]\r\nopen=autorun.exe\r\n", true), 1,
         "autorun.exe", 2},
        {"UTF-16 without it is ANSI text", Utf16("[autorun]\r\nopen=autorun.exe\r\n", false), 0,
         "-", 0},
        {"empty", "", 0, "-", 0},
    };
    using autorun::check::kOpen;
    for (const auto& c : cases) {
        ShellFacts shell;
        ReadShellAutorun(c.bytes, shell);
        EXPECT_EQ(shell.sectionLine, c.section) << c.what;
        EXPECT_EQ(shell.lines[kOpen] ? shell.lines[kOpen]->value : "-", c.open) << c.what;
        EXPECT_EQ(shell.lines[kOpen] ? shell.lines[kOpen]->line : 0, c.openLine) << c.what;
    }
    ShellFacts all;
    ReadShellAutorun(
        "[autorun]\nshellexecute=index.htm\nicon=a.ico,1\nlabel=L\naction=A\nuseautoplay=1\n", all);
    for (const int key :
         {autorun::check::kShellExecute, autorun::check::kIcon, autorun::check::kLabel,
          autorun::check::kAction, autorun::check::kUseAutoPlay})
        ASSERT_TRUE(all.lines[key].has_value()) << autorun::check::kShellKeys[key];
    EXPECT_EQ(all.lines[autorun::check::kIcon]->value, "a.ico,1");
    EXPECT_EQ(all.lines[autorun::check::kUseAutoPlay]->line, 6);
}

/// The findings' codes, sorted.
std::vector<std::string> Codes(const Checked& report)
{
    std::vector<std::string> codes;
    for (const autorun::check::Finding& finding : report.findings)
        codes.push_back(finding.code);
    std::sort(codes.begin(), codes.end());
    return codes;
}

/// The launcher's own settings of a disc whose setup program is there, so that only the
/// shell's lines make findings.
const std::string kSettings =
    "AppKey=Software\\KovaTest\\NeverInstalled\r\nAutoStartValueName=Run\r\n"
    "AutoStartValue=1\r\nAppPathValueName=Path\r\nSetupName=setup.exe\r\n";

TEST(ShellAutorun, EachTrapOfTheShellsLines)
{
    const struct {
        const char* what;
        std::string lines;
        std::vector<std::string> findings;
    } cases[] = {
        {"a disc Windows starts the launcher from",
         "[autorun]\r\nopen=autorun.exe\r\nicon=autorun.exe,0\r\n"
         "label=Product\r\naction=Install\r\n",
         {}},
        {"no section", "open=autorun.exe\r\n", {"autorun-section-missing"}},
        // The one finding for it is the file's own: the mark hides the section.
        {"a UTF-8 mark before the section",
         "\xEF\xBB\xBF[autorun]\r\nopen=autorun.exe\r\naction=Install\r\n",
         {"utf8-bom-hides-section"}},
        {"a UTF-8 mark before a comment",
         "\xEF\xBB\xBF;\r\n[autorun]\r\nopen=autorun.exe\r\naction=Install\r\n",
         {}},
        {"no open= line", "[autorun]\r\nlabel=Product\r\n", {"autorun-open-missing"}},
        {"an empty open= line",
         "[autorun]\r\nopen=\r\naction=Install\r\n",
         {"autorun-open-missing"}},
        {"another program",
         "[autorun]\r\nopen=other.exe\r\naction=Install\r\n",
         {"autorun-open-other-program"}},
        {"a program not on the disc",
         "[autorun]\r\nopen=gone.exe\r\naction=Install\r\n",
         {"autorun-open-not-found"}},
        {"shellexecute= counts as open=",
         "[autorun]\r\nshellexecute=gone.htm\r\naction=Install\r\n",
         {"autorun-open-not-found"}},
        {"an icon not on the disc",
         "[autorun]\r\nopen=autorun.exe\r\nicon=gone.ico\r\naction=Install\r\n",
         {"autorun-icon-not-found"}},
        {"an icon beside the program in a folder",
         "[autorun]\r\nopen=bin\\autorun.exe\r\nicon=bin/app.ico\r\naction=Install\r\n",
         {}},
        {"an icon away from the program",
         "[autorun]\r\nopen=bin\\autorun.exe\r\nicon=app.ico\r\naction=Install\r\n",
         {"autorun-icon-not-beside-open"}},
        {"a label of 32 characters",
         "[autorun]\r\nopen=autorun.exe\r\nlabel=" + std::string(32, 'L') +
             "\r\naction=Install\r\n",
         {}},
        {"a label of 33",
         "[autorun]\r\nopen=autorun.exe\r\nlabel=" + std::string(33, 'L') +
             "\r\naction=Install\r\n",
         {"autorun-label-too-long"}},
        {"no action= line", "[autorun]\r\nopen=autorun.exe\r\n", {"autorun-action-missing"}},
        {"UseAutoPlay=1",
         "[autorun]\r\nopen=autorun.exe\r\naction=Install\r\nUseAutoPlay=1\r\n",
         {"autorun-useautoplay"}},
        {"UseAutoPlay=0",
         "[autorun]\r\nopen=autorun.exe\r\naction=Install\r\nUseAutoPlay=0\r\n",
         {}},
    };
    for (const auto& c : cases) {
        CheckerTestFolder disc;
        std::filesystem::create_directory(std::filesystem::path(disc.Path()) / "bin");
        disc.Write("autorun.inf", c.lines + kSettings);
        for (const char* file :
             {"autorun.exe", "other.exe", "setup.exe", "app.ico", "bin/autorun.exe", "bin/app.ico"})
            disc.Write(file, "");
        EXPECT_EQ(Codes(Check(disc.Path())), c.findings) << c.what;
    }
}

TEST(ShellAutorun, EveryReportTellsTheUsbRule)
{
    CheckerTestFolder withFile;
    withFile.Write("autorun.inf", "[autorun]\r\nopen=autorun.exe\r\n" + kSettings);
    withFile.Write("autorun.exe", "");
    CheckerTestFolder withoutFile;
    for (const CheckerTestFolder* disc : {&withFile, &withoutFile}) {
        const Checked report = Check(disc->Path());
        EXPECT_NE(report.Text().find("USB stick"), std::string::npos) << disc->Path();
        const nlohmann::json json = nlohmann::json::parse(report.Json());
        EXPECT_NE(json["autorun"]["removableDrives"].get<std::string>().find("Windows 7"),
                  std::string::npos);
    }
    const nlohmann::json json = nlohmann::json::parse(Check(withFile.Path()).Json());
    EXPECT_EQ(json["autorun"]["keys"]["open"]["value"], "autorun.exe");
    EXPECT_EQ(json["autorun"]["keys"]["open"]["line"], 2);
    EXPECT_TRUE(json["autorun"]["keys"]["icon"].is_null());
    EXPECT_EQ(json["autorun"]["start"]["isLauncher"], true);
    EXPECT_EQ(json["autorun"]["start"]["signed"], false);
}

} // namespace
