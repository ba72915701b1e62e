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

/// One setting as the launcher reads it.
struct SettingReport {
    const char* key;      ///< the key with its "="
    bool set;             ///< the key occurs in the text the launcher searches
    std::string value;
    int line;             ///< where the occurrence the launcher reads stands, or 0
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
    std::uint64_t fileSize = 0;
    std::size_t bytesRead = 0;      ///< at most 32000
    std::size_t bytesSeen = 0;      ///< up to the first zero byte
    /// The whole file, as far as the checker reads it (it looks beyond the launcher's
    /// 32000 bytes, to tell about keys the launcher never sees).
    std::string bytes;

    std::vector<SettingReport> settings;

    /// The text, settings and decision the launcher's own code worked out; only when the
    /// file was found.
    std::unique_ptr<AutorunText> text;
    LaunchSettings launch{};
    LaunchDecision decision{};
    /// When the product's key does not open in the launcher's view: the access with which it
    /// opens in another view, if it does.
    std::optional<REGSAM> otherView;
    std::optional<std::string> commandLine;
    std::optional<ProgramReport> program;

    std::vector<Finding> findings;
};

/// Why the check could not run at all.
struct CheckFailure {
    std::string message;
};

/// Reads FOLDER/autorun.inf as the launcher does, asks the registry as the launcher does
/// (nothing is started and nothing is written), and looks for traps. Throws CheckFailure
/// when the folder does not exist or the file cannot be read.
CheckReport CheckFolder(const std::string& folder);

/// The registry view an access asks for, in words ("the 64-bit view").
const char* ViewName(REGSAM access);

/// The registry root's name for a root handle ("HKEY_CURRENT_USER").
const char* RootName(HKEY root);

/// What a Win32 error code means, in a few words ("not found").
const char* ErrorMeaning(LONG error);

/// The code with its meaning, as the reports quote it ("error 2: not found").
std::string ErrorText(LONG error);

/// A registry value type's name ("REG_SZ"), or empty when it has none.
const char* TypeName(DWORD type);

/// The sentence that says why the decision came out as it did.
std::string ReasonText(const CheckReport& report);

} // namespace kova::check

#endif
