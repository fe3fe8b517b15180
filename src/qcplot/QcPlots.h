// Plots of the quality check, drawn with Qt Charts off screen and written as PNG and SVG:
// the sky plot (tracks coloured by signal strength), satellite availability over time with
// gaps and slips marked, MP1/MP2 against elevation and signal strength against elevation.
// Works without a display: when no Qt application runs yet, one is made for the drawing on
// the off-screen platform.
#pragma once

#include <string>
#include <vector>

#include "qc/QcSummary.h"

class QChart;

namespace kelvrant::qcplot {

/// The base names of the plots, each written as NAME.png and NAME.svg.
inline const std::vector<std::string> kPlotNames = {"qc-sky", "qc-availability", "qc-multipath",
                                                    "qc-snr"};

/// The charts of the plots, in the order of kPlotNames (the caller owns them).
std::vector<QChart*> MakeCharts(const qc::QcSummary& summary);

/// Writes every plot into `directory` (created when missing). False with `error` set (file
/// name and reason) when a file cannot be written.
bool WritePlots(const qc::QcSummary& summary, const std::string& directory, std::string& error);

}  // namespace kelvrant::qcplot
