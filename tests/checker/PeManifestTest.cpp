#include "checker/PeManifest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using kova::check::ManifestLevel;
using kova::check::NeedsElevation;
using kova::check::PeInfo;
using kova::check::ReadPeInfo;

void Put16(std::string& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

/// A PE image as a linker lays one out: the DOS header, the PE headers, one ".rsrc"
/// section whose resource table holds `manifest` as RT_MANIFEST 1 (none when empty).
std::string MakePe(bool is64, const std::string& manifest)
{
    const std::size_t pe = 0x40;
    const std::uint16_t optionalSize = is64 ? 240 : 224;
    const std::size_t sectionHeader = pe + 24 + optionalSize;
    const std::size_t raw = 0x200;
    const std::uint32_t rva = 0x1000;
    std::string bytes(raw + 0x58 + manifest.size(), '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put32(bytes, 0x3C, pe);
    std::memcpy(&bytes[pe], "PE\0\0", 4);
    Put16(bytes, pe + 4, is64 ? 0x8664 : 0x014C);
    Put16(bytes, pe + 6, 1);
    Put16(bytes, pe + 20, optionalSize);
    const std::size_t optional = pe + 24;
    Put16(bytes, optional, is64 ? 0x020B : 0x010B);
    const std::size_t count = optional + (is64 ? 108 : 92);
    Put32(bytes, count, 16);
    if (!manifest.empty()) {
        Put32(bytes, count + 4 + 16, rva);
        Put32(bytes, count + 4 + 20, static_cast<std::uint32_t>(0x58 + manifest.size()));
    }
    std::memcpy(&bytes[sectionHeader], ".rsrc", 5);
    Put32(bytes, sectionHeader + 8, static_cast<std::uint32_t>(0x58 + manifest.size()));
    Put32(bytes, sectionHeader + 12, rva);
    Put32(bytes, sectionHeader + 16, static_cast<std::uint32_t>(0x58 + manifest.size()));
    Put32(bytes, sectionHeader + 20, raw);
    // Type 24, then name 1, then language 0x409, then the data entry and the text.
    const std::uint32_t kDirectory = 0x80000000u;
    Put16(bytes, raw + 14, 1);
    Put32(bytes, raw + 16, 24);
    Put32(bytes, raw + 20, kDirectory | 0x18);
    Put16(bytes, raw + 0x18 + 14, 1);
    Put32(bytes, raw + 0x18 + 16, 1);
    Put32(bytes, raw + 0x18 + 20, kDirectory | 0x30);
    Put16(bytes, raw + 0x30 + 14, 1);
    Put32(bytes, raw + 0x30 + 16, 0x409);
    Put32(bytes, raw + 0x30 + 20, 0x48);
    Put32(bytes, raw + 0x48, rva + 0x58);
    Put32(bytes, raw + 0x4C, static_cast<std::uint32_t>(manifest.size()));
    std::memcpy(&bytes[raw + 0x58], manifest.data(), manifest.size());
    return bytes;
}

PeInfo Read(const std::string& bytes)
{
    return ReadPeInfo([&bytes](std::uint64_t offset, std::size_t size, void* buffer) {
        if (offset > bytes.size() || size > bytes.size() - offset)
            return false;
        std::memcpy(buffer, bytes.data() + offset, size);
        return true;
    });
}

std::string Manifest(const std::string& level)
{
    return "<?xml version=\"1.0\"?><assembly><trustInfo><security><requestedPrivileges>"
           "<requestedExecutionLevel level=\"" + level + "\" uiAccess=\"false\"/>"
           "</requestedPrivileges></security></trustInfo></assembly>";
}

TEST(PeManifest, ReadsTheLevelOfEachKindOfProgram)
{
    const struct {
        bool is64;
        std::string manifest;
        std::string fileName;
        bool hasManifest;
        std::string level;
        bool needsElevation;
    } cases[] = {
        {false, Manifest("asInvoker"), "setup.exe", true, "asInvoker", false},
        {false, Manifest("requireAdministrator"), "app.exe", true, "requireAdministrator", true},
        {false, Manifest("highestAvailable"), "app.exe", true, "highestAvailable", true},
        {true, Manifest("requireAdministrator"), "app.exe", true, "requireAdministrator", true},
        // Without a level, Windows' installer detection looks at 32-bit programs' names.
        {false, "", "Setup.exe", false, "", true},
        {false, "", "MyInstaller.exe", false, "", true},
        {false, "", "update2.exe", false, "", true},
        {false, "", "Patch.exe", false, "", true},
        {false, "", "app.exe", false, "", false},
        {true, "", "setup.exe", false, "", false},
        {false, "<assembly><dependency/></assembly>", "setup.exe", true, "", true},
    };
    for (const auto& c : cases) {
        const PeInfo info = Read(MakePe(c.is64, c.manifest));
        EXPECT_TRUE(info.isPe) << c.manifest;
        EXPECT_EQ(info.is32Bit, !c.is64) << c.manifest;
        EXPECT_EQ(info.hasManifest, c.hasManifest) << c.manifest;
        EXPECT_EQ(info.level, c.level) << c.manifest;
        EXPECT_EQ(NeedsElevation(info, c.fileName), c.needsElevation) << c.fileName << " " << c.manifest;
    }
    EXPECT_EQ(NeedsElevation(Read("#!/bin/sh\n"), "setup.exe"), std::nullopt);
}

/// The text in UTF-16LE with its byte-order mark, as some resource compilers store it.
std::string Utf16(const std::string& text)
{
    std::string out = "\xFF\xFE";
    for (const char c : text) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(PeManifest, FindsTheLevelInAnyWayOfWritingIt)
{
    const struct {
        std::string manifest;
        std::string level;
    } cases[] = {
        {"<requestedExecutionLevel level='requireAdministrator'/>", "requireAdministrator"},
        {"<requestedExecutionLevel uiAccess=\"false\"\n  level = \"asInvoker\"/>", "asInvoker"},
        {"<requestedExecutionLevel xlevel=\"x\" level=\"highestAvailable\"/>", "highestAvailable"},
        {"<requestedExecutionLevel/><level=\"asInvoker\">", ""},
        {"<requestedExecutionLevel level=\"asInvoker", ""},
        {"<requestedExecutionLevel level=", ""},
        {"<requestedPrivileges/>", ""},
        {Utf16("<requestedExecutionLevel level='asInvoker'/>"), "asInvoker"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ManifestLevel(c.manifest), c.level) << c.manifest;
}

TEST(PeManifest, HostileFilesNeverLeadTheReaderAstray)
{
    const std::string good = MakePe(false, Manifest("requireAdministrator"));
    // Every truncation: the reader reads only through the callback, which refuses what the
    // file does not hold; whatever it decides, it must not claim a manifest it cannot read.
    for (std::size_t size = 0; size < good.size(); ++size) {
        const PeInfo info = Read(good.substr(0, size));
        EXPECT_FALSE(info.hasManifest) << size;
    }
    const auto spoil = [&good](std::size_t at, std::uint32_t value) {
        std::string bytes = good;
        Put32(bytes, at, value);
        return Read(bytes);
    };
    const std::size_t raw = 0x200;
    EXPECT_FALSE(spoil(0x3C, 0xFFFFFFF0u).isPe) << "PE header offset past the end";
    EXPECT_FALSE(spoil(0x40 + 4, 0xFFFF014Cu).isPe) << "65535 sections";
    EXPECT_FALSE(spoil(raw + 20, 0x80000000u).hasManifest) << "a directory that points at itself";
    EXPECT_FALSE(spoil(raw + 0x18 + 20, 0x80000018u).hasManifest) << "a loop one level down";
    EXPECT_FALSE(spoil(raw + 12, 0xFFFFFFFFu).hasManifest) << "more entries than exist";
    EXPECT_FALSE(spoil(raw + 0x48, 0xFFFFFFF0u).hasManifest) << "data at an address no section holds";
    EXPECT_FALSE(spoil(raw + 0x4C, 0xFFFFFFFFu).hasManifest) << "a 4 GB manifest";
    EXPECT_FALSE(spoil(0x40 + 24 + 224 + 20, 0xFFFFFF00u).hasManifest) << "section data past the end";
}

#ifdef KOVA_LEVEL_PROBES
/// Programs built here with each kind of manifest, and one without.
TEST(PeManifest, ReadsProgramsBuiltHere)
{
    const struct {
        const char* name;
        const char* level;
    } probes[] = {{"level-asinvoker.exe", "asInvoker"},
                  {"level-requireadministrator.exe", "requireAdministrator"},
                  {"level-highestavailable.exe", "highestAvailable"},
                  {"level-none.exe", ""}};
    for (const auto& probe : probes) {
        std::ifstream file(std::string(KOVA_LEVEL_PROBES) + "/" + probe.name, std::ios::binary);
        ASSERT_TRUE(file) << probe.name;
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const PeInfo info = Read(bytes);
        EXPECT_TRUE(info.isPe) << probe.name;
        EXPECT_EQ(info.is32Bit, sizeof(void*) == 4) << probe.name;
        EXPECT_EQ(info.hasManifest, probe.level[0] != '\0') << probe.name;
        EXPECT_EQ(info.level, probe.level) << probe.name;
    }
}
#endif

} // namespace
