#include "checker/CheckReport.h"
#include "checker/ReportWriters.h"
#include "tests/checker/CheckerTestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace {

using kova::check::CheckFolder;
using kova::check::JsonReport;
using kova::check::test::CheckerTestFolder;
using Json = nlohmann::json;

Json Report(const CheckerTestFolder& disc)
{
    return Json::parse(JsonReport(CheckFolder(disc.Path())));
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
    EXPECT_TRUE(report["decision"]["programFound"].is_null());
    EXPECT_EQ(report["findings"][0]["code"], "no-autorun-inf");
    EXPECT_TRUE(report["findings"][0]["line"].is_null());
}

} // namespace
