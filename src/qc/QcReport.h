// The quality check written out: a plain-text summary laid out as geodesists' QC summaries
// are (header block, one line per satellite, totals, elevation table), the same as JSON
// (the run summary's one line is made in run/RunSummary).
#pragma once

#include <string>

#include "qc/QcSummary.h"

namespace kelvrant::qc {

std::string ReportText(const QcSummary& q);
std::string ReportJson(const QcSummary& q);

}  // namespace kelvrant::qc
