/// Every finding autorun-check can report: its code (scripts rely on it), its severity and
/// its wording, in one table. A check names an entry and gives the texts that fill it.
#ifndef KOVA_CHECKER_FINDINGCATALOGUE_H
#define KOVA_CHECKER_FINDINGCATALOGUE_H

#include "checker/CheckReport.h"

#include <string>
#include <vector>

namespace kova::check {

/// The entries of the catalogue. Where one code has two wordings (a fix that can name
/// what was meant, or not), each wording is an entry of its own.
enum class FindingId {
    NoAutorunInf,
    AutorunInfUnreadable,
    Utf16NotRead,
    AnsiNonAscii,
    Utf8BomHidesSection,
    ZeroByte,
    KeyFirstOccurrence,
    KeyInsideLine,
    KeyRepeated,
    KeyBeyondLimit,
    KeyAfterZeroByte,
    KeyWrongCase,
    KeyBlankBeforeEquals,
    ValueCutAtLimit,
    ValueCutAtZeroByte,
    ValueTooLong,
    ValueTrailingBlank,
    ValueLeadingBlank,
    RootUnknown,
    RootUnknownMeant,
    RootUnknownMeantCurrentUser,
    ViewUnknown,
    ViewUnknownMeant,
    AppKeyEmpty,
    AppKeyLeadingBackslash,
    AppKeyRepeatsRoot,
    AutoStartDefaultValue,
    AutoStartAnyValue,
    AppPathDefaultValue,
    SetupNotSet,
    SetupNotFound,
    KeyInOtherView,
    KeyOpenFailed,
    AutoStartValueMissing,
    AutoStartValueUnreadable,
    AutoStartValueDiffers,
    AutoStartValueDiffersByBlanks,
    AppPathMissing,
    AppPathTooLong,
    AppPathUnreadable,
    InstalledProgramNotFound,
    UnquotedPath,
    UnquotedPathTaken,
    // What Windows' shell reads before the launcher runs.
    ShellSectionMissing,
    ShellStartMissing,
    ShellStartsOtherProgram,
    ShellStartNotFound,
    ShellStartNotOnDisc,
    ShellIconNotFound,
    ShellIconNotBesideStart,
    ShellLabelTooLong,
    ShellActionMissing,
    ShellUseAutoPlay,
    // What a disc image holds, as Windows reads it.
    ImageName83,
    ImageName83Unmatched,
    ImageNameCut64,
    ImagePathTooDeep,
    ImageUdfDiffers,
    ImageNamesLeftOut,
    AppVersionUnparsable,
    AppVersionValueNameIgnored,
    AppVersionDefaultValue,
    InstalledVersionMissing,
    InstalledVersionUnreadable,
    InstalledVersionUnparsable,
    InstalledVersionNewer,
};

struct FindingEntry {
    FindingId id;
    const char* code;
    Severity severity;
    /// What the launcher will do, and the fix; "{1}" to "{9}" stand for the check's texts.
    const char* message;
    const char* fix;
};

/// The whole catalogue, in the order of FindingId.
const std::vector<FindingEntry>& FindingCatalogue();

/// What a check found: which entry, on which line (0 for none), and the texts for it.
struct Found {
    FindingId id;
    int line;
    std::vector<std::string> texts;
};

/// The finding a check's result stands for, its wording filled in.
Finding MakeFinding(const Found& found);

/// `pattern` with "{1}" to "{9}" replaced by `texts` (a missing text stays as it is).
std::string FillIn(const char* pattern, const std::vector<std::string>& texts);

} // namespace kova::check

#endif
