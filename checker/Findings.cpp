#include "checker/Findings.h"

#include "checker/Text.h"
#include "checker/Wording.h"
#include "launcher/AutorunFile.h"
#include "launcher/RegistryRoot.h"
#include "launcher/RegistryView.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>

namespace autorun::check {

namespace {

/// What a check found: on which line (0 for none), the texts its wording names, and, for
/// a check that looks at each of several things (each setting, each name), which one, so
/// that the findings of one thing stand together.
struct Found {
    int line;
    Fields fields;
    std::size_t item = 0;
};
using Out = std::vector<Found>;
using Check = void (*)(const DiscFacts&, Out&);

/// The parts of the report, in its order. Past Encoding, only a file the launcher searches
/// is checked; the image's trees are checked also without a file.
enum class Phase { Missing, Shell, Encoding, Text, Key, Setting, Image, Machine };

struct Entry {
    Phase phase;
    const char* code;
    Severity severity;
    Check check;
    const char* message;
    const char* fix;
    /// What the code means, as the README's table of codes says it; on a code's first entry.
    const char* summary = nullptr;
};

constexpr Severity I = Severity::Info;
constexpr Severity W = Severity::Warning;
constexpr Severity E = Severity::Error;

template <typename Integer>
std::string Number(Integer number)
{
    return std::to_string(number);
}

/// Calls `check` for each setting, each finding standing with its setting's.
template <typename SettingCheck>
void ForEachSetting(const DiscFacts& facts, Out& out, SettingCheck check)
{
    for (std::size_t i = 0; i < facts.settings.size(); ++i)
        if (std::optional<Found> found = check(facts.settings[i])) {
            found->item = i;
            out.push_back(std::move(*found));
        }
}

// --- The file --------------------------------------------------------------------------

void Utf16NotRead(const DiscFacts& facts, Out& out)
{
    static constexpr std::array<const char*, 4> kForms = {
        "", "big-endian", "big-endian, without a byte-order mark",
        "little-endian without a byte-order mark"};
    if (facts.file.unreadUtf16 != UnreadUtf16::None)
        out.push_back({1, {{"form", kForms[static_cast<std::size_t>(facts.file.unreadUtf16)]}}});
}

// --- Each key --------------------------------------------------------------------------

/// The line the author meant to set the key with, after the occurrence the launcher reads.
const KeyLine* MeantLine(const SettingFacts& setting)
{
    for (const KeyLine& line : setting.lines)
        if (line.kind == KeyLineKind::Exact && line.offset > setting.offset && !line.inComment)
            return &line;
    return nullptr;
}

/// A key the launcher reads whose first occurrence is not where a reader looks for it.
bool Misplaced(const SettingFacts& setting)
{
    return setting.set && (!setting.standsAlone || setting.inComment);
}

/// A misplaced key: `withMeant` when a later line looks like the one meant.
template <bool withMeant>
void KeyPlacement(const DiscFacts& facts, Out& out)
{
    ForEachSetting(facts, out, [](const SettingFacts& setting) -> std::optional<Found> {
        const KeyLine* meant = MeantLine(setting);
        if (!Misplaced(setting) || (meant != nullptr) != withMeant)
            return std::nullopt;
        return Found{setting.line,
                     {{"key", Quote(setting.name)},
                      {"where", setting.inComment ? "inside a comment" : "inside another line"},
                      {"line", Number(setting.line)},
                      {"value", Quote(setting.value)},
                      {"meant", Number(meant != nullptr ? meant->line : 0)}}};
    });
}

/// A later line that sets the key again, to another value.
void KeyRepeated(const DiscFacts& facts, Out& out)
{
    ForEachSetting(facts, out, [](const SettingFacts& setting) -> std::optional<Found> {
        if (!setting.set || Misplaced(setting))
            return std::nullopt;
        for (const KeyLine& line : setting.lines)
            if (line.kind == KeyLineKind::Exact && line.offset > setting.offset &&
                !line.inComment && line.value != setting.value)
                return Found{line.line,
                             {{"line", Number(line.line)},
                              {"key", Quote(setting.name)},
                              {"first", Number(setting.line)}}};
        return std::nullopt;
    });
}

/// Why the launcher does not see a key the file seems to set.
enum class Unseen { No, BeyondLimit, AfterZeroByte, WrongCase, BlankBeforeEquals };

Unseen UnseenAs(const DiscFacts& facts, const SettingFacts& setting, const KeyLine** written)
{
    if (setting.set)
        return Unseen::No;
    if (setting.unseenAt != kNotFound)
        return setting.unseenAt + std::string_view(setting.name).size() > facts.file.textRead
                   ? Unseen::BeyondLimit
                   : Unseen::AfterZeroByte;
    for (const KeyLine& line : setting.lines)
        if (line.kind != KeyLineKind::Exact) {
            *written = &line;
            return line.kind == KeyLineKind::OtherCase ? Unseen::WrongCase
                                                       : Unseen::BlankBeforeEquals;
        }
    return Unseen::No;
}

template <Unseen kind>
void KeyUnseen(const DiscFacts& facts, Out& out)
{
    ForEachSetting(facts, out, [&](const SettingFacts& setting) -> std::optional<Found> {
        const KeyLine* written = nullptr;
        if (UnseenAs(facts, setting, &written) != kind)
            return std::nullopt;
        Fields fields = {{"key", Quote(setting.name)},
                         {"byte", Number(setting.unseenAt + 1)},
                         {"limit", Number(kMaxRead)},
                         {"line", Number(written != nullptr ? written->line : setting.unseenLine)},
                         {"zero", Number(facts.file.textSeen + 1)},
                         {"written", written != nullptr ? Quote(written->written) : ""}};
        return Found{written != nullptr ? written->line : setting.unseenLine, std::move(fields)};
    });
}

/// How a value the launcher reads is not all the author wrote.
enum class Cut { No, AtLimit, AtZeroByte, TooLong };

Cut CutAs(const DiscFacts& facts, const SettingFacts& setting)
{
    const FileFacts& file = facts.file;
    if (!setting.set)
        return Cut::No;
    if (setting.valueEnd == file.textRead && setting.lineEnd > setting.valueEnd)
        return Cut::AtLimit;
    if (setting.valueEnd == file.textSeen && file.textSeen < file.textRead)
        return Cut::AtZeroByte;
    return setting.writtenCharacters > kMaxValueLength ? Cut::TooLong : Cut::No;
}

template <Cut kind>
void ValueCut(const DiscFacts& facts, Out& out)
{
    ForEachSetting(facts, out, [&](const SettingFacts& setting) -> std::optional<Found> {
        if (CutAs(facts, setting) != kind)
            return std::nullopt;
        return Found{setting.line,
                     {{"key", Quote(setting.name)},
                      {"value", Quote(setting.value)},
                      {"limit", Number(kind == Cut::TooLong ? kMaxValueLength : kMaxRead)},
                      {"characters", Number(setting.writtenCharacters)}}};
    });
}

template <bool atEnd>
void ValueBlank(const DiscFacts& facts, Out& out)
{
    ForEachSetting(facts, out, [](const SettingFacts& setting) -> std::optional<Found> {
        if (setting.value.empty() || !IsBlank(atEnd ? setting.value.back() : setting.value.front()))
            return std::nullopt;
        return Found{setting.line,
                     {{"key", Quote(setting.name)},
                      {"value", Quote(setting.value)},
                      {"line", Number(setting.line)}}};
    });
}

// --- The settings ----------------------------------------------------------------------

int LineOf(const DiscFacts& facts, SettingKey key)
{
    return facts.Setting(key).line;
}

const std::string& ValueOf(const DiscFacts& facts, SettingKey key)
{
    return facts.Setting(key).value;
}

/// "AppRegistry=" names no root exactly: `meant` 1 when it seems to mean one (2 the current
/// user's), by another case, blanks around it, or the short name; 0 when none at all.
template <int meant>
void RootUnknown(const DiscFacts& facts, Out& out)
{
    const std::string& appReg = ValueOf(facts, SettingKey::AppRegistry);
    const RegistryRootEntry* root = nullptr;
    for (const RegistryRootEntry& entry : kRegistryRoots) {
        if (appReg.empty() || appReg == entry.name)
            return;
        if (EqualIgnoringCase(Trim(appReg), entry.name) ||
            EqualIgnoringCase(Trim(appReg), entry.shortName))
            root = &entry;
    }
    if ((root == nullptr ? 0 : root->key == HKEY_CURRENT_USER ? 2 : 1) == meant)
        out.push_back({LineOf(facts, SettingKey::AppRegistry),
                       {{"value", Quote(appReg)}, {"meant", root != nullptr ? root->name : ""}}});
}

/// "AppRegistryView=" is neither "64" nor "32" exactly: `withMeant` when one of them stands
/// in it.
template <bool withMeant>
void ViewUnknown(const DiscFacts& facts, Out& out)
{
    const std::string& view = ValueOf(facts, SettingKey::AppRegistryView);
    const RegistryViewEntry* meant = nullptr;
    for (const RegistryViewEntry& entry : kRegistryViews) {
        if (view == entry.setting)
            return;
        if (meant == nullptr && entry.setting[0] != '\0' &&
            Trim(view).find(entry.setting) != std::string_view::npos)
            meant = &entry;
    }
    if ((meant != nullptr) == withMeant)
        out.push_back(
            {LineOf(facts, SettingKey::AppRegistryView),
             {{"value", Quote(view)}, {"meant", meant != nullptr ? meant->setting : ""}}});
}

/// What is wrong with "AppKey=": it is empty, begins with a backslash, or with a root.
enum class KeyPath { Right, Empty, LeadingBackslash, RepeatsRoot };

template <KeyPath kind>
void ProductKey(const DiscFacts& facts, Out& out)
{
    const std::string& appKey = ValueOf(facts, SettingKey::AppKey);
    const bool repeatsRoot =
        StartsWithIgnoringCase(appKey, "HKEY_") ||
        std::any_of(std::begin(kRegistryRoots), std::end(kRegistryRoots),
                    [&](const RegistryRootEntry& root) {
                        return StartsWithIgnoringCase(appKey, std::string(root.shortName) + "\\");
                    });
    const KeyPath found = appKey.empty()           ? KeyPath::Empty
                          : appKey.front() == '\\' ? KeyPath::LeadingBackslash
                          : repeatsRoot            ? KeyPath::RepeatsRoot
                                                   : KeyPath::Right;
    if (found == kind)
        out.push_back({LineOf(facts, SettingKey::AppKey), {}});
}

void AutoStartAnyValue(const DiscFacts& facts, Out& out)
{
    static constexpr std::array<std::string_view, 5> kNoes = {"0", "no", "false", "off", "n"};
    const std::string& autoStart = ValueOf(facts, SettingKey::AutoStart);
    if (std::any_of(kNoes.begin(), kNoes.end(),
                    [&](std::string_view no) { return EqualIgnoringCase(Trim(autoStart), no); }))
        out.push_back({LineOf(facts, SettingKey::AutoStart), {{"value", Quote(autoStart)}}});
}

/// `texts` joined as a list in words: "a", "a or b", "a, b or c".
std::string OneOf(const std::vector<std::string>& texts)
{
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i == 0 ? "" : i + 1 == texts.size() ? " or " : ", ") + Quote(texts[i]);
    return out;
}

/// A program's unquoted path with a blank: `taken` when a program where Windows looks first
/// exists, and starts instead.
void Unquoted(const ProgramFacts* program, bool taken, const char* which, const char* where,
              int line, Out& out)
{
    if (program == nullptr || !program->unquoted || program->unquoted->existing.empty() == taken)
        return;
    const UnquotedPath& path = *program->unquoted;
    out.push_back({line,
                   {{"which", which},
                    {"program", Quote(path.program)},
                    {"earlier", OneOf(path.earlier)},
                    {"where", where},
                    {"existing", OneOf(path.existing)}}});
}

/// The name of a setting as the findings give it: "SetupName=".
std::string NameOf(SettingKey key)
{
    return KeyOf(key).name;
}

template <bool taken>
void SetupUnquoted(const DiscFacts& facts, Out& out)
{
    for (const DiscFacts::Setup& setup : facts.setups)
        Unquoted(&setup.program, taken, "setup", (" in " + NameOf(setup.key)).c_str(),
                 LineOf(facts, setup.key), out);
}

/// The setup programs that the settings name and the disc lacks.
void SetupNotFound(const DiscFacts& facts, Out& out)
{
    for (const DiscFacts::Setup& setup : facts.setups)
        if (!setup.program.path)
            out.push_back({LineOf(facts, setup.key),
                           {{"setting", NameOf(setup.key)}, {"program", Quote(setup.program.name)}},
                           static_cast<std::size_t>(setup.key)});
}

/// Machines that get their setup from "SetupName=", in words.
std::string MachinesOfSetupName(const DiscFacts& facts)
{
    std::string machines;
    for (const auto& [machine, key] : facts.setupByMachine)
        if (key == SettingKey::SetupName)
            machines += (machines.empty() ? "" : " and ") + std::string(MachineName(machine));
    return machines;
}

/// What a machine's programs are called in the findings.
const char* MachineWords(Machine machine)
{
    static constexpr const char* kWords[] = {"", "32-bit x86", "x64", "ARM64", "ARM64"};
    return kWords[static_cast<int>(machine)];
}

/// A setup program built for another machine than the kind that gets it: "SetupNameX64="
/// names no x64 program, "SetupNameArm64=" no ARM64 one (ARM64EC and ARM64X count), or
/// "SetupName=", which 32-bit Windows always gets, a 64-bit one.
template <SettingKey key>
void SetupWrongMachine(const DiscFacts& facts, Out& out)
{
    const ProgramFacts* program = facts.SetupOf(key);
    if (program == nullptr || !program->machine)
        return;
    const Machine meant = key == SettingKey::SetupNameX64     ? Machine::X64
                          : key == SettingKey::SetupNameArm64 ? Machine::Arm64
                                                              : Machine::X86;
    if (*program->machine == meant)
        return;
    out.push_back(
        {LineOf(facts, key),
         {{"program", Quote(program->name)},
          {"built", MachineWords(*program->machine)},
          {"line", Number(LineOf(facts, key))},
          {"better", *program->machine == Machine::Arm64 ? "SetupNameArm64=" : "SetupNameX64="}}});
}

/// What is amiss with the signature of a program the disc starts.
enum class Signing { Fine, Unsigned, Invalid, NotRsa, NoTimestamp };

Signing SigningOf(const ProgramFacts& program)
{
    const SignatureFacts& signature = program.signature;
    if (!program.machine && !signature.isSigned)
        return Signing::Fine; // no Windows program: nothing Windows signs
    return !signature.isSigned                 ? Signing::Unsigned
           : !signature.Valid()                ? Signing::Invalid
           : signature.keyType != KeyType::Rsa ? Signing::NotRsa
           : !signature.timestamped            ? Signing::NoTimestamp
                                               : Signing::Fine;
}

template <Signing kind>
void SignatureIs(const DiscFacts& facts, Out& out)
{
    static constexpr const char* kKeys[] = {"no", "RSA", "ECC", "other"};
    const std::vector<StartedProgram> started = facts.StartedPrograms();
    for (std::size_t i = 0; i < started.size(); ++i) {
        const ProgramFacts& program = *started[i].program;
        // A program that is not on the disc has no signature to speak of.
        if (!program.path || SigningOf(program) != kind)
            continue;
        const SignatureFacts& signature = program.signature;
        out.push_back(
            {started[i].line,
             {{"program", Quote(program.name)},
              {"where", started[i].setting},
              {"line", Number(started[i].line)},
              {"problem", signature.problem},
              {"key", kKeys[static_cast<int>(signature.keyType)]},
              {"expires", signature.certificateNotAfter ? TimeText(signature.certificateNotAfter)
                                                        : "a date the certificate does not tell"}},
             i});
    }
}

/// The product's key lies under HKEY_CURRENT_USER and a setup the launcher may start runs
/// elevated, for which Windows may hand it another user's HKEY_CURRENT_USER.
void ElevatedSetupWritesOtherUser(const DiscFacts& facts, Out& out)
{
    if (facts.decision.root != HKEY_CURRENT_USER)
        return;
    for (const DiscFacts::Setup& setup : facts.setups)
        if (setup.program.needsElevation.value_or(false)) {
            out.push_back({LineOf(facts, SettingKey::AppKey),
                           {{"program", Quote(setup.program.name)},
                            {"setting", NameOf(setup.key)},
                            {"why", ElevationSentence(setup.program)}}});
            return;
        }
}

/// The keys of [AutoRun] that 64-bit Windows does not see: the file has [AutoRun.Amd64],
/// which it reads instead, and the key stands only in [AutoRun].
void Amd64SectionIncomplete(const DiscFacts& facts, Out& out)
{
    const ShellFacts& shell = facts.shell;
    if (shell.amd64Line == 0)
        return;
    for (const int key : {kOpen, kShellExecute, kIcon, kLabel, kAction})
        if (shell.lines[key] && !shell.amd64Lines[key])
            out.push_back({shell.lines[key]->line,
                           {{"key", kShellKeys[key]},
                            {"line", Number(shell.lines[key]->line)},
                            {"section", Number(shell.amd64Line)}},
                           static_cast<std::size_t>(key)});
}

template <bool taken>
void InstalledUnquoted(const DiscFacts& facts, Out& out)
{
    const QueryFacts* query = facts.Query(QueryRole::AppPath);
    if (query == nullptr || query->status != ERROR_SUCCESS)
        return;
    const ProgramFacts* program =
        facts.decision.commandSource == CommandSource::AppPath && facts.program ? &*facts.program
                                                                                : nullptr;
    Unquoted(program, taken, "installed", " where the product's installer writes it", 0, out);
}

// --- The shell's lines -----------------------------------------------------------------

template <ShellStart kind>
void ShellStartIs(const DiscFacts& facts, Out& out)
{
    const ShellFacts& shell = facts.shell;
    if (shell.start != kind)
        return;
    if (kind == ShellStart::NoProgram) {
        out.push_back({shell.sectionLine, {{"line", Number(shell.sectionLine)}}});
        return;
    }
    const int line = shell.lines[shell.startKey]->line;
    out.push_back({line,
                   {{"line", Number(line)},
                    {"program", Quote(shell.program->name)},
                    {"key", kShellKeys[shell.startKey]},
                    {"path", shell.program->path.value_or("")}}});
}

/// The folder part of a name the disc's lines use, in lower case, with one kind of slash.
std::string FolderOf(std::string_view name)
{
    const std::size_t slash = name.find_last_of("\\/");
    std::string folder(slash == std::string_view::npos ? std::string_view()
                                                       : name.substr(0, slash));
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return LowerAscii(folder);
}

template <bool onDisc>
void ShellIcon(const DiscFacts& facts, Out& out)
{
    const ShellFacts& shell = facts.shell;
    if (!shell.lines[kIcon] || shell.iconOnDisc != onDisc)
        return;
    const std::string folder = shell.program ? FolderOf(shell.program->name) : "";
    if (onDisc && (!shell.program || !shell.program->path || FolderOf(shell.iconFile) == folder))
        return;
    const int line = shell.lines[kIcon]->line;
    out.push_back({line,
                   {{"line", Number(line)},
                    {"file", Quote(shell.iconFile)},
                    {"folder", folder.empty() ? "the disc's root" : Quote(folder)},
                    {"key", shell.startKey >= 0 ? kShellKeys[shell.startKey] : ""}}});
}

/// How many characters of label= Explorer shows.
constexpr std::size_t kLabelShown = 32;

void ShellLabel(const DiscFacts& facts, Out& out)
{
    const std::optional<ShellLine>& label = facts.shell.lines[kLabel];
    if (!label || CharacterCount(label->value) <= kLabelShown)
        return;
    out.push_back({label->line,
                   {{"line", Number(label->line)},
                    {"characters", Number(CharacterCount(label->value))},
                    {"limit", Number(kLabelShown)},
                    {"shown", Quote(FirstCharacters(label->value, kLabelShown))}}});
}

void ShellActionMissing(const DiscFacts& facts, Out& out)
{
    // Without a program to start, there is nothing for an action to name.
    const ShellFacts& shell = facts.shell;
    if (shell.sectionLine != 0 && !shell.lines[kAction] && shell.program)
        out.push_back({0, {}});
}

void ShellUseAutoPlay(const DiscFacts& facts, Out& out)
{
    const std::optional<ShellLine>& line = facts.shell.lines[kUseAutoPlay];
    if (line && line->value == "1")
        out.push_back({line->line, {{"line", Number(line->line)}, {"value", Quote(line->value)}}});
}

void ShellTextAnsi(const DiscFacts& facts, Out& out)
{
    const ShellFacts& shell = facts.shell;
    for (std::size_t key = 0; key < std::size(kShellKeys); ++key)
        if (shell.lines[key] && shell.lines[key]->meant != shell.lines[key]->value)
            out.push_back({shell.lines[key]->line,
                           {{"key", kShellKeys[key]},
                            {"line", Number(shell.lines[key]->line)},
                            {"shown", Quote(shell.lines[key]->value)},
                            {"meant", Quote(shell.lines[key]->meant)}},
                           key});
}

// --- A disc image ----------------------------------------------------------------------

/// The most folders, the root among them, that an ISO 9660 image holds one inside another.
constexpr std::size_t kIsoLevels = 8;
/// The most characters of a Joliet name.
constexpr std::size_t kJolietLength = 64;

/// The ISO 9660 level-1 form of a name, as image makers make it: upper case, each
/// character outside A-Z, 0-9 and "_" made "_", 8 characters and an extension of 3.
std::string Iso83(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    const auto part = [](std::string_view text, std::size_t length) {
        std::string out = UpperAscii(std::string(text.substr(0, length)));
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
    return shown.size() > extension.size() && EndsWithIgnoringCase(shown, extension) &&
           EqualIgnoringCase(shown.substr(0, shown.size() - extension.size()),
                             name.substr(0, shown.size() - extension.size()));
}

/// What a name autorun.inf uses for a file the disc does not hold is on the image.
enum class ImageName { Fine, TooDeep, Iso83, Cut64, Iso83Unmatched };

struct NamedFile {
    std::string name;
    int line;
    ImageName kind;
    std::string shown;
    std::size_t levels;
};

/// What the image shows for `parts` (folders and file) when a part of it is shown under
/// another name (`differs`); empty when a part matches nothing.
std::string ShownName(const ImageFacts& image, const std::vector<std::string>& parts, bool& differs)
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

/// The names autorun.inf uses for files on the disc that the disc does not hold, and what
/// the image makes of each.
std::vector<NamedFile> ImageNames(const DiscFacts& facts)
{
    std::vector<NamedFile> names;
    const ShellFacts& shell = facts.shell;
    if (shell.program && !shell.program->path && !shell.program->name.empty())
        names.push_back({shell.program->name, shell.lines[shell.startKey]->line, {}, {}, 0});
    if (shell.lines[kIcon] && !shell.iconOnDisc && !shell.iconFile.empty())
        names.push_back({shell.iconFile, shell.lines[kIcon]->line, {}, {}, 0});
    for (const DiscFacts::Setup& setup : facts.setups)
        if (!setup.program.path && !setup.program.name.empty())
            names.push_back({setup.program.name, LineOf(facts, setup.key), {}, {}, 0});
    const ImageFacts& image = *facts.image;
    for (NamedFile& named : names) {
        std::vector<std::string> parts;
        ForEachField(named.name, "\\/", [&](std::string_view part, std::size_t) {
            if (!part.empty() && part != ".")
                parts.emplace_back(part);
        });
        named.levels = parts.size() - 1;
        const bool iso = image.fileSystem == ImageFileSystem::Iso9660;
        bool differs = false;
        if (image.fileSystem != ImageFileSystem::Udf && parts.size() > kIsoLevels)
            named.kind = ImageName::TooDeep;
        else if (named.shown = ShownName(image, parts, differs); !named.shown.empty() && differs)
            named.kind = iso ? ImageName::Iso83 : ImageName::Cut64;
        else if (named.shown.empty() && iso &&
                 std::any_of(parts.begin(), parts.end(),
                             [](const std::string& part) { return Iso83(part) != part; }))
            named.kind = ImageName::Iso83Unmatched;
    }
    return names;
}

template <ImageName kind>
void ImageNameIs(const DiscFacts& facts, Out& out)
{
    const std::vector<NamedFile> names = ImageNames(facts);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].kind == kind)
            out.push_back({names[i].line,
                           {{"name", Quote(names[i].name)},
                            {"line", Number(names[i].line)},
                            {"shown", Quote(names[i].shown)},
                            {"levels", Number(names[i].levels)},
                            {"deepest", Number(kIsoLevels)},
                            {"length", Number(kJolietLength)}},
                           i});
}

