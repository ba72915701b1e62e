/// autorun-check's three forms of its report, plain text for a person, JSON for scripts and
/// SARIF for code-scanning services: each formats the facts and the findings, and decides
/// nothing.
#ifndef KOVA_CHECKER_REPORTWRITERS_H
#define KOVA_CHECKER_REPORTWRITERS_H

#include "checker/DiscFacts.h"
#include "checker/Findings.h"

#include <string>
#include <vector>

namespace autorun::check {

/// The report as text, in UTF-8.
std::string TextReport(const DiscFacts& facts, const std::vector<Finding>& findings);

/// The report as one JSON object, in UTF-8.
std::string JsonReport(const DiscFacts& facts, const std::vector<Finding>& findings);

/// The findings as one SARIF 2.1.0 log, in UTF-8: a rule for each code of the catalogue, a
/// result for each finding, located in autorun.inf (on its line) or in the image. A relative
/// path is given relative to %SRCROOT%, the folder the program runs in.
std::string SarifReport(const DiscFacts& facts, const std::vector<Finding>& findings);

} // namespace autorun::check

#endif
