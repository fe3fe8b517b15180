// Batch conversion (see Batch.h). Each session is converted by running this program itself
// with the session's complete `-I` command line: the outputs are those of a single run by
// construction, and a session that fails, however badly, cannot harm the others.
#include "batch/Batch.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <utility>

#include "forms/ObsFileForm.h"
#include "geo/GpsTime.h"
#include "run/ConversionJob.h"
#include "run/OutputNames.h"

extern char** environ;

namespace kelvrant {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A download's B-file: "B" + site (4) + session (1) + year (2) + "." + day of year (3).
bool IsBFile(const fs::path& p, BatchSession& s) {
    const std::string base = p.stem().string();
    const std::string ext = p.extension().string();
    if (base.size() != 8 || (base[0] != 'B' && base[0] != 'b') || ext.size() != 4 ||
        !AllDigits(ext.substr(1)) || !AllDigits(base.substr(6, 2)))
        return false;
    s.bFile = p.string();
    s.site = Upper(base.substr(1, 4));
    s.session = static_cast<char>(std::toupper(static_cast<unsigned char>(base[5])));
    const int yy = std::stoi(base.substr(6, 2));
    s.year = std::to_string(yy < 80 ? 2000 + yy : 1900 + yy);
    s.doy = ext.substr(1);
    return true;
}

void Complete(BatchSession& s) {
    s.eFile = FindCompanionFile(CompanionCandidate(s.bFile, 'E'));
    s.sFile = FindCompanionFile(CompanionCandidate(s.bFile, 'S'));
    // The ION file is the fourth name of -I: without an S-file it cannot be given.
    s.ionFile = s.sFile.empty() ? std::string() : FindCompanionFile(IonCandidate(s.bFile));
}

// The file a session is converted from: its B-file or its met log.
const std::string& InputOf(const BatchSession& s) {
    return s.metLog.empty() ? s.bFile : s.metLog;
}

bool IsMetLog(const fs::path& p, BatchSession& s) {
    const std::optional<NmaNameDate> log = ParseNmaFileName(p.string());
    if (!log) return false;
    char doy[8];
    std::snprintf(doy, sizeof doy, "%03d", static_cast<int>(log->dayOfYear));
    s.metLog = p.string();
    s.site = "XXXX";
    s.siteKnown = false;
    s.session = log->session;
    s.year = std::to_string(log->year);
    s.doy = doy;
    return true;
}

// Values the -I run's own options take, so that they pass through whole.
int ValueCount(std::string_view option) {
    if (option.size() == 2 && option[0] == '-') {
        switch (std::toupper(static_cast<unsigned char>(option[1]))) {
            case 'S':
            case 'C':
                return 1;
            case 'F':
                return 3;
            default:
                return 0;
        }
    }
    return 0;
}

std::string Replace(std::string text, std::string_view key, const std::string& value) {
    for (std::size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
        text.replace(at, key.size(), value);
        at += value.size();
    }
    return text;
}

std::string JsonText(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char u[8];
                    std::snprintf(u, sizeof u, "\\u%04x", c);
                    out += u;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

enum class Outcome { kConverted, kSkipped, kFailed };

struct SessionResult {
    Outcome outcome = Outcome::kFailed;
    long epochs = 0;
    std::vector<std::string> files;
    std::vector<std::string> problems;  ///< warnings, or the reasons it failed
    double seconds = 0.0;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

// What a run reports in its JSON summary: the epochs of its observation files ("epochs" is
// given for those only) and the paths of every output, unescaped. Inside a path a quote is
// escaped, so neither key can be mistaken.
struct RunReport {
    long epochs = 0;
    std::vector<std::string> files;
};

RunReport ReadRunReport(const std::string& json) {
    constexpr std::string_view kEpochs = "\"epochs\":";
    constexpr std::string_view kPath = "\"path\":\"";
    RunReport report;
    for (std::size_t at = json.find(kEpochs); at != std::string::npos;
         at = json.find(kEpochs, at + kEpochs.size()))
        report.epochs += std::strtol(json.c_str() + at + kEpochs.size(), nullptr, 10);
    for (std::size_t at = json.find(kPath); at != std::string::npos; at = json.find(kPath, at)) {
        std::string path;
        for (at += kPath.size(); at < json.size() && json[at] != '"'; ++at) {
            if (json[at] != '\\' || at + 1 >= json.size()) {
                path += json[at];
            } else if (json[++at] == 'u' && at + 4 < json.size()) {
                path += static_cast<char>(std::strtol(json.substr(at + 1, 4).c_str(), nullptr, 16));
                at += 4;
            } else {
                path += json[at];
            }
        }
        report.files.push_back(path);
    }
    return report;
}

// What the batch converted in a folder, one line a session: the B-file, the run's arguments
// and the outputs it wrote, separated by tabs. A later batch skips a session whose line names
// the same arguments and whose outputs are all there and newer than the inputs: names that
// depend on the data (long names, split pieces) are known only once the run has made them.
constexpr const char* kRecordName = ".kelvrant-batch";
constexpr char kArgumentSeparator = '\x1f';

std::string RecordKey(const BatchSession& s, const std::vector<std::string>& args) {
    std::string key = InputOf(s) + '\t';
    for (const std::string& a : args)
        key += a + kArgumentSeparator;
    return key;
}

// The outputs the folder's record gives for the key (the latest line), or nothing.
std::vector<std::string> RecordedOutputs(const std::string& folder, const std::string& key) {
    std::ifstream in(fs::path(folder) / kRecordName);
    std::vector<std::string> outputs;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with(key) || line.size() == key.size() || line[key.size()] != '\t')
            continue;
        outputs.clear();
        std::istringstream fields(line.substr(key.size() + 1));
        for (std::string f; std::getline(fields, f, '\t');)
            outputs.push_back(f);
    }
    return outputs;
}

// Adds the session's line to its folder's record. Names with tabs or line ends are left out
// of it: the session is then converted again next time, which is safe.
void Record(const std::string& folder, const std::string& key,
            const std::vector<std::string>& outputs) {
    std::string line = key;
    for (const std::string& o : outputs)
        line += '\t' + o;
    if (outputs.empty() || std::count(line.begin(), line.end(), '\n') > 0 ||
        std::count(line.begin(), line.end(), '\t') != static_cast<long>(outputs.size()) + 1)
        return;
    std::ofstream out(fs::path(folder) / kRecordName, std::ios::app);
    out << line << '\n';
}

bool UpToDate(const BatchSession& s, const std::vector<std::string>& outputs) {
    std::error_code ec;
    auto newestInput = fs::file_time_type::min();
    for (const std::string* in : {&s.bFile, &s.eFile, &s.sFile, &s.ionFile, &s.metLog}) {
        if (in->empty()) continue;
        const auto t = fs::last_write_time(*in, ec);
        if (ec) return false;
        newestInput = std::max(newestInput, t);
    }
    // A run that failed may leave an empty file behind; a converted one never does.
    for (const std::string& out : outputs) {
        const auto t = fs::last_write_time(out, ec);
        if (ec || t <= newestInput || fs::file_size(out, ec) == 0 || ec) return false;
    }
    return !outputs.empty();
}

// Runs the program with the arguments and a JSON summary asked for; its stderr (the run's
// problems) goes to `output`, its summary to `summary`. `formatThreads`, when not empty, is
// the child's formatting thread count. The exit status.
int RunChild(const std::string& self, const std::vector<std::string>& args,
             const std::string& formatThreads, std::string& output, std::string& summary) {
    std::FILE* capture = std::tmpfile();
    std::FILE* report = std::tmpfile();
    if (capture == nullptr || report == nullptr) {
        if (capture != nullptr) std::fclose(capture);
        if (report != nullptr) std::fclose(report);
        output = "cannot create a temporary file for the run's messages";
        return -1;
    }
    std::vector<std::string> words = {self};
    words.insert(words.end(), args.begin(), args.end());
    words.emplace_back("--json");
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    // Without a display the program converts headless, whatever the batch was started from.
    std::string threads = "KELVRANT_FORMAT_THREADS=" + formatThreads;
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string_view v(*e);
        if (!v.starts_with("DISPLAY=") && !v.starts_with("WAYLAND_DISPLAY=")) env.push_back(*e);
    }
    if (!formatThreads.empty()) env.push_back(threads.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The run's problems are what the batch reports; its summary gives the batch's line.
    posix_spawn_file_actions_adddup2(&actions, fileno(report), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(capture), STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0) {
        output = "cannot start " + self + ": " + std::strerror(spawned);
        std::fclose(capture);
        std::fclose(report);
        return -1;
    }
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    for (auto [file, text] : {std::pair{capture, &output}, std::pair{report, &summary}}) {
        std::rewind(file);
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text->append(buffer, got);
        std::fclose(file);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    output += "killed by signal " + std::to_string(WTERMSIG(status));
    return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

std::string Label(const BatchSession& s) {
    return s.site + " " + s.year + "/" + s.doy + " " + std::string(1, s.session) +
           (s.metLog.empty() ? "" : " met");
}

std::string Elapsed(double seconds) {
    char text[32];
    const long t = static_cast<long>(seconds + 0.5);
    std::snprintf(text, sizeof text, "%ld:%02ld", t / 60, t % 60);
    return text;
}

}  // namespace

bool ParseBatchOptions(const std::vector<std::string>& args, BatchOptions& o, std::string& why,
                       LongOptionTakesValue takesValue, LongOptionObservationOnly observationOnly) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name = a;
        std::string value;
        bool hasValue = false;
        if (a.starts_with("--")) {
            const std::size_t eq = a.find('=');
            if (eq != std::string::npos) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
                hasValue = true;
            }
        }
        const auto take = [&](std::string& field) {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    why = name + " needs a value";
                    return false;
                }
                value = args[++i];
            }
            field = value;
            return true;
        };
        if (name == "--out") {
            if (!take(o.outDir)) return false;
        } else if (name == "--layout") {
            if (!take(o.layout)) return false;
        } else if (name == "--site-logs") {
            if (!take(o.siteLogDir)) return false;
        } else if (name == "--jobs" || name == "-j") {
            std::string n;
            if (!take(n)) return false;
            if (!AllDigits(n) || n.size() > 4 || std::stoi(n) < 1) {
                why = "--jobs needs a number of 1 or more: " + n;
                return false;
            }
            o.jobs = std::stoi(n);
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--list") {
            o.list = true;
        } else if (a == "--force") {
            o.force = true;
        } else if (a.starts_with("-") && a.size() > 1) {
            const std::string up = Upper(a);
            if (up == "-I" || up == "-M" || up == "-P" || up == "-O" || up == "-N" || up == "-G" ||
                up == "-T") {
                why = a + " names files of one run; a batch finds and names them itself";
                return false;
            }
            const std::size_t first = o.passThrough.size();
            o.passThrough.push_back(a);
            int values = ValueCount(a);
            if (a.starts_with("--") && !hasValue && takesValue != nullptr &&
                takesValue(std::string_view(a).substr(2)))
                values = 1;
            for (int n = values; n > 0; --n) {
                if (i + 1 >= args.size()) {
                    why = a + " needs a value";
                    return false;
                }
                o.passThrough.push_back(args[++i]);
            }
            const std::string_view longName =
                name.starts_with("--") ? std::string_view(name).substr(2) : std::string_view();
            o.markerGiven = o.markerGiven || longName == "marker";
            if (longName.empty() || observationOnly == nullptr || !observationOnly(longName))
                o.metPassThrough.insert(o.metPassThrough.end(), o.passThrough.begin() + first,
                                        o.passThrough.end());
        } else {
            o.paths.push_back(a);
        }
    }
    if (o.paths.empty()) {
        why = "no file or folder to search for sessions";
        return false;
    }
    std::error_code ec;
    if (!o.siteLogDir.empty() && !fs::is_directory(o.siteLogDir, ec)) {
        why = "--site-logs names no folder: " + o.siteLogDir;
        return false;
    }
    // Only the four names below are known in a layout.
    std::string rest = o.layout;
    for (const char* key : {"{year}", "{doy}", "{site}", "{session}"})
        rest = Replace(rest, key, "");
    if (rest.find_first_of("{}") != std::string::npos) {
        why = "--layout knows {year}, {doy}, {site} and {session}: " + o.layout;
        return false;
    }
    return true;
}