void ImageUdfDiffers(const DiscFacts& facts, Out& out)
{
    const ImageFacts& image = *facts.image;
    if (image.udfOnly.empty() && image.isoOnly.empty())
        return;
    std::string what;
    if (!image.udfOnly.empty())
        what = Number(image.udfOnly.size()) + " only in UDF, the first " +
               Quote(image.udfOnly.front());
    if (!image.isoOnly.empty())
        what += (what.empty() ? "" : "; ") + Number(image.isoOnly.size()) +
                " only in ISO 9660, the first " + Quote(image.isoOnly.front());
    out.push_back({0, {{"what", what}}});
}

void ImageNamesLeftOut(const DiscFacts& facts, Out& out)
{
    const ImageFacts& image = *facts.image;
    if (!image.leftOut.empty())
        out.push_back(
            {0,
             {{"count", Number(image.leftOut.size())}, {"first", Quote(image.leftOut.front())}}});
}

// --- This machine's registry -----------------------------------------------------------

void KeyInOtherView(const DiscFacts& facts, Out& out)
{
    if (facts.decision.openStatus == ERROR_SUCCESS || !facts.otherView)
        return;
    const RegistryViewEntry& other = RegistryViewOf(*facts.otherView);
    out.push_back({LineOf(facts, SettingKey::AppKey),
                   {{"view", RegistryViewOf(facts.decision.access).name},
                    {"other", other.name},
                    {"setting", other.setting}}});
}

