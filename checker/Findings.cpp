#include "checker/Findings.h"

#include "checker/FindingCatalogue.h"
#include "checker/ProgramSearch.h"
#include "checker/Quote.h"
#include "checker/ShellAutorun.h"
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

std::string_view Trim(std::string_view text)
{
    return TrimIf(text, IsBlank);
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
    const auto high = std::find_if(seen.begin(), seen.end(),
                                   [](char c) { return static_cast<unsigned char>(c) > 127; });
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
Check KeyPlacement(const Disc& disc, const SettingReport& setting,
                   const std::vector<KeyLineFound>& lines)
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
        return Found{FindingId::KeyFirstOccurrence,
                     setting.line,
                     {QuotedKey(setting.name), where, line, Quote(setting.value),
                      Number(static_cast<std::size_t>(disc.Line(meant->offset)))}};
    return Found{FindingId::KeyInsideLine, setting.line, {QuotedKey(setting.name), where, line}};
}

/// A later line that sets the key again, to another value.
Check KeyRepeated(const Disc& disc, const SettingReport& setting,
                  const std::vector<KeyLineFound>& lines)
{
    const std::size_t length = std::string_view(setting.name).size();
    for (const KeyLineFound& line : lines)
        if (line.kind == KeyLine::Exact && line.offset > setting.offset &&
            !disc.InComment(line.offset) && disc.ValueAt(line.offset + length) != setting.value) {
            const int at = disc.Line(line.offset);
            return Found{FindingId::KeyRepeated,
                         at,
                         {Number(static_cast<std::size_t>(at)), QuotedKey(setting.name),
                          Number(static_cast<std::size_t>(setting.line))}};
        }
    return std::nullopt;
}

