/// What autorun-check learns of a disc (a folder or an image) and of this machine's
/// registry, gathered once: the one record that the checks and the report writers read.
/// Nothing after the gathering touches the file system, the image or the registry, and
/// every text here is UTF-8 (Text.h).
#ifndef KOVA_CHECKER_DISCFACTS_H
#define KOVA_CHECKER_DISCFACTS_H

#include "checker/Signature.h"
#include "launcher/LaunchDecision.h"
#include "launcher/LaunchSettings.h"
#include "launcher/Machine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace autorun::check {

/// UTF-16 that the launcher does not read, though the file holds it.
enum class UnreadUtf16 { None, BigEndianMarked, BigEndian, LittleEndianUnmarked };

/// How the launcher reads the file, and what of it the checks need.
struct FileFacts {
    std::string path; ///< the disc's "autorun.inf", as the report names it
    bool found = false;
    /// The launcher can read it: it is not a folder, and it opens and reads. When it cannot,
    /// the launcher does nothing, as without the file.
    bool readable = false;
    std::uint64_t size = 0;
    std::size_t bytesRead = 0; ///< at most autorun::kMaxRead
    std::size_t bytesSeen = 0; ///< up to the first zero byte (or zero unit)
    TextEncoding encoding = TextEncoding::Ansi;
    /// Of the text as far as the checker reads it (beyond the launcher's limit, to tell of
    /// keys the launcher never sees), in which offsets are counted (the file's bytes, or a
    /// UTF-16 file's UTF-8): what the launcher reads, and what it searches.
    std::size_t textRead = 0;
    std::size_t textSeen = 0;
    UnreadUtf16 unreadUtf16 = UnreadUtf16::None;
    /// 8-bit text: where its first byte beyond ASCII stands (the launcher reads it in the
    /// machine's code page), and on which line.
    std::optional<std::size_t> firstNonAscii;
    int firstNonAsciiLine = 0;
    int zeroByteLine = 0;           ///< where the launcher's text ends at a zero byte, or 0
    bool markBeforeSection = false; ///< a UTF-8 mark stands directly before "[autorun]"

    /// The launcher searches it: it is read, and not UTF-16 that the launcher does not read.
    bool Searched() const { return readable && unreadUtf16 == UnreadUtf16::None; }
};

/// How a line that seems to set a key is written.
enum class KeyLineKind { Exact, BlankBeforeEquals, OtherCase };

/// A line whose first word is a key's name, in any case, followed by "=" (perhaps after
/// blanks): a line the author meant to set the key with.
struct KeyLine {
    KeyLineKind kind;
    std::size_t offset; ///< where the key's name starts
    int line;
    bool inComment;
    std::string written; ///< the key as written, to its "="
    std::string value;   ///< what the launcher would read after it
};

/// One setting as the launcher reads it, where its key stands, and what the file holds
/// around it.
struct SettingFacts {
    SettingKey key;
    const char* name;         ///< the key with its "="
    bool set = false;         ///< the key occurs in the text the launcher searches
    std::string value;        ///< as the launcher decodes it
    std::size_t offset;       ///< where the occurrence the launcher reads begins, or kNotFound
    int line = 0;             ///< the line it stands on, or 0
    bool standsAlone = false; ///< at the start of its line, perhaps after blanks
    bool inComment = false;   ///< on a line that begins with ';'
    std::vector<KeyLine> lines;
    /// When the launcher does not see the key: where the first occurrence in the whole text
    /// stands (beyond its limit, or after a zero byte), else kNotFound.
    std::size_t unseenAt = kNotFound;
    int unseenLine = 0;
    /// Where the value the launcher reads ends, where its line ends, and how many
    /// characters the author wrote up to there.
    std::size_t valueEnd = 0;
    std::size_t lineEnd = 0;
    std::size_t writtenCharacters = 0;
};

/// Where a program was found, in the order Windows looks.
enum class ProgramPlace {
    LauncherFolder, ///< the launcher's folder: the disc's root
    SystemFolder,
    WindowsFolder,
    PathFolder,   ///< a folder on PATH
    AsNamed,      ///< an absolute path, where it stands
    BelowDiscRoot ///< a relative path with folders, from the disc's root
};

/// Why Windows does, or does not, ask for consent before it starts a program.
enum class ElevationCause {
    NotAProgram,        ///< not a Windows program: it cannot be told
    Manifest,           ///< its manifest's execution level says
    InstallerDetection, ///< a 32-bit program without a level, named like a setup program
    NoLevel32,          ///< a 32-bit program without a level, not named like one
    NoLevel64,          ///< a 64-bit program without a level
};

/// A command line whose program's path holds a blank and stands without quotes: Windows
/// takes the text up to each blank in turn for the program's name before the one meant.
struct UnquotedPath {
    std::string program;               ///< the name meant
    std::vector<std::string> earlier;  ///< the names Windows tries before it, in order
    std::vector<std::string> existing; ///< those of them that name a program here
};

/// A program the disc names, looked for as the launcher looks for it.
struct ProgramFacts {
    std::string name; ///< the program's name as the command line gives it
    std::optional<std::string> path;
    ProgramPlace place = ProgramPlace::LauncherFolder;
    bool onDisc = false;
    bool isLauncher = false; ///< this launcher: built as "autorun.exe", or so named
    std::optional<bool> needsElevation;
    ElevationCause elevation = ElevationCause::NotAProgram;
    std::string level;       ///< the manifest's execution level, if it names one
    std::string description; ///< its version resource's, which AutoPlay shows
    /// The machine its PE header names (ARM64EC and ARM64X counting as ARM64); none when it is
    /// no Windows program, or one for another machine.
    std::optional<Machine> machine;
    SignatureFacts signature;
    std::optional<UnquotedPath> unquoted;
};

