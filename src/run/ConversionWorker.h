// The conversion worker body (navigation, observation and met stages) and the unattended
// starts that fill the header records from the settings. The window side owns the thread and
// polls the progress; headless runs call the worker directly.
#pragma once

#include <functional>
#include <string_view>

#include "convert/EpochConverter.h"
#include "geo/Clock.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/Progress.h"
#include "run/RunFiles.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

namespace runtext {
inline constexpr std::string_view kWriteErrorTitle = "File Write Error";
inline constexpr std::string_view kWriteError =
    "Cannot write the output file: the disk may be full or the file too large.";
inline constexpr std::string_view kGlonassNavSkipped =
    "The GLONASS navigation file needs the ION file and is not written.";
inline constexpr std::string_view kMetErrorTitle =
    "Terminating: Error Reading Meteorological Data.";
inline constexpr std::string_view kNoMetRecord =
    "The meteorological file holds no record to convert; nothing was written.";
inline constexpr std::string_view kCancelledTitle = "Conversion Cancelled";
inline constexpr std::string_view kCancelled = "Conversion cancelled; no files were written.";
}  // namespace runtext

/// The converter's options for the run: the B-file's data type and receiver, the job's
/// options, and the observables and start time of the header written.
ConvertOptions ConvertOptionsFor(const ConversionJob& job, const BFileHeader& bfile,
                                 const ObsHeaderRecord& header);

/// Prepares an unattended observation/navigation run from the job and the settings: clears
/// SaveConfigOnExit, opens and checks every file, fills the observation and navigation header
/// records. False when nothing is to run (a problem was reported, files closed).
bool StartObsAutoRun(ConversionJob& job, RunFileSet& files, const HeaderSettings& settings,
                     ProblemSink& problems);

/// The same for a met run (also sets the job's MetUtcToGps from the settings).
bool StartMetAutoRun(ConversionJob& job, RunFileSet& files, const HeaderSettings& settings,
                     ProblemSink& problems);

namespace qc {
class QualityCheck;
}
/// With RINEX 3 long names and names made from the B-file name: gives the observation and
/// navigation outputs (not yet published) and the job their long names, from the filled
/// observation header (station, first observation, span, interval).
void UseLongNames(ConversionJob& job, RunFileSet& files);

struct WorkerOptions {
    /// Wait 2000 ms after reporting a met reader error (an unattended windowed run, so the
    /// error window is seen before the program ends).
    bool pauseAfterMetError = false;
    /// Called on the worker thread after every published percentage (tests, terminals).
    std::function<void(double)> progressObserver;
    /// Dates the outputs' PGM / RUN BY / DATE lines (nullptr: the system clock).
    const Clock* clock = nullptr;
    /// When set, fed every navigation record and observation epoch of the run (not owned).
    qc::QualityCheck* qualityCheck = nullptr;
};

/// The worker body: checks the header values, writes the navigation files from the E-file, the
/// observation file from the B-file index (publishing the percentage and stopping after the
/// current epoch when a stop is requested), and the met file, then publishes every output under
/// its final name. Sets the progress done flag at the end. Returns false when a failure was
/// reported (a write error, a met reader error, a stop); then nothing is published and the
/// temporaries are removed.
bool RunConversionWorker(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                         ProgressState& progress, const WorkerOptions& options = {});

}  // namespace kelvrant
