/// The traps of an "autorun.inf" and of this machine's registry that autorun-check tells
/// a disc author about.
#ifndef KOVA_CHECKER_FINDINGS_H
#define KOVA_CHECKER_FINDINGS_H

#include "checker/CheckReport.h"

#include <string_view>

namespace kova::check {

/// The 1-based line of a byte offset: CR LF, LF and a lone CR each end a line.
int LineOf(std::string_view bytes, std::size_t offset);

/// Adds to `report.findings` every trap in its file, settings and registry answers.
void FindTraps(CheckReport& report);

} // namespace kova::check

#endif
