// What to convert: the file names, the output path, the run flags and the output options.
// One instance lives for the whole program; the command line, the dialogs, the parameter
// file and the run fill and read it.
#pragma once

#include <cstdint>
#include <string>

#include "convert/EpochEditor.h"
#include "geo/Clock.h"
#include "run/HeaderOverrides.h"
#include "settings/OutputFormat.h"

namespace kelvrant {

/// The program's own name: the PGM field of every RINEX file and the base name of the
/// configuration file and the background picture.
inline constexpr const char* kProgramName = "Kelvrant";

/// The quality check a run is asked for (all off: none).
struct QcRequest {
    bool report = false;        ///< <obsname>.qc.txt beside the outputs
    bool json = false;          ///< <obsname>.qc.json beside the outputs
    bool only = false;          ///< check without writing RINEX
    std::string plotDirectory;  ///< PNG and SVG plots, when not empty
    bool Any() const { return report || json || only || !plotDirectory.empty(); }
};

struct ConversionJob {
    std::string BFileName;
    std::string EFileName;
    std::string SFileName;
    std::string IonFileName;
    std::string MetInFileName;
    std::string ObsFileName;
    std::string NavFileName;
    std::string NavGFileName;
    /// The GLONASS navigation name was made by the automatic naming, not given.
    bool NavGAutoNamed = false;
    std::string MetOutFileName;
    std::string OutputPath;

    bool AutoParamMode = false;
    std::string AutoParamFileName;
    bool ObsRun = false;
    bool MetRun = false;
    bool RunMinimized = false;
    bool RunFinished = false;
    bool ForceNames = false;
    std::string ForcedSession;  ///< at most 15 characters
    std::string ForcedDay;      ///< at most 15 characters
    std::string ForcedYear;     ///< at most 15 characters

    bool ClockAdjust = true;
    bool SmoothCode = true;
    bool SiteChanges = true;
    std::int32_t OutputDoppler = 1;

    std::int32_t MetStartWeek = 0;
    double MetStartSeconds = 0.0;
    double MetUtcToGps = 0.0;

    bool SaveConfigOnExit = true;

    /// Folder of IGS site logs whose values fill the observation header (empty: none).
    std::string SiteLogDir;
    /// Header values of the command line, for this run only.
    HeaderOverrides Overrides;

    /// The quality check of the command line, for this run only.
    QcRequest Qc;
    /// The output format chosen on the command line, and the one the run writes (the
    /// configuration's or parameter file's, with the command line's choices over it).
    OutputFormatChoice FormatChoice;
    OutputFormat Format;
    /// The observation and navigation names were made from the B-file name; with long names
    /// they are replaced once the data's time span is known.
    bool ObsNamesAutomatic = false;
    /// Time window, decimation, split, observable and satellite selection of the observation
    /// output (none by default: every epoch in one file).
    EditOptions Editing;
};

/// A job with the start-up defaults; the met start time is today (UTC, from the clock) at
/// 00:00:00.1 as GPS week and seconds.
ConversionJob MakeDefaultJob(const Clock& clock);

}  // namespace kelvrant
