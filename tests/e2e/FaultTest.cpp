// Faults during a conversion, with the real program: bad inputs, outputs that name an input,
// outputs that cannot be written whole (a file size limit, a full file system), runs stopped
// by SIGTERM or killed by SIGKILL, two runs at once, and damaged B-files. Whatever happens,
// every file that was there before stays byte for byte as it was, and nothing incomplete
// appears under a final name.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;
using test::ProcessLimits;
using test::ProcessResult;
using test::ReadFile;
using test::TempDir;

const std::string kWriteErrorHead =
    "File Write Error: Cannot write the output file: the disk may be full or the file too "
    "large.\n\n";

// The first run beside a fresh build writes the configuration file and says so; that note is
// not what these tests look at.
void DropConfigNote(ProcessResult& r) {
    const std::string note = "ERROR: Could not open configuration file (i.e., .INI): ";
    if (r.err.rfind(note, 0) == 0) r.err.erase(0, r.err.find('\n') + 1);
}

std::vector<std::string> Argv(const std::vector<std::string>& args) {
    std::vector<std::string> argv{test::KelvrantExe()};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

ProcessResult Convert(const std::vector<std::string>& args, const std::string& workDir,
                      const ProcessLimits& limits = {}) {
    auto r = test::RunProcess(Argv(args), {}, {"DISPLAY", "WAYLAND_DISPLAY"}, workDir, limits);
    DropConfigNote(r);
    return r;
}

// Simulates a GPS session of 1-second epochs named B<name>/E<name> in `dir`.
bool Simulate(const fs::path& dir, const std::string& name, long seconds, int seed) {
    const auto r =
        test::RunProcess({test::SimulateExe(), "--receiver", "G12", "--data-type", "3", "--length",
                          std::to_string(seconds), "--interval", "1", "--seed",
                          std::to_string(seed), "--name", name, "--out", dir.string()});
    return r.exitCode == 0 && fs::exists(dir / ("B" + name)) && fs::exists(dir / ("E" + name));
}

// The file without its PGM / RUN BY / DATE line, the one line that depends on the hour.
std::string WithoutDateLine(const std::string& text) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        const std::string_view line(text.data() + at, end - at);
        if (line.find("PGM / RUN BY / DATE") == std::string_view::npos) out.append(line);
        at = end;
    }
    return out;
}

// Every file in a folder (not below it) with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = ReadFile(entry.path());
    return files;
}

std::vector<std::string> Temporaries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".kelvrant-") != std::string::npos) names.push_back(name);
    }
    return names;
}

// A 30-minute session with yesterday's outputs of it beside it.
class ConversionFault : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::SimulateExe().empty()) GTEST_SKIP() << "the session simulator is not built";
        ASSERT_TRUE(Simulate(dir_.path(), "KELVA26.225", 1800, 7));
        const auto r = Convert(
            {"-I", "BKELVA26.225", "EKELVA26.225", "-O", "good.obs", "-N", "good.nav"}, Dir());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        goodObs_ = ReadFile(dir_.File("good.obs"));
        goodNav_ = ReadFile(dir_.File("good.nav"));
        ASSERT_GT(goodObs_.size(), 1000000u);
    }
    std::string Dir() const { return dir_.path().string(); }

    TempDir dir_;
    std::string goodObs_;
    std::string goodNav_;
};

