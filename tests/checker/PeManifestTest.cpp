#include "checker/PeManifest.h"
#include "tests/checker/PeBytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using autorun::check::ManifestLevel;
using autorun::check::NeedsElevation;
using autorun::check::PeInfo;
using autorun::check::ReadPeInfo;
using autorun::check::test::Put16;
using autorun::check::test::Put32;

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
           "<requestedExecutionLevel level=\"" +
           level +
           "\" uiAccess=\"false\"/>"
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
        EXPECT_EQ(NeedsElevation(info, c.fileName), c.needsElevation)
            << c.fileName << " " << c.manifest;
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
    EXPECT_FALSE(spoil(raw + 0x48, 0xFFFFFFF0u).hasManifest)
        << "data at an address no section holds";
    EXPECT_FALSE(spoil(raw + 0x4C, 0xFFFFFFFFu).hasManifest) << "a 4 GB manifest";
    EXPECT_FALSE(spoil(0x40 + 24 + 224 + 20, 0xFFFFFF00u).hasManifest)
        << "section data past the end";
}

/// A block of a VS_VERSIONINFO resource, as resource compilers lay it out.
std::string VersionBlock(const std::u16string& key, const std::string& value, bool text,
                         const std::string& children)
{
    std::string bytes(6, '\0');
    for (const char16_t c : key + u'\0') {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.resize((bytes.size() + 3) & ~std::size_t{3}, '\0');
    bytes += value;
    bytes.resize((bytes.size() + 3) & ~std::size_t{3}, '\0');
    bytes += children;
    Put16(bytes, 0, static_cast<std::uint16_t>(bytes.size()));
    Put16(bytes, 2, static_cast<std::uint16_t>(text ? value.size() / 2 : value.size()));
    Put16(bytes, 4, text ? 1 : 0);
    return bytes;
}

std::string VersionText(const std::u16string& key, const std::string& text)
{
    std::string value;
    for (const char c : text + '\0') {
        value += c;
        value += '\0';
    }
    return VersionBlock(key, value, true, "");
}

TEST(PeManifest, ReadsTheVersionResourcesNames)
{
    const std::string strings = VersionText(u"CompanyName", "Maker") +
                                VersionText(u"FileDescription", "Starts it") +
                                VersionText(u"OriginalFilename", "autorun.exe");
    const std::string table = VersionBlock(u"040904B0", "", false, strings);
    const std::string resource =
        VersionBlock(u"VS_VERSION_INFO", std::string(52, '\x01'), false,
                     VersionBlock(u"VarFileInfo", "", false, "") +
                         VersionBlock(u"StringFileInfo", "", false, table));
    PeInfo info;
    autorun::check::ReadVersionStrings(resource, info);
    EXPECT_EQ(info.description, u"Starts it");
    EXPECT_EQ(info.originalName, u"autorun.exe");
    // Cut anywhere, or with a block that claims more than there is, it yields no more
    // than what it holds whole.
    for (std::size_t size = 0; size < resource.size(); ++size) {
        PeInfo cut;
        autorun::check::ReadVersionStrings(resource.substr(0, size), cut);
        EXPECT_TRUE(cut.description.empty() || cut.description == u"Starts it") << size;
    }
    std::string spoilt = resource;
    Put16(spoilt, 0, 0xFFFF);
    PeInfo none;
    autorun::check::ReadVersionStrings(spoilt, none);
    EXPECT_TRUE(none.description.empty());
}

TEST(PeManifest, TellsWhetherTheFileIsSigned)
{
    // The security directory (the fifth) gives a file offset and a size; WIN_CERTIFICATE's
    // type 2 is PKCS #7 signed data.
    const auto signedPe = [](std::uint32_t offset, std::uint16_t type) {
        std::string bytes = MakePe(false, "");
        const std::size_t directory = 0x40 + 24 + 92 + 4 + 8 * 4;
        const std::uint32_t at = static_cast<std::uint32_t>(bytes.size());
        bytes.append(16, '\0');
        Put32(bytes, directory, offset == 0 ? at : offset);
        Put32(bytes, directory + 4, 16);
        Put32(bytes, at, 16);
        Put16(bytes, at + 4, 0x0200);
        Put16(bytes, at + 6, type);
        return Read(bytes);
    };
    EXPECT_TRUE(signedPe(0, 2).isSigned);
    EXPECT_FALSE(signedPe(0, 1).isSigned) << "an X.509 certificate alone signs nothing";
    EXPECT_FALSE(signedPe(0xFFFFFFF0u, 2).isSigned) << "a certificate past the end";
    EXPECT_FALSE(Read(MakePe(false, "")).isSigned);
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
        const std::string bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
        const PeInfo info = Read(bytes);
        EXPECT_TRUE(info.isPe) << probe.name;
        EXPECT_EQ(info.is32Bit, sizeof(void*) == 4) << probe.name;
        EXPECT_EQ(info.hasManifest, probe.level[0] != '\0') << probe.name;
        EXPECT_EQ(info.level, probe.level) << probe.name;
    }
}

/// The launcher built here names itself as its resource script says: AutoPlay shows that.
TEST(PeManifest, ReadsTheLaunchersVersionResource)
{
    std::ifstream file(std::string(KOVA_LEVEL_PROBES) + "/autorun.exe", std::ios::binary);
    ASSERT_TRUE(file);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    const PeInfo info = Read(bytes);
    EXPECT_EQ(info.description, u"Starts the product from its disc");
    EXPECT_EQ(info.originalName, u"autorun.exe");
}
#endif

} // namespace

namespace {

/// An ARM64EC program's header says x64; its load configuration points to hybrid metadata.
TEST(PeManifest, TellsArm64EcByItsHybridMetadata)
{
    const struct {
        const char* what;
        std::uint32_t directorySize; ///< the load configuration's size in its directory entry
        std::uint32_t metadata;      ///< CHPEMetadataPointer's low half
        bool arm64ec;
    } cases[] = {
        {"hybrid metadata", 0xD0, 0x3000, true},
        {"no hybrid metadata", 0xD0, 0, false},
        {"a configuration too short to hold it", 0xC8, 0x3000, false},
    };
    for (const auto& c : cases) {
        std::string config(0xD0, '\0');
        Put32(config, 0, 0xD0);
        Put32(config, 0xC8, c.metadata);
        std::string bytes = MakePe(true, config);
        // The load configuration is the eleventh data directory.
        const std::size_t directories = 0x40 + 24 + 108 + 4;
        Put32(bytes, directories + 8 * 10, 0x1000 + 0x58);
        Put32(bytes, directories + 8 * 10 + 4, c.directorySize);
        const PeInfo info = Read(bytes);
        EXPECT_EQ(info.machine, 0x8664) << c.what;
        EXPECT_EQ(info.arm64ec, c.arm64ec) << c.what;
    }
}

} // namespace
