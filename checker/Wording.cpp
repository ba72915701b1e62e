#include "checker/Wording.h"

#include "checker/Text.h"
#include "launcher/RegistryView.h"

#include <cstdio>
#include <stdexcept>

namespace autorun::check {

namespace {

/// One row of a table of names, found by its key.
template <typename Key>
struct Row {
    Key key;
    const char* text;
};

template <typename Key, std::size_t N>
const char* Lookup(const Row<Key> (&rows)[N], Key key, const char* otherwise = "")
{
    for (const Row<Key>& row : rows)
        if (row.key == key)
            return row.text;
    return otherwise;
}

/// The entry of a table in the order of an enumeration for `value`.
template <typename Entry, std::size_t N, typename Enum>
const Entry& Of(const Entry (&entries)[N], Enum value)
{
    const auto at = static_cast<std::size_t>(value);
    return entries[at < N ? at : 0];
}

constexpr Row<LONG> kErrors[] = {
    {ERROR_SUCCESS, "success"},
    {ERROR_FILE_NOT_FOUND, "not found"},
    {ERROR_PATH_NOT_FOUND, "path not found"},
    {ERROR_ACCESS_DENIED, "access denied"},
    {ERROR_INVALID_HANDLE, "invalid handle"},
    {ERROR_BAD_FORMAT, "not a program Windows can start"},
    {ERROR_INVALID_PARAMETER, "invalid parameter"},
    {ERROR_BAD_PATHNAME, "bad path name"},
    {ERROR_KEY_DELETED, "key deleted"},
};

constexpr Row<DWORD> kTypes[] = {
    {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
    {REG_QWORD, "REG_QWORD"},
};

// The names and wordings below stand in the order of their enumeration.
constexpr const char* kActions[] = {"nothing", "installed", "setup"};
constexpr const char* kCommandSources[] = {nullptr, "setupName", "appPath"};
constexpr const char* kRoles[] = {"version", "autoStart", "appPath"};
constexpr const char* kOrders[] = {nullptr, "older", "equal", "newer"};
constexpr const char* kPlaces[] = {"the launcher's folder",
                                   "the system folder",
                                   "the Windows folder",
                                   "a folder on PATH",
                                   "where the command line names it",
                                   "below the disc's root"};

/// Each reason's name for scripts, and its sentence.
constexpr struct {
    const char* name;
    const char* sentence;
} kReasons[] = {
    {"setup-key-closed",
     "the product's key does not open ({error}), so the product counts as not installed."},
    {"no-setup-key-closed",
     "the product's key does not open ({error}), so the product counts as not installed, and "
     "SetupName= is not set."},
    {"setup-upgrade",
     "the product's key opens, but the installed version is older than the disc's, so the setup "
     "program starts, whatever the auto-start settings say."},
    {"installed-forced",
     "the product's key opens and AutoStart= is set, so the installed program starts without "
     "asking the registry whether it should."},
    {"installed-wanted",
     "the product's key opens and its auto-start value equals AutoStartValue=."},
    {"autostart-query-failed",
     "the product's key opens, but its auto-start value cannot be read ({autoStartError}), so "
     "nothing starts; setup never starts for an installed product."},
    {"autostart-differs",
     "the product's key opens, but its auto-start value differs from AutoStartValue=, so nothing "
     "starts; setup never starts for an installed product."},
    {"app-path-query-failed",
     "the installed program is due, but the program-path value cannot be read ({appPathError}), "
     "so nothing starts."},
};

/// What the versions mean for the launch, by why they were or were not compared.
constexpr const char* kVersionCauses[] = {
    "",
    "AppVersion= ({setting}) is not a version, so no versions are compared.",
    "The disc's version is {disc}; with the product not installed there is nothing to compare.",
    ("The disc's version is {disc}; the installed version cannot be read ({error}), so the launch "
     "goes on as for any installed product."),
    ("The disc's version is {disc}; the installed version {data} is not a version, so the launch "
     "goes on as for any installed product."),
};

/// What compared versions mean, by how they stand; in place of "not compared", the upgrade.
constexpr const char* kVersionOrders[] = {
    ("The installed version {installed} is older than the disc's {disc}: the setup program "
     "upgrades it."),
    ("The installed version {installed} is older than the disc's {disc}, but SetupName= is not "
     "set, so the launch goes on as for any installed product."),
    ("The installed version {installed} equals the disc's {disc}, so the launch goes on as for "
     "any installed product."),
    ("The installed version {installed} is newer than the disc's {disc}, so the launch goes on as "
     "for any installed product (the disc never downgrades it)."),
};

constexpr const char* kShellStarts[] = {
    "Windows starts nothing from the disc: there is no [autorun] section.",
    "Windows starts nothing from the disc: the [autorun] section names no program.",
    "Windows would start {program}, which is not on the disc: nothing starts.",
    "Windows starts {program}, found not on the disc but on this machine: {path}.",
    "Windows starts {program}: {path}, the launcher.",
    "Windows starts {program}: {path}, another program than the launcher.",
};

constexpr const char* kElevations[] = {
    "it is not a Windows program, so whether it needs administrator rights is unknown",
    "its manifest asks for {level}",
    ("it is a 32-bit program without an execution level whose name Windows' installer detection "
     "takes for a setup program's"),
    "it asks for no execution level and its name is not a setup program's",
    "it is a 64-bit program without an execution level",
};

constexpr struct {
    const char* id;
    const char* name;
} kMachines[] = {
    {"", ""},
    {"x86", "32-bit x86 Windows"},
    {"x64", "x64 Windows"},
    {"arm64", "ARM64 Windows"},
    {"arm64WithoutX64", "ARM64 Windows without x64 emulation"},
};

constexpr const char* kKeyTypes[] = {"", "RSA", "ECC", "another kind of"};

/// A file system's name for scripts, and in words.
constexpr struct {
    const char* id;
    const char* name;
} kFileSystems[] = {
    {"iso9660", "ISO 9660 without Joliet names (upper-case 8.3)"},
    {"joliet", "ISO 9660 with Joliet names"},
    {"udf", "UDF"},
};

/// `wording` with each "{name}" replaced by what `text` gives for the name.
template <class Text>
std::string Substitute(std::string_view wording, const Text& text)
{
    static constexpr std::string_view kNameCharacters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string out;
    for (std::size_t at = 0; at < wording.size(); ++at) {
        // A field's name is a word: a brace around anything else is text.
        const std::size_t close =
            wording[at] == '{' ? wording.find_first_not_of(kNameCharacters, at + 1) : at;
        if (close == at || close == at + 1 || close == std::string::npos || wording[close] != '}') {
            out += wording[at];
            continue;
        }
        out += text(wording.substr(at + 1, close - at - 1));
        at = close;
    }
    return out;
}

} // namespace

std::string Fill(std::string_view wording, const Fields& fields)
{
    return Substitute(wording, [&](std::string_view name) -> std::string_view {
        const auto field = std::find_if(fields.begin(), fields.end(),
                                        [&](const Field& given) { return given.name == name; });
        if (field == fields.end())
            throw std::logic_error("the wording \"" + std::string(wording) + "\" names {" +
                                   std::string(name) + "}, which it is not given");
        return field->text;
    });
}

std::string FillAll(std::string_view wording, std::string_view shown)
{
    return Substitute(wording, [&](std::string_view) { return shown; });
}

const char* ErrorMeaning(LONG error)
{
    if (error == ERROR_MORE_DATA) {
        // The one number in a meaning comes from the launcher's buffer.
        static const std::string meaning =
            "longer than the launcher's " + std::to_string(kDataSize) + "-byte buffer";
        return meaning.c_str();
    }
    return Lookup(kErrors, error, "unexpected error");
}

std::string ErrorText(LONG error)
{
    return "error " + std::to_string(error) + ": " + ErrorMeaning(error);
}

const char* TypeName(DWORD type)
{
    return Lookup(kTypes, type);
}

std::string AccessName(REGSAM access)
{
    std::string name = "KEY_QUERY_VALUE";
    for (const RegistryViewEntry& view : kRegistryViews)
        if (view.flag != 0 && (access & view.flag) != 0)
            name += std::string(" | ") + view.flagName;
    return name;
}

const char* ActionName(LaunchAction action)
{
    return Of(kActions, action);
}

const char* ReasonName(LaunchReason reason)
{
    return Of(kReasons, reason).name;
}

const char* CommandSourceName(CommandSource source)
{
    return Of(kCommandSources, source);
}

const char* RoleName(QueryRole role)
{
    return Of(kRoles, role);
}

const char* VersionOrderName(VersionOrder order)
{
    return Of(kOrders, order);
}

std::string VersionText(const Version& version)
{
    std::string text;
    for (int i = 0; i < version.count; ++i)
        text += (i > 0 ? "." : "") + std::to_string(version.parts[i]);
    return text;
}

const char* FileSystemId(ImageFileSystem system)
{
    return Of(kFileSystems, system).id;
}

const char* FileSystemName(ImageFileSystem system)
{
    return Of(kFileSystems, system).name;
}

const char* PlaceWords(ProgramPlace place)
{
    return Of(kPlaces, place);
}

const char* MachineId(Machine machine)
{
    return Of(kMachines, machine).id;
}

const char* MachineName(Machine machine)
{
    return Of(kMachines, machine).name;
}

const char* KeyTypeName(KeyType type)
{
    return Of(kKeyTypes, type);
}

std::string TimeText(const std::optional<std::chrono::sys_seconds>& time)
{
    if (!time)
        return {};
    const auto day = std::chrono::floor<std::chrono::days>(*time);
    const std::chrono::year_month_day date{day};
    const std::chrono::hh_mm_ss clock{*time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string SignatureSentence(const ProgramFacts& program)
{
    const SignatureFacts& signature = program.signature;
    if (!signature.isSigned)
        return !program.machine ? "not a Windows program, so not signed" : "not signed";
    const Fields fields = {
        {"signer",
         signature.signer.empty() ? "a signer it does not name" : Quote(signature.signer)},
        {"key", KeyTypeName(signature.keyType)},
        {"bits", std::to_string(signature.keyBits)},
        {"digest", signature.digestAlgorithm},
        {"problem", signature.problem},
        {"stamp", TimeText(signature.timestampTime)},
        {"expires", TimeText(signature.certificateNotAfter)},
    };
    return Fill("signed by {signer} with a {bits}-bit {key} key ({digest}), ", fields) +
           Fill(!signature.Valid()      ? "which does not hold: {problem}"
                : signature.timestamped ? "which holds, time-stamped {stamp}"
                                        : "which holds, without a time stamp: it stops "
                                          "counting when the certificate expires, {expires}",
                fields);
}

std::string ReasonSentence(const DiscFacts& facts)
{
    if (!facts.file.found)
        return "there is no autorun.inf, so the launcher does nothing.";
    if (!facts.file.readable)
        return "autorun.inf cannot be read, so the launcher does nothing.";
    const LaunchDecision& decision = facts.decision;
    const auto queryError = [&](QueryRole role) {
        const QueryFacts* query = facts.Query(role);
        return query != nullptr ? ErrorText(query->status) : std::string();
    };
    return Fill(Of(kReasons, decision.reason).sentence,
                {{"error", ErrorText(decision.openStatus)},
                 {"autoStartError", queryError(QueryRole::AutoStart)},
                 {"appPathError", queryError(QueryRole::AppPath)}});
}

std::string VersionSentence(const DiscFacts& facts)
{
    const VersionComparison& versions = facts.decision.versions;
    const QueryFacts* query = facts.Query(QueryRole::Version);
    const Fields fields = {
        {"setting", Quote(facts.Setting(SettingKey::AppVersion).value)},
        {"disc", VersionText(versions.disc)},
        {"installed", VersionText(versions.installed)},
        {"error", query != nullptr ? ErrorText(query->status) : ""},
        {"data", query != nullptr ? Quote(query->data) : ""},
    };
    if (versions.cause != VersionCause::Compared)
        return Fill(Of(kVersionCauses, versions.cause), fields);
    const bool upgrade = facts.decision.reason == LaunchReason::SetupUpgrade;
    return Fill(Of(kVersionOrders, upgrade ? VersionOrder::Unknown : versions.order), fields);
}

std::string ShellStartSentence(const DiscFacts& facts)
{
    const ShellFacts& shell = facts.shell;
    Fields fields = {{"program", ""}, {"path", ""}};
    if (shell.program) {
        fields[0].text = Quote(shell.program->name) + " (" + kShellKeys[shell.startKey] +
                         "=, line " + std::to_string(shell.lines[shell.startKey]->line) + ")";
        fields[1].text = shell.program->path.value_or("");
    }
    return Fill(Of(kShellStarts, shell.start), fields);
}

std::string AutoPlaySentence(const DiscFacts& facts)
{
    const ShellFacts& shell = facts.shell;
    if (!shell.program || !shell.program->path)
        return "AutoPlay has no program to name.";
    const ProgramFacts& program = *shell.program;
    const char* name = program.description.empty()
                           ? "AutoPlay has no description to name the program by (it has no "
                             "version resource's FileDescription)"
                           : "AutoPlay names the program {description} (its version resource's "
                             "FileDescription)";
    const char* publisher = !program.signature.isSigned
                                ? "; publisher: not signed, so Windows names none."
                            : !program.signature.signer.empty()
                                ? "; publisher: {signer}, the signer."
                                : "; publisher: the file is signed, but its signature names no "
                                  "signer the checker can read.";
    const Fields fields = {{"description", Quote(program.description)},
                           {"signer", Quote(program.signature.signer)}};
    return Fill(name, fields) + Fill(publisher, fields);
}

std::string RemovableDriveSentence(const DiscFacts& facts)
{
    const ShellFacts& shell = facts.shell;
    return Fill("From a USB stick or an external hard disc, Windows 7 and later (and Windows XP "
                "and Vista since the 2011 update) offer no AutoRun entry, whatever autorun.inf "
                "says; only CD and DVD drives do. There the person opens the drive in Explorer "
                "and starts {program} themselves.",
                {{"program", shell.program && shell.program->path ? Quote(shell.program->name)
                                                                  : "\"autorun.exe\""}});
}

std::string ElevationSentence(const ProgramFacts& program)
{
    return Fill(Of(kElevations, program.elevation), {{"level", Quote(program.level)}});
}

} // namespace autorun::check