std::vector<BatchSession> FindSessions(const std::vector<std::string>& paths) {
    std::vector<BatchSession> sessions;
    const auto consider = [&sessions](const fs::path& p) {
        BatchSession s;
        if (IsBFile(p, s)) {
            Complete(s);
            sessions.push_back(std::move(s));
        } else if (IsMetLog(p, s)) {
            sessions.push_back(std::move(s));
        }
    };
    for (const std::string& path : paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            for (auto it = fs::recursive_directory_iterator(
                     path, fs::directory_options::skip_permission_denied, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                if (it->is_regular_file(ec)) consider(it->path());
            }
        } else {
            consider(path);
        }
    }
    std::sort(sessions.begin(), sessions.end(),
              [](const BatchSession& a, const BatchSession& b) { return InputOf(a) < InputOf(b); });
    sessions.erase(std::unique(sessions.begin(), sessions.end(),
                               [](const BatchSession& a, const BatchSession& b) {
                                   return InputOf(a) == InputOf(b);
                               }),
                   sessions.end());
    // A met log belongs to the site whose B-file of the same day and session lies beside it.
    for (BatchSession& m : sessions) {
        if (m.metLog.empty()) continue;
        const fs::path folder = fs::path(m.metLog).parent_path();
        for (const BatchSession& b : sessions) {
            if (!b.bFile.empty() && b.session == m.session && b.year == m.year && b.doy == m.doy &&
                fs::path(b.bFile).parent_path() == folder) {
                m.site = b.site;
                m.siteKnown = true;
                break;
            }
        }
    }
    return sessions;
}

