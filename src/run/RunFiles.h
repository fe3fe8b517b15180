// The files and readers of one conversion run, the checks that open them before the run
// (PrepareObsRun, PrepareMetRun) and CloseRunFiles, which closes them all. Every input is opened
// and checked before any output is created; outputs are temporaries until the run publishes
// them.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ashtech/BFileReader.h"
#include "ashtech/EFileReader.h"
#include "ashtech/IonFile.h"
#include "ashtech/SiteFile.h"
#include "rinex/MetWriter.h"
#include "rinex/NavHeader.h"
#include "rinex/ObsHeader.h"
#include "run/OutputTransaction.h"
#include "run/ProblemSink.h"

namespace kelvrant {

/// One input of a run: the stream (or none) and the name it was opened with, kept so that a
/// failed read can name the file.
struct RunFile {
    std::FILE* file = nullptr;
    std::string name;
    bool IsOpen() const { return file != nullptr; }
};

/// One written file set of an edited run: the observation file with the header it was given
/// and the number of epochs it holds, and, when the output is split, the navigation files of
/// its time span (not open when not written).
struct OutputPiece {
    OutputFile obs;
    ObsHeaderRecord header;
    std::int64_t epochs = 0;
    std::int64_t piece = 0;  ///< GPS day or hour number (0 unsplit)
    OutputFile nav;
    OutputFile navG;
};

/// The open files, readers and header records of one run. Every file is open or none. The
/// destructor closes whatever is still open and removes unpublished outputs.
struct RunFileSet {
    RunFileSet() = default;
    ~RunFileSet();
    RunFileSet(const RunFileSet&) = delete;
    RunFileSet& operator=(const RunFileSet&) = delete;

    // Inputs.
    RunFile BFile;      ///< "rb": raw observations
    RunFile EFile;      ///< "rb": ephemerides
    RunFile SFile;      ///< "r": site information
    RunFile IonFile;    ///< "rb": ionosphere and UTC parameters
    RunFile MetInFile;  ///< "r": met data

    // Outputs, written to temporaries and published together at the end of a good run.
    OutputFile ObsFile;     ///< RINEX observation file
    OutputFile NavFile;     ///< RINEX GPS navigation file
    OutputFile NavGFile;    ///< RINEX GLONASS navigation file
    OutputFile MetOutFile;  ///< RINEX met file
    /// An edited run's observation files (and a split run's navigation files), in time order;
    /// they replace ObsFile (and NavFile, NavGFile), whose temporaries are then dropped.
    std::vector<std::unique_ptr<OutputPiece>> Pieces;

    // Readers and records read from the inputs.
    BFileReader ObsReader;
    EFileReader NavReader;
    SiteRecord Site;
    IonRecord Ion;

