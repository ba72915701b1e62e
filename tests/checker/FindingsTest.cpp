#include "checker/Findings.h"
#include "checker/Wording.h"
#include "tests/checker/CheckerTestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace autorun;

using autorun::check::test::Check;
using autorun::check::test::Checked;
using autorun::check::test::CheckerTestFolder;

/// A disc that is right in every way; each case below spoils one thing. No machine has its
/// product key, so the launcher would start the setup program.
const std::string kGood = "[autorun]\r\n"
                          "open=autorun.exe\r\n"
                          "AppRegistry=HKEY_CURRENT_USER\r\n"
                          "AppKey=Software\\KovaTest\\NeverInstalled\r\n"
                          "AutoStartValueName=Run\r\n"
                          "AutoStartValue=1\r\n"
                          "AppPathValueName=Path\r\n"
                          "SetupName=setup.exe /s\r\n"
                          "action=Install the product\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

/// The findings as "code:line" ("code" alone when a finding has no line).
std::vector<std::string> Findings(const Checked& report)
{
    std::vector<std::string> codes;
    for (const autorun::check::Finding& finding : report.findings)
        codes.push_back(finding.line > 0 ? finding.code + ":" + std::to_string(finding.line)
                                         : finding.code);
    return codes;
}

/// `text` as a UTF-16LE file saves it, with its byte-order mark.
std::string Utf16Le(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string Repeated(const std::string& text, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

std::u16string Widened(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> findings;
};

TEST(Findings, EachTrapOfTheFile)
{
    const std::string padding(32000, ';');
    // A comment that pushes the setup line so that its value begins 5 bytes before the end
    // of what the launcher reads.
    const std::string straddle =
        std::string(31995 - kGood.find("SetupName=") - 12, ';') + "\r\nSetupName=";
    const Case cases[] = {
        {"a disc without traps", kGood, {}},
        {"a key in lower case",
         Replace(kGood, "AppKey=", "appkey="),
         {"key-wrong-case:4", "appkey-empty", "autostart-value-missing:5"}},
        {"a key in upper case",
         Replace(kGood, "SetupName=", "SETUPNAME="),
         {"key-wrong-case:8", "setup-not-set"}},
        {"blanks around the equals sign",
         Replace(kGood, "AppKey=", "AppKey ="),
         {"key-blank-before-equals:4", "appkey-empty", "autostart-value-missing:5"}},
        {"a commented line before the real one",
         "; AppKey=Software\\Old\r\n" + kGood,
         {"key-first-occurrence:1"}},
        {"a key inside another line",
         Replace(kGood, "open=autorun.exe", "label=SetupName=old.exe"),
         {"autorun-open-missing:1", "key-first-occurrence:2", "setup-not-found:2"}},
        {"a commented-out key is read all the same",
         Replace(kGood, "SetupName=", ";SetupName="),
         {"key-inside-line:8"}},
        {"a key set twice", kGood + "AppKey=Software\\KovaTest\\Other\r\n", {"key-repeated:10"}},
        {"a key set twice alike", kGood + "AutoStartValue=1\r\n", {}},
        {"a root with a trailing blank",
         Replace(kGood, "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE "),
         {"value-trailing-blank:3", "root-unknown:3"}},
        {"a root's abbreviation", Replace(kGood, "HKEY_CURRENT_USER", "HKLM"), {"root-unknown:3"}},
        {"the current user's root in lower case",
         Replace(kGood, "HKEY_CURRENT_USER", "hkey_current_user"),
         {"root-unknown:3"}},
        // Without a product key the root itself opens, and has no auto-start value.
        {"no product key",
         Replace(kGood, "AppKey=Software\\KovaTest\\NeverInstalled", ""),
         {"appkey-empty", "autostart-value-missing:5"}},
        {"an empty product key",
         Replace(kGood, "Software\\KovaTest\\NeverInstalled", ""),
         {"appkey-empty:4", "autostart-value-missing:5"}},
        {"a product key with a leading backslash",
         Replace(kGood, "AppKey=Software", "AppKey=\\Software"),
         {"appkey-leading-backslash:4"}},
        {"a product key that repeats the root",
         Replace(kGood, "AppKey=Software", "AppKey=HKEY_CURRENT_USER\\Software"),
         {"appkey-repeats-root:4"}},
        {"a value longer than 256 characters",
         Replace(kGood, "/s", "/s " + std::string(300, 'x')),
         {"value-too-long:8"}},
        {"a key beyond byte 32000",
         Replace(kGood, "SetupName=", padding + "\r\nSetupName="),
         {"setup-not-set", "key-beyond-32000:9"}},
        {"a value cut at byte 32000: the launcher sees \"setup\"",
         Replace(kGood, "SetupName=", straddle),
         {"value-cut-at-32000:9"}},
        {"a zero byte before some keys",
         Replace(kGood, "AppPathValueName", std::string(1, '\0') + "AppPathValueName"),
         {"zero-byte:7", "key-after-zero-byte:7", "apppath-default-value", "setup-not-set",
          "key-after-zero-byte:8"}},
        {"a big-endian UTF-16 file",
         std::string("\xFE\xFF\0A\0p\0p\0K\0e\0y\0=\0x", 18),
         {"autorun-section-missing", "utf16-not-read:1"}},
        {"big-endian without a byte-order mark",
         std::string("\0A\0p\0p\0K\0e\0y\0=\0x", 16),
         {"autorun-section-missing", "utf16-not-read:1"}},
        {"UTF-16 without a byte-order mark",
         std::string("A\0p\0p\0K\0e\0y\0=\0x\0", 16),
         {"autorun-section-missing", "utf16-not-read:1"}},
        // A UTF-16LE file is read as any other; its lines are counted in its own text.
        {"a UTF-16LE file", Utf16Le(Widened(kGood)), {}},
        {"a UTF-16LE file with a key in lower case",
         Utf16Le(Widened(Replace(kGood, "AppKey=", "appkey="))),
         {"key-wrong-case:4", "appkey-empty", "autostart-value-missing:5"}},
        {"an accented ANSI product key",
         Replace(kGood, "NeverInstalled", "Soci\xE9t\xE9"),
         {"ansi-non-ascii:4"}},
        {"an accented UTF-8 product key",
         Replace(kGood, "NeverInstalled", "Soci\xC3\xA9t\xC3\xA9"),
         {}},
        {"a UTF-8 mark before the section", "\xEF\xBB\xBF" + kGood, {"utf8-bom-hides-section:1"}},
        {"a UTF-8 mark on a line of its own", "\xEF\xBB\xBF\r\n" + kGood, {}},
        // A value of 256 characters, 243 of them two bytes long, is not too long.
        {"a UTF-8 value of 256 characters",
         Replace(kGood, "/s", "/s " + Repeated("\xC3\xA9", 243)),
         {}},
        {"a UTF-8 value of 257 characters",
         Replace(kGood, "/s", "/s " + Repeated("\xC3\xA9", 244)),
         {"value-too-long:8"}},
        {"an auto-start value with a trailing tab",
         Replace(kGood, "AutoStartValue=1", "AutoStartValue=1\t"),
         {"value-trailing-blank:6"}},
        {"a value with a leading blank",
         Replace(kGood, "AppPathValueName=Path", "AppPathValueName= Path"),
         {"value-leading-blank:7"}},
        {"nothing says when the installed program starts",
         Replace(kGood, "AutoStartValueName=Run\r\n", ""),
         {"autostart-default-value"}},
        {"AutoStart=0 still forces the start",
         Replace(kGood, "open=", "AutoStart=0\r\nopen="),
         {"autostart-any-value:2"}},
        {"no program-path value name",
         Replace(kGood, "AppPathValueName=Path\r\n", ""),
         {"apppath-default-value"}},
        {"no setup program", Replace(kGood, "SetupName=setup.exe /s\r\n", ""), {"setup-not-set"}},
        {"a registry view with a trailing blank",
         kGood + "AppRegistryView=64 \r\n",
         {"value-trailing-blank:10", "view-unknown:10"}},
        {"a registry view that is neither", kGood + "AppRegistryView=x86\r\n", {"view-unknown:10"}},
        {"a setup program that is not on the disc",
         Replace(kGood, "setup.exe /s", "instal.exe /s"),
         {"setup-not-found:8"}},
        {"a disc's version and where the installer writes its own",
         kGood + "AppVersion=v2.1 beta\r\nAppVersionValueName=DisplayVersion\r\n",
         {}},
        {"a disc's version that is not one",
         kGood + "AppVersion=2..1\r\nAppVersionValueName=Version\r\n",
         {"app-version-unparsable:10"}},
        {"an empty disc's version",
         kGood + "AppVersion=\r\nAppVersionValueName=Version\r\n",
         {"app-version-unparsable:10"}},
        {"a version value name without the disc's version",
         kGood + "AppVersionValueName=Version\r\n",
         {"app-version-value-name-ignored:10"}},
        {"a disc's version without a value name",
         kGood + "AppVersion=2.1\r\n",
         {"app-version-default-value"}},
        // 64-bit Windows reads [AutoRun.Amd64] in place of [autorun].
        {"an [AutoRun.Amd64] section without the action",
         kGood + "[AutoRun.Amd64]\r\nopen=autorun.exe\r\n",
         {"shell-amd64-section-incomplete:9"}},
        {"an [AutoRun.Amd64] section with every line",
         kGood + "[autorun.amd64]\r\nopen=autorun.exe\r\naction=Install\r\n",
         {}},
        {"only a setup for x64 machines",
         Replace(kGood, "SetupName=", "SetupNameX64="),
         {"setup-not-set"}},
        {"a machine's setup that is not on the disc",
         kGood + "SetupNameArm64=arm64\\setup.exe\r\n",
         {"setup-not-found:10"}},
    };
    for (const Case& c : cases) {
        CheckerTestFolder disc;
        disc.Write("autorun.inf", c.text);
        disc.Write("autorun.exe", "");
        disc.Write("setup.exe", "");
        const Checked report = Check(disc.Path());
        auto findings = Findings(report);
        auto expected = c.findings;
        std::sort(findings.begin(), findings.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(findings, expected) << c.what;
    }
}

TEST(Findings, FolderWithoutAutorunInf)
{
    CheckerTestFolder disc;
    const Checked report = Check(disc.Path());
    ASSERT_EQ(Findings(report), std::vector<std::string>{"no-autorun-inf"});
    EXPECT_EQ(report.facts.decision.action, LaunchAction::Nothing);
    EXPECT_FALSE(report.facts.commandLine.has_value());
}

TEST(Findings, MissingFolderCannotBeChecked)
{
    EXPECT_THROW(Check("kova-no-such-folder"), autorun::check::CheckFailure);
}

TEST(Findings, LinesEndAtEveryKindOfLineBreak)
{
    const autorun::check::LineTable lines("a\r\nb\nc\rd");
    EXPECT_EQ(lines.LineOf(0), 1);
    EXPECT_EQ(lines.LineOf(3), 2);
    EXPECT_EQ(lines.LineOf(5), 3);
    EXPECT_EQ(lines.LineOf(7), 4);
    EXPECT_EQ(autorun::check::LineTable("a\r").LineOf(2), 2);
}

} // namespace

namespace {

TEST(Findings, AnUnreadableFileIsAFindingAndStartsNothing)
{
    CheckerTestFolder disc;
    std::filesystem::create_directory(std::filesystem::path(disc.Path()) / "autorun.inf");
    const Checked report = Check(disc.Path());
    EXPECT_EQ(Findings(report), std::vector<std::string>{"autorun-inf-unreadable"});
    EXPECT_FALSE(report.facts.file.readable);
    EXPECT_EQ(report.facts.decision.action, autorun::LaunchAction::Nothing);
    EXPECT_EQ(report.facts.decision.queryCount, 0);
}

TEST(Wording, FillsInNamedFieldsAndRefusesAMissingOne)
{
    using autorun::check::Fill;
    EXPECT_EQ(Fill("{key} on line {line}, {key} again", {{"key", "a"}, {"line", "7"}, {"x", "-"}}),
              "a on line 7, a again");
    EXPECT_EQ(Fill("no field, a lone { and }", {}), "no field, a lone { and }");
    EXPECT_THROW(Fill("{key} on line {lnie}", {{"key", "a"}, {"line", "7"}}), std::logic_error);
}

/// The codes are a public interface: the README's table lists every one of them, once, with
/// its severities and what it means, as the catalogue has them.
TEST(Findings, TheReadmeListsEveryCode)
{
    std::ifstream readme(KOVA_README);
    ASSERT_TRUE(readme) << KOVA_README;
    std::map<std::string, std::string> documented;
    for (std::string line; std::getline(readme, line);) {
        if (!line.starts_with("| `") || line.find("` |") == std::string::npos)
            continue;
        const std::string code = line.substr(3, line.find("` |") - 3);
        if (code.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string::npos) {
            EXPECT_TRUE(documented.emplace(code, line).second) << code << " is listed twice";
        }
    }
    std::map<std::string, std::string> catalogue;
    for (const autorun::check::FindingCode& code : autorun::check::FindingCodes()) {
        std::string severities;
        for (const autorun::check::Severity severity : code.severities)
            severities += (severities.empty() ? "" : " or ") +
                          std::string(autorun::check::SeverityName(severity));
        ASSERT_NE(code.summary, nullptr) << code.code;
        catalogue[code.code] =
            "| `" + std::string(code.code) + "` | " + severities + " | " + code.summary + " |";
    }
    EXPECT_EQ(documented, catalogue);
}

} // namespace

namespace {

TEST(Findings, UnquotedProgramPaths)
{
    using autorun::check::Severity;
    const struct {
        const char* setupName;
        std::vector<const char*> files;
        std::vector<std::string> findings;
        Severity severity;
    } cases[] = {
        {"Setup Files\\setup.exe /s",
         {"Setup Files/setup.exe"},
         {"unquoted-path:8"},
         Severity::Warning},
        // A program where Windows looks first starts instead of the one meant.
        {"Setup Files\\setup.exe /s",
         {"Setup Files/setup.exe", "Setup.exe"},
         {"unquoted-path:8"},
         Severity::Error},
        {"\"Setup Files\\setup.exe\" /s", {"Setup Files/setup.exe"}, {}, Severity::Warning},
        {"setup.exe /s /x", {"setup.exe"}, {}, Severity::Warning},
        // Nothing names a program, and no name ends in ".exe": the meaning cannot be told.
        {"Setup Files\\setup /s", {}, {"setup-not-found:8"}, Severity::Error},
    };
    for (const auto& c : cases) {
        CheckerTestFolder disc;
        disc.Write("autorun.inf", Replace(kGood, "setup.exe /s", c.setupName));
        disc.Write("autorun.exe", "");
        std::filesystem::create_directory(std::filesystem::path(disc.Path()) / "Setup Files");
        for (const char* file : c.files)
            disc.Write(file, "");
        const Checked report = Check(disc.Path());
        EXPECT_EQ(Findings(report), c.findings) << c.setupName;
        if (!report.findings.empty()) {
            EXPECT_EQ(report.findings[0].severity, c.severity)
                << c.setupName << ": " << report.findings[0].message;
        }
    }
}

} // namespace
