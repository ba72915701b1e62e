#include "checker/FindingCatalogue.h"

namespace kova::check {

namespace {

constexpr Severity I = Severity::Info;
constexpr Severity W = Severity::Warning;
constexpr Severity E = Severity::Error;

} // namespace

const std::vector<FindingEntry>& FindingCatalogue()
{
    // Texts of the checks: a key is quoted with its "=" ("\"AppKey=\""), a value with
    // Quote(); limits come from the launcher's constants.
    static const std::vector<FindingEntry> catalogue = {
        {FindingId::NoAutorunInf, "no-autorun-inf", E,
         "there is no autorun.inf in {1}, so the launcher does nothing",
         "put autorun.inf beside the launcher, at the disc's root"},
        {FindingId::AutorunInfUnreadable, "autorun-inf-unreadable", E,
         "{1} exists but cannot be read ({2}), so the launcher does nothing, as without the file",
         "make autorun.inf a plain file that every user can read"},
        {FindingId::Utf16NotRead, "utf16-not-read", E,
         "autorun.inf is UTF-16 text, {1}; the launcher reads UTF-16 only little-endian and with "
         "its "
         "byte-order mark, and finds no key in this file",
         "save the file as UTF-8, or as UTF-16 LE with its byte-order mark"},
        {FindingId::AnsiNonAscii, "ansi-non-ascii", W,
         "autorun.inf is 8-bit text with a letter beyond ASCII at byte {1}; the launcher reads it "
         "in "
         "the machine's own code page, so it reads differently on a machine with another one",
         "save the file as UTF-8"},
        {FindingId::Utf8BomHidesSection, "utf8-bom-hides-section", W,
         "the UTF-8 byte-order mark stands directly before \"[autorun]\"; Windows' own reader of "
         "such files has been reported not to see a section on the mark's line, so AutoPlay may "
         "not "
         "offer the launcher",
         "leave the first line empty, or save the file as UTF-8 without the mark"},
        {FindingId::ZeroByte, "zero-byte", W,
         "a zero byte at byte {1} ends the text the launcher searches; nothing after it is seen",
         "remove the zero byte"},
        {FindingId::KeyFirstOccurrence, "key-first-occurrence", E,
         "{1} first occurs {2} on line {3}; the launcher reads {4} from there, not the line {5} "
         "that looks right",
         "reword the earlier text so that it does not contain {1}"},
        {FindingId::KeyInsideLine, "key-inside-line", W,
         "{1} stands {2} on line {3}; the launcher reads it all the same",
         "put the key at the start of a line of its own, or remove it"},
        {FindingId::KeyRepeated, "key-repeated", W,
         "line {1} sets {2} again; the launcher reads only its first occurrence, on line {3}",
         "keep one line for {2}"},
        {FindingId::KeyBeyondLimit, "key-beyond-32000", E,
         "{1} begins at byte {2}, beyond the first {3} bytes, which are all the launcher reads",
         "move the key to the start of the file"},
        {FindingId::KeyAfterZeroByte, "key-after-zero-byte", E,
         "{1} on line {2} comes after a zero byte (byte {3}), where the launcher's text ends",
         "remove the zero byte"},
        {FindingId::KeyWrongCase, "key-wrong-case", E,
         "{1} on line {2} is not read: keys are case-sensitive, and the launcher looks for {3}",
         "write it as {3}"},
        {FindingId::KeyBlankBeforeEquals, "key-blank-before-equals", E,
         "{1} on line {2} is not read: the launcher looks for {3}, with nothing between the name "
         "and \"=\"",
         "remove the blanks before \"=\""},
        {FindingId::ValueCutAtLimit, "value-cut-at-32000", E,
         "the value of {1} runs past byte {2}; the launcher reads only {3}",
         "move the key to the start of the file"},
        {FindingId::ValueCutAtZeroByte, "value-cut-at-zero-byte", E,
         "the value of {1} ends at a zero byte; the launcher reads only {2}",
         "remove the zero byte"},
        {FindingId::ValueTooLong, "value-too-long", E,
         "the value of {1} has {2} characters; the launcher keeps only the first {3}",
         "shorten the value to {3} characters or fewer"},
        {FindingId::ValueTrailingBlank, "value-trailing-blank", W,
         "the value of {1} ends in blanks or tabs, which are part of it: {2}",
         "remove the blanks at the end of line {3}"},
        {FindingId::ValueLeadingBlank, "value-leading-blank", W,
         "the value of {1} begins with blanks or tabs, which are part of it: {2}",
         "remove the blanks after \"=\""},
        {FindingId::RootUnknown, "root-unknown", E,
         "AppRegistry= is {1}, which is not exactly a root's name, so the current user's root "
         "(HKEY_CURRENT_USER) is used instead",
         "write HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS, HKEY_CLASSES_ROOT or "
         "HKEY_CURRENT_CONFIG exactly"},
        {FindingId::RootUnknownMeant, "root-unknown", E,
         "AppRegistry= is {1}, which is not exactly a root's name, so the current user's root "
         "(HKEY_CURRENT_USER) is used instead",
         "write AppRegistry={2} exactly"},
        {FindingId::RootUnknownMeantCurrentUser, "root-unknown", W,
         "AppRegistry= is {1}, which is not exactly a root's name, so the current user's root "
         "(HKEY_CURRENT_USER) is used instead",
         "write AppRegistry={2} exactly"},
        {FindingId::ViewUnknown, "view-unknown", W,
         "AppRegistryView= is {1}, which is neither 64 nor 32, so the launcher opens the key in "
         "its own view",
         "write AppRegistryView=64 or AppRegistryView=32, or remove the line"},
        {FindingId::ViewUnknownMeant, "view-unknown", W,
         "AppRegistryView= is {1}, which is neither 64 nor 32, so the launcher opens the key in "
         "its own view",
         "write AppRegistryView={2} exactly"},
        {FindingId::AppKeyEmpty, "appkey-empty", E,
         "AppKey= is empty or missing: the root itself opens, so the product always counts as "
         "installed and setup never starts",
         "set AppKey= to the product's key, e.g. Software\\Maker\\Product"},
        {FindingId::AppKeyLeadingBackslash, "appkey-leading-backslash", E,
         "AppKey= begins with a backslash; Windows does not open such a path, so the product "
         "always counts as absent and setup starts every time",
         "remove the leading backslash"},
        {FindingId::AppKeyRepeatsRoot, "appkey-repeats-root", E,
         "AppKey= begins with a root's name; the key is looked for below the root that "
         "AppRegistry= names, so it never opens and setup starts every time",
         "give the root in AppRegistry= and only the path below it in AppKey="},
        {FindingId::AutoStartDefaultValue, "autostart-default-value", W,
         "neither AutoStart= nor AutoStartValueName= is set: the installed program starts only "
         "if the key's default value equals AutoStartValue= ({1})",
         "set AutoStartValueName= and AutoStartValue=, or AutoStart=1"},
        {FindingId::AutoStartAnyValue, "autostart-any-value", W,
         "AutoStart= is {1}: any value that is not empty forces the start of the installed "
         "program, this one too",
         "remove the AutoStart= line to let the registry decide"},
        {FindingId::AppPathDefaultValue, "apppath-default-value", W,
         "AppPathValueName= is not set: the installed program's command line is read from the "
         "key's default value",
         "set AppPathValueName= to the value that holds the program's command line"},
        {FindingId::SetupNotSet, "setup-not-set", W,
         "SetupName= is not set: on a machine without the product nothing starts",
         "set SetupName= to the setup program on the disc"},
        {FindingId::SetupNotFound, "setup-not-found", E,
         "SetupName= names {1}, which is not on the disc (nor anywhere else the launcher looks)",
         "copy the setup program to the disc, or correct SetupName="},
        {FindingId::KeyInOtherView, "key-in-other-view", E,
         "on this machine the product's key is not in {1} but in {2} (a 64-bit installer writes "
         "there), so setup starts although the product is installed",
         "add the line AppRegistryView={3}"},
        {FindingId::KeyOpenFailed, "key-open-failed", W,
         "on this machine the product's key does not open ({1}), so the product counts as "
         "absent even if it is installed",
         "check the key's permissions, or choose a key every user can read"},
        {FindingId::AutoStartValueMissing, "autostart-value-missing", W,
         "on this machine the product's key has no value {1}, so the installed program does not "
         "start",
         "have the installer write that value, or correct AutoStartValueName="},
        {FindingId::AutoStartValueUnreadable, "autostart-value-unreadable", W,
         "on this machine the value {1} cannot be read ({2}), so the installed program does not "
         "start",
         "keep the value a short text"},
        {FindingId::AutoStartValueDiffers, "autostart-value-differs", W,
         "on this machine the value {1} holds {2}, not {3}, so the installed program does not "
         "start",
         "make AutoStartValue= what the installer writes"},
        {FindingId::AutoStartValueDiffersByBlanks, "autostart-value-differs", W,
         "on this machine the value {1} holds {2}, not {3}, so the installed program does not "
         "start",
         "remove the blanks around AutoStartValue='s value"},
        {FindingId::AppPathMissing, "app-path-missing", E,
         "on this machine the product's key has no value {1}, so the installed program cannot "
         "start",
         "have the installer write that value, or correct AppPathValueName="},
        {FindingId::AppPathTooLong, "app-path-too-long", E,
         "on this machine the value {1} holds {2} characters, more than the {3} the launcher's "
         "buffer takes, so the installed program cannot start",
         "keep the program's command line under {3} characters"},
        {FindingId::AppPathUnreadable, "app-path-unreadable", E,
         "on this machine the value {1} cannot be read ({2})", "check the value in the registry"},
        {FindingId::InstalledProgramNotFound, "installed-program-not-found", E,
         "on this machine the installed program {1} does not exist, so the launcher starts nothing",
         "correct the command line the installer writes, or reinstall the product"},
        {FindingId::UnquotedPath, "unquoted-path", W,
         "the {1} program's path {2} holds a blank and has no quotes, so Windows tries {3} first; "
         "a program put there later would start instead",
         "put the program's path in double quotes{4}"},
        {FindingId::UnquotedPathTaken, "unquoted-path", E,
         "the {1} program's path {2} holds a blank and has no quotes, so Windows tries {3} first, "
         "and {5} exists here: that program starts instead",
         "put the program's path in double quotes{4}, and remove {5}"},
        // The shell's lines: {1} is the line's number, {2} what it names.
        {FindingId::ShellSectionMissing, "autorun-section-missing", E,
         "the file has no [autorun] section, so no version of Windows offers to start anything "
         "from the disc",
         "begin the shell's lines (open=autorun.exe, icon=, label=, action=) with a line "
         "[autorun]"},
        {FindingId::ShellStartMissing, "autorun-open-missing", E,
         "the [autorun] section on line {1} has neither open= nor shellexecute= (or an empty one), "
         "so Windows "
         "has nothing to start",
         "add the line open=autorun.exe to the [autorun] section"},
        {FindingId::ShellStartsOtherProgram, "autorun-open-other-program", W,
         "{3}= on line {1} starts {2}, not the launcher, so Windows starts that program and the "
         "launcher's settings are never read",
         "write open=autorun.exe, if the launcher is to decide what starts"},
        {FindingId::ShellStartNotFound, "autorun-open-not-found", E,
         "{3}= on line {1} names {2}, which is not on the disc, so AutoRun starts nothing (every "
         "version of Windows)",
         "copy the program to the disc, or correct {3}="},
        {FindingId::ShellStartNotOnDisc, "autorun-open-not-on-disc", W,
         "{3}= on line {1} names {2}, which is not on the disc but was found on this machine "
         "({4}); "
         "another machine may not have it",
         "put the program on the disc and name it from the disc's root"},
        {FindingId::ShellIconNotFound, "autorun-icon-not-found", W,
         "icon= on line {1} names {2}, which is not on the disc, so Explorer shows the drive's "
         "usual icon",
         "copy the icon file to the disc, or correct icon="},
        {FindingId::ShellIconNotBesideStart, "autorun-icon-not-beside-open", W,
         "icon= on line {1} names {2}, which is not in the folder of the program {4}= starts "
         "({3}); Windows "
         "looks for the icon beside that program and shows the drive's usual icon",
         "put the icon file in the folder of the program open= names, and name it from there"},
        {FindingId::ShellLabelTooLong, "autorun-label-too-long", W,
         "label= on line {1} has {2} characters; Windows shows only the first 32: {3}",
         "shorten the label to 32 characters or fewer"},
        {FindingId::ShellActionMissing, "autorun-action-missing", W,
         "the [autorun] section has no action= line: on Windows XP (Service Pack 2 and later) and "
         "Windows Vista, "
         "AutoPlay then offers no entry to start the program from a removable drive",
         "add action= with the words AutoPlay shows, for example action=Install or run the "
         "product"},
        {FindingId::ShellUseAutoPlay, "autorun-useautoplay", W,
         "UseAutoPlay= on line {1} is {2}: since Windows Vista, AutoPlay then leaves the AutoRun "
         "entry out of "
         "its dialog on CD and DVD drives",
         "remove the UseAutoPlay= line"},
        // A disc image: {1} the name autorun.inf uses, {2} the line, {3} the name on the image.
        {FindingId::ImageName83, "image-name-iso9660", E,
         "{1} (line {2}) is {3} on the image: the image has only ISO 9660 names (upper case, 8 "
         "characters and "
         "an extension of 3), no Joliet names, so Windows shows no file {1}",
         "make the image with Joliet names (genisoimage -J, xorriso -as mkisofs -J) or with UDF"},
        {FindingId::ImageName83Unmatched, "image-name-iso9660", E,
         "{1} (line {2}) is not on the image under that name: the image has only ISO 9660 names "
         "(upper case, "
         "8 characters and an extension of 3), no Joliet names, and this name is not one of them",
         "make the image with Joliet names (genisoimage -J, xorriso -as mkisofs -J) or with UDF"},
        {FindingId::ImageNameCut64, "image-name-cut-64", E,
         "{1} (line {2}) is {3} on the image: Joliet names hold 64 characters, so the image maker "
         "cut it, "
         "and Windows shows no file {1}",
         "shorten the name to 64 characters or fewer (and autorun.inf with it), or make the image "
         "with UDF"},
        {FindingId::ImagePathTooDeep, "image-path-too-deep", E,
         "{1} (line {2}) lies {3} folders below the root; an ISO 9660 image holds folders only 8 "
         "levels "
         "deep, the root being the first, so the file is not where Windows looks",
         "move the file nearer the root, or make the image with UDF"},
        {FindingId::ImageUdfDiffers, "image-udf-iso-differ", W,
         "the image holds UDF and ISO 9660 names, and they differ ({1}); Windows reads the UDF "
         "names, older "
         "systems and other readers the ISO 9660 ones",
         "make both from the one folder, with the same names"},
        {FindingId::ImageNamesLeftOut, "image-names-unusable", W,
         "the image holds {1} entries under names no Windows file can have ({2}); they were left "
         "out of the check",
         "rename them in the folder the image is made from"},
        {FindingId::AppVersionUnparsable, "app-version-unparsable", E,
         "AppVersion= is {1}, which is not a version (one to four numbers separated by dots, "
         "as 2.1 or 2.1.0.417), so the launcher compares no versions and never upgrades an "
         "older installation",
         "write the disc's version as numbers separated by dots, e.g. AppVersion=2.1.0"},
        {FindingId::AppVersionValueNameIgnored, "app-version-value-name-ignored", W,
         "AppVersionValueName= is set, but AppVersion= is not, so the launcher reads no "
         "installed version and never upgrades an older installation",
         "add AppVersion= with the version of the product on this disc, or remove "
         "AppVersionValueName="},
        {FindingId::AppVersionDefaultValue, "app-version-default-value", W,
         "AppVersionValueName= is not set: the installed version is read from the key's default "
         "value",
         "set AppVersionValueName= to the value in which the installer writes its version "
         "(DisplayVersion, say)"},
        {FindingId::InstalledVersionMissing, "installed-version-unknown", W,
         "on this machine the product's key has no value {1}, so the launcher cannot tell an "
         "older installation from a newer one and does not upgrade it",
         "have the installer write its version there, or correct AppVersionValueName="},
        {FindingId::InstalledVersionUnreadable, "installed-version-unknown", W,
         "on this machine the value {1} cannot be read ({2}), so the launcher cannot tell an "
         "older installation from a newer one and does not upgrade it",
         "keep the installed version a short text"},
        {FindingId::InstalledVersionUnparsable, "installed-version-unknown", W,
         "on this machine the value {1} holds {2}, which is not a version, so the launcher "
         "cannot tell an older installation from a newer one and does not upgrade it",
         "have the installer write the version as numbers separated by dots (2.1.0), or name "
         "another value in AppVersionValueName="},
        {FindingId::InstalledVersionNewer, "installed-version-newer", I,
         "on this machine the installed version {1} is newer than the disc's {2}, so the "
         "launch goes on as for any installed product: the disc never downgrades it",
         "nothing to change, unless the disc should carry a newer version"},
    };
    return catalogue;
}

std::string FillIn(const char* pattern, const std::vector<std::string>& texts)
{
    std::string out;
    for (const char* at = pattern; *at != '\0'; ++at) {
        if (at[0] == '{' && at[1] >= '1' && at[1] <= '9' && at[2] == '}' &&
            static_cast<std::size_t>(at[1] - '1') < texts.size()) {
            out += texts[static_cast<std::size_t>(at[1] - '1')];
            at += 2;
        } else {
            out += *at;
        }
    }
    return out;
}

Finding MakeFinding(const Found& found)
{
    const FindingEntry& entry = FindingCatalogue()[static_cast<std::size_t>(found.id)];
    return {entry.code, entry.severity, found.line, FillIn(entry.message, found.texts),
            FillIn(entry.fix, found.texts)};
}

} // namespace kova::check