void KeyOpenFailed(const DiscFacts& facts, Out& out)
{
    const LONG status = facts.decision.openStatus;
    if (status != ERROR_SUCCESS && !facts.otherView && status != ERROR_FILE_NOT_FOUND &&
        status != ERROR_BAD_PATHNAME)
        out.push_back({LineOf(facts, SettingKey::AppKey), {{"error", ErrorText(status)}}});
}

/// A query's status, as the findings on it tell it apart: the value is missing (not
/// found), cannot be read, or was read.
enum class Read { Missing, Unreadable, Read };

Read ReadAs(const QueryFacts& query)
{
    return query.status == ERROR_FILE_NOT_FOUND ? Read::Missing
           : query.status != ERROR_SUCCESS      ? Read::Unreadable
                                                : Read::Read;
}

Fields QueryFields(const QueryFacts& query)
{
    return {{"name", Quote(query.name)},
            {"error", ErrorText(query.status)},
            {"data", Quote(query.data)}};
}

/// The installed version's value cannot tell the launcher how old the installation is;
/// `kind` says why.
template <VersionCause cause, Read kind>
void InstalledVersionUnknown(const DiscFacts& facts, Out& out)
{
    const QueryFacts* query = facts.Query(QueryRole::Version);
    if (query != nullptr && facts.decision.versions.cause == cause &&
        (cause != VersionCause::ValueUnread || ReadAs(*query) == kind))
        out.push_back({LineOf(facts, SettingKey::AppVersionValueName), QueryFields(*query)});
}

