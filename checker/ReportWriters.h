/// autorun-check's two forms of its report: plain text for a person, JSON for scripts.
#ifndef KOVA_CHECKER_REPORTWRITERS_H
#define KOVA_CHECKER_REPORTWRITERS_H

#include "checker/CheckReport.h"

#include <string>

namespace kova::check {

/// The report as text, in the machine's ANSI code page.
std::string TextReport(const CheckReport& report);

/// The report as one JSON object, in UTF-8.
std::string JsonReport(const CheckReport& report);

} // namespace kova::check

#endif
