/// Fuzzes the stand-in's ".reg" parser with any bytes. Whatever it reads, the tree must
/// keep its shape: the five roots present, every key below one of them, no empty path
/// component, and every key's parent present too. And a 7-bit text must read the same
/// when it comes as UTF-16LE with a byte-order mark, as the registry editor writes it
/// (but for hex data of the string types, which is UTF-16LE only in a UTF-16 file).
#include "platform/posix/src/RegFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kova::posix;

[[noreturn]] void Fail(const char* what, std::string_view key)
{
    std::fprintf(stderr, "regfile fuzzer: %s: %.*s\n", what, static_cast<int>(key.size()), key.data());
    std::abort();
}

constexpr std::string_view kRoots[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                       "HKEY_LOCAL_MACHINE", "HKEY_USERS", "HKEY_CURRENT_CONFIG"};

void CheckShape(const RegTree& tree)
{
    for (const std::string_view root : kRoots)
        if (!tree.keys.contains(root))
            Fail("root missing", root);
    for (const auto& entry : tree.keys) {
        const std::string_view key = entry.first;
        bool underRoot = false;
        for (const std::string_view root : kRoots)
            underRoot = underRoot || key.substr(0, key.find('\\')) == root;
        if (!underRoot)
            Fail("key outside the roots", key);
        if (key.ends_with('\\') || key.find("\\\\") != std::string_view::npos)
            Fail("empty path component", key);
        const std::size_t last = key.rfind('\\');
        if (last != std::string_view::npos && !tree.keys.contains(key.substr(0, last)))
            Fail("parent missing", key);
    }
}

/// A string as the ANSI query hands out UTF-16LE data: a code unit below 0x100 is that
/// byte, any other '?'; an odd last byte is dropped.
std::string Narrow(std::string_view bytes)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                              static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return out;
}

std::string Terminated(std::string text)
{
    if (!text.empty() && text.back() != '\0')
        text += '\0';
    return text;
}

/// Whether a value read from the UTF-16 file matches the same value read from the 8-bit
/// one. Hex data of the string types is UTF-16LE in the one and 8-bit text in the other:
/// the 8-bit file's bytes (with or without the terminator the import may have added)
/// must come out narrowed.
bool SameValue(const RegValue& plain, const RegValue& wide)
{
    if (plain.type != wide.type)
        return false;
    if (plain.data == wide.data)
        return true;
    if (plain.type != REG_SZ && plain.type != REG_EXPAND_SZ && plain.type != REG_MULTI_SZ)
        return false;
    if (wide.data == Terminated(Narrow(plain.data)))
        return true;
    return plain.data.ends_with('\0') &&
           wide.data == Terminated(Narrow(std::string_view(plain.data).substr(0, plain.data.size() - 1)));
}

bool SameTree(const RegTree& plain, const RegTree& wide)
{
    if (plain.keys.size() != wide.keys.size())
        return false;
    for (auto l = plain.keys.begin(), r = wide.keys.begin(); l != plain.keys.end(); ++l, ++r) {
        if (l->first != r->first || l->second.size() != r->second.size())
            return false;
        for (auto lv = l->second.begin(), rv = r->second.begin(); lv != l->second.end(); ++lv, ++rv)
            if (lv->first != rv->first || !SameValue(lv->second, rv->second))
                return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckShape(ParseRegFile(bytes));

    // The same text in 7 bits, once as it is and once as UTF-16LE after a byte-order mark.
    std::string ascii;
    std::string utf16 = "\xFF\xFE";
    for (const char c : bytes) {
        ascii += static_cast<char>(c & 0x7F);
        utf16 += static_cast<char>(c & 0x7F);
        utf16 += '\0';
    }
    // A BOM of its own at the start would be read differently in the two forms.
    if (ascii.starts_with("\x7F\x7E"))
        return 0;
    const RegTree plain = ParseRegFile(ascii);
    CheckShape(plain);
    if (!SameTree(plain, ParseRegFile(utf16)))
        Fail("UTF-16LE text reads differently", ascii.substr(0, 40));
    return 0;
}
