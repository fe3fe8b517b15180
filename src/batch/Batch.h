// Batch conversion of a campaign: every session found under the given files and folders is
// converted by its own run of this program, as `kelvrant -I ...` would convert it alone, in
// parallel, with one line per session and a table (or one JSON document) at the end.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

/// One download: a B-file and the companions found beside it, or a met log (its name
/// "sYYDDD.NMA" gives session, year and day; the site is that of the B-file of the same folder,
/// day and session).
struct BatchSession {
    std::string bFile;      ///< empty for a met log
    std::string metLog;     ///< empty for a B-file
    bool siteKnown = true;  ///< false: a met log without its B-file (site "XXXX")
    std::string eFile;      ///< empty: none found
    std::string sFile;      ///< empty: none found
    std::string ionFile;    ///< empty: none found (or unusable without an S-file)
    std::string site;       ///< characters 2-5 of the B-file's name
    char session = ' ';
    std::string year;  ///< four digits
    std::string doy;   ///< three digits
};

struct BatchOptions {
    std::vector<std::string> paths;
    std::string outDir;  ///< empty: beside each B-file
    std::string layout;  ///< "{year}/{doy}" and the like, below outDir
    std::string siteLogDir;
    int jobs = 0;  ///< 0: the number of cores
    bool json = false;
    bool list = false;
    bool force = false;
    std::vector<std::string> passThrough;  ///< the -I run's own options, in order
    /// The same without the options a met conversion has no use for, and whether a MARKER
    /// NAME was given for every session.
    std::vector<std::string> metPassThrough;
    bool markerGiven = false;
};

/// True when the single run's long option `--name` (without dashes) takes a value, so that
/// `--name VALUE` passes to every session whole.
using LongOptionTakesValue = bool (*)(std::string_view name);
/// True when the single run's long option `--name` is meaningless for a met conversion.
using LongOptionObservationOnly = bool (*)(std::string_view name);

/// Reads the batch's arguments (those after the word "batch"); false with `why` set.
bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& options,
                       std::string& why, LongOptionTakesValue takesValue = nullptr,
                       LongOptionObservationOnly observationOnly = nullptr);

/// Every B-file under the paths (folders searched to any depth) with its E-, S- and ION files
/// by the download naming convention in any letter case, and every met log, in name order.
std::vector<BatchSession> FindSessions(const std::vector<std::string>& paths);

/// The folder a session's outputs go to: outDir (or the B-file's folder) + the layout.
std::string SessionOutputDir(const BatchSession& session, const BatchOptions& options);

/// The arguments of the session's single run, without the program name.
std::vector<std::string> SessionArguments(const BatchSession& session, const BatchOptions& options);

/// A word quoted for a POSIX shell when it needs quoting.
std::string ShellQuote(const std::string& word);

/// Runs `kelvrant batch ARGS`; `self` is this program's executable, run once per session.
/// Returns the exit status.
int RunBatch(const std::vector<std::string>& args, const std::string& self, std::FILE* out,
             std::FILE* err, LongOptionTakesValue takesValue = nullptr,
             LongOptionObservationOnly observationOnly = nullptr);

}  // namespace kelvrant
