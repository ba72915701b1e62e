/// The launcher's decision: which key it opens, which values it asks for, and which
/// program it starts. The launcher carries it out; autorun-check reports it. Both run this
/// one piece of code, so they cannot disagree.
#ifndef KOVA_LAUNCHER_LAUNCHDECISION_H
#define KOVA_LAUNCHER_LAUNCHDECISION_H

#include "launcher/LaunchSettings.h"

#include <windows.h>

/// Registry data is read into buffers of this size.
constexpr DWORD kDataSize = 256;

/// One registry query and its answer. The data buffer has a byte more than the query may
/// fill, always zero, so that data without a terminator still ends inside it.
struct LaunchQuery {
    const char* valueName; ///< the setting that named the value
    LONG status;           ///< RegQueryValueExA's result
    DWORD valType;         ///< the value's type, as the query reported it (never used)
    DWORD lenKeyValue;     ///< the byte count the query reported
    char data[kDataSize + 1];
};

enum class LaunchAction { Nothing, Installed, Setup };

/// Why the decision came out as it did; the checker turns this into a sentence.
enum class LaunchReason {
    SetupKeyClosed,        ///< the key did not open: the setup program starts
    NoSetupKeyClosed,      ///< the key did not open and no setup program is named
    InstalledForced,       ///< the key opened and "AutoStart=" forces the start
    InstalledWanted,       ///< the key opened and the auto-start value matched
    AutoStartQueryFailed,  ///< the key opened but the auto-start value could not be read
    AutoStartDiffers,      ///< the key opened but the auto-start value differs
    AppPathQueryFailed,    ///< the start was due but the program-path value could not be read
};

struct LaunchDecision {
    HKEY root;
    REGSAM access;
    LONG openStatus; ///< RegOpenKeyExA's result: 0 means the key opened
    int queryCount;  ///< how many of `queries` were made (0 to 2, in order)
    LaunchQuery queries[2];
    LaunchAction action;
    LaunchReason reason;
    /// The exact text handed to the start, or null: the setup name or a query's data.
    const char* commandLine;
};

/// Starts a program (or, for the checker, only notes what would start).
using LaunchStart = void (*)(const char* commandLine);

/// Opens the product's key, asks for the values and calls `start` with the command line to
/// start, if any, while the key is still open; then closes the key. Everything it learns
/// goes into `decision`, whose command line points into `settings` or into the decision.
void DecideLaunch(const LaunchSettings& settings, LaunchDecision& decision, LaunchStart start);

#endif
