#include "checker/Findings.h"

#include "checker/FindingCatalogue.h"
#include "checker/ProgramSearch.h"
#include "checker/Quote.h"
#include "checker/TextFields.h"
#include "checker/Words.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <algorithm>
#include <array>
#include <optional>

namespace kova::check {

namespace {

using autorun::LaunchDecision;
using autorun::LaunchQuery;
using autorun::LaunchReason;
using autorun::LaunchSettings;
using autorun::QueryRole;
using autorun::SettingKey;

using Check = std::optional<Found>;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Number(std::size_t number)
{
    return std::to_string(number);
}

/// A key as the findings quote it: "\"AppKey=\"".
std::string QuotedKey(std::string_view name)
{
    return "\"" + std::string(name) + "\"";
}

/// How a line that seems to set a key is written.
enum class KeyLine { Exact, BlankBeforeEquals, OtherCase };

struct KeyLineFound {
    KeyLine kind;
    std::size_t offset; ///< where the key's name starts
};

/// Every line whose first word is `name` in any case, followed by "=" perhaps after
/// blanks: the lines the author meant to set the key with.
std::vector<KeyLineFound> KeyLines(std::string_view bytes, std::string_view name)
{
    std::vector<KeyLineFound> found;
    ForEachField(bytes, "\r\n", [&](std::string_view line, std::size_t start) {
        std::size_t at = 0;
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        line.remove_prefix(at);
        if (!StartsWithIgnoringCase(line, name))
            return;
        std::size_t equals = name.size();
        while (equals < line.size() && IsBlank(line[equals]))
            ++equals;
        if (equals < line.size() && line[equals] == '=') {
            const bool sameCase = line.substr(0, name.size()) == name;
            found.push_back({!sameCase              ? KeyLine::OtherCase
                             : equals > name.size() ? KeyLine::BlankBeforeEquals
                                                    : KeyLine::Exact,
                             start + at});
        }
    });
    return found;
}

/// What the checks read: the report so far, and its file's bytes.
class Disc {
public:
    explicit Disc(const CheckReport& report) : report(report), bytes(report.bytes) {}

    int Line(std::size_t offset) const { return LineOf(bytes, offset); }
    int SettingLine(SettingKey key) const { return report.Setting(key).line; }
    const LaunchSettings& Settings() const { return report.launch; }
    const LaunchDecision& Decision() const { return report.decision; }

    std::size_t LineStart(std::size_t offset) const
    {
        while (offset > 0 && !IsLineEnd(bytes[offset - 1]))
            --offset;
        return offset;
    }

    /// Whether a key's occurrence stands where a reader would look for it: at the start of
    /// a line, perhaps after blanks.
    bool StandsAlone(std::size_t offset) const
    {
        const std::size_t start = LineStart(offset);
        return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                           bytes.begin() + static_cast<std::ptrdiff_t>(offset), IsBlank);
    }

    bool InComment(std::size_t offset) const
    {
        return Trim(bytes.substr(LineStart(offset))).starts_with(';');
    }

    /// The value a key standing just before `start` would have, by the launcher's rule, in
    /// UTF-8.
    std::string ValueAt(std::size_t start) const
    {
        autorun::SettingValue value;
        autorun::CopyValue(report.bytes.c_str() + start, value, report.encoding);
        return Utf8(value);
    }

    /// Text of the file, or a setting's, in UTF-8.
    std::string Utf8(std::string_view text) const { return FileTextToUtf8(text, report.encoding); }