void InstalledVersionNewer(const DiscFacts& facts, Out& out)
{
    const VersionComparison& versions = facts.decision.versions;
    if (versions.cause == VersionCause::Compared && versions.order == VersionOrder::Newer)
        out.push_back({LineOf(facts, SettingKey::AppVersion),
                       {{"installed", VersionText(versions.installed)},
                        {"disc", VersionText(versions.disc)}}});
}

/// The auto-start value does not let the installed program start: it is missing, cannot
/// be read, or differs (`byBlanks`: only by the blanks around AutoStartValue=).
template <Read kind, bool byBlanks = false>
void AutoStartOnMachine(const DiscFacts& facts, Out& out)
{
    const QueryFacts* query = facts.Query(QueryRole::AutoStart);
    if (query == nullptr || ReadAs(*query) != kind || query->matched)
        return;
    const std::string& wanted = ValueOf(facts, SettingKey::AutoStartValue);
    if (kind == Read::Read && (Trim(wanted) == query->data) != byBlanks)
        return;
    Fields fields = QueryFields(*query);
    fields.push_back({"wanted", Quote(wanted)});
    out.push_back({LineOf(facts, kind == Read::Read ? SettingKey::AutoStartValue
                                                    : SettingKey::AutoStartValueName),
                   std::move(fields)});
}

/// The program-path value cannot be read: it is missing, too long, or unreadable otherwise.
template <Read kind, bool tooLong = false>
void AppPathOnMachine(const DiscFacts& facts, Out& out)
{
    const QueryFacts* query = facts.Query(QueryRole::AppPath);
    if (query == nullptr || ReadAs(*query) != kind || (query->status == ERROR_MORE_DATA) != tooLong)
        return;
    // Text counts in UTF-16 units, other data in bytes, one character each.
    const std::size_t characters =
        IsTextType(query->type) ? query->size / sizeof(WCHAR) : query->size;
    Fields fields = QueryFields(*query);
    fields.push_back({"characters", Number(characters)});
    fields.push_back({"limit", Number(std::size_t{kDataLength})});
    out.push_back({LineOf(facts, SettingKey::AppPathValueName), std::move(fields)});
}

// --- The catalogue ---------------------------------------------------------------------

constexpr const char* kRootUnknown =
    "AppRegistry= is {value}, which is not exactly a root's name, so the current user's root "
    "(HKEY_CURRENT_USER) is used instead";
constexpr const char* kViewUnknown = "AppRegistryView= is {value}, which is neither 64 nor 32, so "
                                     "the launcher opens the key in its own view";
constexpr const char* kUnquoted =
    "the {which} program's path {program} holds a blank and has no quotes, so Windows tries "
    "{earlier} first; a program put there later would start instead";
constexpr const char* kUnquotedTaken =
    "the {which} program's path {program} holds a blank and has no quotes, so Windows tries "
    "{earlier} first, and {existing} exists here: that program starts instead";
constexpr const char* kUnquotedFix = "put the program's path in double quotes{where}";
constexpr const char* kUnquotedTakenFix =
    "put the program's path in double quotes{where}, and remove {existing}";
constexpr const char* kAutoStartDiffers = "on this machine the value {name} holds {data}, not "
                                          "{wanted}, so the installed program does not start";
constexpr const char* kIso83Fix =
    "make the image with Joliet names (genisoimage -J, xorriso -as mkisofs -J) or with UDF";

