/// The launcher's decision: which key it opens, which values it asks for, and which
/// program it starts. The launcher carries it out; autorun-check reports it. Both run this
/// one piece of code, so they cannot disagree, and the decision is plain data that says
/// everything the report needs: nothing has to be searched, compared or ordered again.
#ifndef KOVA_LAUNCHER_LAUNCHDECISION_H
#define KOVA_LAUNCHER_LAUNCHDECISION_H

#include "launcher/LaunchSettings.h"
#include "launcher/Machine.h"
#include "launcher/ParseVersion.h"

#include <windows.h>

namespace autorun {

/// Registry data is read into buffers of this many characters: a text of 255 and its
/// terminator fit, or 256 without one.
constexpr DWORD kDataLength = 256;

/// The data buffer's size in bytes, as the query takes it.
constexpr DWORD kDataSize = kDataLength * sizeof(WCHAR);

/// Data that is not text (a number, bytes) is taken as 8-bit text in the ANSI code page,
/// as the "A" query always handed it over: at most this many bytes of it.
constexpr DWORD kMaxByteData = kDataLength;

/// Whether the registry hands a value of this type out as text (REG_SZ, REG_EXPAND_SZ,
/// REG_MULTI_SZ): in UTF-16 to the "W" query. Data of other types is bytes.
bool IsTextType(DWORD type);

/// What a registry query asks for.
enum class QueryRole {
    Version,   ///< the value that holds the installed version, for "AppVersion=" to compare with
    AutoStart, ///< the value that must hold "AutoStartValue=" for the program to start
    AppPath,   ///< the value that holds the installed program's command line
};

/// One registry query and its answer. The data buffer has a character more than the query
/// may fill, always zero, so that data without a terminator still ends inside it.
struct LaunchQuery {
    QueryRole role;
    const char* valueName;      ///< the setting that named the value (it lives in the settings)
    const WCHAR* wideValueName; ///< the same, as the query was given it
    /// RegQueryValueExW's result; for data that is not text, also ERROR_MORE_DATA when it
    /// holds more than kMaxByteData bytes, as the "A" query's buffer refused it.
    LONG status;
    DWORD valType;     ///< the value's type, as the query reported it
    DWORD lenKeyValue; ///< the byte count the query reported
    /// For the auto-start value: the query succeeded and its data is "AutoStartValue="'s.
    bool matched;
    /// The data as text: a text type's characters, or other data's bytes through the ANSI
    /// code page.
    WCHAR data[kDataLength + 1];
    /// A REG_DWORD's number, as its four bytes hold it (0 for data of other types).
    DWORD number;
};

enum class LaunchAction { Nothing, Installed, Setup };

/// Why the decision came out as it did; the checker turns this into a sentence.
enum class LaunchReason {
    SetupKeyClosed,       ///< the key did not open: the setup program starts
    NoSetupKeyClosed,     ///< the key did not open and no setup program is named
    SetupUpgrade,         ///< the key opened, but the installed version is older: setup upgrades it
    InstalledForced,      ///< the key opened and "AutoStart=" forces the start
    InstalledWanted,      ///< the key opened and the auto-start value matched
    AutoStartQueryFailed, ///< the key opened but the auto-start value could not be read
    AutoStartDiffers,     ///< the key opened but the auto-start value differs
    AppPathQueryFailed,   ///< the start was due but the program-path value could not be read
};

/// Where the command line handed to the start comes from.
enum class CommandSource {
    None,      ///< nothing starts
    SetupName, ///< a setup setting: the one LaunchDecision::setupKey names
    AppPath,   ///< the data of the program-path query
};

/// How the installed version stands against the disc's; Older, Equal and Newer follow one
/// another, as CompareVersions' -1, 0 and 1 do.
enum class VersionOrder {
    Unknown, ///< not compared: a version is missing or does not parse, or the key did not open
    Older,   ///< lower than the disc's: the setup program, if one is named, upgrades it
    Equal,
    Newer,
};

/// Whether the versions were compared, and when not, why not.
enum class VersionCause {
    NotSet,              ///< there is no "AppVersion=": no version is asked for
    DiscUnparsable,      ///< "AppVersion=" is not a version
    KeyClosed,           ///< the product's key did not open: nothing is installed to compare
    ValueUnread,         ///< the installed version's value could not be read (its query says why)
    InstalledUnparsable, ///< the installed version's value is not a version
    Compared,            ///< both are versions; `order` says how they stand
};

/// The versions the decision compared: the disc's "AppVersion=" and the installed one (a
/// count of 0 where there is none, or it does not parse), and how they stand.
struct VersionComparison {
    Version disc;
    Version installed;
    VersionOrder order;
    VersionCause cause;
};

struct LaunchDecision {
    HKEY root;
    REGSAM access;
    LONG openStatus; ///< RegOpenKeyExW's result: 0 means the key opened
    int queryCount;  ///< how many of `queries` were made, in the order they were made
    LaunchQuery queries[3];
    VersionComparison versions;
    LaunchAction action;
    LaunchReason reason;
    CommandSource commandSource;
    /// The setting that names the setup program for this machine ("SetupName=",
    /// "SetupNameX64=" or "SetupNameArm64=", by SetupFor), once the decision came to a setup:
    /// the key did not open, or the installed version is older. "SetupName=" before that.
    SettingKey setupKey;
    /// What Windows said it runs on, when the setup was chosen and the file names a setup
    /// for one machine; NotAsked otherwise.
    Machine machine;

    /// The query made for `role`, or null when it was not made.
    const LaunchQuery* Query(QueryRole role) const;
};

/// The exact text handed to the start, or null: the chosen setup setting's value or the
/// program-path data.
const WCHAR* CommandLine(const LaunchDecision& decision, const LaunchSettings& settings);

/// Starts a program (or, for the checker, only notes what would start).
using LaunchStart = void (*)(const WCHAR* commandLine);

/// Opens the product's key, asks for the values and calls `start` with the command line to
/// start, if any, while the key is still open; then closes the key. Everything it learns
/// goes into `decision`. Windows is asked what machine it runs on only when a setup is due
/// and the file names a setup for one machine (NamesMachineSetups).
void DecideLaunch(const LaunchSettings& settings, LaunchDecision& decision, LaunchStart start);

} // namespace autorun

#endif