    const CheckReport& report;
    std::string_view bytes;
};

// --- The file --------------------------------------------------------------------------

/// UTF-16 that the launcher does not read: big-endian (with its mark, or ASCII text with
/// every first byte zero) or little-endian without its mark (every second byte zero).
std::optional<const char*> UnreadUtf16(const CheckReport& report)
{
    if (report.encoding != autorun::TextEncoding::Ansi)
        return std::nullopt;
    const std::string_view bytes = report.bytes;
    if (bytes.starts_with("\xFE\xFF"))
        return "big-endian";
    if (bytes.size() < 4)
        return std::nullopt;
    if (bytes[0] == '\0' && bytes[1] != '\0' && bytes[2] == '\0' && bytes[3] != '\0')
        return "big-endian, without a byte-order mark";
    if (bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' && bytes[3] == '\0')
        return "little-endian without a byte-order mark";
    return std::nullopt;
}

/// 8-bit text with letters beyond ASCII, which each code page reads as other letters.
Check AnsiNonAscii(const Disc& disc)
{
    if (disc.report.encoding != autorun::TextEncoding::Ansi)
        return std::nullopt;
    const std::string_view seen = disc.bytes.substr(0, disc.report.textSeen);
    const auto high = std::find_if(seen.begin(), seen.end(), [](char c) { return static_cast<unsigned char>(c) > 127; });
    if (high == seen.end())
        return std::nullopt;
    const auto offset = static_cast<std::size_t>(high - seen.begin());
    return Found{FindingId::AnsiNonAscii, disc.Line(offset), {Number(offset + 1)}};
}

/// The mark of a UTF-8 file directly before the section's name, on the first line.
Check Utf8BomBeforeSection(const Disc& disc)
{
    if (disc.report.encoding != autorun::TextEncoding::Utf8Bom ||
        !StartsWithIgnoringCase(disc.bytes.substr(3), "[autorun]"))
        return std::nullopt;
    return Found{FindingId::Utf8BomHidesSection, 1, {}};
}

Check ZeroByte(const Disc& disc)
{
    const CheckReport& report = disc.report;
    if (report.textSeen >= report.textRead)
        return std::nullopt;
    return Found{FindingId::ZeroByte, disc.Line(report.textSeen), {Number(report.textSeen + 1)}};
}

// --- Each key --------------------------------------------------------------------------

/// A key the launcher reads whose first occurrence is not where a reader looks for it.
Check KeyPlacement(const Disc& disc, const SettingReport& setting, const std::vector<KeyLineFound>& lines)
{
    const std::size_t offset = setting.offset;
    if (disc.StandsAlone(offset) && !disc.InComment(offset))
        return std::nullopt;
    const auto meant = std::find_if(lines.begin(), lines.end(), [&](const KeyLineFound& line) {
        return line.kind == KeyLine::Exact && line.offset > offset && !disc.InComment(line.offset);
    });
    const std::string where = disc.InComment(offset) ? "inside a comment" : "inside another line";
    const std::string line = Number(static_cast<std::size_t>(setting.line));
    if (meant != lines.end())
        return Found{FindingId::KeyFirstOccurrence, setting.line,
                     {QuotedKey(setting.name), where, line, Quote(setting.value),
                      Number(static_cast<std::size_t>(disc.Line(meant->offset)))}};
    return Found{FindingId::KeyInsideLine, setting.line, {QuotedKey(setting.name), where, line}};
}

/// A later line that sets the key again, to another value.
Check KeyRepeated(const Disc& disc, const SettingReport& setting, const std::vector<KeyLineFound>& lines)
{
    const std::size_t length = std::string_view(setting.name).size();
    for (const KeyLineFound& line : lines)
        if (line.kind == KeyLine::Exact && line.offset > setting.offset && !disc.InComment(line.offset) &&
            disc.ValueAt(line.offset + length) != setting.value) {
            const int at = disc.Line(line.offset);
            return Found{FindingId::KeyRepeated, at,
                         {Number(static_cast<std::size_t>(at)), QuotedKey(setting.name),
                          Number(static_cast<std::size_t>(setting.line))}};
        }
    return std::nullopt;
}

/// A key the launcher does not read, though the file seems to set it.
Check UnseenKey(const Disc& disc, const SettingReport& setting, const std::vector<KeyLineFound>& lines)
{
    const CheckReport& report = disc.report;
    const std::string_view name = setting.name;
    const std::size_t beyond = disc.bytes.find(name);
    if (beyond != std::string_view::npos && beyond + name.size() > report.textRead)
        return Found{FindingId::KeyBeyondLimit, disc.Line(beyond),
                     {QuotedKey(name), Number(beyond + 1), Number(autorun::kMaxRead)}};
    if (beyond != std::string_view::npos) {
        const int line = disc.Line(beyond);
        return Found{FindingId::KeyAfterZeroByte, line,
                     {QuotedKey(name), Number(static_cast<std::size_t>(line)), Number(report.textSeen + 1)}};
    }
    for (const KeyLineFound& line : lines) {
        if (line.kind == KeyLine::Exact)
            continue;
        const std::string written(disc.bytes.substr(line.offset, disc.bytes.find('=', line.offset) + 1 - line.offset));
        const int at = disc.Line(line.offset);
        return Found{line.kind == KeyLine::OtherCase ? FindingId::KeyWrongCase : FindingId::KeyBlankBeforeEquals,
                     at, {Quote(disc.Utf8(written)), Number(static_cast<std::size_t>(at)), QuotedKey(name)}};
    }
    return std::nullopt;
}

/// A value that is not all the author wrote.
Check ValueCut(const Disc& disc, const SettingReport& setting)
{
    const CheckReport& report = disc.report;
    const std::size_t start = setting.offset + std::string_view(setting.name).size();
    std::size_t end = start;
    while (end < disc.bytes.size() && disc.bytes[end] != '\0' && !IsLineEnd(disc.bytes[end]))
        ++end;
    // Where the launcher's value ends in the text: its bytes as the file holds them.
    const std::size_t valueEnd = start + std::string_view(disc.Settings().Value(setting.key)).size();
    const std::string key = QuotedKey(setting.name);
    if (valueEnd == report.textRead && end > valueEnd)
        return Found{FindingId::ValueCutAtLimit, setting.line,
                     {key, Number(autorun::kMaxRead), Quote(setting.value)}};
    if (valueEnd == report.textSeen && report.textSeen < report.textRead)
        return Found{FindingId::ValueCutAtZeroByte, setting.line, {key, Quote(setting.value)}};
    std::size_t characters = 0;
    for (std::size_t at = start; at < end; at += autorun::CharacterLength(disc.bytes.data() + at, report.encoding))
        ++characters;
    if (characters > autorun::kMaxValueLength)
        return Found{FindingId::ValueTooLong, setting.line,
                     {key, Number(characters), Number(autorun::kMaxValueLength)}};
    return std::nullopt;
}

Check ValueTrailingBlank(const Disc&, const SettingReport& setting)
{
    if (setting.value.empty() || !IsBlank(setting.value.back()))
        return std::nullopt;
    return Found{FindingId::ValueTrailingBlank, setting.line,
                 {QuotedKey(setting.name), Quote(setting.value), Number(static_cast<std::size_t>(setting.line))}};
}

Check ValueLeadingBlank(const Disc&, const SettingReport& setting)
{
    if (setting.value.empty() || !IsBlank(setting.value.front()))
        return std::nullopt;
    return Found{FindingId::ValueLeadingBlank, setting.line, {QuotedKey(setting.name), Quote(setting.value)}};
}

// --- The settings ----------------------------------------------------------------------

Check RootName(const Disc& disc)
{
    const std::string_view appReg = disc.Settings().appReg;
    if (appReg.empty())
        return std::nullopt;
    for (const autorun::RegistryRootEntry& root : autorun::kRegistryRoots)
        if (appReg == root.name)
            return std::nullopt;
    const std::string_view trimmed = Trim(appReg);
    const autorun::RegistryRootEntry* meant = nullptr;
    for (const autorun::RegistryRootEntry& root : autorun::kRegistryRoots)
        if (EqualIgnoringCase(trimmed, root.name) || EqualIgnoringCase(trimmed, root.shortName))
            meant = &root;
    const int line = disc.SettingLine(SettingKey::AppRegistry);
    if (meant == nullptr)
        return Found{FindingId::RootUnknown, line, {Quote(disc.Utf8(appReg))}};
    return Found{meant->key == HKEY_CURRENT_USER ? FindingId::RootUnknownMeantCurrentUser : FindingId::RootUnknownMeant,
                 line, {Quote(disc.Utf8(appReg)), meant->name}};
}

Check ViewSetting(const Disc& disc)
{
    const std::string_view view = disc.Settings().appRegistryView;
    for (const autorun::RegistryViewEntry& entry : autorun::kRegistryViews)
        if (view == entry.setting)
            return std::nullopt;
    const std::string_view trimmed = Trim(view);
    const int line = disc.SettingLine(SettingKey::AppRegistryView);
    for (const autorun::RegistryViewEntry& entry : autorun::kRegistryViews)
        if (entry.setting[0] != '\0' && trimmed.find(entry.setting) != std::string_view::npos)
            return Found{FindingId::ViewUnknownMeant, line, {Quote(disc.Utf8(view)), entry.setting}};
    return Found{FindingId::ViewUnknown, line, {Quote(disc.Utf8(view))}};
}

Check ProductKey(const Disc& disc)
{
    const std::string_view appKey = disc.Settings().appKey;
    const int line = disc.SettingLine(SettingKey::AppKey);
    if (appKey.empty())
        return Found{FindingId::AppKeyEmpty, line, {}};
    if (appKey.front() == '\\')
        return Found{FindingId::AppKeyLeadingBackslash, line, {}};
    const bool repeatsRoot =
        StartsWithIgnoringCase(appKey, "HKEY_") ||
        std::any_of(std::begin(autorun::kRegistryRoots), std::end(autorun::kRegistryRoots),
                    [&](const autorun::RegistryRootEntry& root) {
                        return StartsWithIgnoringCase(appKey, std::string(root.shortName) + "\\");
                    });
    if (repeatsRoot)
        return Found{FindingId::AppKeyRepeatsRoot, line, {}};
    return std::nullopt;
}

Check AutoStartDefault(const Disc& disc)
{
    const LaunchSettings& settings = disc.Settings();
    if (settings.autoStart[0] != '\0' || settings.autoStartValueName[0] != '\0')
        return std::nullopt;
    return Found{FindingId::AutoStartDefaultValue, 0, {Quote(disc.Utf8(settings.autoStartValue))}};
}

Check AutoStartAnyValue(const Disc& disc)
{
    static constexpr std::array<std::string_view, 5> kNoes = {"0", "no", "false", "off", "n"};
    const std::string_view autoStart = Trim(disc.Settings().autoStart);
    if (std::none_of(kNoes.begin(), kNoes.end(), [&](std::string_view no) { return EqualIgnoringCase(autoStart, no); }))
        return std::nullopt;
    return Found{FindingId::AutoStartAnyValue, disc.SettingLine(SettingKey::AutoStart),
                 {Quote(disc.Utf8(disc.Settings().autoStart))}};
}

Check AppPathDefault(const Disc& disc)
{
    if (disc.Settings().appPathValueName[0] != '\0')
        return std::nullopt;
    return Found{FindingId::AppPathDefaultValue, 0, {}};
}

Check SetupProgram(const Disc& disc)
{
    const LaunchSettings& settings = disc.Settings();
    if (settings.setupName[0] == '\0')
        return Found{FindingId::SetupNotSet, 0, {}};
    const ProgramReport setup = FindCommandProgram(disc.Utf8(settings.setupName), disc.report.folder);
    if (setup.path)
        return std::nullopt;
    return Found{FindingId::SetupNotFound, disc.SettingLine(SettingKey::SetupName), {Quote(setup.name)}};
}

// --- This machine's registry -----------------------------------------------------------

/// The key does not open in the launcher's view, or not at all. Ends the machine's checks
/// when it finds something, since nothing was asked of the key then.
Check ProductKeyOnMachine(const Disc& disc)
{
    const LaunchDecision& decision = disc.Decision();
    const CheckReport& report = disc.report;
    const int line = disc.SettingLine(SettingKey::AppKey);
    if (decision.openStatus != ERROR_SUCCESS && report.otherView) {
        const autorun::RegistryViewEntry& other = autorun::RegistryViewOf(*report.otherView);
        return Found{FindingId::KeyInOtherView, line,
                     {autorun::RegistryViewOf(decision.access).name, other.name, other.setting}};
    }
    if (decision.openStatus != ERROR_SUCCESS && decision.openStatus != ERROR_FILE_NOT_FOUND &&
        decision.openStatus != ERROR_BAD_PATHNAME)
        return Found{FindingId::KeyOpenFailed, line, {ErrorText(decision.openStatus)}};
    return std::nullopt;
}

Check AutoStartOnMachine(const Disc& disc)
{
    const LaunchQuery* query = disc.Decision().Query(QueryRole::AutoStart);
    if (query == nullptr)
        return std::nullopt;
    const LaunchSettings& settings = disc.Settings();
    const int line = disc.SettingLine(SettingKey::AutoStartValueName);
    const std::string name = Quote(disc.Utf8(settings.autoStartValueName));
    if (query->status == ERROR_FILE_NOT_FOUND)
        return Found{FindingId::AutoStartValueMissing, line, {name}};
    if (query->status != ERROR_SUCCESS)
        return Found{FindingId::AutoStartValueUnreadable, line, {name, ErrorText(query->status)}};
    if (query->matched)
        return std::nullopt;
    const std::string wanted = disc.Utf8(settings.autoStartValue);
    const std::string data = WideToUtf8(query->data);
    const bool byBlanks = Trim(wanted) == data;
    return Found{byBlanks ? FindingId::AutoStartValueDiffersByBlanks : FindingId::AutoStartValueDiffers,
                 disc.SettingLine(SettingKey::AutoStartValue), {name, Quote(data), Quote(wanted)}};
}

Check AppPathOnMachine(const Disc& disc)
{
    const LaunchQuery* query = disc.Decision().Query(QueryRole::AppPath);
    if (query == nullptr || query->status == ERROR_SUCCESS)
        return std::nullopt;
    const int line = disc.SettingLine(SettingKey::AppPathValueName);
    const std::string name = Quote(disc.Utf8(disc.Settings().appPathValueName));
    if (query->status == ERROR_FILE_NOT_FOUND)
        return Found{FindingId::AppPathMissing, line, {name}};
    if (query->status == ERROR_MORE_DATA) {
        // Text counts in UTF-16 units, other data in bytes, one character each.
        const std::size_t characters =
            autorun::IsTextType(query->valType) ? query->lenKeyValue / sizeof(WCHAR) : query->lenKeyValue;
        return Found{FindingId::AppPathTooLong, line, {name, Number(characters), Number(autorun::kDataLength)}};
    }
    return Found{FindingId::AppPathUnreadable, line, {name, ErrorText(query->status)}};
}

Check InstalledProgramOnMachine(const Disc& disc)
{
    const CheckReport& report = disc.report;
    if (report.decision.action != autorun::LaunchAction::Installed || !report.program || report.program->path)
        return std::nullopt;
    return Found{FindingId::InstalledProgramNotFound, 0, {Quote(report.program->name)}};
}

// --- Unquoted program paths ----------------------------------------------------------

/// `texts` joined as a list in words: "a", "a or b", "a, b or c".
std::string OneOf(const std::vector<std::string>& texts)
{
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i == 0 ? "" : i + 1 == texts.size() ? " or " : ", ") + Quote(texts[i]);
    return out;
}

Check UnquotedPathIn(const Disc& disc, const std::string& commandLine, const char* which, const char* fix, int line)
{
    const std::optional<UnquotedPath> path = FindUnquotedPath(commandLine, disc.report.folder);
    if (!path)
        return std::nullopt;
    std::vector<std::string> texts = {which, Quote(path->program), OneOf(path->earlier), fix};
    if (path->existing.empty())
        return Found{FindingId::UnquotedPath, line, std::move(texts)};
    texts.push_back(OneOf(path->existing));
    return Found{FindingId::UnquotedPathTaken, line, std::move(texts)};
}

Check SetupUnquoted(const Disc& disc)
{
    return UnquotedPathIn(disc, disc.Utf8(disc.Settings().setupName), "setup", " in SetupName=",
                          disc.SettingLine(SettingKey::SetupName));
}

Check InstalledUnquoted(const Disc& disc)
{
    const LaunchQuery* query = disc.Decision().Query(QueryRole::AppPath);
    if (query == nullptr || query->status != ERROR_SUCCESS)
        return std::nullopt;
    return UnquotedPathIn(disc, WideToUtf8(query->data), "installed", " where the product's installer writes it", 0);
}

// --- All of them, in the order they are reported ---------------------------------------

using KeyCheck = Check (*)(const Disc&, const SettingReport&, const std::vector<KeyLineFound>&);
using ValueCheck = Check (*)(const Disc&, const SettingReport&);
using DiscCheck = Check (*)(const Disc&);

constexpr ValueCheck kValueChecks[] = {ValueCut, ValueTrailingBlank, ValueLeadingBlank};
constexpr DiscCheck kSettingChecks[] = {RootName,         ViewSetting,    ProductKey,   AutoStartDefault,
                                        AutoStartAnyValue, AppPathDefault, SetupProgram, SetupUnquoted};
constexpr DiscCheck kMachineChecks[] = {AutoStartOnMachine, AppPathOnMachine, InstalledProgramOnMachine,
                                        InstalledUnquoted};

class Findings {
public:
    explicit Findings(CheckReport& report) : fReport(report) {}

