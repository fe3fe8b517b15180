// The files and readers of one conversion run, the checks that open them before the run
// (PrepareObsRun, PrepareMetRun) and CloseRunFiles, which closes them all and deletes the
// scratch index file.
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
#include "run/ProblemSink.h"

namespace kelvrant {

/// One file of a run: the stream (or none) and the name it was opened with, kept so that a
/// failed read or write can name the file.
struct RunFile {
    std::FILE* file = nullptr;
    std::string name;
    /// The stream's own buffer when it was given a larger one than the default (outputs);
    /// released after the stream is closed.
    std::unique_ptr<char[]> buffer;
    bool IsOpen() const { return file != nullptr; }
};

/// The open files, readers and header records of one run. Every file is open or none. The
/// destructor closes whatever is still open (and deletes the scratch file).
struct RunFileSet {
    RunFileSet() = default;
    ~RunFileSet();
    RunFileSet(const RunFileSet&) = delete;
    RunFileSet& operator=(const RunFileSet&) = delete;

    // Inputs.
    RunFile BFile;        ///< "rb": raw observations
    RunFile ScratchFile;  ///< "w+b": the epoch index built by the B-file reader; deleted at close
    RunFile EFile;        ///< "rb": ephemerides
    RunFile SFile;        ///< "r": site information
    RunFile IonFile;      ///< "rb": ionosphere and UTC parameters
    RunFile MetInFile;    ///< "r": met data

    // Outputs, all "w+b".
    RunFile ObsFile;     ///< RINEX observation file
    RunFile NavFile;     ///< RINEX GPS navigation file
    RunFile NavGFile;    ///< RINEX GLONASS navigation file
    RunFile MetOutFile;  ///< RINEX met file

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
inline constexpr std::string_view kCannotOpenScratch = "Cannot open scratch file for B-File.";
inline constexpr std::string_view kCannotWriteScratch = "Cannot write scratch file for B-File.";
inline constexpr std::string_view kNoBFileHeader = "Cannot locate B-File Header.";
inline constexpr std::string_view kNotBFile = "File does not appear to be an Ashtech B-File.";
inline constexpr std::string_view kBadBFileVersion = "Invalid B-File verion .. Cannot Continue.";
inline constexpr std::string_view kBFileTooLarge =
    "B-File is too large to be converted (more than 2 GB).";
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

/// Closes every open file of the set in this order: B-file, scratch file (deleted from disk),
/// E-file, S-file (the site record is forgotten), ION file (the ION record is cleared), met
/// input, observation, navigation, GLONASS navigation and met outputs. True when every output
/// was flushed and closed without error; otherwise false, and the names of the outputs that
/// failed are added to `failedOutputs` when given.
bool CloseRunFiles(RunFileSet& files, std::vector<std::string>* failedOutputs = nullptr);

/// Checks an observation/navigation job and opens all its files; names may be empty where
/// optional. On the first failure the problem is reported, every file is closed (outputs
/// already created stay, empty; the scratch file is deleted) and false is returned. An E-file
/// spanning more than 5 weeks is reported as a warning and the run goes on.
bool PrepareObsRun(RunFileSet& files, ProblemSink& problems, const std::string& bFileName,
                   const std::string& eFileName, const std::string& navGFileName,
                   const std::string& navFileName, const std::string& obsFileName,
                   const std::string& ionFileName, const std::string& sFileName);

/// Checks a met job and opens its input and output; false (files closed) after reporting the
/// first problem.
bool PrepareMetRun(RunFileSet& files, ProblemSink& problems, const std::string& metInFileName,
                   const std::string& metOutFileName);

/// Creates the scratch index file in `directory` (empty or ending in '/'): Kelvrant.~01, or
/// the next free of Kelvrant.~02 .. Kelvrant.~99 when another live run holds that name. A
/// leftover of an ended run is reused. The file stays locked for as long as it is open, which
/// is how other runs see that it is in use. Returns the stream ("w+b", empty) and its path, or
/// none.
std::FILE* CreateScratchFile(const std::string& directory, std::string& path);

}  // namespace kelvrant
