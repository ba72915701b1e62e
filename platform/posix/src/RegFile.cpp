/// Reads the registry editor's export format into a registry tree, line by line as
/// "reg import" reads it, quirks included: the stand-in must find a product exactly where
/// the import put it on Windows, and nowhere else.
#include "RegFile.h"

#include "CodePage.h"
#include "SplitFields.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kova::posix {

namespace {

/// A root's full name and the abbreviation "reg import" takes too.
struct RootNames {
    std::u16string_view full;
    std::u16string_view abbreviation;
};

constexpr RootNames Roots[] = {
    {u"HKEY_CLASSES_ROOT", u"HKCR"},   {u"HKEY_CURRENT_USER", u"HKCU"},
    {u"HKEY_LOCAL_MACHINE", u"HKLM"},  {u"HKEY_USERS", u"HKU"},
    {u"HKEY_CURRENT_CONFIG", u"HKCC"},
};

/// The first line of a file says which format follows. "REGEDIT" alone is the format of
/// Windows 3.1's registry editor, which is read too (see ParseWin31), because "reg import"
/// reads it: a disc's registry file in that format must find on Linux what it finds on
/// Windows. Any other line that starts with "REGEDIT" is taken as a header whose file is
/// not imported.
constexpr std::u16string_view HeaderWin31 = u"REGEDIT";
constexpr std::u16string_view Header4 = u"REGEDIT4";
constexpr std::u16string_view Header5 = u"Windows Registry Editor Version 5.00";

constexpr std::size_t MaxDwordDigits = 8;

/// The registry takes value names of up to 16383 characters; the import's longer ones are
/// refused.
constexpr std::size_t MaxValueName = 16383;

bool IsBlank(char16_t c)
{
    return c == ' ' || c == '\t';
}

/// iswspace: ASCII's white space and Unicode's.
bool IsSpace(char16_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

int HexDigit(char16_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::u16string_view SkipBlanks(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

/// Nothing but blanks, then perhaps a comment.
bool IsEndOfItem(std::u16string_view rest)
{
    rest = SkipBlanks(rest);
    return rest.empty() || rest.front() == ';';
}

bool EqualIgnoringCase(std::u16string_view left, std::u16string_view right)
{
    return left.size() == right.size() && CompareIgnoringCase(left, right) == 0;
}

/// What wcstoul(text, &end, 16) gives: blanks skipped, a sign and a "0x" taken, a value
/// that does not fit becoming 0xFFFFFFFF; `used` is 0 when no digit was converted.
struct Number {
    unsigned long long value = 0;
    std::size_t used = 0;
    bool overflow = false;
};

Number ParseHexNumber(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    const std::size_t firstDigit = i;
    unsigned long long value = 0;
    bool overflow = false;
    for (; i < text.size() && HexDigit(text[i]) >= 0; ++i) {
        value = value << 4 | static_cast<unsigned>(HexDigit(text[i]));
        overflow = overflow || value > 0xFFFFFFFF;
    }
    if (i == firstDigit)
        return {};
    if (overflow)
        value = 0xFFFFFFFF;
    else if (negative)
        value = (0x100000000ULL - value) & 0xFFFFFFFF;
    return {value, i, overflow};
}

/// Reads a double-quoted string whose opening quote is already behind, as the import
/// reads value names and string data: \\ and \" stand for themselves, \n and \r for a line
/// feed and a carriage return, \0 refuses the whole string, and before any other
/// character the backslash is dropped ("C:\Games" is "C:Games"). Without its closing
/// quote the string is refused too. Returns the string and what follows the quote.
std::optional<std::pair<std::u16string, std::u16string_view>> Unescape(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == '"')
            return std::pair{std::move(out), text.substr(i + 1)};
        if (c == '\\') {
            if (++i == text.size())
                return std::nullopt;
            c = text[i];
            if (c == '0')
                return std::nullopt;
            if (c == 'n')
                c = '\n';
            else if (c == 'r')
                c = '\r';
        }
        out += c;
    }
    return std::nullopt;
}

std::string Utf16LeBytes(std::u16string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

/// The root a key path starts with: its full name or abbreviation, in any case, followed
/// by the end or a backslash.
const RootNames* FindRoot(std::u16string_view path)
{
    const std::u16string_view first = path.substr(0, path.find('\\'));
    for (const RootNames& root : Roots)
        if (EqualIgnoringCase(first, root.full) || EqualIgnoringCase(first, root.abbreviation))
            return &root;
    return nullptr;
}

/// How a hex list on one line ended.
enum class HexLine {
    Invalid,   ///< a malformed byte: the value is dropped
    Complete,  ///< the list ends on this line
    Continued, ///< a backslash after the last comma: the list goes on
};

/// The file's text split into lines at CR, LF or CR LF, as the import splits it.
class LineReader {
public:
    explicit LineReader(std::u16string_view text) : fText(text) {}

    std::optional<std::u16string_view> Next()
    {
        if (fPosition > fText.size())
            return std::nullopt;
        const std::size_t end = std::min(fText.find_first_of(u"\r\n", fPosition), fText.size());
        const std::u16string_view line = fText.substr(fPosition, end - fPosition);
        fPosition = end + 1;
        if (end < fText.size() && fText[end] == '\r' && end + 1 < fText.size() &&
            fText[end + 1] == '\n')
            ++fPosition;
        return line;
    }

private:
    std::u16string_view fText;
    std::size_t fPosition = 0;
};

/// One pass over a file's lines, keeping the key that value lines go into.
class RegFileParser {
public:
    /// `unicode`: the file came as UTF-16LE, which decides how hex data of the string
    /// types is read (as UTF-16LE, or as 8-bit text in the code page), whatever the header.
    RegFileParser(std::u16string_view text, bool unicode) : fLines(text), fUnicode(unicode) {}

    /// `start`: characters that come before the text's first line.
    RegTree Parse(std::u16string start) &&
    {
        const std::u16string header = start + std::u16string(fLines.Next().value_or(u""));
        const std::u16string_view version = SkipBlanks(header);
        if (version == HeaderWin31)
            ParseWin31();
        else if (version == Header4 || version == Header5)
            ParseLines();
        return std::move(fTree);
    }

private:
    /// Windows 3.1's format: "HKEY_CLASSES_ROOT\key = text" sets the key's default value;
    /// every other line is ignored.
    void ParseWin31()
    {
        while (const std::optional<std::u16string_view> line = fLines.Next()) {
            if (!line->starts_with(u"HKEY_CLASSES_ROOT"))
                continue;
            const std::u16string_view key =
                line->substr(0, std::find_if(line->begin(), line->end(), IsSpace) - line->begin());
            std::u16string_view value = SkipBlanks(line->substr(key.size()));
            if (value.starts_with('='))
                value.remove_prefix(1);
            // At most one blank after the "=" belongs to the layout; any more to the text.
            if (value.starts_with(' '))
                value.remove_prefix(1);
            OpenKey(key);
            SetValue(u"", RegValue{REG_SZ, Utf16LeBytes(std::u16string(value) + u'\0')});
        }
    }

    void ParseLines()
    {
        while (const std::optional<std::u16string_view> line = fLines.Next()) {
            const std::u16string_view text = SkipBlanks(*line);
            if (text.empty())
                continue;
            if (text.front() == '[') {
                ParseSection(text.substr(1));
            } else if (text.front() == '@') {
                ParseValue(u"", text.substr(1));
            } else if (text.front() == '"') {
                if (auto name = Unescape(text.substr(1)))
                    ParseValue(std::move(name->first), name->second);
            }
        }
    }

    void ParseSection(std::u16string_view text)
    {
        // NOTE: a section line without its "]", or with a blank after the "[", is ignored
        // altogether: the key opened before it stays open and takes the values below.
        const std::size_t close = text.rfind(']');
        if (text.empty() || IsBlank(text.front()) || close == std::u16string_view::npos)
            return;
        // Whatever follows the last "]" is ignored.
        const std::u16string_view path = text.substr(0, close);
        if (!path.starts_with('-')) {
            OpenKey(path);
            return;
        }
        fKey = nullptr;
        const std::u16string_view doomed = path.substr(1);
        const RootNames* root = FindRoot(doomed);
        const std::size_t slash = doomed.find('\\');
        // A root itself is never removed.
        if (!root || slash == std::u16string_view::npos || slash + 1 == doomed.size())
            return;
        if (const std::optional<std::u16string> full =
                JoinKeyPath(std::u16string(root->full), doomed.substr(slash + 1)))
            RemoveKey(*full);
    }

    /// Opens (creating it and its parents) the key a section names. A section whose root is
    /// not one of the five, or whose path the registry refuses, opens nothing: its values
    /// go nowhere.
    void OpenKey(std::u16string_view path)
    {
        fKey = nullptr;
        const RootNames* root = FindRoot(path);
        if (!root)
            return;
        const std::size_t slash = path.find('\\');
        const std::optional<std::u16string> full =
            JoinKeyPath(std::u16string(root->full),
                        slash == std::u16string_view::npos ? u"" : path.substr(slash + 1));
        if (!full)
            return;
        for (std::size_t at = full->find('\\'); at != std::u16string::npos;
             at = full->find('\\', at + 1))
            fTree.keys.try_emplace(full->substr(0, at));
        fKey = &fTree.keys[*full];
    }

    void RemoveKey(const std::u16string& path)
    {
        const std::u16string prefix = path + u'\\';
        auto it = fTree.keys.lower_bound(prefix);
        while (it != fTree.keys.end() && it->first.size() >= prefix.size() &&
               CompareIgnoringCase(std::u16string_view(it->first).substr(0, prefix.size()),
                                   prefix) == 0)
            it = fTree.keys.erase(it);
        fTree.keys.erase(path);
    }

    void SetValue(std::u16string name, RegValue value)
    {
        if (fKey && name.size() <= MaxValueName)
            fKey->insert_or_assign(std::move(name), std::move(value));
    }

    /// The rest of a value line after its name: "=" and the data.
    void ParseValue(std::u16string name, std::u16string_view rest)
    {
        rest = SkipBlanks(rest);
        if (!rest.starts_with('='))
            return;
        rest = SkipBlanks(rest.substr(1));
        while (!rest.empty() && IsBlank(rest.back()))
            rest.remove_suffix(1);

        if (rest.starts_with('-')) {
            if (IsEndOfItem(rest.substr(1)) && fKey)
                fKey->erase(name);
            return;
        }
        // The type tags are written in lower case; "DWORD:" is no type at all.
        if (rest.starts_with('"')) {
            auto text = Unescape(rest.substr(1));
            if (text && IsEndOfItem(text->second))
                SetValue(std::move(name), RegValue{REG_SZ, Utf16LeBytes(text->first + u'\0')});
        } else if (rest.starts_with(u"hex:")) {
            ParseHexValue(std::move(name), REG_BINARY, rest.substr(4));
        } else if (rest.starts_with(u"dword:")) {
            if (const std::optional<DWORD> number = ParseDword(rest.substr(6))) {
                std::string bytes;
                for (int shift = 0; shift < 32; shift += 8)
                    bytes += static_cast<char>(*number >> shift & 0xFF);
                SetValue(std::move(name), RegValue{REG_DWORD, std::move(bytes)});
            }
        } else if (rest.starts_with(u"hex(")) {
            // "hex(N):" with N in hexadecimal, but never written "0x..".
            rest.remove_prefix(4);
            if (rest.empty() || (rest.size() > 1 && (rest[1] == 'x' || rest[1] == 'X')))
                return;
            const Number type = ParseHexNumber(rest);
            if (!type.overflow && rest.substr(type.used).starts_with(u"):"))
                ParseHexValue(std::move(name), static_cast<DWORD>(type.value),
                              rest.substr(type.used + 2));
        }
    }

    /// "dword:" data: at most eight hexadecimal digits, then nothing but a comment. No
    /// digit at all before a comment is the number 0.
    static std::optional<DWORD> ParseDword(std::u16string_view text)
    {
        text = SkipBlanks(text);
        if (text.empty())
            return std::nullopt;
        std::size_t digits = 0;
        DWORD value = 0;
        while (digits < text.size() && HexDigit(text[digits]) >= 0)
            value = value << 4 | static_cast<DWORD>(HexDigit(text[digits++]));
        if (digits > MaxDwordDigits || !IsEndOfItem(text.substr(digits)))
            return std::nullopt;
        return value;
    }

    /// Hex data, over as many lines as its backslashes ask for. Between continued lines,
    /// blank lines and comment lines are skipped. A list goes on only where a backslash
    /// follows a comma ("01,02,\"); anywhere else the value is malformed and dropped, and
    /// the next line is read as a line of its own. A continuation line that does not start
    /// with a hexadecimal digit drops the value and is itself lost.
    void ParseHexValue(std::u16string name, DWORD type, std::u16string_view line)
    {
        std::string bytes;
        if (line.empty()) {
            // Written as it stands: "hex(2):" is an empty string without a terminator.
            SetValue(std::move(name), RegValue{type, {}});
            return;
        }
        for (;;) {
            const HexLine result = ParseHexLine(line, bytes);
            if (result == HexLine::Invalid)
                return;
            if (result == HexLine::Complete)
                break;
            // After the backslash: nothing, or a comment.
            if (!IsEndOfItem(line))
                return;
            std::optional<std::u16string_view> next;
            while ((next = fLines.Next())) {
                line = SkipBlanks(*next);
                if (!line.empty() && line.front() != ';')
                    break;
            }
            if (!next)
                break; // the file ended: the value keeps what it has
            if (HexDigit(line.front()) < 0)
                return;
        }
        SetValue(std::move(name), RegValue{type, StringData(type, std::move(bytes))});
    }

    /// Reads one line's "01,02,ff" into bytes. On HexLine::Continued, `line` is left at
    /// what follows the backslash.
    static HexLine ParseHexLine(std::u16string_view& line, std::string& bytes)
    {
        std::u16string_view rest = line;
        while (!rest.empty()) {
            const Number byte = ParseHexNumber(rest);
            if (byte.value > 0xFF)
                return HexLine::Invalid;
            if (byte.used == 0) {
                rest = SkipBlanks(rest);
                if (rest.starts_with('\\')) {
                    line = rest.substr(1);
                    return HexLine::Continued;
                }
                return rest.starts_with(';') ? HexLine::Complete : HexLine::Invalid;
            }
            bytes += static_cast<char>(byte.value);
            rest.remove_prefix(byte.used);
            if (!rest.empty() && rest.front() != ',')
                return IsEndOfItem(rest) ? HexLine::Complete : HexLine::Invalid;
            if (!rest.empty())
                rest.remove_prefix(1);
        }
        return HexLine::Complete;
    }

    /// The bytes the registry keeps for hex data. For the string types the import ends the
    /// text with a zero character when it lacks one, and in an 8-bit file takes the bytes
    /// as text in the code page; other types keep their bytes as written.
    std::string StringData(DWORD type, std::string bytes) const
    {
        if (!IsStringType(type) || bytes.empty())
            return bytes;
        if (!fUnicode) {
            if (bytes.back() != '\0')
                bytes += '\0';
            return Utf16LeBytes(AnsiToWide(bytes));
        }
        // NOTE: with an odd count the import writes its zero character over the odd byte
        // and keeps one byte more than it wrote, which it never set; the stand-in makes
        // that byte zero.
        const std::size_t units = bytes.size() / 2;
        const bool odd = bytes.size() % 2 != 0;
        if (units == 0 || bytes[2 * units - 2] != '\0' || bytes[2 * units - 1] != '\0') {
            bytes.resize(2 * units);
            bytes.append(odd ? 3 : 2, '\0');
        }
        return bytes;
    }

    LineReader fLines;
    bool fUnicode;
    RegTree fTree = EmptyRegistry();
    RegValues* fKey = nullptr;
};

} // namespace

bool NameLess::operator()(std::u16string_view left, std::u16string_view right) const
{
    return CompareIgnoringCase(left, right) < 0;
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::u16string_view RootName(HKEY root)
{
    const HKEY handles[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                            HKEY_CURRENT_CONFIG};
    for (std::size_t i = 0; i < std::size(handles); ++i)
        if (handles[i] == root)
            return Roots[i].full;
    return {};
}

std::optional<std::u16string> JoinKeyPath(std::u16string path, std::u16string_view subKey)
{
    if (subKey.starts_with('\\'))
        return std::nullopt;
    for (const std::u16string_view name : SplitFields(subKey, u'\\')) {
        if (!name.empty()) {
            path += u'\\';
            path += name;
        }
    }
    return path;
}

RegTree EmptyRegistry()
{
    RegTree tree;
    for (const RootNames& root : Roots)
        tree.keys.try_emplace(std::u16string(root.full));
    return tree;
}

RegTree ParseRegFile(std::string_view bytes)
{
    // The import reads the first two bytes to tell the encoding, and then the rest line by
    // line; a zero character ends the text it reads.
    if (bytes.size() < 2)
        return EmptyRegistry();
    if (bytes.starts_with("\xFF\xFE")) {
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
            if (unit == 0)
                break;
            text += unit;
        }
        return RegFileParser(text, true).Parse(u"");
    }
    // In an 8-bit file the first two bytes join the first line as they are, not through the
    // code page (the header is ASCII, so only a file that is no ".reg" file can tell).
    if (bytes.substr(0, 2).find('\0') != std::string_view::npos)
        return EmptyRegistry();
    const std::u16string text = AnsiToWide(bytes.substr(2, bytes.find('\0', 2) - 2));
    return RegFileParser(text, false)
        .Parse({static_cast<unsigned char>(bytes[0]), static_cast<unsigned char>(bytes[1])});
}

} // namespace kova::posix