    // The header records given to the RINEX writers, filled from the settings or the header
    // windows and from the readers above.
    ObsHeaderRecord ObsHeader;
    NavHeaderRecord NavHeader;
    MetHeaderRecord MetHeader;
};

namespace runtext {
inline constexpr std::string_view kMinimumFiles = "Minimum File Requirements";
inline constexpr std::string_view kNoOperation = "No Operation to Perform";
inline constexpr std::string_view kFileOpenError = "File Open Error";
inline constexpr std::string_view kErrorReadingFile = "Error Reading File";
inline constexpr std::string_view kErrorReadingBFile = "Error Reading B-File";
inline constexpr std::string_view kNavFileWarning = "Navigation File Warning";
inline constexpr std::string_view kGpsWeekError = "GPS Week Determination Error";

inline constexpr std::string_view kNoBFile = "A valid source B-File must be specified!";
inline constexpr std::string_view kNoOutput =
    "A RINEX output file (Observation or Navigation) must be specified.";
inline constexpr std::string_view kGlonassNeedsIon =
    "An output RINEX GLONASS Nav file requires an input ION File.";
inline constexpr std::string_view kCannotOpenObs = "Cannot Open Entered RINEX Observation File.";
inline constexpr std::string_view kCannotOpenNav = "Cannot Open Entered RINEX Navigation File.";
inline constexpr std::string_view kCannotOpenNavG =
    "Cannot Open Entered RINEX GLONASS Navigation File.";
inline constexpr std::string_view kCannotOpenIon = "Cannot Open Entered Ion-File.";
inline constexpr std::string_view kCannotReadIon = "Cannot initiate the reading of the Ion-File.";
inline constexpr std::string_view kCannotOpenSite = "Cannot Open Entered Site File.";
inline constexpr std::string_view kCannotReadSite = "Cannot initiate the reading of the Site-File.";
inline constexpr std::string_view kCannotOpenBFile = "Cannot Open Entered B-File.";
inline constexpr std::string_view kNoBFileHeader = "Cannot locate B-File Header.";
inline constexpr std::string_view kNotBFile = "File does not appear to be an Ashtech B-File.";
inline constexpr std::string_view kBadBFileVersion = "Invalid B-File verion .. Cannot Continue.";
inline constexpr std::string_view kBFileNoEpoch = "The B-File holds no readable epoch.";
inline constexpr std::string_view kBFileMostlyDamaged =
    "Most of the B-File is damaged; it cannot be converted.";
inline constexpr std::string_view kBFileWarning = "B-File Warning";
inline constexpr std::string_view kWeekWarning = "GPS Week Warning";
inline constexpr std::string_view kOutputConflict = "Output File Conflict";
inline constexpr std::string_view kOutputIsInput =
    "An output file is the same file as an input; nothing was written.";
inline constexpr std::string_view kOutputTwice =
    "Two outputs name the same file; nothing was written.";
inline constexpr std::string_view kFieldTooWide = "Value Does Not Fit";
inline constexpr std::string_view kBFileReadFailure = "General read failure.";
inline constexpr std::string_view kCannotOpenEFile = "Cannot Open Entered E-File.";
inline constexpr std::string_view kCannotReadEFile = "Cannot initiate the reading of the E-File.";
inline constexpr std::string_view kNoGpsWeek =
    "Start Time of data cannot be determined.\n  E-File required in this case to resolve "
    "GPS\n  week.\n";

inline constexpr std::string_view kNoMetInput =
    "A valid source Meteorological file must be specified!";
inline constexpr std::string_view kNoMetOutput =
    "A valid target RINEX Meteorological file must be specified!";
inline constexpr std::string_view kCannotOpenMetIn =
    "Cannot Open Entered Input Meteorological File.";
inline constexpr std::string_view kCannotOpenMetOut =
    "Cannot Open Entered Output Meteorological File.";
}  // namespace runtext

/// Weeks an E-file may span before the time-span warning is shown.
inline constexpr long kMaxNavWeekSpan = 5;

/// Closes every open file of the set in this order: B-file, E-file, S-file (the site record is
/// forgotten), ION file (the ION record is cleared), met input; then removes the temporaries of
/// outputs that were not published, leaving their final names as they were. Always true; the
/// list of failed outputs stays empty (write failures are reported when the run publishes).
bool CloseRunFiles(RunFileSet& files, std::vector<std::string>* failedOutputs = nullptr);

/// Publishes every open output of the run under its final name (see PublishOutputs). False
/// after reporting the output that could not be published; then nothing more is published.
bool PublishRunOutputs(RunFileSet& files, ProblemSink& problems);

/// Checks an observation/navigation job: opens and checks every input, refuses outputs that
/// are inputs or each other, then creates the outputs' temporaries; names may be empty where
/// optional. On the first failure the problem is reported, every file is closed (no output is
/// touched) and false is returned. An E-file spanning more than 5 weeks, an E-file week far
/// from the B-file's, and skipped damage in the B-file are reported as warnings.
bool PrepareObsRun(RunFileSet& files, ProblemSink& problems, const std::string& bFileName,
                   const std::string& eFileName, const std::string& navGFileName,
                   const std::string& navFileName, const std::string& obsFileName,
                   const std::string& ionFileName, const std::string& sFileName);

/// Checks a met job and opens its input and the output's temporary; false (files closed) after
/// reporting the first problem.
bool PrepareMetRun(RunFileSet& files, ProblemSink& problems, const std::string& metInFileName,
                   const std::string& metOutFileName);

/// Checks that every header value of the run's outputs fits its RINEX field; reports the first
/// that does not, naming the field and the file it came from, and returns false.
bool CheckHeaderFields(const RunFileSet& files, ProblemSink& problems);

/// "text", an empty line, the file's full path and, when given, ": " and the system's reason.
std::string FileProblem(std::string_view text, const std::string& name,
                        const std::string& reason = {});

}  // namespace kelvrant