/// Every finding, in the order the reports give them within their phase and item.
const Entry kCatalogue[] = {
    {Phase::Missing, "no-autorun-inf", E,
     [](const DiscFacts& facts, Out& out) {
         if (!facts.file.found)
             out.push_back({0, {{"folder", facts.folder}}});
     },
     "there is no autorun.inf in {folder}, so the launcher does nothing",
     "put autorun.inf beside the launcher, at the disc's root",
     "the folder has no `autorun.inf`: the launcher does nothing"},
    {Phase::Missing, "autorun-inf-unreadable", E,
     [](const DiscFacts& facts, Out& out) {
         if (facts.file.found && !facts.file.readable)
             out.push_back({0, {{"path", facts.file.path}}});
     },
     "{path} exists but cannot be read (a folder, or no permission), so the launcher does "
     "nothing, as without the file",
     "make autorun.inf a plain file that every user can read",
     "`autorun.inf` is there but cannot be read (a folder of that name, no permission): the "
     "launcher does nothing"},
    // What Windows' shell reads, before the launcher runs.
    {Phase::Shell, "autorun-section-missing", E,
     [](const DiscFacts& facts, Out& out) {
         // A UTF-8 mark that hides the section on line 1 is utf8-bom-hides-section's to tell.
         if (facts.shell.sectionLine == 0 && !facts.shell.hiddenByMark)
             out.push_back({0, {}});
     },
     "the file has no [autorun] section, so no version of Windows offers to start anything from "
     "the disc",
     "begin the shell's lines (open=autorun.exe, icon=, label=, action=) with a line [autorun]",
     "no `[autorun]` section: Windows offers nothing to start"},
    {Phase::Shell, "autorun-open-missing", E, ShellStartIs<ShellStart::NoProgram>,
     "the [autorun] section on line {line} has neither open= nor shellexecute= (or an empty "
     "one), so Windows has nothing to start",
     "add the line open=autorun.exe to the [autorun] section",
     "the `[autorun]` section has no `open=` or `shellexecute=`: Windows has nothing to start"},
    {Phase::Shell, "autorun-open-not-found", E, ShellStartIs<ShellStart::NotFound>,
     "{key}= on line {line} names {program}, which is not on the disc, so AutoRun starts nothing "
     "(every version of Windows)",
     "copy the program to the disc, or correct {key}=",
     "the `open=` program is not on the disc: AutoRun starts nothing"},
    {Phase::Shell, "autorun-open-not-on-disc", W, ShellStartIs<ShellStart::NotOnDisc>,
     "{key}= on line {line} names {program}, which is not on the disc but was found on this "
     "machine ({path}); another machine may not have it",
     "put the program on the disc and name it from the disc's root",
     "the `open=` program is not on the disc but on this machine"},
    {Phase::Shell, "autorun-open-other-program", W, ShellStartIs<ShellStart::OtherProgram>,
     "{key}= on line {line} starts {program}, not the launcher, so Windows starts that program "
     "and the launcher's settings are never read",
     "write open=autorun.exe, if the launcher is to decide what starts",
     "`open=` starts another program than the launcher, which then never runs"},
    {Phase::Shell, "autorun-icon-not-found", W, ShellIcon<false>,
     "icon= on line {line} names {file}, which is not on the disc, so Explorer shows the drive's "
     "usual icon",
     "copy the icon file to the disc, or correct icon=", "the `icon=` file is not on the disc"},
    {Phase::Shell, "autorun-icon-not-beside-open", W, ShellIcon<true>,
     "icon= on line {line} names {file}, which is not in the folder of the program {key}= "
     "starts ({folder}); Windows looks for the icon beside that program and shows the drive's "
     "usual icon",
     "put the icon file in the folder of the program open= names, and name it from there",
     "the `icon=` file is not in the folder of the `open=` program"},
    {Phase::Shell, "autorun-label-too-long", W, ShellLabel,
     "label= on line {line} has {characters} characters; Windows shows only the first {limit}: "
     "{shown}",
     "shorten the label to {limit} characters or fewer",
     "`label=` has more than 32 characters, of which only 32 show"},
    {Phase::Shell, "autorun-action-missing", W, ShellActionMissing,
     "the [autorun] section has no action= line: on Windows XP (Service Pack 2 and later) and "
     "Windows Vista, AutoPlay then offers no entry to start the program from a removable drive",
     "add action= with the words AutoPlay shows, for example action=Install or run the product",
     "no `action=`: Windows XP and Vista offer no start from a removable drive"},
    {Phase::Shell, "autorun-useautoplay", W, ShellUseAutoPlay,
     "UseAutoPlay= on line {line} is {value}: since Windows Vista, AutoPlay then leaves the "
     "AutoRun entry out of its dialog on CD and DVD drives",
     "remove the UseAutoPlay= line",
     "`UseAutoPlay=1`: since Vista, AutoPlay leaves the AutoRun entry out on CD and DVD drives"},
    {Phase::Shell, "autorun-text-ansi", W, ShellTextAnsi,
     "{key}= on line {line} is {meant} in this UTF-8 file, but Windows' shell reads the "
     "[autorun] section in the machine's ANSI code page and shows {shown}",
     "save the file as UTF-16 LE with its byte-order mark, which Windows' shell and the launcher "
     "both read",
     "a line of the `[autorun]` section holds letters beyond ASCII in a UTF-8 file, which Windows' "
     "shell reads in the ANSI code page, so Explorer and AutoPlay show other letters (`Ð”Ð¸ÑÐº` "
     "for `Диск`); UTF-16 LE with its byte-order mark is read alike by both"},
    {Phase::Shell, "shell-amd64-section-incomplete", W, Amd64SectionIncomplete,
     "{key}= on line {line} stands only in [AutoRun], but 64-bit Windows reads [AutoRun.Amd64] "
     "(line {section}) instead and ignores [AutoRun] altogether",
     "repeat the {key}= line in [AutoRun.Amd64]",
     "the file has an `[AutoRun.Amd64]` section, which 64-bit Windows reads instead of "
     "`[AutoRun]`, and an `open=`, `shellexecute=`, `icon=`, `label=` or `action=` stands only in "
     "`[AutoRun]`"},
    // How the launcher reads the file.
    {Phase::Encoding, "utf16-not-read", E, Utf16NotRead,
     "autorun.inf is UTF-16 text, {form}; the launcher reads UTF-16 only little-endian and with "
     "its byte-order mark, and finds no key in this file",
     "save the file as UTF-8, or as UTF-16 LE with its byte-order mark",
     "the file is UTF-16 text that the launcher does not read (big-endian, or without its "
     "byte-order mark), in which it finds no key"},
    {Phase::Text, "ansi-non-ascii", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.file.firstNonAscii)
             out.push_back(
                 {facts.file.firstNonAsciiLine, {{"byte", Number(*facts.file.firstNonAscii + 1)}}});
     },
     "autorun.inf is 8-bit text with a letter beyond ASCII at byte {byte}; the launcher reads it "
     "in the machine's own code page, so it reads differently on a machine with another one",
     "save the file as UTF-8",
     "the file is 8-bit ANSI text with letters beyond ASCII, which read differently on a machine "
     "with another code page: save it as UTF-8"},
    {Phase::Text, "utf8-bom-hides-section", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.file.markBeforeSection)
             out.push_back({1, {}});
     },
     "the UTF-8 byte-order mark stands directly before \"[autorun]\"; Windows' own reader of "
     "such files has been reported not to see a section on the mark's line, so AutoPlay may not "
     "offer the launcher",
     "leave the first line empty, or save the file as UTF-8 without the mark",
     "a UTF-8 byte-order mark stands directly before `[autorun]`, where Windows' own reader has "
     "been reported not to see the section"},
    {Phase::Text, "zero-byte", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.file.zeroByteLine > 0)
             out.push_back({facts.file.zeroByteLine, {{"byte", Number(facts.file.textSeen + 1)}}});
     },
     "a zero byte at byte {byte} ends the text the launcher searches; nothing after it is seen",
     "remove the zero byte", "a zero byte ends the text the launcher searches"},
    // Each key, the findings of one key together.
    {Phase::Key, "key-first-occurrence", E, KeyPlacement<true>,
     "{key} first occurs {where} on line {line}; the launcher reads {value} from there, not the "
     "line {meant} that looks right",
     "reword the earlier text so that it does not contain {key}",
     "a key first occurs in a comment or inside another line, and the launcher reads that, not the "
     "line that looks right"},
    {Phase::Key, "key-inside-line", W, KeyPlacement<false>,
     "{key} stands {where} on line {line}; the launcher reads it all the same",
     "put the key at the start of a line of its own, or remove it",
     "a key stands only inside another line or a comment; the launcher reads it all the same"},
    {Phase::Key, "key-repeated", W, KeyRepeated,
     "line {line} sets {key} again; the launcher reads only its first occurrence, on line {first}",
     "keep one line for {key}",
     "a later line sets a key again, to another value; only the first counts"},
    {Phase::Key, "key-beyond-32000", E, KeyUnseen<Unseen::BeyondLimit>,
     "{key} begins at byte {byte}, beyond the first {limit} bytes, which are all the launcher "
     "reads",
     "move the key to the start of the file",
     "a key begins beyond the first 32000 bytes, which are all the launcher reads"},
    {Phase::Key, "key-after-zero-byte", E, KeyUnseen<Unseen::AfterZeroByte>,
     "{key} on line {line} comes after a zero byte (byte {zero}), where the launcher's text ends",
     "remove the zero byte", "a key stands after a zero byte, where the launcher's text ends"},
    {Phase::Key, "key-wrong-case", E, KeyUnseen<Unseen::WrongCase>,
     "{written} on line {line} is not read: keys are case-sensitive, and the launcher looks for "
     "{key}",
     "write it as {key}", "a key written in another case (`appkey=`): keys are case-sensitive"},
    {Phase::Key, "key-blank-before-equals", E, KeyUnseen<Unseen::BlankBeforeEquals>,
     "{written} on line {line} is not read: the launcher looks for {key}, with nothing between "
     "the name and \"=\"",
     "remove the blanks before \"=\"", "blanks between a key's name and its `=`"},
    {Phase::Key, "value-cut-at-32000", E, ValueCut<Cut::AtLimit>,
     "the value of {key} runs past byte {limit}; the launcher reads only {value}",
     "move the key to the start of the file", "a value runs past byte 32000 and is cut there"},
    {Phase::Key, "value-cut-at-zero-byte", E, ValueCut<Cut::AtZeroByte>,
     "the value of {key} ends at a zero byte; the launcher reads only {value}",
     "remove the zero byte", "a value is cut at a zero byte"},
    {Phase::Key, "value-too-long", E, ValueCut<Cut::TooLong>,
     "the value of {key} has {characters} characters; the launcher keeps only the first {limit}",
     "shorten the value to {limit} characters or fewer",
     "a value longer than 256 characters, of which the launcher keeps 256"},
    {Phase::Key, "value-trailing-blank", W, ValueBlank<true>,
     "the value of {key} ends in blanks or tabs, which are part of it: {value}",
     "remove the blanks at the end of line {line}",
     "a value ends in blanks or tabs, which are part of it"},
    {Phase::Key, "value-leading-blank", W, ValueBlank<false>,
     "the value of {key} begins with blanks or tabs, which are part of it: {value}",
     "remove the blanks after \"=\"", "a value begins with blanks or tabs, which are part of it"},
    // The settings together.
    {Phase::Setting, "root-unknown", E, RootUnknown<0>, kRootUnknown,
     "write HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS, HKEY_CLASSES_ROOT or "
     "HKEY_CURRENT_CONFIG exactly",
     "`AppRegistry=` is not exactly a root's name, so the current user's root is used (a warning "
     "when that is the root meant)"},
    {Phase::Setting, "root-unknown", E, RootUnknown<1>, kRootUnknown,
     "write AppRegistry={meant} exactly"},
    {Phase::Setting, "root-unknown", W, RootUnknown<2>, kRootUnknown,
     "write AppRegistry={meant} exactly"},
    {Phase::Setting, "view-unknown", W, ViewUnknown<false>, kViewUnknown,
     "write AppRegistryView=64 or AppRegistryView=32, or remove the line",
     "`AppRegistryView=` is neither `64` nor `32`"},
    {Phase::Setting, "view-unknown", W, ViewUnknown<true>, kViewUnknown,
     "write AppRegistryView={meant} exactly"},
    {Phase::Setting, "appkey-empty", E, ProductKey<KeyPath::Empty>,
     "AppKey= is empty or missing: the root itself opens, so the product always counts as "
     "installed and setup never starts",
     "set AppKey= to the product's key, e.g. Software\\Maker\\Product",
     "no product key: the root itself opens, so setup never starts"},
    {Phase::Setting, "appkey-leading-backslash", E, ProductKey<KeyPath::LeadingBackslash>,
     "AppKey= begins with a backslash; Windows does not open such a path, so the product always "
     "counts as absent and setup starts every time",
     "remove the leading backslash", "the product key begins with a backslash and never opens"},
    {Phase::Setting, "appkey-repeats-root", E, ProductKey<KeyPath::RepeatsRoot>,
     "AppKey= begins with a root's name; the key is looked for below the root that AppRegistry= "
     "names, so it never opens and setup starts every time",
     "give the root in AppRegistry= and only the path below it in AppKey=",
     "the product key begins with a root's name and never opens"},
    {Phase::Setting, "autostart-default-value", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.launch.autoStart[0] == '\0' && facts.launch.autoStartValueName[0] == '\0')
             out.push_back({0, {{"value", Quote(ValueOf(facts, SettingKey::AutoStartValue))}}});
     },
     "neither AutoStart= nor AutoStartValueName= is set: the installed program starts only if "
     "the key's default value equals AutoStartValue= ({value})",
     "set AutoStartValueName= and AutoStartValue=, or AutoStart=1",
     "neither `AutoStart=` nor `AutoStartValueName=`: the key's default value decides"},
    {Phase::Setting, "autostart-any-value", W, AutoStartAnyValue,
     "AutoStart= is {value}: any value that is not empty forces the start of the installed "
     "program, this one too",
     "remove the AutoStart= line to let the registry decide",
     "`AutoStart=0` (or `no`, `false`, ...) still forces the start"},
    {Phase::Setting, "apppath-default-value", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.launch.appPathValueName[0] == '\0')
             out.push_back({0, {}});
     },
     "AppPathValueName= is not set: the installed program's command line is read from the key's "
     "default value",
     "set AppPathValueName= to the value that holds the program's command line",
     "no `AppPathValueName=`: the command line is the key's default value"},
    {Phase::Setting, "setup-not-set", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.setups.empty())
             out.push_back({0, {}});
     },
     "SetupName= is not set: on a machine without the product nothing starts",
     "set SetupName= to the setup program on the disc",
     "no `SetupName=` (nor a machine's own): on a machine without the product nothing starts; "
     "or only a machine's own, and on the other machines nothing starts"},
    {Phase::Setting, "setup-not-set", W,
     [](const DiscFacts& facts, Out& out) {
         if (!facts.setups.empty() && !facts.SetupOf(SettingKey::SetupName))
             out.push_back({0, {{"machines", MachinesOfSetupName(facts)}}});
     },
     "SetupName= is not set: on {machines} without the product nothing starts, since only "
     "SetupName= names a setup for them",
     "set SetupName= to the 32-bit setup program on the disc"},
    {Phase::Setting, "setup-not-found", E, SetupNotFound,
     "{setting} names {program}, which is not on the disc (nor anywhere else the launcher looks)",
     "copy the setup program to the disc, or correct {setting}",
     "a setup program is not on the disc"},
    {Phase::Setting, "setup-wrong-machine", W, SetupWrongMachine<SettingKey::SetupName>,
     "SetupName= on line {line} names {program}, a {built} program, but 32-bit x86 Windows, which "
     "always gets SetupName='s setup, runs only 32-bit x86 programs",
     "name a 32-bit x86 setup program in SetupName=, and the {built} one in {better}",
     "a setup program is built for another machine than the Windows that gets it: "
     "`SetupNameX64=` names no x64 program, `SetupNameArm64=` no ARM64 one, or `SetupName=` "
     "a 64-bit one, which 32-bit Windows cannot run"},
    {Phase::Setting, "setup-wrong-machine", W, SetupWrongMachine<SettingKey::SetupNameX64>,
     "SetupNameX64= on line {line} names {program}, a {built} program, not an x64 one, and x64 "
     "Windows starts it in place of SetupName='s setup",
     "name the x64 setup program in SetupNameX64="},
    {Phase::Setting, "setup-wrong-machine", W, SetupWrongMachine<SettingKey::SetupNameArm64>,
     "SetupNameArm64= on line {line} names {program}, a {built} program, not an ARM64 one, and "
     "ARM64 Windows starts it in place of the other setups",
     "name the ARM64 setup program in SetupNameArm64="},
    {Phase::Setting, "unquoted-path", W, SetupUnquoted<false>, kUnquoted, kUnquotedFix,
     "the setup or installed program's path holds a blank and has no quotes: Windows tries the "
     "text up to each blank first (`C:\\Program.exe`); an error when one of those names exists, "
     "since that program starts instead"},
    {Phase::Setting, "unquoted-path", E, SetupUnquoted<true>, kUnquotedTaken, kUnquotedTakenFix},
    {Phase::Setting, "app-version-unparsable", E,
     [](const DiscFacts& facts, Out& out) {
         if (facts.decision.versions.cause == VersionCause::DiscUnparsable)
             out.push_back({LineOf(facts, SettingKey::AppVersion),
                            {{"value", Quote(ValueOf(facts, SettingKey::AppVersion))}}});
     },
     "AppVersion= is {value}, which is not a version (one to four numbers separated by dots, as "
     "2.1 or 2.1.0.417), so the launcher compares no versions and never upgrades an older "
     "installation",
     "write the disc's version as numbers separated by dots, e.g. AppVersion=2.1.0",
     "`AppVersion=` is not a version, so no versions are compared and an older installation is "
     "never upgraded"},
    {Phase::Setting, "app-version-value-name-ignored", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.launch.IsSet(SettingKey::AppVersionValueName) &&
             !facts.launch.IsSet(SettingKey::AppVersion))
             out.push_back({LineOf(facts, SettingKey::AppVersionValueName), {}});
     },
     "AppVersionValueName= is set, but AppVersion= is not, so the launcher reads no installed "
     "version and never upgrades an older installation",
     "add AppVersion= with the version of the product on this disc, or remove "
     "AppVersionValueName=",
     "`AppVersionValueName=` without `AppVersion=`: the launcher reads no installed version"},
    {Phase::Setting, "app-version-default-value", W,
     [](const DiscFacts& facts, Out& out) {
         if (facts.decision.versions.disc.count > 0 && facts.launch.appVersionValueName[0] == '\0')
             out.push_back({LineOf(facts, SettingKey::AppVersionValueName), {}});
     },
     "AppVersionValueName= is not set: the installed version is read from the key's default "
     "value",
     "set AppVersionValueName= to the value in which the installer writes its version "
     "(DisplayVersion, say)",
     "`AppVersion=` without `AppVersionValueName=`: the installed version is read from the key's "
     "default value"},
    // The programs the disc starts, as today's Windows judges them.
    {Phase::Setting, "program-unsigned", W, SignatureIs<Signing::Unsigned>,
     "{program} ({where} on line {line}) is not signed: Smart App Control (on by default on new "
     "Windows 11 installations) blocks it with no way to run it anyway, SmartScreen checks it "
     "when it comes from a downloaded image, and managed PCs may block unsigned programs that "
     "run from USB",
     "sign it with an RSA certificate and a time stamp (scripts/sign.sh)",
     "a program the disc starts (the launcher, a setup program) is not signed, which Smart App "
     "Control, SmartScreen for a downloaded image and the rule against unsigned programs from "
     "USB block"},
    {Phase::Setting, "signature-invalid", E, SignatureIs<Signing::Invalid>,
     "the signature of {program} ({where} on line {line}) does not hold ({problem}): the file was "
     "changed after it was signed, so Windows reports the signature as not valid and virus "
     "scanners treat the program as suspect",
     "sign the program again after its last change",
     "a program's signature does not hold: the file changed after it was signed"},
    {Phase::Setting, "signature-not-rsa", W, SignatureIs<Signing::NotRsa>,
     "{program} ({where} on line {line}) is signed with an {key} key: Smart App Control accepts "
     "only RSA signatures and blocks the program",
     "sign it with an RSA certificate",
     "a program is signed with an ECC (or other) key, which Smart App Control refuses"},
    {Phase::Setting, "signature-no-timestamp", W, SignatureIs<Signing::NoTimestamp>,
     "the signature of {program} ({where} on line {line}) has no time stamp, so it stops counting "
     "when the signer's certificate expires, on {expires}",
     "sign it with a time stamp server (scripts/sign.sh --timestamp URL)",
     "a program's signature has no time stamp: it stops counting when the certificate expires"},
    {Phase::Setting, "hkcu-elevated-setup", W, ElevatedSetupWritesOtherUser,
     "the product's key is under HKEY_CURRENT_USER, but the setup program {program} ({setting}) "
     "needs administrator rights ({why}): run elevated, it writes the key into the "
     "administrator's HKEY_CURRENT_USER, not the person's (always when a standard user elevates "
     "with another account, and with Windows 11's Administrator protection even for an "
     "administrator), so the launcher never finds it and setup starts every time",
     "write the product's key under HKEY_LOCAL_MACHINE (AppRegistry=HKEY_LOCAL_MACHINE), or make "
     "the setup install per user without administrator rights",
     "the product's key is under `HKEY_CURRENT_USER` and a setup the launcher may start needs "
     "administrator rights: the elevated setup writes another user's key, and setup starts "
     "every time"},
    // A disc image: the names autorun.inf uses, then the image's trees.
    {Phase::Image, "image-path-too-deep", E, ImageNameIs<ImageName::TooDeep>,
     "{name} (line {line}) lies {levels} folders below the root; an ISO 9660 image holds "
     "folders only {deepest} levels deep, the root being the first, so the file is not where "
     "Windows looks",
     "move the file nearer the root, or make the image with UDF",
     "a file `autorun.inf` names lies deeper than ISO 9660's 8 levels of folders"},
    {Phase::Image, "image-name-iso9660", E, ImageNameIs<ImageName::Iso83>,
     "{name} (line {line}) is {shown} on the image: the image has only ISO 9660 names (upper "
     "case, 8 characters and an extension of 3), no Joliet names, so Windows shows no file "
     "{name}",
     kIso83Fix,
     "an image without Joliet names shows a name of `autorun.inf` as an ISO 9660 8.3 name (or not "
     "at all)"},
    {Phase::Image, "image-name-iso9660", E, ImageNameIs<ImageName::Iso83Unmatched>,
     "{name} (line {line}) is not on the image under that name: the image has only ISO 9660 "
     "names (upper case, 8 characters and an extension of 3), no Joliet names, and this name is "
     "not one of them",
     kIso83Fix},
    {Phase::Image, "image-name-cut-64", E, ImageNameIs<ImageName::Cut64>,
     "{name} (line {line}) is {shown} on the image: Joliet names hold {length} characters, so "
     "the image maker cut it, and Windows shows no file {name}",
     "shorten the name to {length} characters or fewer (and autorun.inf with it), or make the "
     "image with UDF",
     "Joliet cuts a name of `autorun.inf` at 64 characters"},
    {Phase::Image, "image-udf-iso-differ", W, ImageUdfDiffers,
     "the image holds UDF and ISO 9660 names, and they differ ({what}); Windows reads the UDF "
     "names, older systems and other readers the ISO 9660 ones",
     "make both from the one folder, with the same names",
     "the image's UDF and ISO 9660 trees hold different names"},
    {Phase::Image, "image-names-unusable", W, ImageNamesLeftOut,
     "the image holds {count} entries under names no Windows file can have ({first}); they were "
     "left out of the check",
     "rename them in the folder the image is made from",
     "the image holds names no Windows file can have; they are left out of the check"},
    // This machine's registry.
    {Phase::Machine, "key-in-other-view", E, KeyInOtherView,
     "on this machine the product's key is not in {view} but in {other} (a 64-bit installer "
     "writes there), so setup starts although the product is installed",
     "add the line AppRegistryView={setting}",
     "on this machine the product's key is in the other registry view; the line to add is named"},
    {Phase::Machine, "key-open-failed", W, KeyOpenFailed,
     "on this machine the product's key does not open ({error}), so the product counts as absent "
     "even if it is installed",
     "check the key's permissions, or choose a key every user can read",
     "on this machine the product's key does not open for another reason than its absence"},
    {Phase::Machine, "installed-version-unknown", W,
     InstalledVersionUnknown<VersionCause::ValueUnread, Read::Missing>,
     "on this machine the product's key has no value {name}, so the launcher cannot tell an "
     "older installation from a newer one and does not upgrade it",
     "have the installer write its version there, or correct AppVersionValueName=",
     "on this machine the installed version value is missing, unreadable or not a version: the "
     "launcher cannot tell an older installation from a newer one"},
    {Phase::Machine, "installed-version-unknown", W,
     InstalledVersionUnknown<VersionCause::ValueUnread, Read::Unreadable>,
     "on this machine the value {name} cannot be read ({error}), so the launcher cannot tell an "
     "older installation from a newer one and does not upgrade it",
     "keep the installed version a short text"},
    {Phase::Machine, "installed-version-unknown", W,
     InstalledVersionUnknown<VersionCause::InstalledUnparsable, Read::Read>,
     "on this machine the value {name} holds {data}, which is not a version, so the launcher "
     "cannot tell an older installation from a newer one and does not upgrade it",
     "have the installer write the version as numbers separated by dots (2.1.0), or name "
     "another value in AppVersionValueName="},
    {Phase::Machine, "installed-version-newer", I, InstalledVersionNewer,
     "on this machine the installed version {installed} is newer than the disc's {disc}, so the "
     "launch goes on as for any installed product: the disc never downgrades it",
     "nothing to change, unless the disc should carry a newer version",
     "on this machine the installed version is newer than the disc's: the launch goes on as for "
     "any installed product"},
    {Phase::Machine, "autostart-value-missing", W, AutoStartOnMachine<Read::Missing>,
     "on this machine the product's key has no value {name}, so the installed program does not "
     "start",
     "have the installer write that value, or correct AutoStartValueName=",
     "on this machine the product's key has no auto-start value"},
    {Phase::Machine, "autostart-value-unreadable", W, AutoStartOnMachine<Read::Unreadable>,
     "on this machine the value {name} cannot be read ({error}), so the installed program does "
     "not start",
     "keep the value a short text",
     "on this machine the auto-start value cannot be read (too long, say)"},
    {Phase::Machine, "autostart-value-differs", W, AutoStartOnMachine<Read::Read>,
     kAutoStartDiffers, "make AutoStartValue= what the installer writes",
     "on this machine the auto-start value differs from `AutoStartValue=`"},
    {Phase::Machine, "autostart-value-differs", W, AutoStartOnMachine<Read::Read, true>,
     kAutoStartDiffers, "remove the blanks around AutoStartValue='s value"},
    {Phase::Machine, "app-path-missing", E, AppPathOnMachine<Read::Missing>,
     "on this machine the product's key has no value {name}, so the installed program cannot "
     "start",
     "have the installer write that value, or correct AppPathValueName=",
     "on this machine the product's key has no program-path value"},
    {Phase::Machine, "app-path-too-long", E, AppPathOnMachine<Read::Unreadable, true>,
     "on this machine the value {name} holds {characters} characters, more than the {limit} the "
     "launcher's buffer takes, so the installed program cannot start",
     "keep the program's command line under {limit} characters",
     "on this machine the program path is longer than the launcher's buffer of 256 characters"},
    {Phase::Machine, "app-path-unreadable", E, AppPathOnMachine<Read::Unreadable>,
     "on this machine the value {name} cannot be read ({error})", "check the value in the registry",
     "on this machine the program-path value cannot be read"},
    {Phase::Machine, "installed-program-not-found", E,
     [](const DiscFacts& facts, Out& out) {
         if (facts.decision.action == LaunchAction::Installed && facts.program &&
             !facts.program->path)
             out.push_back({0, {{"program", Quote(facts.program->name)}}});
     },
     "on this machine the installed program {program} does not exist, so the launcher starts "
     "nothing",
     "correct the command line the installer writes, or reinstall the product",
     "on this machine the installed program's file does not exist"},
    {Phase::Machine, "unquoted-path", W, InstalledUnquoted<false>, kUnquoted, kUnquotedFix},
    {Phase::Machine, "unquoted-path", E, InstalledUnquoted<true>, kUnquotedTaken,
     kUnquotedTakenFix},
};

