/// Reads keys and values back through RegOpenKeyExA and RegQueryValueExA and writes what
/// each call answered, so that the registry an import made can be compared between the
/// stand-in and Windows: the same program, built for both, reads both.
///
///   regdump PROBES OUTPUT
///
/// PROBES holds one probe a line, in the ANSI code page: "ROOT\sub\key" opens a key;
/// "ROOT\sub\key|name" also queries a value ("|" alone: the default value). Empty lines
/// and lines starting with "#" are skipped. OUTPUT gets one line per probe.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

struct Root {
    std::string_view name;
    HKEY key;
};

const Root Roots[] = {
    {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
};

std::string Hex(const unsigned char* bytes, DWORD size)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (DWORD i = 0; i < size; ++i) {
        out += i ? " " : "";
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

/// One probe's line: the key's opening, and the value's type, size and bytes, then what a
/// query answers when the buffer is one byte short of them.
std::string Probe(std::string_view line)
{
    const std::size_t bar = line.find('|');
    const std::string_view path = line.substr(0, bar);
    const std::string_view rootName = path.substr(0, path.find('\\'));
    const std::string subKey(rootName.size() < path.size() ? path.substr(rootName.size() + 1) : "");
    std::string out(line);
    HKEY root = nullptr;
    for (const Root& candidate : Roots)
        if (candidate.name == rootName)
            root = candidate.key;
    if (!root)
        return out + ": no such root";

    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &key);
    out += ": open " + std::to_string(opened);
    if (opened != ERROR_SUCCESS || bar == std::string_view::npos) {
        if (opened == ERROR_SUCCESS)
            RegCloseKey(key);
        return out;
    }
    const std::string name(line.substr(bar + 1));
    DWORD type = 0xDEAD;
    DWORD size = 0;
    const LONG sized = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    out += ", query " + std::to_string(sized);
    if (sized == ERROR_SUCCESS) {
        unsigned char data[4096];
        DWORD got = sizeof data;
        const LONG read = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data, &got);
        out += ", type " + std::to_string(type) + ", size " + std::to_string(size) + ", read " +
               std::to_string(read) + ": " + Hex(data, read == ERROR_SUCCESS ? got : 0);
        if (got > 0) {
            DWORD shortSize = got - 1;
            const LONG shortRead =
                RegQueryValueExA(key, name.c_str(), nullptr, nullptr, data, &shortSize);
            out +=
                "; one byte short " + std::to_string(shortRead) + " " + std::to_string(shortSize);
        }
    }
    RegCloseKey(key);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: regdump PROBES OUTPUT\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::fprintf(stderr, "regdump: cannot read %s\n", argv[1]);
        return 2;
    }
    std::string probes;
    char chunk[4096];
    for (std::size_t count; (count = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        probes.append(chunk, count);
    std::fclose(in);

    std::string dump;
    for (std::size_t start = 0; start < probes.size();) {
        const std::size_t end = std::min(probes.find('\n', start), probes.size());
        std::string_view line = std::string_view(probes).substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            dump += Probe(line) + "\n";
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(dump.data(), 1, dump.size(), out) != dump.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "regdump: cannot write %s\n", argv[2]);
        return 2;
    }
    return 0;
}
