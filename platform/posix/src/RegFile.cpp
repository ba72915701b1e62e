/// Reads the registry editor's export format into a registry tree.
#include "RegFile.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kova::posix {

namespace {

/// A root's full name and the abbreviation hand-written files often use.
struct RootNames {
    std::string_view full;
    std::string_view abbreviation;
};

constexpr RootNames Roots[] = {
    {"HKEY_CLASSES_ROOT", "HKCR"},   {"HKEY_CURRENT_USER", "HKCU"},
    {"HKEY_LOCAL_MACHINE", "HKLM"},  {"HKEY_USERS", "HKU"},
    {"HKEY_CURRENT_CONFIG", "HKCC"},
};

constexpr std::string_view Header4 = "REGEDIT4";
constexpr std::string_view Header5 = "Windows Registry Editor Version 5.00";

unsigned char LowerAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i)
        if (LowerAscii(left[i]) != LowerAscii(right[i]))
            return false;
    return true;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view TrimRight(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

/// True when nothing but blanks and perhaps a comment follows a complete item.
bool IsBlankOrComment(std::string_view rest)
{
    rest = TrimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

/// Reads 1 to maxDigits hexadecimal digits making up the whole text.
std::optional<DWORD> ParseHex(std::string_view digits, std::size_t maxDigits)
{
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    DWORD value = 0;
    for (char c : digits) {
        const unsigned char lower = LowerAscii(c);
        DWORD digit;
        if (lower >= '0' && lower <= '9')
            digit = lower - '0';
        else if (lower >= 'a' && lower <= 'f')
            digit = lower - 'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | digit;
    }
    return value;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char16_t CodeUnitAt(std::string_view bytes, std::size_t i)
{
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 static_cast<unsigned char>(bytes[i + 1]) << 8);
}

/// The registry editor writes "Version 5.00" files in UTF-16LE; the parser works on
/// 8-bit text, so such a file becomes UTF-8 (a lone surrogate becomes U+FFFD, an odd
/// trailing byte is dropped).
std::string Utf16LeToUtf8(std::string_view bytes)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t code = CodeUnitAt(bytes, i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const char16_t low = CodeUnitAt(bytes, i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code >= 0xD800 && code < 0xE000)
            code = 0xFFFD;
        AppendUtf8(out, code);
    }
    return out;
}

/// What RegQueryValueExA makes of a UTF-16LE string: each code unit below 0x100 is that
/// byte, any other is '?'. An odd trailing byte is dropped; no terminator is added.
std::string NarrowUtf16(std::string_view bytes)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = CodeUnitAt(bytes, i);
        out += unit < 0x100 ? static_cast<char>(unit) : '?';
    }
    return out;
}

std::string DecodeText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return Utf16LeToUtf8(bytes.substr(2));
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    return std::string(bytes);
}

/// Reads a double-quoted string at the start of text, where \\ and \" stand for \ and ".
/// Any other backslash is kept as written, so hand-written paths survive. Returns the
/// string and the rest of the text after the closing quote.
std::optional<std::pair<std::string, std::string_view>> ParseQuoted(std::string_view text)
{
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return std::pair{std::move(out), text.substr(i + 1)};
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        out += text[i];
    }
    return std::nullopt;
}

/// Reads "01,02,ff" (blanks allowed around each byte, a trailing comma tolerated).
std::optional<std::string> ParseHexBytes(std::string_view list)
{
    std::string bytes;
    list = Trim(list);
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::optional<DWORD> byte = ParseHex(Trim(list.substr(start, comma - start)), 2);
        if (!byte)
            return std::nullopt;
        bytes += static_cast<char>(*byte);
        start = comma + 1;
    }
    return bytes;
}

/// One pass over a file's lines, keeping the key that value lines go into.
class RegFileParser {
public:
    /// `utf16`: the file came as UTF-16LE (and `text` is its UTF-8 form).
    RegFileParser(std::string_view text, bool utf16) : fText(text), fUnicode(utf16) {}

