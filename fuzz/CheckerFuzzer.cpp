/// Fuzzes the whole checker: a fuzzed "autorun.inf" (any bytes, any encoding) and fuzzed
/// registry data go through gathering, the checks and the three reports, on the Win32
/// stand-in. Whatever comes in, every report must be valid UTF-8, the JSON report and the
/// SARIF log must parse, and nothing may escape but a finding.
///
/// Input layout (missing bytes count as zero):
///   byte 0      flags: 1 the product's key HKEY_CURRENT_USER\Software\Fuzz exists, 2/4/8
///               its values "A", "B" and "C" exist
///   bytes 1-3   the three values' types
///   bytes 4-9   their lengths, 16-bit little-endian each, taken modulo 601
///   then        the three values' bytes, and the rest is the bytes of "autorun.inf"
/// The dictionary names the key and the values, so that the file finds them.
#include "checker/Findings.h"
#include "checker/Gather.h"
#include "checker/ReportWriters.h"
#include "checker/Text.h"
#include "platform/posix/src/Registry.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

/// The disc folder and the registry file, made once for the whole run.
const fs::path& Folder()
{
    static const fs::path folder = [] {
        fs::path path =
            fs::temp_directory_path() / ("kova-checker-fuzz-" + std::to_string(getpid()));
        fs::create_directories(path);
        setenv("KOVA_REGISTRY", (path / "registry.reg").c_str(), 1);
        // Only the disc's own folder: the host's PATH would make runs differ.
        setenv("PATH", path.c_str(), 1);
        return path;
    }();
    return folder;
}

void Write(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// The registry as the registry editor would export it: the values' bytes as hex(N).
std::string Registry(std::uint8_t flags, const std::uint8_t* types, const std::string* values)
{
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    if ((flags & 1) == 0)
        return reg;
    reg += "[HKEY_CURRENT_USER\\Software\\Fuzz]\r\n";
    static constexpr const char* kNames[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        if ((flags & (2 << i)) == 0)
            continue;
        char head[32];
        std::snprintf(head, sizeof head, "\"%s\"=hex(%x):", kNames[i], types[i]);
        reg += head;
        for (std::size_t at = 0; at < values[i].size(); ++at) {
            char byte[4];
            std::snprintf(byte, sizeof byte, at == 0 ? "%02x" : ",%02x",
                          static_cast<unsigned char>(values[i][at]));
            reg += byte;
        }
        reg += "\r\n";
    }
    return reg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace autorun::check;
    const auto at = [&](std::size_t i) -> std::uint8_t { return i < size ? data[i] : 0; };
    std::size_t offset = 10;
    std::string values[3];
    const std::uint8_t types[3] = {at(1), at(2), at(3)};
    for (int i = 0; i < 3; ++i) {
        const std::size_t length = (at(4 + 2 * i) | at(5 + 2 * i) << 8) % 601;
        const std::size_t start = std::min(offset, size);
        values[i].assign(reinterpret_cast<const char*>(data) + start,
                         std::min(length, size - start));
        offset = start + values[i].size();
    }
    const fs::path& folder = Folder();
    Write(folder / "registry.reg", Registry(at(0), types, values));
    kova::posix::ReloadRegistry();
    const std::size_t start = std::min(offset, size);
    Write(folder / "autorun.inf",
          std::string_view(reinterpret_cast<const char*>(data) + start, size - start));

    const DiscFacts facts = GatherFolder(folder.string());
    const std::vector<Finding> findings = FindTraps(facts);
    const std::string text = TextReport(facts, findings);
    const std::string json = JsonReport(facts, findings);
    const std::string sarif = SarifReport(facts, findings);
    if (!IsUtf8(text) || !IsUtf8(json) || !nlohmann::json::accept(json) || !IsUtf8(sarif) ||
        !nlohmann::json::accept(sarif))
        std::abort();
    return 0;
}