/// One of the shell's keys in the [autorun] section, as Windows' INI reader hands it over.
struct ShellLine {
    std::string value; ///< without the blanks or quotes around it
    int line;          ///< 1-based
    /// What the author wrote: in a UTF-8 file, the value read as UTF-8, which the shell does
    /// not; else the value.
    std::string meant;
};

/// What Windows' shell starts from the disc.
enum class ShellStart { NoSection, NoProgram, NotFound, NotOnDisc, Launcher, OtherProgram };

/// The [autorun] section as Windows' shell reads it, before the launcher runs; and
/// [AutoRun.Amd64], which 64-bit Windows reads instead when the file has it.
struct ShellFacts {
    bool utf16 = false;        ///< read as UTF-16LE: the file begins with that byte-order mark
    int sectionLine = 0;       ///< the line of the first [autorun] section, or 0 when there is none
    bool hiddenByMark = false; ///< without a UTF-8 mark before it, line 1 would be the section
    /// The section's keys, in the order of kShellKeys; empty where a key is not set.
    std::optional<ShellLine> lines[6];
    int startKey = -1; ///< the key that says what to start (open=, else shellexecute=), or -1
    std::optional<ProgramFacts> program; ///< what that line names
    ShellStart start = ShellStart::NoSection;
    std::string iconFile; ///< icon='s file, before its ",index"
    bool iconOnDisc = false;
    /// [AutoRun.Amd64]: its line (0 when the file has none), its keys, and what 64-bit
    /// Windows starts from it.
    int amd64Line = 0;
    std::optional<ShellLine> amd64Lines[6];
    std::optional<ProgramFacts> amd64Program;
};

/// The shell's keys, by the names the file spells them with and the reports use.
inline constexpr const char* kShellKeys[] = {"open",  "shellexecute", "icon",
                                             "label", "action",       "UseAutoPlay"};
enum ShellKeyIndex { kOpen, kShellExecute, kIcon, kLabel, kAction, kUseAutoPlay };

/// The file systems of a disc image that Windows can read.
enum class ImageFileSystem { Iso9660, Joliet, Udf };

/// A disc image, checked as the disc it will be: its tree under the names Windows shows.
struct ImageFacts {
    std::string path;
    ImageFileSystem fileSystem = ImageFileSystem::Iso9660; ///< the one Windows reads
    bool hasIso9660 = false;
    bool hasJoliet = false;
    bool hasUdf = false;
    /// Every file and folder, '/'-separated from the root, as Windows shows it.
    std::vector<std::string> files;
    /// When the image holds UDF and ISO 9660: what one of them holds and the other not.
    std::vector<std::string> udfOnly;
    std::vector<std::string> isoOnly;
    /// Entries under names no Windows file can have ("..", a name with "\\" or ":"); left out.
    std::vector<std::string> leftOut;
    /// Files whose contents were not all read (only the start of a program matters).
    bool contentsCut = false;
};

/// A registry query of the decision, its texts in UTF-8.
struct QueryFacts {
    QueryRole role;
    std::string name;
    LONG status;
    DWORD type;
    DWORD size;
    std::string data;
    bool matched;
};

/// A program the disc starts, with the setting that names it as the file spells it ("open=",
/// "SetupNameX64=") and that setting's line.
struct StartedProgram {
    const ProgramFacts* program;
    std::string setting;
    int line;
};

struct DiscFacts {
    std::string folder; ///< the folder, or the image, as the report names it
    FileFacts file;
    std::vector<SettingFacts> settings; ///< in the order of SettingKey

    /// The launcher's own settings and decision; only when the file was read.
    LaunchSettings launch{};
    LaunchDecision decision{};
    std::vector<QueryFacts> queries;
    /// When the product's key does not open in the launcher's view: the access with which it
    /// opens in another view, if it does.
    std::optional<REGSAM> otherView;
    std::optional<std::string> commandLine; ///< what the launcher starts
    /// The program the launcher starts.
    std::optional<ProgramFacts> program;
    /// The setup programs the settings name, each looked for once, whether it starts here or
    /// not: "SetupName=", then the machines' own, those with a value.
    struct Setup {
        SettingKey key;
        ProgramFacts program;
    };
    std::vector<Setup> setups;
    /// When the file names a setup for one machine: the setting that each kind of machine
    /// gets its setup from (x86, x64, ARM64, ARM64 without x64), by the launcher's rule.
    std::vector<std::pair<Machine, SettingKey>> setupByMachine;

    ShellFacts shell;
    std::optional<ImageFacts> image;

    const SettingFacts& Setting(SettingKey key) const
    {
        return settings[static_cast<std::size_t>(key)];
    }
    const ProgramFacts* SetupOf(SettingKey key) const
    {
        for (const Setup& setup : setups)
            if (setup.key == key)
                return &setup.program;
        return nullptr;
    }
    /// The programs the disc starts, found or not: the shell's open= (or shellexecute=)
    /// program, then each setup program a setting names.
    std::vector<StartedProgram> StartedPrograms() const
    {
        std::vector<StartedProgram> started;
        if (shell.program)
            started.push_back({&*shell.program, std::string(kShellKeys[shell.startKey]) + "=",
                               shell.lines[shell.startKey]->line});
        for (const Setup& setup : setups)
            started.push_back({&setup.program, KeyOf(setup.key).name, Setting(setup.key).line});
        return started;
    }
    const QueryFacts* Query(QueryRole role) const
    {
        for (const QueryFacts& query : queries)
            if (query.role == role)
                return &query;
        return nullptr;
    }
};

} // namespace autorun::check

#endif