// A failed run leaves every file of the folder as it was and no temporary behind.
TEST_F(ConversionFault, failed_runs_change_no_file) {
    test::WriteFile(dir_.File("EMPTY.225"), "");
    std::mt19937 rng(3);
    std::string noise(5000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng() & 0xFF);
    test::WriteFile(dir_.File("BRANDOM.225"), noise);
    test::WriteFile(dir_.File("BHEADER.225"), ReadFile(dir_.File("BKELVA26.225")).substr(0, 90));
    test::WriteFile(dir_.File("ION73.225"), std::string(73, '\1'));
    const auto siteFile = [](const std::string& height) {
        std::string site = "                    SITE INFORMATION\n\nKELV 001 002 003\n";
        for (int line = 4; line <= 9; ++line)
            site += "      " + (line == 6 ? height : std::string("1.4500")) + " 0 0 0 0\n";
        return site;
    };
    test::WriteFile(dir_.File("SKELVA26.225"), siteFile("1.4500"));
    test::WriteFile(dir_.File("SBADHGT.225"), siteFile("one"));
    test::WriteFile(dir_.File("MET.NMA"), "");
    test::WriteFile(dir_.File("RANDOM.NMA"), "nothing of use\nhere\n");
    fs::create_directory(dir_.path() / "a");
    const std::vector<std::string> good{"-O", "good.obs", "-N", "good.nav"};
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string says;
    };
    const auto obs = [&](std::vector<std::string> a) {
        a.insert(a.end(), good.begin(), good.end());
        return a;
    };
    const std::vector<Case> cases = {
        {obs({"-I", "BKELVA26.225", "EXXXX.225"}), 1, "EXXXX.225: No such file or directory"},
        {obs({"-I", "NOSUCH.225", "EKELVA26.225"}), 1, "Cannot Open Entered B-File."},
        {{"-I", "NOSUCH.225", "EKELVA26.225"}, 1, "NOSUCH.225: No such file or directory"},
        {obs({"-I", "EMPTY.225", "EKELVA26.225"}), 1, "Cannot locate B-File Header."},
        {obs({"-I", "BRANDOM.225", "EKELVA26.225"}), 1, "not appear to be an Ashtech B-File"},
        {obs({"-I", "BHEADER.225", "EKELVA26.225"}), 1, "holds no readable epoch"},
        {obs({"-I", "BKELVA26.225", "EKELVA26.225", "SBADHGT.225"}), 1,
         "line 6: the antenna height is not a number"},
        {{"-I", "BKELVA26.225", "EKELVA26.225", "SKELVA26.225", "ION73.225", "-O", "good.obs", "-N",
          "good.nav", "-G", "good.gnav"},
         1,
         "Cannot initiate the reading of the Ion-File."},
        {{"-I", "BKELVA26.225", "EKELVA26.225", "-O", "BKELVA26.225"}, 1, "Output File Conflict"},
        {{"-I", "BKELVA26.225", "EKELVA26.225", "-O", Dir() + "/a/../BKELVA26.225"},
         1,
         "Output File Conflict"},
        {{"-I", "BKELVA26.225", "EKELVA26.225", "-O", "good.obs", "-N", "EKELVA26.225"},
         1,
         "Output File Conflict"},
        {{"-I", "BKELVA26.225", "EKELVA26.225", "-O", "good.obs", "-N", "good.obs"},
         1,
         "Two outputs name the same file"},
        {{"-M", "MET.NMA", "MET.NMA", "2448", "208800"}, 1, "Output File Conflict"},
        {{"-M", "MET.NMA", "good.obs", "2448", "208800"}, 1, "holds no record to convert"},
        {{"-M", "RANDOM.NMA", "good.obs", "2448", "208800"}, 1, "holds no record to convert"},
        {{"-M", "RANDOM.NMA", "good.obs", "99999999", "0"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const auto before = Snapshot(dir_.path());
        const auto r = Convert(c.args, Dir());
        EXPECT_EQ(r.exitCode, c.exit) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(Snapshot(dir_.path()) == before) << "a file changed";
        EXPECT_TRUE(Temporaries(dir_.path()).empty());
    }
}

TEST_F(ConversionFault, a_file_size_limit_fails_the_run_and_publishes_nothing) {
    test::WriteFile(dir_.File("cut.obs"), "yesterday");
    struct Case {
        std::int64_t limit;
        std::string failing;
    };
    const auto navSize = static_cast<std::int64_t>(goodNav_.size());
    for (const Case& c : {Case{300000, "cut.obs"}, Case{navSize / 2, "cut.nav"}}) {
        ProcessLimits limits;
        limits.fileSizeBytes = c.limit;
        const auto r =
            Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "cut.obs", "-N", "cut.nav"}, Dir(),
                    limits);
        EXPECT_EQ(r.exitCode, 1);
        // Reported once, with the final name, its folder and the system's reason.
        EXPECT_EQ(r.err, kWriteErrorHead + dir_.File(c.failing) + ": File too large\n");
        EXPECT_EQ(ReadFile(dir_.File("cut.obs")), "yesterday");
        EXPECT_FALSE(fs::exists(dir_.File("cut.nav")));
        EXPECT_TRUE(Temporaries(dir_.path()).empty());
    }
}