std::string SessionOutputDir(const BatchSession& s, const BatchOptions& o) {
    fs::path dir = o.outDir.empty() ? fs::path(InputOf(s)).parent_path() : fs::path(o.outDir);
    if (!o.layout.empty()) {
        std::string sub = Replace(o.layout, "{year}", s.year);
        sub = Replace(sub, "{doy}", s.doy);
        sub = Replace(sub, "{site}", s.site);
        sub = Replace(sub, "{session}", std::string(1, s.session));
        dir /= sub;
    }
    std::string out = dir.lexically_normal().string();
    if (out.empty()) out = ".";
    return out;
}

std::vector<std::string> SessionArguments(const BatchSession& s, const BatchOptions& o) {
    if (!s.metLog.empty()) {
        // The day comes from the log's name; the output folder gets the met file named as the
        // run names it, after the site's B-file when there is one.
        std::int32_t week = 0;
        double seconds = 0.0;
        DayOfYearToGpsTime(std::stoi(s.year), std::stoi(s.doy), 0, 0, 0.0, week, seconds);
        std::vector<std::string> args = {"-M", s.metLog, SessionOutputDir(s, o),
                                         std::to_string(week),
                                         std::to_string(std::lround(seconds))};
        if (s.siteKnown && !o.markerGiven) args.insert(args.end(), {"--marker", s.site});
        args.insert(args.end(), o.metPassThrough.begin(), o.metPassThrough.end());
        return args;
    }
    std::vector<std::string> args = {"-I", s.bFile};
    // A missing E-file is named anyway, so that the run says what is missing.
    args.push_back(s.eFile.empty() ? CompanionCandidate(s.bFile, 'E') : s.eFile);
    if (!s.sFile.empty()) args.push_back(s.sFile);
    if (!s.ionFile.empty()) args.push_back(s.ionFile);
    // The run names the outputs itself, so that every format option shapes the names.
    args.insert(args.end(), {"-T", SessionOutputDir(s, o)});
    args.insert(args.end(), o.passThrough.begin(), o.passThrough.end());
    if (!o.siteLogDir.empty()) args.insert(args.end(), {"--site-logs", o.siteLogDir});
    return args;
}

