/// Fuzzes the stand-in's ".reg" parser with any bytes. Whatever it reads, the tree must
/// keep its shape: the five roots present, every key below one of them, no empty path
/// component, every key's parent present too, and, from an 8-bit file, string data in
/// whole UTF-16 units. And a text must read the same when it comes as UTF-16LE with a
/// byte-order mark, as the registry editor writes it, as when it comes in the code page
/// (but for hex data of the string types, which is UTF-16LE only in a UTF-16 file and
/// 8-bit text in the other).
#include "platform/posix/src/CodePage.h"
#include "platform/posix/src/RegFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kova::posix;

[[noreturn]] void Fail(const char* what, std::u16string_view key)
{
    const std::string text = WideToUtf8(key);
    std::fprintf(stderr, "regfile fuzzer: %s: %s\n", what, text.c_str());
    std::abort();
}

constexpr std::u16string_view kRoots[] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                          u"HKEY_LOCAL_MACHINE", u"HKEY_USERS",
                                          u"HKEY_CURRENT_CONFIG"};

void CheckShape(const RegTree& tree, bool eightBit)
{
    for (const std::u16string_view root : kRoots)
        if (!tree.keys.contains(root))
            Fail("root missing", root);
    for (const auto& entry : tree.keys) {
        const std::u16string_view key = entry.first;
        bool underRoot = false;
        for (const std::u16string_view root : kRoots)
            underRoot = underRoot || key.substr(0, key.find('\\')) == root;
        if (!underRoot)
            Fail("key outside the roots", key);
        if (key.ends_with('\\') || key.find(u"\\\\") != std::u16string_view::npos)
            Fail("empty path component", key);
        const std::size_t last = key.rfind('\\');
        if (last != std::u16string_view::npos && !tree.keys.contains(key.substr(0, last)))
            Fail("parent missing", key);
        // From an 8-bit file every string is text turned into UTF-16.
        for (const auto& value : entry.second)
            if (eightBit && IsStringType(value.second.type) && value.second.data.size() % 2 != 0)
                Fail("string data cut inside a character", key);
    }
}

std::string Utf16Le(std::u16string_view text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

/// Whether a value read from the 8-bit file matches the same value read from the UTF-16
/// one. Hex data of the string types is 8-bit text in the one and UTF-16LE in the other:
/// the same bytes b give AnsiToWide(b + terminator) in the first, b + terminator in the
/// second (when it is a whole number of characters; an odd one has no sound reading).
bool SameValue(const RegValue& plain, const RegValue& wide)
{
    if (plain.type != wide.type)
        return false;
    if (plain.data == wide.data)
        return true;
    if (!IsStringType(plain.type))
        return false;
    // An odd count loses its last byte to the terminator in the UTF-16 file: nothing to
    // compare.
    if (wide.data.size() % 2 != 0)
        return true;
    // The bytes b as written: what the UTF-16 file keeps, or that without the terminator
    // it added. The 8-bit file adds its own terminator (a zero byte) where b lacks one.
    for (const std::size_t added : {0, 2}) {
        if (wide.data.size() < added ||
            wide.data.find_first_not_of('\0', wide.data.size() - added) != std::string::npos)
            continue;
        std::string written = wide.data.substr(0, wide.data.size() - added);
        if (!written.empty() && written.back() != '\0')
            written += '\0';
        if (Utf16Le(AnsiToWide(written)) == plain.data)
            return true;
    }
    return false;
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
    CheckShape(ParseRegFile(bytes), !bytes.starts_with("\xFF\xFE"));

    // The same text twice: once in the code page (Windows-1252, in which every byte is a
    // character), once as UTF-16LE after a byte-order mark. A zero ends the text in both,
    // and a byte-order mark of its own at the start would be read differently.
    const std::string plain(bytes.substr(0, bytes.find('\0')));
    if (plain.starts_with("\xFF\xFE"))
        return 0;
    const RegTree fromPlain = ParseRegFile(plain);
    CheckShape(fromPlain, true);
    const std::u16string text = AnsiToWide(plain);
    if (!SameTree(fromPlain, ParseRegFile("\xFF\xFE" + Utf16Le(text))))
        Fail("UTF-16LE text reads differently", std::u16string_view(text).substr(0, 40));
    return 0;
}
