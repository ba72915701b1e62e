/// What autorun-check's reports call things: error codes, value types, accesses, actions
/// and the decision's reason, each from one table.
#ifndef KOVA_CHECKER_WORDS_H
#define KOVA_CHECKER_WORDS_H

#include "checker/CheckReport.h"

#include <windows.h>

#include <string>

namespace kova::check {

/// What a Win32 error code means, in a few words ("not found").
const char* ErrorMeaning(LONG error);

/// The code with its meaning, as the reports quote it ("error 2: not found").
std::string ErrorText(LONG error);

/// A registry value type's name ("REG_SZ"), or empty when it has none.
const char* TypeName(DWORD type);

/// An access as Windows' headers spell it ("KEY_QUERY_VALUE | KEY_WOW64_64KEY").
std::string AccessName(REGSAM access);

/// The action's name in the JSON report: "installed", "setup" or "nothing".
const char* ActionName(autorun::LaunchAction action);

/// The reason's name in the JSON report ("setup-key-closed").
const char* ReasonName(autorun::LaunchReason reason);

/// Where the command line comes from, in the JSON report: "setupName", "appPath", or null.
const char* CommandSourceName(autorun::CommandSource source);

/// A severity as both reports write it: "info", "warning" or "error".
const char* SeverityName(Severity severity);

/// A version's numbers as the decision read them, joined by dots ("2.1.0").
std::string VersionText(const autorun::Version& version);

/// How the installed version stands against the disc's, in the JSON report: "older",
/// "equal", "newer", or null (empty) when they were not compared.
const char* VersionOrderName(autorun::VersionOrder order);

/// The sentence that says what the versions mean for the launch; empty without
/// "AppVersion=".
std::string VersionSentence(const CheckReport& report);

/// The sentence that says why the decision came out as it did.
std::string ReasonText(const CheckReport& report);

/// What Windows' shell starts from the disc, in a sentence.
std::string ShellStartText(const CheckReport& report);

/// How AutoPlay names the program the shell starts: its description and its signer.
std::string AutoPlayNameText(const CheckReport& report);

/// What happens on a USB stick or an external hard disc, for every disc.
std::string RemovableDriveText(const CheckReport& report);

/// The name of a file system of an image, as the reports give it ("udf", "joliet",
/// "iso9660"), and in words.
const char* FileSystemId(ImageFileSystem system);
const char* FileSystemName(ImageFileSystem system);

} // namespace kova::check

#endif