    RegTree Parse()
    {
        std::optional<std::string_view> line;
        while ((line = NextLine()) && Trim(*line).empty()) {
        }
        if (!line)
            return std::move(fTree);
        const std::string_view header = Trim(*line);
        if (header != Header5 && header != Header4)
            return std::move(fTree);

        while ((line = NextLine())) {
            const std::string_view text = TrimLeft(*line);
            if (text.empty() || text.front() == ';')
                continue;
            if (text.front() == '[')
                ParseSection(text);
            else
                ParseValue(text);
        }
        return std::move(fTree);
    }

private:
    std::optional<std::string_view> NextLine()
    {
        if (fPosition > fText.size())
            return std::nullopt;
        const std::size_t end = std::min(fText.find('\n', fPosition), fText.size());
        std::string_view line = fText.substr(fPosition, end - fPosition);
        fPosition = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    void ParseSection(std::string_view line)
    {
        // Whatever this line turns out to be, values below it must not land in the key
        // of an earlier section.
        fKey = nullptr;
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || !IsBlankOrComment(line.substr(close + 1)))
            return;
        std::string_view path = line.substr(1, close - 1);
        const bool remove = path.starts_with('-');
        if (remove)
            path.remove_prefix(1);

        const std::size_t slash = path.find('\\');
        const std::string_view rootName = path.substr(0, slash);
        const RootNames* root = nullptr;
        for (const RootNames& candidate : Roots)
            if (EqualIgnoringCase(rootName, candidate.full) ||
                EqualIgnoringCase(rootName, candidate.abbreviation))
                root = &candidate;
        if (!root)
            return;
        const std::optional<std::string> full = JoinKeyPath(
            std::string(root->full), slash == std::string_view::npos ? "" : path.substr(slash + 1));
        if (!full)
            return;

        if (remove) {
            RemoveKey(*full);
            return;
        }
        // An import creates every key on the way down, so each parent exists too.
        for (std::size_t at = full->find('\\'); at != std::string::npos; at = full->find('\\', at + 1))
            fTree.keys.try_emplace(full->substr(0, at));
        fKey = &fTree.keys[*full];
    }

    /// Removes a key with all its sub-keys. The roots cannot be removed, as the registry
    /// editor refuses to remove them.
    void RemoveKey(const std::string& path)
    {
        if (path.find('\\') == std::string::npos)
            return;
        const std::string prefix = path + '\\';
        auto it = fTree.keys.lower_bound(prefix);
        while (it != fTree.keys.end() && StartsWithIgnoringCase(it->first, prefix))
            it = fTree.keys.erase(it);
        fTree.keys.erase(path);
    }

    void ParseValue(std::string_view line)
    {
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else if (line.front() == '"') {
            auto quoted = ParseQuoted(line);
            if (!quoted)
                return;
            name = std::move(quoted->first);
            rest = quoted->second;
        } else {
            return;
        }
        rest = TrimLeft(rest);
        if (!rest.starts_with('='))
            return;
        rest = TrimLeft(rest.substr(1));

        // Hex data is read, continuation lines included, even when the value will be
        // dropped, so that those lines are never taken for lines of their own.
        std::optional<RegValue> value;
        bool remove = false;
        if (StartsWithIgnoringCase(rest, "hex")) {
            value = ParseHexData(JoinContinuation(rest.substr(3)));
        } else if (rest.starts_with('"')) {
            auto quoted = ParseQuoted(rest);
            if (quoted && IsBlankOrComment(quoted->second))
                value = RegValue{REG_SZ, std::move(quoted->first) + '\0'};
        } else if (rest.starts_with('-')) {
            remove = IsBlankOrComment(rest.substr(1));
        } else if (StartsWithIgnoringCase(rest, "dword:")) {
            std::string_view digits = rest.substr(6);
            digits = Trim(digits.substr(0, digits.find(';')));
            if (const std::optional<DWORD> number = ParseHex(digits, 8)) {
                std::string bytes;
                for (int shift = 0; shift < 32; shift += 8)
                    bytes += static_cast<char>(*number >> shift & 0xFF);
                value = RegValue{REG_DWORD, std::move(bytes)};
            }
        }

        if (!fKey)
            return;
        if (remove)
            fKey->erase(name);
        else if (value)
            fKey->insert_or_assign(std::move(name), std::move(*value));
    }