/// A key the launcher does not read, though the file seems to set it.
Check UnseenKey(const Disc& disc, const SettingReport& setting,
                const std::vector<KeyLineFound>& lines)
{
    const CheckReport& report = disc.report;
    const std::string_view name = setting.name;
    const std::size_t beyond = disc.bytes.find(name);
    if (beyond != std::string_view::npos && beyond + name.size() > report.textRead)
        return Found{FindingId::KeyBeyondLimit,
                     disc.Line(beyond),
                     {QuotedKey(name), Number(beyond + 1), Number(autorun::kMaxRead)}};
    if (beyond != std::string_view::npos) {
        const int line = disc.Line(beyond);
        return Found{
            FindingId::KeyAfterZeroByte,
            line,
            {QuotedKey(name), Number(static_cast<std::size_t>(line)), Number(report.textSeen + 1)}};
    }
    for (const KeyLineFound& line : lines) {
        if (line.kind == KeyLine::Exact)
            continue;
        const std::string written(
            disc.bytes.substr(line.offset, disc.bytes.find('=', line.offset) + 1 - line.offset));
        const int at = disc.Line(line.offset);
        return Found{
            line.kind == KeyLine::OtherCase ? FindingId::KeyWrongCase
                                            : FindingId::KeyBlankBeforeEquals,
            at,
            {Quote(disc.Utf8(written)), Number(static_cast<std::size_t>(at)), QuotedKey(name)}};
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
    const std::size_t valueEnd =
        start + std::string_view(disc.Settings().Value(setting.key)).size();
    const std::string key = QuotedKey(setting.name);
    if (valueEnd == report.textRead && end > valueEnd)
        return Found{FindingId::ValueCutAtLimit,
                     setting.line,
                     {key, Number(autorun::kMaxRead), Quote(setting.value)}};
    if (valueEnd == report.textSeen && report.textSeen < report.textRead)
        return Found{FindingId::ValueCutAtZeroByte, setting.line, {key, Quote(setting.value)}};
    std::size_t characters = 0;
    for (std::size_t at = start; at < end;
         at += autorun::CharacterLength(disc.bytes.data() + at, report.encoding))
        ++characters;
    if (characters > autorun::kMaxValueLength)
        return Found{FindingId::ValueTooLong,
                     setting.line,
                     {key, Number(characters), Number(autorun::kMaxValueLength)}};
    return std::nullopt;
}

Check ValueTrailingBlank(const Disc&, const SettingReport& setting)
{
    if (setting.value.empty() || !IsBlank(setting.value.back()))
        return std::nullopt;
    return Found{FindingId::ValueTrailingBlank,
                 setting.line,
                 {QuotedKey(setting.name), Quote(setting.value),
                  Number(static_cast<std::size_t>(setting.line))}};
}

Check ValueLeadingBlank(const Disc&, const SettingReport& setting)
{
    if (setting.value.empty() || !IsBlank(setting.value.front()))
        return std::nullopt;
    return Found{FindingId::ValueLeadingBlank,
                 setting.line,
                 {QuotedKey(setting.name), Quote(setting.value)}};
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
    return Found{meant->key == HKEY_CURRENT_USER ? FindingId::RootUnknownMeantCurrentUser
                                                 : FindingId::RootUnknownMeant,
                 line,
                 {Quote(disc.Utf8(appReg)), meant->name}};
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
            return Found{
                FindingId::ViewUnknownMeant, line, {Quote(disc.Utf8(view)), entry.setting}};
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
    if (std::none_of(kNoes.begin(), kNoes.end(),
                     [&](std::string_view no) { return EqualIgnoringCase(autoStart, no); }))
        return std::nullopt;
    return Found{FindingId::AutoStartAnyValue,
                 disc.SettingLine(SettingKey::AutoStart),
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
    const ProgramReport setup =
        FindCommandProgram(disc.Utf8(settings.setupName), disc.report.readFolder);
    if (setup.path)
        return std::nullopt;
    return Found{
        FindingId::SetupNotFound, disc.SettingLine(SettingKey::SetupName), {Quote(setup.name)}};
}

Check AppVersionSetting(const Disc& disc)
{
    const LaunchSettings& settings = disc.Settings();
    if (!settings.IsSet(SettingKey::AppVersion) || disc.Decision().versions.disc.count > 0)
        return std::nullopt;
    return Found{FindingId::AppVersionUnparsable,
                 disc.SettingLine(SettingKey::AppVersion),
                 {Quote(settings.appVersion)}};
}

Check AppVersionValueNameAlone(const Disc& disc)
{
    const LaunchSettings& settings = disc.Settings();
    if (!settings.IsSet(SettingKey::AppVersionValueName) || settings.IsSet(SettingKey::AppVersion))
        return std::nullopt;
    return Found{FindingId::AppVersionValueNameIgnored,
                 disc.SettingLine(SettingKey::AppVersionValueName),
                 {}};
}

Check AppVersionDefault(const Disc& disc)
{
    if (disc.Decision().versions.disc.count == 0 || disc.Settings().appVersionValueName[0] != '\0')
        return std::nullopt;
    return Found{
        FindingId::AppVersionDefaultValue, disc.SettingLine(SettingKey::AppVersionValueName), {}};
}

// --- The shell's lines -----------------------------------------------------------------

Check ShellSection(const Disc& disc)
{
    if (disc.report.shell.lines.sectionLine != 0)
        return std::nullopt;
    // A UTF-8 mark that hides the section on line 1 is utf8-bom-hides-section's to tell.
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (disc.bytes.starts_with(kUtf8Mark) &&
        ReadShellAutorun(disc.bytes.substr(kUtf8Mark.size())).sectionLine == 1)
        return std::nullopt;
    return Found{FindingId::ShellSectionMissing, 0, {}};
}

Check ShellStart(const Disc& disc)
{
    const ShellReport& shell = disc.report.shell;
    const int section = shell.lines.sectionLine;
    if (section == 0)
        return std::nullopt;
    if (shell.start == nullptr || !shell.program)
        return Found{
            FindingId::ShellStartMissing, section, {Number(static_cast<std::size_t>(section))}};
    const int line = shell.StartLine().line;
    std::vector<std::string> texts = {Number(static_cast<std::size_t>(line)),
                                      Quote(shell.program->name), shell.start->name};
    if (!shell.program->path)
        return Found{FindingId::ShellStartNotFound, line, std::move(texts)};
    if (!shell.onDisc) {
        texts.push_back(*shell.program->path);
        return Found{FindingId::ShellStartNotOnDisc, line, std::move(texts)};
    }
    if (!shell.isLauncher)
        return Found{FindingId::ShellStartsOtherProgram, line, std::move(texts)};
    return std::nullopt;
}

/// The folder part of a name the disc's lines use, in lower case, with one kind of slash.
std::string FolderOf(std::string_view name)
{
    const std::size_t slash = name.find_last_of("\\/");
    std::string folder(slash == std::string_view::npos ? std::string_view()
                                                       : name.substr(0, slash));
    for (char& c : folder)
        c = c == '/' ? '\\' : LowerAscii(c);
    return folder;
}

/// The icon= value's file: what stands before its ",index".
std::string IconFile(const ShellLine& icon)
{
    return std::string(Trim(std::string_view(icon.value).substr(0, icon.value.find(','))));
}

Check ShellIcon(const Disc& disc)
{
    const ShellReport& shell = disc.report.shell;
    if (shell.lines.sectionLine == 0 || !shell.lines.icon)
        return std::nullopt;
    const int line = shell.lines.icon->line;
    const std::string file = IconFile(*shell.lines.icon);
    if (!shell.iconOnDisc)
        return Found{FindingId::ShellIconNotFound,
                     line,
                     {Number(static_cast<std::size_t>(line)), Quote(file)}};
    if (!shell.program || !shell.program->path || FolderOf(file) == FolderOf(shell.program->name))
        return std::nullopt;
    const std::string folder = FolderOf(shell.program->name);
    return Found{FindingId::ShellIconNotBesideStart,
                 line,
                 {Number(static_cast<std::size_t>(line)), Quote(file),
                  folder.empty() ? "the disc's root" : Quote(folder), shell.start->name}};
}

Check ShellLabel(const Disc& disc)
{
    constexpr std::size_t kShown = 32;
    const std::optional<ShellLine>& label = disc.report.shell.lines.label;
    if (disc.report.shell.lines.sectionLine == 0 || !label ||
        CharacterCount(label->value) <= kShown)
        return std::nullopt;
    std::size_t cut = kShown;
    while (cut < label->value.size() && CharacterCount(label->value.substr(0, cut)) < kShown)
        ++cut;
    return Found{FindingId::ShellLabelTooLong,
                 label->line,
                 {Number(static_cast<std::size_t>(label->line)),
                  Number(CharacterCount(label->value)), Quote(label->value.substr(0, cut))}};
}

Check ShellAction(const Disc& disc)
{
    // Without a program to start, there is nothing for an action to name.
    const ShellAutorun& lines = disc.report.shell.lines;
    if (lines.sectionLine == 0 || lines.action || !disc.report.shell.program)
        return std::nullopt;
    return Found{FindingId::ShellActionMissing, 0, {}};
}

Check ShellUseAutoPlay(const Disc& disc)
{
    const ShellAutorun& lines = disc.report.shell.lines;
    if (lines.sectionLine == 0 || !lines.useAutoPlay || lines.useAutoPlay->value != "1")
        return std::nullopt;
    const int line = lines.useAutoPlay->line;
    return Found{FindingId::ShellUseAutoPlay,
                 line,
                 {Number(static_cast<std::size_t>(line)), Quote(lines.useAutoPlay->value)}};
}

// --- A disc image ----------------------------------------------------------------------

/// The most folders, the root among them, that an ISO 9660 image holds one inside another.
constexpr std::size_t kIsoLevels = 8;
/// The most characters of a Joliet name.
constexpr std::size_t kJolietLength = 64;

std::string UpperAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

/// The ISO 9660 level-1 form of a name, as image makers make it: upper case, each
/// character outside A-Z, 0-9 and "_" made "_", 8 characters and an extension of 3.
std::string Iso83(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    const auto part = [](std::string_view text, std::size_t length) {
        std::string out = UpperAscii(text.substr(0, length));
        for (char& c : out)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
                c = '_';
        return out;
    };
    if (dot == std::string_view::npos || dot == 0)
        return part(name, 8);
    return part(name.substr(0, dot), 8) + "." + part(name.substr(dot + 1), 3);
}

/// Whether `shown` can be an image maker's cut of `name`, too long for Joliet: its start
/// (genisoimage keeps 64 characters), or its start and its extension (xorriso).
bool IsJolietCut(std::string_view name, std::string_view shown)
{
    if (name.size() <= kJolietLength || shown.size() >= name.size() || shown.empty())
        return false;
    if (EqualIgnoringCase(shown, name.substr(0, shown.size())))
        return true;
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot);
    return shown.size() > extension.size() &&
           EqualIgnoringCase(shown.substr(shown.size() - extension.size()), extension) &&
           EqualIgnoringCase(shown.substr(0, shown.size() - extension.size()),
                             name.substr(0, shown.size() - extension.size()));
}

/// A name autorun.inf uses for a file on the disc, and its line.
struct NamedFile {
    std::string name;
    int line;
};

/// The names autorun.inf uses for files on the disc that the disc does not hold.
std::vector<NamedFile> MissingNames(const Disc& disc)
{
    const CheckReport& report = disc.report;
    std::vector<NamedFile> names;
    const ShellReport& shell = report.shell;
    if (shell.program && !shell.program->path && !shell.program->name.empty())
        names.push_back({shell.program->name, shell.StartLine().line});
    if (shell.lines.icon && !shell.iconOnDisc && !IconFile(*shell.lines.icon).empty())
        names.push_back({IconFile(*shell.lines.icon), shell.lines.icon->line});
    if (report.launch.setupName[0] != '\0') {
        const ProgramReport setup = FindCommandProgram(report.launch.setupName, report.readFolder);
        if (!setup.path && !setup.name.empty())
            names.push_back({setup.name, disc.SettingLine(SettingKey::SetupName)});
    }
    return names;
}

/// What the image shows for `name` (its folders and file, '/'-separated) when a part of
/// it is shown under another name; empty when a part matches nothing.
std::string ShownName(const ImageReport& image, const std::vector<std::string>& parts,
                      bool& differs)
{
    std::string shown;
    differs = false;
    for (const std::string& part : parts) {
        const std::string prefix = shown.empty() ? "" : shown + "/";
        std::string match;
        for (const std::string& file : image.files) {
            if (!file.starts_with(prefix) || file.find('/', prefix.size()) != std::string::npos)
                continue;
            const std::string_view entry = std::string_view(file).substr(prefix.size());
            if (EqualIgnoringCase(entry, part)) {
                match = file;
                break;
            }
            const bool cut =
                image.fileSystem == ImageFileSystem::Iso9660 ? EqualIgnoringCase(entry, Iso83(part))
                : image.fileSystem == ImageFileSystem::Joliet ? IsJolietCut(part, entry)
                                                              : false;
            if (cut && match.empty()) {
                match = file;
                differs = true;
            }
        }
        if (match.empty())
            return {};
        shown = match;
    }
    return shown;
}

/// The names autorun.inf uses that the image shows under other names, or cannot hold.
void ImageNames(const Disc& disc, std::vector<Found>& found)
{
    const ImageReport& image = *disc.report.image;
    for (const NamedFile& named : MissingNames(disc)) {
        std::vector<std::string> parts;
        ForEachField(named.name, "\\/", [&](std::string_view part, std::size_t) {
            if (!part.empty() && part != ".")
                parts.emplace_back(part);
        });
        const std::string quoted = Quote(named.name);
        const std::string line = Number(static_cast<std::size_t>(named.line));
        if (image.fileSystem != ImageFileSystem::Udf && parts.size() > kIsoLevels) {
            found.push_back({FindingId::ImagePathTooDeep,
                             named.line,
                             {quoted, line, Number(parts.size() - 1)}});
            continue;
        }
        bool differs = false;
        const std::string shown = ShownName(image, parts, differs);
        const bool iso = image.fileSystem == ImageFileSystem::Iso9660;
        if (!shown.empty() && differs)
            found.push_back({iso ? FindingId::ImageName83 : FindingId::ImageNameCut64,
                             named.line,
                             {quoted, line, Quote(shown)}});
        else if (shown.empty() && iso &&
                 std::any_of(parts.begin(), parts.end(),
                             [](const std::string& part) { return Iso83(part) != part; }))
            found.push_back({FindingId::ImageName83Unmatched, named.line, {quoted, line}});
    }
}

void ImageTrees(const ImageReport& image, std::vector<Found>& found)
{
    if (!image.udfOnly.empty() || !image.isoOnly.empty()) {
        std::string what;
        if (!image.udfOnly.empty())
            what = Number(image.udfOnly.size()) + " only in UDF, the first " +
                   Quote(image.udfOnly.front());
        if (!image.isoOnly.empty())
            what += (what.empty() ? "" : "; ") + Number(image.isoOnly.size()) +
                    " only in ISO 9660, the first " + Quote(image.isoOnly.front());
        found.push_back({FindingId::ImageUdfDiffers, 0, {what}});
    }
    if (!image.leftOut.empty())
        found.push_back({FindingId::ImageNamesLeftOut,
                         0,
                         {Number(image.leftOut.size()), Quote(image.leftOut.front())}});
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
        return Found{FindingId::KeyInOtherView,
                     line,
                     {autorun::RegistryViewOf(decision.access).name, other.name, other.setting}};
    }
    if (decision.openStatus != ERROR_SUCCESS && decision.openStatus != ERROR_FILE_NOT_FOUND &&
        decision.openStatus != ERROR_BAD_PATHNAME)
        return Found{FindingId::KeyOpenFailed, line, {ErrorText(decision.openStatus)}};
    return std::nullopt;
}

