// The observation output of an edited run (time window, decimation, split, observable and
// satellite selection): every B-file epoch is converted, so that the clock-jump repair sees
// its neighbours, but only the epochs kept are formatted. Each file's epochs go to a scratch
// file first; its header, which must state what the file holds (first and last epoch, interval,
// satellites and counts), is written when the file is complete, followed by the epochs, through
// the output chain of the run's format (compact RINEX, gzip). A split run reads the E-file
// first (the quality check and the RINEX 3 headers need its records before the epochs) and
// then writes each piece's navigation files from the records valid in its span.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "qc/QualityCheck.h"
#include "rinex/LineWriter.h"
#include "rinex/Rinex3ObsWriter.h"
#include "run/ConversionJob.h"
#include "run/ProblemSink.h"
#include "run/Progress.h"
#include "run/RunFiles.h"

namespace kelvrant {

namespace runtext {
inline constexpr std::string_view kEditTitle = "Observation Selection";
inline constexpr std::string_view kNoChosenTypes =
    "None of the chosen observation types is in the B-file; nothing was written.";
inline constexpr std::string_view kNothingKept =
    "No epoch of the B-file is left after the selection; no observation file was written.";
}  // namespace runtext

/// The observation header as the edit shapes it: only the chosen observation types, and a GPS
/// header when every GLONASS satellite is excluded. False when no observation type is left.
bool ApplyEditToHeader(const EditOptions& edit, ObsHeaderRecord& header);

/// The header of one written file: the time of its first and last epoch, its interval (the
/// decimation step when it is longer than the data's), and its satellites' counts.
void DescribeWrittenData(const WrittenSummary& summary, const EditOptions& edit,
                         ObsHeaderRecord& header);

/// Whether a navigation record is valid in [start, end): a GPS ephemeris whose reference time
/// lies within two hours of it, a GLONASS one within 15 minutes.
bool NavRecordValidIn(const AshNavRecord& record, GpsSeconds start, GpsSeconds end);

/// Converts and writes the observation files of an edited run into files.Pieces (the unsplit
/// ObsFile temporary is dropped). `publish` is called with each percentage. False after a
/// reported failure or a stop.
/// The files are written in the run's format (RINEX version, compression); the quality check,
/// when given, sees the epochs kept. A run that only checks writes nothing.
bool EditedObservationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                            const ProgressState& stop, const std::function<void(double)>& publish,
                            const WriterOptions& writerOptions, const GlonassChannels& channels,
                            qc::QualityCheck* check);

/// A split run's navigation records, read before the observations: the check sees each, and
/// for RINEX 3 `channels` receives the GLONASS frequency channels.
std::vector<AshNavRecord> ReadSplitNavigation(const ConversionJob& job, RunFileSet& files,
                                              const ProgressState& stop, GlonassChannels& channels,
                                              qc::QualityCheck* check);

/// Writes each piece's navigation files (a split run) from `records`, then drops the unsplit
/// ones. RINEX 3 gives one mixed file per piece.
bool SplitNavigationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                          const WriterOptions& writerOptions,
                          const std::vector<AshNavRecord>& records);

/// Closes and removes an output's temporary and forgets its name: the run does not write it.
void DropOutput(OutputFile& out);

}  // namespace kelvrant