/// Whether the checks of a phase look at these facts at all: the shell's, at any file that
/// reads; the image's trees, with a file the launcher searches or without a file; the others
/// only at a file the launcher searches.
bool Runs(Phase phase, const DiscFacts& facts)
{
    const FileFacts& file = facts.file;
    return phase == Phase::Missing || (phase <= Phase::Encoding && file.readable) ||
           (phase == Phase::Image ? facts.image && (!file.found || file.Searched())
                                  : phase > Phase::Encoding && file.Searched());
}

} // namespace

const char* SeverityName(Severity severity)
{
    static constexpr std::array<const char*, 3> kNames = {"info", "warning", "error"};
    return kNames[static_cast<std::size_t>(severity)];
}

std::vector<Finding> FindTraps(const DiscFacts& facts)
{
    struct Placed {
        Phase phase;
        std::size_t item;
        std::size_t entry;
        Finding finding;
    };
    std::vector<Placed> placed;
    for (std::size_t i = 0; i < std::size(kCatalogue); ++i) {
        const Entry& entry = kCatalogue[i];
        if (!Runs(entry.phase, facts))
            continue;
        Out found;
        entry.check(facts, found);
        for (const Found& one : found)
            placed.push_back({entry.phase,
                              one.item,
                              i,
                              {entry.code, entry.severity, one.line,
                               Fill(entry.message, one.fields), Fill(entry.fix, one.fields)}});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.phase, a.item, a.entry) < std::tie(b.phase, b.item, b.entry);
    });
    std::vector<Finding> findings;
    for (Placed& one : placed)
        findings.push_back(std::move(one.finding));
    return findings;
}

std::vector<FindingCode> FindingCodes()
{
    std::vector<FindingCode> codes;
    for (const Entry& entry : kCatalogue) {
        const auto known = std::find_if(codes.begin(), codes.end(), [&](const FindingCode& code) {
            return std::string_view(code.code) == entry.code;
        });
        if (known == codes.end())
            codes.push_back({entry.code, {entry.severity}, entry.summary, entry.fix});
        else if (std::find(known->severities.begin(), known->severities.end(), entry.severity) ==
                 known->severities.end())
            known->severities.push_back(entry.severity);
    }
    return codes;
}

} // namespace autorun::check
