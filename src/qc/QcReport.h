// The quality check written out: a plain-text summary laid out as geodesists' QC summaries
// are (header block, one line per satellite, totals, elevation table), the same as JSON, and
// the one line a headless run prints.
#pragma once

#include <string>

#include "qc/QcSummary.h"

namespace kelvrant::qc {

std::string ReportText(const QcSummary& q);
std::string ReportJson(const QcSummary& q);
/// "completeness 99.65 %, slips 3, MP1 0.123 m, MP2 0.234 m"
std::string SummaryLine(const QcSummary& q);

}  // namespace kelvrant::qc