// A small tmpfs mounted for the test and unmounted whatever the test's outcome.
class SmallFileSystem {
  public:
    explicit SmallFileSystem(const fs::path& mountPoint) : path_(mountPoint) {
        fs::create_directory(path_);
        mounted_ = ::mount("kelvrant-test", path_.c_str(), "tmpfs", 0, "size=256k") == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

  private:
    fs::path path_;
    bool mounted_ = false;
    std::string error_;
};

TEST_F(ConversionFault, a_full_file_system_fails_the_run_and_keeps_the_old_files) {
    const fs::path small = dir_.path() / "small";
    SmallFileSystem fileSystem(small);
    if (!fileSystem.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << fileSystem.error();
    test::WriteFile((small / "full.obs").string(), "yesterday");
    const auto r = Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-T", small.string(), "-O",
                            "full.obs", "-N", "full.nav"},
                           Dir());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              kWriteErrorHead + (small / "full.obs").string() + ": No space left on device\n");
    EXPECT_EQ(ReadFile((small / "full.obs").string()), "yesterday");
    EXPECT_FALSE(fs::exists(small / "full.nav"));
    EXPECT_TRUE(Temporaries(small).empty());
}

// Waits until the folder holds a temporary of `name` of at least `bytes`; false when the run
// ended first.
bool WaitForTemporary(const fs::path& dir, const std::string& name, std::uintmax_t bytes,
                      pid_t pid) {
    for (;;) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string n = entry.path().filename().string();
            std::error_code ec;
            if (n.starts_with("." + name + ".kelvrant-") &&
                fs::file_size(entry.path(), ec) >= bytes && !ec)
                return true;
        }
        if (::kill(pid, 0) != 0) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// A stop (SIGTERM, SIGINT) or a kill (SIGKILL) at several points of a long run: each final name
// holds yesterday's bytes or today's complete file, never part of one. A stopped run removes
// its temporaries; a killed one may leave them, and the next run neither trips over them nor
// removes them.
TEST_F(ConversionFault, stopped_or_killed_runs_never_leave_a_partial_file_under_a_final_name) {
    ASSERT_TRUE(Simulate(dir_.path(), "KELVD26.225", 3 * 3600, 10));
    const std::vector<std::string> job{"-I",      "BKELVD26.225", "EKELVD26.225", "-O",
                                       "run.obs", "-N",           "run.nav"};
    const auto whole = Convert(job, Dir());
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const std::string todayObs = WithoutDateLine(ReadFile(dir_.File("run.obs")));
    const std::string todayNav = WithoutDateLine(ReadFile(dir_.File("run.nav")));
    struct Case {
        int signal;
        std::string temporary;
        std::uintmax_t bytes;
        bool desktop = false;  ///< the program with its window, started with a display
    };
    std::vector<Case> cases = {
        {SIGTERM, "run.nav", 0},      {SIGTERM, "run.obs", 1},
        {SIGINT, "run.obs", 4000000}, {SIGTERM, "run.obs", todayObs.size() / 2},
        {SIGKILL, "run.obs", 1},      {SIGKILL, "run.obs", todayObs.size() / 2},
    };
#ifdef KELVRANT_TEST_DESKTOP
    cases.push_back({SIGTERM, "run.nav", 0, true});
    cases.push_back({SIGTERM, "run.obs", todayObs.size() / 2, true});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.signal) + " at " + c.temporary + " " +
                     std::to_string(c.bytes) + (c.desktop ? " on the desktop" : ""));
        for (const std::string& n : Temporaries(dir_.path()))
            fs::remove(dir_.path() / n);
        test::WriteFile(dir_.File("run.obs"), "yesterday's observations");
        test::WriteFile(dir_.File("run.nav"), "yesterday's navigation");
        auto process =
            c.desktop ? test::StartProcess(Argv(job), {"DISPLAY=:0", "QT_QPA_PLATFORM=offscreen"},
                                           {"WAYLAND_DISPLAY"}, Dir())
                      : test::StartProcess(Argv(job), {}, {"DISPLAY", "WAYLAND_DISPLAY"}, Dir());
        const bool midRun = WaitForTemporary(dir_.path(), c.temporary, c.bytes, process.pid());
        ::kill(process.pid(), c.signal);
        auto r = test::WaitProcess(process);
        DropConfigNote(r);
        const std::string obs = ReadFile(dir_.File("run.obs"));
        const std::string nav = ReadFile(dir_.File("run.nav"));
        if (r.exitCode == 0) {
            // The run had already published when the signal came.
            EXPECT_EQ(WithoutDateLine(obs), todayObs);
            EXPECT_EQ(WithoutDateLine(nav), todayNav);
            continue;
        }
        EXPECT_TRUE(midRun);
        EXPECT_EQ(obs, "yesterday's observations");
        EXPECT_EQ(nav, "yesterday's navigation");
        if (c.signal == SIGKILL) {
            EXPECT_EQ(r.exitCode, 128 + SIGKILL);
            const auto leftovers = Temporaries(dir_.path());
            EXPECT_FALSE(leftovers.empty());
            std::map<std::string, std::string> left;
            for (const std::string& n : leftovers)
                left[n] = ReadFile(dir_.File(n));
            const auto again = Convert(job, Dir());
            ASSERT_EQ(again.exitCode, 0) << again.err;
            EXPECT_EQ(WithoutDateLine(ReadFile(dir_.File("run.obs"))), todayObs);
            for (const auto& [n, bytes] : left)
                EXPECT_EQ(ReadFile(dir_.File(n)), bytes) << "another run's file was touched";
        } else {
            EXPECT_EQ(r.exitCode, 1);
            if (!c.desktop) {
                EXPECT_EQ(r.err,
                          "Conversion Cancelled: Conversion cancelled; no files were written.\n");
            }
            EXPECT_TRUE(Temporaries(dir_.path()).empty());
        }
    }
}

