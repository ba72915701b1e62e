/// The traps autorun-check tells a disc author about, found in the record of facts: every
/// finding is one entry of one table, with its code (scripts rely on it), its severity, its
/// check (a pure function of the facts) and its wording.
#ifndef KOVA_CHECKER_FINDINGS_H
#define KOVA_CHECKER_FINDINGS_H

#include "checker/DiscFacts.h"

#include <string>
#include <vector>

namespace autorun::check {

/// Info tells what the launcher does on this machine and needs no change; it does not make
/// the check fail.
enum class Severity { Info, Warning, Error };

/// A severity as the reports write it: "info", "warning" or "error".
const char* SeverityName(Severity severity);

struct Finding {
    std::string code;
    Severity severity;
    int line;            ///< 1-based, or 0 when the finding has no line
    std::string message; ///< what the launcher will do, in a sentence
    std::string fix;     ///< what to change, in a few words
};

/// Every finding the facts hold, in the order the reports give them.
std::vector<Finding> FindTraps(const DiscFacts& facts);

/// A code of the catalogue: its severities (one code may have two, each wording an entry
/// of its own) in the order of their entries, what it means, and the fix its first entry
/// names, with the names of the facts it fills in ("{key}").
struct FindingCode {
    const char* code;
    std::vector<Severity> severities;
    const char* summary;
    const char* fix;
};

/// Every code of the catalogue once, in its order.
std::vector<FindingCode> FindingCodes();

} // namespace autorun::check

#endif
