/// What autorun-check learns about a disc folder: the file as the launcher reads it, the
/// settings, the registry's answers, the decision, and the traps it finds.
#ifndef KOVA_CHECKER_CHECKREPORT_H
#define KOVA_CHECKER_CHECKREPORT_H

#include "checker/ShellAutorun.h"
#include "launcher/AutorunFile.h"
#include "launcher/LaunchDecision.h"
#include "launcher/LaunchSettings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kova::check {

/// Info tells what the launcher does on this machine and needs no change; it does not make
/// the check fail.
enum class Severity { Info, Warning, Error };

struct Finding {
    std::string code; ///< short and stable: scripts may rely on it
    Severity severity;
    int line;            ///< 1-based, or 0 when the finding has no line
    std::string message; ///< what the launcher will do, in a sentence
    std::string fix;     ///< what to change, in a few words
};

/// One setting as the launcher reads it, and where its key stands.
struct SettingReport {
    autorun::SettingKey key;
    const char* name;   ///< the key with its "="
    bool set;           ///< the key occurs in the text the launcher searches
    std::string value;  ///< in UTF-8, as every text of the report
    std::size_t offset; ///< where the occurrence the launcher reads begins, or kNotFound
    int line;           ///< the line it stands on, or 0
};

/// Where a program that would start is found, the way WinExec looks for it.
struct ProgramReport {
    std::string name; ///< the program's name as the command line gives it
    std::optional<std::string> path;
    std::string where; ///< in words: "the launcher's folder", "PATH", ...
    /// Whether Windows asks the user for consent before it starts the program; empty when
    /// that cannot be told (no file, or not a Windows program).
    std::optional<bool> needsElevation;
    std::string elevationReason; ///< why it does or does not, in words
    /// From its version resource, in the ANSI code page: the description Explorer and
    /// AutoPlay show for it, and the name it was built as; empty when it has none.
    std::string description;
    std::string originalName;
    bool isSigned = false; ///< it carries an Authenticode signature
    std::string signer;    ///< the signer's name, when the signature tells it
};

/// What Windows' shell makes of the file's [autorun] section, before the launcher runs.
struct ShellReport {
    ShellAutorun lines;
    /// The key that says what to start: open=, else shellexecute=; null when neither.
    const ShellKey* start = nullptr;
    std::optional<ProgramReport>
        program;             ///< what that line names, looked for as the launcher looks
    bool onDisc = false;     ///< it is found on the disc itself
    bool isLauncher = false; ///< it is this launcher (by its version resource, else its name)
    bool iconOnDisc = false; ///< the icon= file is on the disc

    /// The line `start` stands for.
    const ShellLine& StartLine() const { return *(lines.*start->line); }
};

/// The file systems of a disc image that Windows can read.
enum class ImageFileSystem { Iso9660, Joliet, Udf };

/// A disc image, checked as the disc it will be: its tree under the names Windows shows.
struct ImageReport {
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

struct CheckReport {
    std::string folder; ///< the folder, or the image, as the report names it
    /// Where the disc's files are read: the folder, or an image's tree laid out in a
    /// temporary folder that is gone once the check is over.
    std::string readFolder;
    std::string path; ///< the disc's "autorun.inf", as the report names it
    bool fileFound = false;
    /// The launcher can read the file: it is not a folder, and it opens and reads. When it
    /// cannot, the launcher does nothing, as without the file.
    bool fileReadable = false;
    std::uint64_t fileSize = 0;
    std::size_t bytesRead = 0; ///< at most autorun::kMaxRead
    std::size_t bytesSeen = 0; ///< up to the first zero byte (or zero unit)
    autorun::TextEncoding encoding = autorun::TextEncoding::Ansi;
    /// The whole file's text, as far as the checker reads it (it looks beyond the
    /// launcher's limit, to tell about keys the launcher never sees): its bytes, or for a
    /// UTF-16 file their UTF-8, in which the launcher searches too. Offsets and lines are
    /// counted in it.
    std::string bytes;
    std::size_t textRead = 0; ///< how much of `bytes` the launcher's read makes
    std::size_t textSeen = 0; ///< how much of it the launcher searches: up to a zero

    std::vector<SettingReport> settings;

    /// The text, settings and decision the launcher's own code worked out; only when the
    /// file was read.
    std::unique_ptr<autorun::AutorunText> text;
    autorun::LaunchSettings launch{};
    autorun::LaunchDecision decision{};
    /// When the product's key does not open in the launcher's view: the access with which it
    /// opens in another view, if it does.
    std::optional<REGSAM> otherView;
    std::optional<std::string> commandLine;
    std::optional<ProgramReport> program;

    ShellReport shell;
    std::optional<ImageReport> image;

    std::vector<Finding> findings;

    /// The report of one setting.
    const SettingReport& Setting(autorun::SettingKey key) const;
};

/// A path below the folder the disc is read from, as the report names it: an image's
/// files by the image's path.
std::string ShownPath(const CheckReport& report, const std::string& path);

/// Why the check could not run at all.
struct CheckFailure {
    std::string message;
};

/// Reads FOLDER/autorun.inf as the launcher does, asks the registry as the launcher does
/// (nothing is started and nothing is written), and looks for traps. Throws CheckFailure
/// when the folder does not exist.
CheckReport CheckFolder(const std::string& folder);

/// CheckFolder on `readFolder`, which holds `image`'s tree; the report names the image.
CheckReport CheckImageTree(const std::string& readFolder, ImageReport image);

} // namespace kova::check

#endif