TEST_F(ConversionFault, two_runs_at_once_in_one_directory_match_runs_one_after_the_other) {
    ASSERT_TRUE(Simulate(dir_.path(), "KELVB26.225", 1800, 8));
    const auto other = Convert(
        {"-I", "BKELVB26.225", "EKELVB26.225", "-O", "other.obs", "-N", "other.nav"}, Dir());
    ASSERT_EQ(other.exitCode, 0) << other.err;
    const std::string otherObs = ReadFile(dir_.File("other.obs"));
    ASSERT_NE(WithoutDateLine(otherObs), WithoutDateLine(goodObs_));

    auto a = test::StartProcess(
        Argv({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "a.obs", "-N", "a.nav"}), {},
        {"DISPLAY", "WAYLAND_DISPLAY"}, Dir());
    auto b = test::StartProcess(
        Argv({"-I", "BKELVB26.225", "EKELVB26.225", "-O", "b.obs", "-N", "b.nav"}), {},
        {"DISPLAY", "WAYLAND_DISPLAY"}, Dir());
    auto ra = test::WaitProcess(a);
    auto rb = test::WaitProcess(b);
    DropConfigNote(ra);
    DropConfigNote(rb);
    ASSERT_EQ(ra.exitCode, 0) << ra.err;
    ASSERT_EQ(rb.exitCode, 0) << rb.err;
    EXPECT_EQ(ra.err + rb.err, "");
    EXPECT_EQ(test::FirstDifference(WithoutDateLine(goodObs_),
                                    WithoutDateLine(ReadFile(dir_.File("a.obs")))),
              "");
    EXPECT_EQ(test::FirstDifference(WithoutDateLine(otherObs),
                                    WithoutDateLine(ReadFile(dir_.File("b.obs")))),
              "");
    EXPECT_TRUE(Temporaries(dir_.path()).empty());
}

// ---- damaged B-files ---------------------------------------------------------------------

struct EpochLine {
    int y, mo, d, h, mi;
    double s;
};

// The observation file as an independent reader sees it: every line at most 80 columns, the
// header times, and the time of every epoch line after the header.
struct ParsedObs {
    bool wellFormed = true;
    std::string why;
    EpochLine first{}, last{};
    std::vector<EpochLine> epochs;
};

ParsedObs ParseObs(const std::string& text) {
    ParsedObs p;
    bool header = true;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            p.wellFormed = false;
            p.why = "last line without CR LF";
            break;
        }
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.size() > 80) {
            p.wellFormed = false;
            p.why = "line longer than 80: " + line;
        }
        for (char c : line)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                p.wellFormed = false;
                p.why = "control byte in: " + line;
            }
        if (header) {
            EpochLine t{};
            if (line.find("TIME OF FIRST OBS") == 60 &&
                std::sscanf(line.c_str(), "%d %d %d %d %d %lf", &t.y, &t.mo, &t.d, &t.h, &t.mi,
                            &t.s) == 6)
                p.first = t;
            if (line.find("TIME OF LAST OBS") == 60 &&
                std::sscanf(line.c_str(), "%d %d %d %d %d %lf", &t.y, &t.mo, &t.d, &t.h, &t.mi,
                            &t.s) == 6)
                p.last = t;
            if (line.find("END OF HEADER") == 60) header = false;
            continue;
        }
        // An epoch line: " yy mm dd hh mm ss.sssssss  f nn..." (observation lines start with
        // a number field, never with a blank at column 29).
        EpochLine t{};
        int flag = -1;
        if (line.size() >= 32 && line[0] == ' ' && line[26] == ' ' && line[27] == ' ' &&
            std::sscanf(line.c_str(), "%d %d %d %d %d %lf %d", &t.y, &t.mo, &t.d, &t.h, &t.mi, &t.s,
                        &flag) == 7 &&
            line.substr(11, 15).find('.') != std::string::npos && flag >= 0 && flag <= 6)
            p.epochs.push_back(t);
    }
    return p;
}