    /// Joins a hex list that goes on over lines ending in a backslash.
    std::string JoinContinuation(std::string_view piece)
    {
        std::string joined;
        for (;;) {
            piece = TrimRight(piece.substr(0, piece.find(';')));
            if (!piece.ends_with('\\')) {
                joined += piece;
                return joined;
            }
            piece.remove_suffix(1);
            joined += piece;
            const std::optional<std::string_view> next = NextLine();
            if (!next)
                return joined;
            piece = TrimLeft(*next);
        }
    }

    /// Reads ":01,02" (REG_BINARY) or "(N):01,02" (type N, in hexadecimal).
    std::optional<RegValue> ParseHexData(std::string_view data) const
    {
        DWORD type = REG_BINARY;
        if (data.starts_with('(')) {
            const std::size_t close = data.find(')');
            if (close == std::string_view::npos)
                return std::nullopt;
            const std::optional<DWORD> number = ParseHex(data.substr(1, close - 1), 8);
            if (!number)
                return std::nullopt;
            type = *number;
            data.remove_prefix(close + 1);
        }
        if (!data.starts_with(':'))
            return std::nullopt;
        std::optional<std::string> bytes = ParseHexBytes(data.substr(1));
        if (!bytes)
            return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
            return RegValue{type, std::move(*bytes)};
        // The string types are UTF-16LE in a UTF-16 file and 8-bit text in an 8-bit one,
        // whatever the header says, as Wine's "reg import" reads them; the ANSI call hands
        // them out narrowed, so they are stored that way. The import also ends a string
        // that lacks it with a zero character, so a string value read from a file never
        // reaches a query unterminated.
        std::string text = fUnicode ? NarrowUtf16(*bytes) : std::move(*bytes);
        if (!text.empty() && text.back() != '\0')
            text += '\0';
        return RegValue{type, std::move(text)};
    }

    std::string_view fText;
    std::size_t fPosition = 0;
    bool fUnicode = false;
    RegTree fTree = EmptyRegistry();
    RegValues* fKey = nullptr;
};

} // namespace

bool CaseInsensitiveLess::operator()(std::string_view left, std::string_view right) const
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char a = LowerAscii(left[i]);
        const unsigned char b = LowerAscii(right[i]);
        if (a != b)
            return a < b;
    }
    return left.size() < right.size();
}

std::string_view RootName(HKEY root)
{
    const HKEY handles[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                            HKEY_CURRENT_CONFIG};
    for (std::size_t i = 0; i < std::size(handles); ++i)
        if (handles[i] == root)
            return Roots[i].full;
    return {};
}

std::optional<std::string> JoinKeyPath(std::string path, std::string_view subKey)
{
    if (subKey.starts_with('\\'))
        return std::nullopt;
    for (std::size_t start = 0; start < subKey.size();) {
        const std::size_t end = std::min(subKey.find('\\', start), subKey.size());
        if (end > start) {
            path += '\\';
            path += subKey.substr(start, end - start);
        }
        start = end + 1;
    }
    return path;
}

RegTree EmptyRegistry()
{
    RegTree tree;
    for (const RootNames& root : Roots)
        tree.keys.try_emplace(std::string(root.full));
    return tree;
}

RegTree ParseRegFile(std::string_view text)
{
    const std::string decoded = DecodeText(text);
    return RegFileParser(decoded, text.starts_with("\xFF\xFE")).Parse();
}

} // namespace kova::posix