Check InstalledVersionOnMachine(const Disc& disc)
{
    const LaunchQuery* query = disc.Decision().Query(QueryRole::Version);
    if (query == nullptr)
        return std::nullopt;
    const autorun::VersionComparison& versions = disc.Decision().versions;
    const int line = disc.SettingLine(SettingKey::AppVersionValueName);
    const std::string name = Quote(disc.Settings().appVersionValueName);
    if (query->status == ERROR_FILE_NOT_FOUND)
        return Found{FindingId::InstalledVersionMissing, line, {name}};
    if (query->status != ERROR_SUCCESS)
        return Found{FindingId::InstalledVersionUnreadable, line, {name, ErrorText(query->status)}};
    if (versions.installed.count == 0)
        return Found{
            FindingId::InstalledVersionUnparsable, line, {name, Quote(WideToUtf8(query->data))}};
    if (versions.order != autorun::VersionOrder::Newer)
        return std::nullopt;
    return Found{FindingId::InstalledVersionNewer,
                 disc.SettingLine(SettingKey::AppVersion),
                 {VersionText(versions.installed), VersionText(versions.disc)}};
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
    return Found{byBlanks ? FindingId::AutoStartValueDiffersByBlanks
                          : FindingId::AutoStartValueDiffers,
                 disc.SettingLine(SettingKey::AutoStartValue),
                 {name, Quote(data), Quote(wanted)}};
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
        const std::size_t characters = autorun::IsTextType(query->valType)
                                           ? query->lenKeyValue / sizeof(WCHAR)
                                           : query->lenKeyValue;
        return Found{FindingId::AppPathTooLong,
                     line,
                     {name, Number(characters), Number(autorun::kDataLength)}};
    }
    return Found{FindingId::AppPathUnreadable, line, {name, ErrorText(query->status)}};
}

