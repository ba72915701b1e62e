#include "checker/Text.h"
#include "tests/checker/CheckerTestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using autorun::check::test::Check;
using autorun::check::test::CheckerTestFolder;
using Json = nlohmann::json;

Json Report(const CheckerTestFolder& disc)
{
    return Json::parse(Check(disc.Path()).Json());
}

TEST(JsonReport, HoldsTheWholeDecision)
{
    CheckerTestFolder disc;
    // "Société" in Windows-1252, and a key written in lower case.
    disc.Write("autorun.inf", "AppRegistry=HKEY_LOCAL_MACHINE\n"
                              "AppKey=Software\\KovaTest\\Soci\xE9t\xE9\n"
                              "autostart=1\n"
                              "SetupName=\"setup.exe\" /q\n");
    disc.Write("setup.exe", "");
    const Json report = Report(disc);

    EXPECT_EQ(report["file"]["size"], 101);
    EXPECT_EQ(report["file"]["bytesRead"], 101);
    EXPECT_EQ(report["file"]["bytesSeen"], 101);
    EXPECT_EQ(report["file"]["encoding"], "ansi");
    ASSERT_EQ(report["settings"].size(), 12u);
    EXPECT_EQ(report["settings"]["AppKey"]["value"], "Software\\KovaTest\\Soci\u00E9t\u00E9");
    EXPECT_EQ(report["settings"]["AppKey"]["line"], 2);
    EXPECT_TRUE(report["settings"]["AutoStart"]["value"].is_null());
    EXPECT_TRUE(report["settings"]["AutoStart"]["line"].is_null());

    const Json& registry = report["registry"];
    EXPECT_EQ(registry["root"], "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(registry["keyPath"], "Software\\KovaTest\\Soci\u00E9t\u00E9");
    EXPECT_EQ(registry["view"], "default");
    EXPECT_EQ(registry["access"], 1);
    EXPECT_TRUE(registry["otherViewAccess"].is_null());
    EXPECT_EQ(registry["opened"], false);
    EXPECT_EQ(registry["error"], 2);
    EXPECT_TRUE(registry["values"].empty());

    const Json& decision = report["decision"];
    EXPECT_EQ(decision["action"], "setup");
    EXPECT_EQ(decision["commandLine"], "\"setup.exe\" /q");
    EXPECT_EQ(decision["commandSource"], "setupName");
    EXPECT_EQ(decision["reasonCode"], "setup-key-closed");
    EXPECT_EQ(decision["program"], "setup.exe");
    ASSERT_TRUE(decision["programFound"].is_string());
    EXPECT_NE(decision["programFound"].get<std::string>().find("setup.exe"), std::string::npos);
    EXPECT_FALSE(decision["reason"].get<std::string>().empty());
    EXPECT_TRUE(decision["versions"].is_null());

    ASSERT_TRUE(report["findings"].is_array());
    std::vector<std::string> codes;
    for (const Json& finding : report["findings"]) {
        codes.push_back(finding["code"]);
        EXPECT_TRUE(finding["message"].is_string());
        EXPECT_TRUE(finding["fix"].is_string());
    }
    EXPECT_EQ(codes, (std::vector<std::string>{"autorun-section-missing", "ansi-non-ascii",
                                               "key-wrong-case", "autostart-default-value",
                                               "apppath-default-value"}));
    const Json& finding = report["findings"][2];
    EXPECT_EQ(finding["severity"], "error");
    EXPECT_EQ(finding["line"], 3);
    EXPECT_EQ(report["findings"][3]["severity"], "warning");
    EXPECT_TRUE(report["findings"][3]["line"].is_null());
}

TEST(JsonReport, TheVersionsAsTheDecisionReadThem)
{
    CheckerTestFolder disc;
    // The key does not open: there is no installed version to compare with.
    disc.Write("autorun.inf", "AppKey=Software\\KovaTest\\NeverInstalled\n"
                              "AppVersion= V2.01.0-rc1\n"
                              "AppVersionValueName=DisplayVersion\n");
    const Json versions = Report(disc)["decision"]["versions"];
    EXPECT_EQ(versions["disc"], "2.1.0");
    EXPECT_TRUE(versions["installed"].is_null());
    EXPECT_TRUE(versions["comparison"].is_null());
    EXPECT_TRUE(versions["meaning"].is_string());
}

/// Every text of the report is UTF-8, whatever the file's encoding: the same setting in
/// each of them reads the same.
TEST(JsonReport, TextsAreUtf8InEveryEncoding)
{
    const struct {
        std::string bytes;
        const char* encoding;
    } files[] = {
        {"AppKey=Soci\xE9t\xE9\r\nSetupName=\xE9.exe\r\n", "ansi"},
        {"AppKey=Soci\xC3\xA9t\xC3\xA9\r\nSetupName=\xC3\xA9.exe\r\n", "utf-8"},
        {"\xEF\xBB\xBF\r\nAppKey=Soci\xC3\xA9t\xC3\xA9\r\nSetupName=\xC3\xA9.exe\r\n", "utf-8-bom"},
        {std::string("\xFF\xFE"
                     "A\0p\0p\0K\0e\0y\0=\0S\0o\0c\0i\0\xE9\0t\0\xE9\0\r\0\n\0"
                     "S\0e\0t\0u\0p\0N\0a\0m\0e\0=\0\xE9\0.\0e\0x\0e\0\r\0\n\0",
                     64),
         "utf-16le"},
    };
    for (const auto& file : files) {
        CheckerTestFolder disc;
        disc.Write("autorun.inf", file.bytes);
        const Json report = Report(disc);
        EXPECT_EQ(report["file"]["encoding"], file.encoding);
        EXPECT_EQ(report["settings"]["AppKey"]["value"], "Soci\u00E9t\u00E9") << file.encoding;
        EXPECT_EQ(report["registry"]["keyPath"], "Soci\u00E9t\u00E9") << file.encoding;
        EXPECT_EQ(report["decision"]["commandLine"], "\u00E9.exe") << file.encoding;
    }
}

TEST(JsonReport, WithoutAFileNothingIsAsked)
{
    CheckerTestFolder disc;
    const Json report = Report(disc);
    EXPECT_EQ(report["file"]["found"], false);
    EXPECT_TRUE(report["file"]["size"].is_null());
    EXPECT_TRUE(report["registry"].is_null());
    ASSERT_EQ(report["settings"].size(), 12u);
    for (const auto& [name, setting] : report["settings"].items())
        EXPECT_TRUE(setting["value"].is_null()) << name;
    EXPECT_EQ(report["decision"]["action"], "nothing");
    EXPECT_TRUE(report["decision"]["commandLine"].is_null());
    EXPECT_TRUE(report["decision"]["commandSource"].is_null());
    EXPECT_TRUE(report["decision"]["reasonCode"].is_null());
    // Without a file there is no version to speak of.
    EXPECT_TRUE(report["decision"]["versions"].is_null());
    EXPECT_TRUE(report["decision"]["programFound"].is_null());
    EXPECT_EQ(report["findings"][0]["code"], "no-autorun-inf");
    EXPECT_TRUE(report["findings"][0]["line"].is_null());
}

/// Whatever bytes a file holds, both reports are UTF-8 and the JSON report parses; a byte
/// that is no text in the file's encoding shows as U+FFFD, never raw.
TEST(JsonReport, EveryFileGivesValidUtf8)
{
    const std::string shell = "[autorun]\r\nopen=autorun.exe\r\nlabel=D\xE9mo\r\n"
                              "action=Ex\xE9"
                              "cuter\x85\r\n";
    const std::string ansiSettings = "AppKey=Soci\xE9t\xE9\r\nAutoStartValue=\xE9\r\n"
                                     "AppVersion=\xE9"
                                     "2.1\r\nSetupName=\xE9.exe /s\r\n";
    const struct {
        const char* what;
        std::string bytes;
    } files[] = {
        {"ANSI, accented letters everywhere", shell + ansiSettings},
        {"a UTF-8 mark before 8-bit text", "\xEF\xBB\xBF\r\n" + shell + ansiSettings},
        {"invalid UTF-8", "AppKey=\xC3\x28\xED\xA0\x80\xF8\x88\x80\x80\x80\r\n"},
        {"UTF-16 of odd length, lone surrogates",
         std::string("\xFF\xFE"
                     "A\0p\0p\0K\0e\0y\0=\0\x00\xD8x\0\x00\xDC\r\0\n\0l",
                     24)},
        {"NUL and control bytes", std::string("AppKey=a\x01\x1b[31m\x7f\0SetupName=x", 26)},
        {"lines of thousands of bytes",
         "label=" + std::string(5000, '\xE9') + "\r\nAppKey=" + std::string(3000, '\xC3')},
    };
    for (const auto& file : files) {
        CheckerTestFolder disc;
        disc.Write("autorun.inf", file.bytes);
        const autorun::check::test::Checked checked = Check(disc.Path());
        const std::string text = checked.Text();
        const std::string json = checked.Json();
        EXPECT_TRUE(autorun::check::IsUtf8(text)) << file.what;
        EXPECT_TRUE(autorun::check::IsUtf8(json)) << file.what;
        EXPECT_TRUE(Json::accept(json)) << file.what;
    }
    // An ANSI label reads as the letters it is, in both reports.
    CheckerTestFolder disc;
    disc.Write("autorun.inf", shell + ansiSettings);
    const autorun::check::test::Checked checked = Check(disc.Path());
    EXPECT_NE(checked.Text().find("\"D\u00E9mo\""), std::string::npos);
    const Json report = Json::parse(checked.Json());
    EXPECT_EQ(report["autorun"]["keys"]["label"]["value"], "D\u00E9mo");
    EXPECT_EQ(report["autorun"]["keys"]["action"]["value"], "Ex\u00E9"
                                                            "cuter\u2026");
    EXPECT_EQ(report["settings"]["AppVersion"]["value"], "\u00E9"
                                                         "2.1");
    EXPECT_EQ(report["decision"]["versions"]["meaning"],
              "AppVersion= (\"\u00E9"
              "2.1\") is not a version, so no versions are compared.");
}

/// In a UTF-8 file the launcher reads UTF-8, but Windows' shell reads the [autorun] section in
/// the ANSI code page: the report shows what the shell shows, and says so.
TEST(JsonReport, TheShellReadsAUtf8FileAsAnsiText)
{
    CheckerTestFolder disc;
    disc.Write("autorun.inf", "[autorun]\r\nopen=autorun.exe\r\naction=Go\r\n"
                              "label=\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA\r\n");
    disc.Write("autorun.exe", "");
    const Json report = Report(disc);
    EXPECT_EQ(report["autorun"]["keys"]["label"]["value"],
              "\u00D0\u201D\u00D0\u00B8\u00D1\u0081\u00D0\u00BA");
    const Json& finding = report["findings"][0];
    EXPECT_EQ(finding["code"], "autorun-text-ansi");
    EXPECT_EQ(finding["line"], 4);
    EXPECT_NE(finding["message"].get<std::string>().find("\"\u0414\u0438\u0441\u043A\""),
              std::string::npos);
    // The C1 control that a byte of the UTF-8 becomes shows as an escape.
    EXPECT_NE(finding["message"].get<std::string>().find("\\u0081"), std::string::npos);
}

/// A disc with a setup per machine: which setting each kind of machine gets, as the
/// launcher's rule picks it, and the programs with what their files say.
TEST(JsonReport, TheSetupOfEachMachine)
{
    CheckerTestFolder disc;
    disc.Write("autorun.inf", "AppKey=Software\\KovaTest\\NeverInstalled\n"
                              "SetupName=setup.exe /q\nSetupNameX64=x64\\setup.exe\n");
    disc.Write("setup.exe", "");
    const Json report = Report(disc);
    const Json& machines = report["decision"]["setupByMachine"];
    EXPECT_EQ(machines["x86"], (Json{{"setting", "SetupName"}, {"commandLine", "setup.exe /q"}}));
    EXPECT_EQ(machines["x64"]["setting"], "SetupNameX64");
    EXPECT_EQ(machines["x64"]["commandLine"], "x64\\setup.exe");
    EXPECT_EQ(machines["arm64"]["setting"], "SetupNameX64");
    EXPECT_EQ(machines["arm64WithoutX64"]["setting"], "SetupName");
    ASSERT_EQ(report["programs"].size(), 2u);
    EXPECT_EQ(report["programs"][0]["setting"], "SetupName");
    EXPECT_TRUE(report["programs"][0]["programFound"].is_string());
    EXPECT_TRUE(report["programs"][0]["machine"].is_null()); // an empty file: no program
    EXPECT_TRUE(report["programs"][1]["programFound"].is_null());
    // Without a setup per machine there is nothing to tell apart.
    disc.Write("autorun.inf", "SetupName=setup.exe\n");
    EXPECT_TRUE(Report(disc)["decision"]["setupByMachine"].is_null());
}

} // namespace
