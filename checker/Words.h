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

/// The sentence that says why the decision came out as it did.
std::string ReasonText(const CheckReport& report);

} // namespace kova::check

#endif
