/// autorun-check's two forms of its report, plain text for a person and JSON for scripts:
/// both format the facts and the findings, and decide nothing.
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

} // namespace autorun::check

#endif