bool SameTime(const EpochLine& header, const EpochLine& epoch) {
    return header.y % 100 == epoch.y && header.mo == epoch.mo && header.d == epoch.d &&
           header.h == epoch.h && header.mi == epoch.mi && std::fabs(header.s - epoch.s) < 1e-6;
}

TEST_F(ConversionFault, damaged_bfiles_convert_what_is_readable_with_a_true_time_span) {
    const std::string b = ReadFile(dir_.File("BKELVA26.225"));
    const ParsedObs good = ParseObs(goodObs_);
    ASSERT_TRUE(good.wellFormed) << good.why;
    ASSERT_EQ(good.epochs.size(), 1800u);
    // The 101st epoch's record: the epoch lengths follow from each satellite count.
    std::size_t at = 90;
    const int blocks = static_cast<unsigned char>(b[47]);
    for (int i = 0; i < 100; ++i)
        at += 67 + static_cast<std::size_t>(static_cast<unsigned char>(b[at + 66])) *
                       (4 + 31 * static_cast<std::size_t>(blocks));
    const std::size_t sizeOf100 =
        67 + static_cast<std::size_t>(static_cast<unsigned char>(b[at + 66])) *
                 (4 + 31 * static_cast<std::size_t>(blocks));
    std::mt19937 rng(11);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng() & 0xFF);
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t minEpochs, maxEpochs;
    };
    const auto changed = [&](std::size_t offset, char value) {
        std::string copy = b;
        copy[offset] = value;
        return copy;
    };
    const std::vector<Case> cases = {
        {"site name byte", changed(at + 1, '\x02'), 1799, 1799},
        {"time, highest byte", changed(at + 11, '\x7f'), 1799, 1799},
        {"time, a middle byte", changed(at + 9, static_cast<char>(b[at + 9] ^ 0x40)), 1799, 1799},
        {"position byte", changed(at + 19, '\x55'), 1799, 1799},
        {"satellite count up", changed(at + 66, static_cast<char>(b[at + 66] + 10)), 1799, 1799},
        {"satellite count down", changed(at + 66, static_cast<char>(b[at + 66] - 1)), 1800, 1800},
        {"satellite number", changed(at + 67, '\x63'), 1799, 1799},
        {"observation byte", changed(at + 67 + 10, '\x11'), 1800, 1800},
        {"epoch cut in half", b.substr(0, at) + b.substr(at + sizeOf100 / 2), 1799, 1799},
        {"random tail", b + noise, 1800, 1800},
        {"zero padding", b + std::string(50000, '\0'), 1800, 1800},
        {"cut mid-epoch", b.substr(0, at + sizeOf100 / 2), 100, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::WriteFile(dir_.File("BDAMAG26.225"), c.bytes);
        fs::remove(dir_.File("damaged.obs"));
        const auto r = Convert({"-I", "BDAMAG26.225", "EKELVA26.225", "-O", "damaged.obs"}, Dir());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const ParsedObs p = ParseObs(ReadFile(dir_.File("damaged.obs")));
        EXPECT_TRUE(p.wellFormed) << p.why;
        ASSERT_FALSE(p.epochs.empty());
        EXPECT_GE(p.epochs.size(), c.minEpochs);
        EXPECT_LE(p.epochs.size(), c.maxEpochs);
        EXPECT_TRUE(SameTime(p.first, p.epochs.front()));
        EXPECT_TRUE(SameTime(p.last, p.epochs.back()));
        if (p.epochs.size() < 1800) {
            EXPECT_EQ(r.err.rfind("B-File Warning: ", 0), 0u) << r.err;
            EXPECT_NE(r.err.find("damaged stretch(es)"), std::string::npos) << r.err;
        }
    }
}

}  // namespace
}  // namespace kelvrant
