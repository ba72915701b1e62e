/// What autorun-check learns about a disc folder: the file as the launcher reads it, the
/// settings, the registry's answers, the decision, and the traps it finds.
#ifndef KOVA_CHECKER_CHECKREPORT_H
#define KOVA_CHECKER_CHECKREPORT_H

#include "launcher/AutorunFile.h"
#include "launcher/LaunchDecision.h"
#include "launcher/LaunchSettings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kova::check {

enum class Severity { Warning, Error };

struct Finding {
    std::string code;     ///< short and stable: scripts may rely on it
    Severity severity;
    int line;             ///< 1-based, or 0 when the finding has no line
    std::string message;  ///< what the launcher will do, in a sentence
    std::string fix;      ///< what to change, in a few words
};

/// One setting as the launcher reads it, and where its key stands.
struct SettingReport {
    autorun::SettingKey key;
    const char* name;     ///< the key with its "="
    bool set;             ///< the key occurs in the text the launcher searches
    std::string value;    ///< in UTF-8, as every text of the report
    std::size_t offset;   ///< where the occurrence the launcher reads begins, or kNotFound
    int line;             ///< the line it stands on, or 0
};

/// Where a program that would start is found, the way WinExec looks for it.
struct ProgramReport {
    std::string name;     ///< the program's name as the command line gives it
    std::optional<std::string> path;
    std::string where;    ///< in words: "the launcher's folder", "PATH", ...
    /// Whether Windows asks the user for consent before it starts the program; empty when
    /// that cannot be told (no file, or not a Windows program).
    std::optional<bool> needsElevation;
    std::string elevationReason; ///< why it does or does not, in words
};

struct CheckReport {
    std::string folder;
    std::string path;               ///< the folder's "autorun.inf"
    bool fileFound = false;
    /// The launcher can read the file: it is not a folder, and it opens and reads. When it
    /// cannot, the launcher does nothing, as without the file.
    bool fileReadable = false;
    std::uint64_t fileSize = 0;
    std::size_t bytesRead = 0;      ///< at most autorun::kMaxRead
    std::size_t bytesSeen = 0;      ///< up to the first zero byte (or zero unit)
    autorun::TextEncoding encoding = autorun::TextEncoding::Ansi;
    /// The whole file's text, as far as the checker reads it (it looks beyond the
    /// launcher's limit, to tell about keys the launcher never sees): its bytes, or for a
    /// UTF-16 file their UTF-8, in which the launcher searches too. Offsets and lines are
    /// counted in it.
    std::string bytes;
    std::size_t textRead = 0;       ///< how much of `bytes` the launcher's read makes
    std::size_t textSeen = 0;       ///< how much of it the launcher searches: up to a zero

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

    std::vector<Finding> findings;

    /// The report of one setting.
    const SettingReport& Setting(autorun::SettingKey key) const;
};

/// Why the check could not run at all.
struct CheckFailure {
    std::string message;
};

/// Reads FOLDER/autorun.inf as the launcher does, asks the registry as the launcher does
/// (nothing is started and nothing is written), and looks for traps. Throws CheckFailure
/// when the folder does not exist.
CheckReport CheckFolder(const std::string& folder);

} // namespace kova::check

#endif