std::string ShellQuote(const std::string& word) {
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("@%_+=:,./-", c);
    });
    if (plain) return word;
    std::string out = "'";
    for (const char c : word)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int RunBatch(const std::vector<std::string>& args, const std::string& self, std::FILE* out,
             std::FILE* err, LongOptionTakesValue takesValue,
             LongOptionObservationOnly observationOnly) {
    BatchOptions o;
    std::string why;
    if (!ParseBatchOptions(args, o, why, takesValue, observationOnly)) {
        std::fprintf(err, "Kelvrant batch: %s\n", why.c_str());
        return 2;
    }
    const std::vector<BatchSession> sessions = FindSessions(o.paths);
    if (sessions.empty()) {
        std::fprintf(err, "Kelvrant batch: no B-file or met log found under the given paths\n");
        return 1;
    }
    // A single run writes into an existing folder; the layout's folders are made here, also
    // for a listing, whose lines then run anywhere the paths are the same.
    for (const BatchSession& s : sessions) {
        std::error_code ec;
        fs::create_directories(SessionOutputDir(s, o), ec);
    }
    if (o.list) {
        for (const BatchSession& s : sessions) {
            std::string line = "kelvrant";
            for (const std::string& a : SessionArguments(s, o))
                line += " " + ShellQuote(a);
            std::fprintf(out, "%s\n", line.c_str());
        }
        return 0;
    }

    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const int jobs = o.jobs > 0 ? o.jobs : cores;
    // The sessions share the cores: a run's own formatting threads get what the jobs leave
    // (none once the jobs fill the cores), unless the caller chose a count.
    const std::string formatThreads =
        std::getenv("KELVRANT_FORMAT_THREADS") != nullptr
            ? std::string()
            : std::to_string(std::max(0, cores / std::max(1, std::min(jobs, cores)) - 1));
    std::vector<SessionResult> results(sessions.size());
    std::atomic<std::size_t> next{0};
    std::mutex print;
    std::mutex record;  // the folders' records of what was converted
    std::size_t done = 0;
    const bool terminal = !o.json && ::isatty(fileno(err)) != 0;
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };

    const auto work = [&] {
        for (std::size_t i = next++; i < sessions.size(); i = next++) {
            const BatchSession& s = sessions[i];
            SessionResult& r = results[i];
            const auto began = std::chrono::steady_clock::now();
            const std::vector<std::string> run = SessionArguments(s, o);
            const std::string folder = SessionOutputDir(s, o);
            const std::string key = RecordKey(s, run);
            {
                const std::lock_guard<std::mutex> lock(record);
                r.files = RecordedOutputs(folder, key);
            }
            if (!o.force && UpToDate(s, r.files)) {
                r.outcome = Outcome::kSkipped;
            } else {
                std::string output;
                std::string summary;
                const int status = RunChild(self, run, formatThreads, output, summary);
                r.problems = Lines(output);
                r.outcome = status == 0 ? Outcome::kConverted : Outcome::kFailed;
                if (r.outcome == Outcome::kFailed && r.problems.empty())
                    r.problems.push_back("the run ended with status " + std::to_string(status));
                if (r.outcome == Outcome::kConverted) {
                    RunReport report = ReadRunReport(summary);
                    r.epochs = report.epochs;
                    r.files = std::move(report.files);
                    const std::lock_guard<std::mutex> lock(record);
                    Record(folder, key, r.files);
                }
            }
            if (r.outcome == Outcome::kFailed) r.files.clear();
            r.seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

            const std::lock_guard<std::mutex> lock(print);
            ++done;
            if (!o.json) {
                if (terminal) std::fprintf(err, "\r\033[K");
                if (r.outcome == Outcome::kFailed) {
                    std::fprintf(out, "%s  FAILED: %s\n", Label(s).c_str(),
                                 r.problems.front().c_str());
                } else if (r.outcome == Outcome::kSkipped) {
                    std::fprintf(out, "%s  up to date, skipped\n", Label(s).c_str());
                } else {
                    if (s.metLog.empty())
                        std::fprintf(out, "%s  %ld epochs, ", Label(s).c_str(), r.epochs);
                    else
                        std::fprintf(out, "%s  ", Label(s).c_str());
                    std::fprintf(out, "%zu files, %zu warnings\n", r.files.size(),
                                 r.problems.size());
                }
                std::fflush(out);
                if (terminal) {
                    const double t = since();
                    const double left =
                        t / static_cast<double>(done) * static_cast<double>(sessions.size() - done);
                    std::fprintf(err, "%zu/%zu sessions, %s elapsed, about %s left", done,
                                 sessions.size(), Elapsed(t).c_str(), Elapsed(left).c_str());
                    std::fflush(err);
                }
            }
        }
    };
    std::vector<std::thread> workers;
    for (int j = 0; j < jobs && static_cast<std::size_t>(j) < sessions.size(); ++j)
        workers.emplace_back(work);
    for (std::thread& t : workers)
        t.join();
    if (terminal) std::fprintf(err, "\r\033[K");

    std::size_t converted = 0, skipped = 0, failed = 0;
    for (const SessionResult& r : results) {
        converted += r.outcome == Outcome::kConverted;
        skipped += r.outcome == Outcome::kSkipped;
        failed += r.outcome == Outcome::kFailed;
    }
    const double elapsed = since();
    if (o.json) {
        std::string j = "{\"sessions\":[";
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            const BatchSession& s = sessions[i];
            const SessionResult& r = results[i];
            static constexpr const char* kNames[] = {"converted", "skipped", "failed"};
            j += i ? "," : "";
            j += "{\"site\":" + JsonText(s.site) + ",\"year\":" + s.year +
                 ",\"doy\":" + JsonText(s.doy) +
                 ",\"session\":" + JsonText(std::string(1, s.session)) +
                 (s.metLog.empty() ? ",\"bfile\":" + JsonText(s.bFile)
                                   : ",\"metlog\":" + JsonText(s.metLog)) +
                 ",\"status\":\"" + kNames[static_cast<int>(r.outcome)] +
                 "\",\"epochs\":" + std::to_string(r.epochs) + ",\"files\":[";
            for (std::size_t k = 0; k < r.files.size(); ++k)
                j += (k ? "," : "") + JsonText(r.files[k]);
            j += std::string("],\"") + (r.outcome == Outcome::kFailed ? "errors" : "warnings") +
                 "\":[";
            for (std::size_t k = 0; k < r.problems.size(); ++k)
                j += (k ? "," : "") + JsonText(r.problems[k]);
            char secs[32];
            std::snprintf(secs, sizeof secs, "%.3f", r.seconds);
            j += std::string("],\"seconds\":") + secs + "}";
        }
        char secs[32];
        std::snprintf(secs, sizeof secs, "%.3f", elapsed);
        j += "],\"total\":" + std::to_string(sessions.size()) +
             ",\"converted\":" + std::to_string(converted) +
             ",\"skipped\":" + std::to_string(skipped) + ",\"failed\":" + std::to_string(failed) +
             ",\"seconds\":" + secs + "}\n";
        std::fputs(j.c_str(), out);
    } else {
        std::fprintf(out, "\n%-4s %-4s %-3s %-1s  %-9s %7s %5s %8s\n", "site", "year", "doy", "s",
                     "result", "epochs", "files", "warnings");
        for (int pass = 0; pass < 2; ++pass) {
            // Failures come last, where a reader of a long batch looks first.
            for (std::size_t i = 0; i < sessions.size(); ++i) {
                const SessionResult& r = results[i];
                if ((r.outcome == Outcome::kFailed) != (pass == 1)) continue;
                const BatchSession& s = sessions[i];
                static constexpr const char* kNames[] = {"converted", "skipped", "FAILED"};
                const std::string epochs = s.metLog.empty() ? std::to_string(r.epochs) : "met";
                std::fprintf(out, "%-4s %-4s %-3s %c  %-9s %7s %5zu %8zu\n", s.site.c_str(),
                             s.year.c_str(), s.doy.c_str(), s.session,
                             kNames[static_cast<int>(r.outcome)], epochs.c_str(), r.files.size(),
                             r.outcome == Outcome::kFailed ? std::size_t{0} : r.problems.size());
            }
        }
        std::fprintf(out, "%zu sessions: %zu converted, %zu skipped, %zu failed in %s\n",
                     sessions.size(), converted, skipped, failed, Elapsed(elapsed).c_str());
        if (failed > 0) {
            std::fprintf(out, "\nFailed sessions:\n");
            for (std::size_t i = 0; i < sessions.size(); ++i) {
                if (results[i].outcome != Outcome::kFailed) continue;
                std::fprintf(out, "%s\n", InputOf(sessions[i]).c_str());
                for (const std::string& p : results[i].problems)
                    std::fprintf(out, "    %s\n", p.c_str());
            }
        }
    }
    std::fflush(out);
    return failed > 0 ? 1 : 0;
}

}  // namespace kelvrant
