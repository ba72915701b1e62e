/// What autorun-check's reports call things, and the sentences both reports print: each a
/// table keyed by what the facts say, its wording filled in by named fields.
#ifndef KOVA_CHECKER_WORDING_H
#define KOVA_CHECKER_WORDING_H

#include "checker/DiscFacts.h"

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autorun::check {

/// A text a wording names "{name}".
struct Field {
    const char* name;
    std::string text;
};
using Fields = std::vector<Field>;

/// `wording` with each "{name}" replaced by the text of the field of that name. A wording
/// that names a field it is not given is a fault of its own: std::logic_error.
std::string Fill(std::string_view wording, const Fields& fields);
/// `wording` with every "{name}" shown as `shown`: how it reads where it stands for each
/// finding of its code, not one.
std::string FillAll(std::string_view wording, std::string_view shown);

/// What a Win32 error code means, in a few words ("not found"), and the code with it as the
/// reports quote it ("error 2: not found").
const char* ErrorMeaning(LONG error);
std::string ErrorText(LONG error);

/// A registry value type's name ("REG_SZ"), or empty when it has none.
const char* TypeName(DWORD type);

/// An access as Windows' headers spell it ("KEY_QUERY_VALUE | KEY_WOW64_64KEY").
std::string AccessName(REGSAM access);

/// Names in the JSON report: the action ("installed", "setup", "nothing"), the reason
/// ("setup-key-closed"), where the command line comes from ("setupName", "appPath", or
/// null), a query's role, how the versions stand ("older", or null when not compared).
const char* ActionName(LaunchAction action);
const char* ReasonName(LaunchReason reason);
const char* CommandSourceName(CommandSource source);
const char* RoleName(QueryRole role);
const char* VersionOrderName(VersionOrder order);

/// A version's numbers as the decision read them, joined by dots ("2.1.0").
std::string VersionText(const Version& version);

/// A file system of an image, as the reports give it ("udf"), and in words.
const char* FileSystemId(ImageFileSystem system);
const char* FileSystemName(ImageFileSystem system);

/// Where a program was found, in words ("the launcher's folder").
const char* PlaceWords(ProgramPlace place);

/// A kind of machine as the JSON report names it ("x86", "x64", "arm64", "arm64WithoutX64"),
/// and in words ("ARM64 Windows without x64 emulation").
const char* MachineId(Machine machine);
const char* MachineName(Machine machine);

/// A signature's key type ("RSA", "ECC"), and a time as the reports give it, in UTC
/// ("2026-12-10 00:00:00Z"); empty for none.
const char* KeyTypeName(KeyType type);
std::string TimeText(const std::optional<std::chrono::sys_seconds>& time);

/// A program's signature in a sentence: not signed; or by whom, with which key, whether it
/// holds, and its time stamp.
std::string SignatureSentence(const ProgramFacts& program);

/// The report's sentences: why the decision came out as it did; what the versions mean for
/// the launch (empty without "AppVersion="); what Windows' shell starts; how AutoPlay names
/// that program; what happens on a USB stick; why a program needs administrator rights or
/// not.
std::string ReasonSentence(const DiscFacts& facts);
std::string VersionSentence(const DiscFacts& facts);
std::string ShellStartSentence(const DiscFacts& facts);
std::string AutoPlaySentence(const DiscFacts& facts);
std::string RemovableDriveSentence(const DiscFacts& facts);
std::string ElevationSentence(const ProgramFacts& program);

} // namespace autorun::check

#endif