Check InstalledProgramOnMachine(const Disc& disc)
{
    const CheckReport& report = disc.report;
    if (report.decision.action != autorun::LaunchAction::Installed || !report.program ||
        report.program->path)
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

Check UnquotedPathIn(const Disc& disc, const std::string& commandLine, const char* which,
                     const char* fix, int line)
{
    std::optional<UnquotedPath> path = FindUnquotedPath(commandLine, disc.report.readFolder);
    if (!path)
        return std::nullopt;
    for (std::string& existing : path->existing)
        existing = ShownPath(disc.report, existing);
    std::vector<std::string> texts = {which, Quote(path->program), OneOf(path->earlier), fix};
    if (path->existing.empty())
        return Found{FindingId::UnquotedPath, line, std::move(texts)};
    texts.push_back(OneOf(path->existing));
    return Found{FindingId::UnquotedPathTaken, line, std::move(texts)};
}

Check SetupUnquoted(const Disc& disc)
{
    return UnquotedPathIn(disc, disc.Utf8(disc.Settings().setupName), "setup",
                          " in SetupName=", disc.SettingLine(SettingKey::SetupName));
}

Check InstalledUnquoted(const Disc& disc)
{
    const LaunchQuery* query = disc.Decision().Query(QueryRole::AppPath);
    if (query == nullptr || query->status != ERROR_SUCCESS)
        return std::nullopt;
    return UnquotedPathIn(disc, WideToUtf8(query->data), "installed",
                          " where the product's installer writes it", 0);
}

// --- All of them, in the order they are reported ---------------------------------------

using KeyCheck = Check (*)(const Disc&, const SettingReport&, const std::vector<KeyLineFound>&);
using ValueCheck = Check (*)(const Disc&, const SettingReport&);
using DiscCheck = Check (*)(const Disc&);

constexpr ValueCheck kValueChecks[] = {ValueCut, ValueTrailingBlank, ValueLeadingBlank};
constexpr DiscCheck kSettingChecks[] = {
    RootName,         ViewSetting,  ProductKey,    AutoStartDefault,  AutoStartAnyValue,
    AppPathDefault,   SetupProgram, SetupUnquoted, AppVersionSetting, AppVersionValueNameAlone,
    AppVersionDefault};
constexpr DiscCheck kMachineChecks[] = {InstalledVersionOnMachine, AutoStartOnMachine,
                                        AppPathOnMachine, InstalledProgramOnMachine,
                                        InstalledUnquoted};
constexpr DiscCheck kShellChecks[] = {ShellSection, ShellStart,  ShellIcon,
                                      ShellLabel,   ShellAction, ShellUseAutoPlay};

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
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    return line;
}