    void Add(const Check& check)
    {
        if (check)
            fReport.findings.push_back(MakeFinding(*check));
    }

private:
    CheckReport& fReport;
};

void CheckKey(const Disc& disc, const SettingReport& setting, Findings& findings)
{
    const std::string_view name = setting.name;
    const std::vector<KeyLineFound> lines = KeyLines(disc.bytes, name.substr(0, name.size() - 1));
    if (!setting.set) {
        findings.Add(UnseenKey(disc, setting, lines));
        return;
    }
    const Check placement = KeyPlacement(disc, setting, lines);
    findings.Add(placement);
    if (!placement)
        findings.Add(KeyRepeated(disc, setting, lines));
    for (const ValueCheck check : kValueChecks)
        findings.Add(check(disc, setting));
}

} // namespace

int LineOf(std::string_view bytes, std::size_t offset)
{
    int line = 1;
    offset = std::min(offset, bytes.size());
    for (std::size_t i = 0; i < offset; ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

void FindTraps(CheckReport& report)
{
    Findings findings(report);
    if (!report.fileFound) {
        findings.Add(Found{FindingId::NoAutorunInf, 0, {CommandLineToUtf8(report.folder)}});
        return;
    }
    if (!report.fileReadable) {
        findings.Add(Found{FindingId::AutorunInfUnreadable, 0,
                           {CommandLineToUtf8(report.path), "a folder, or no permission"}});
        return;
    }
    if (const std::optional<const char*> form = UnreadUtf16(report)) {
        findings.Add(Found{FindingId::Utf16NotRead, 1, {*form}});
        return;
    }
    const Disc disc(report);
    findings.Add(AnsiNonAscii(disc));
    findings.Add(Utf8BomBeforeSection(disc));
    findings.Add(ZeroByte(disc));
    for (const SettingReport& setting : report.settings)
        CheckKey(disc, setting, findings);
    for (const DiscCheck check : kSettingChecks)
        findings.Add(check(disc));
    const Check key = ProductKeyOnMachine(disc);
    findings.Add(key);
    if (key || report.decision.openStatus != ERROR_SUCCESS)
        return;
    for (const DiscCheck check : kMachineChecks)
        findings.Add(check(disc));
}

} // namespace kova::check