void FindTraps(CheckReport& report)
{
    Findings findings(report);
    if (!report.fileFound) {
        findings.Add(Found{FindingId::NoAutorunInf, 0, {CommandLineToUtf8(report.folder)}});
        if (report.image) {
            std::vector<Found> found;
            ImageTrees(*report.image, found);
            for (const Found& one : found)
                findings.Add(one);
        }
        return;
    }
    if (!report.fileReadable) {
        findings.Add(Found{FindingId::AutorunInfUnreadable,
                           0,
                           {CommandLineToUtf8(report.path), "a folder, or no permission"}});
        return;
    }
    const Disc disc(report);
    // Windows' shell reads the file, UTF-16 too, before the launcher runs.
    for (const DiscCheck check : kShellChecks)
        findings.Add(check(disc));
    if (const std::optional<const char*> form = UnreadUtf16(report)) {
        findings.Add(Found{FindingId::Utf16NotRead, 1, {*form}});
        return;
    }
    findings.Add(AnsiNonAscii(disc));
    findings.Add(Utf8BomBeforeSection(disc));
    findings.Add(ZeroByte(disc));
    for (const SettingReport& setting : report.settings)
        CheckKey(disc, setting, findings);
    for (const DiscCheck check : kSettingChecks)
        findings.Add(check(disc));
    if (report.image) {
        std::vector<Found> found;
        ImageNames(disc, found);
        ImageTrees(*report.image, found);
        for (const Found& one : found)
            findings.Add(one);
    }
    const Check key = ProductKeyOnMachine(disc);
    findings.Add(key);
    if (key || report.decision.openStatus != ERROR_SUCCESS)
        return;
    for (const DiscCheck check : kMachineChecks)
        findings.Add(check(disc));
}

} // namespace kova::check
