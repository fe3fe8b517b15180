// Faults during a conversion, with the real program: outputs that cannot be written whole
// (a file size limit, a full file system), a run killed half-way, and two runs at once in one
// directory.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
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

test::StartedProcess StartConversion(const std::vector<std::string>& args,
                                     const std::string& workDir) {
    return test::StartProcess(Argv(args), {}, {"DISPLAY", "WAYLAND_DISPLAY"}, workDir);
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

std::vector<std::string> ScratchFiles(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("Kelvrant.~")) names.push_back(name);
    }
    return names;
}

class ConversionFault : public ::testing::Test {
  protected:
    void SetUp() override {
        if (test::SimulateExe().empty()) GTEST_SKIP() << "the session simulator is not built";
        ASSERT_TRUE(Simulate(dir_.path(), "KELVA26.225", 1800, 7));
        // An undisturbed run: the outputs every faulty run is held against.
        const auto r =
            Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "good.obs", "-N", "good.nav"},
                    dir_.path().string());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        goodObs_ = ReadFile(dir_.File("good.obs"));
        goodNav_ = ReadFile(dir_.File("good.nav"));
        ASSERT_GT(goodObs_.size(), 1000000u);
    }

    TempDir dir_;
    std::string goodObs_;
    std::string goodNav_;
};

TEST_F(ConversionFault, a_file_size_limit_fails_the_run_naming_the_observation_file) {
    ProcessLimits limits;
    limits.fileSizeBytes = 300000;  // room for the index and the navigation file, not the rest
    const auto r = Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "cut.obs", "-N", "cut.nav"},
                           dir_.path().string(), limits);
    EXPECT_EQ(r.exitCode, 1);
    // Reported once, with the file's name, and nothing else.
    EXPECT_EQ(r.err, kWriteErrorHead + "cut.obs\n");
    EXPECT_EQ(fs::file_size(dir_.File("cut.obs")), 300000u);
    EXPECT_EQ(ReadFile(dir_.File("cut.nav")), goodNav_);
    EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
}

TEST_F(ConversionFault, a_file_size_limit_below_the_navigation_file_names_that_file) {
    ProcessLimits limits;
    // A minute of epochs: its scratch index is far below half the navigation file.
    ASSERT_TRUE(Simulate(dir_.path(), "KELVC26.225", 60, 9));
    const auto full =
        Convert({"-I", "BKELVC26.225", "EKELVC26.225", "-N", "full.nav"}, dir_.path().string());
    ASSERT_EQ(full.exitCode, 0) << full.err;
    const auto navSize = static_cast<std::int64_t>(fs::file_size(dir_.File("full.nav")));
    ASSERT_GT(navSize / 2, 60 * 24);
    limits.fileSizeBytes = navSize / 2;
    const auto r = Convert({"-I", "BKELVC26.225", "EKELVC26.225", "-N", "cut.nav"},
                           dir_.path().string(), limits);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, kWriteErrorHead + "cut.nav\n");
    EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
}

TEST_F(ConversionFault, a_file_size_limit_below_the_scratch_index_fails_the_preparation) {
    ProcessLimits limits;
    limits.fileSizeBytes = 4096;
    const auto r = Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "cut.obs"},
                           dir_.path().string(), limits);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("Error Reading B-File: Cannot write scratch file for B-File.\n\n", 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("Kelvrant.~01"), std::string::npos) << r.err;
    EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
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

TEST_F(ConversionFault, a_full_file_system_fails_the_run_naming_the_file) {
    const fs::path small = dir_.path() / "small";
    SmallFileSystem fileSystem(small);
    if (!fileSystem.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << fileSystem.error();
    // The outputs go to the small file system; the scratch index stays beside the B-file.
    const auto r = Convert({"-I", "BKELVA26.225", "EKELVA26.225", "-T", small.string(), "-O",
                            "full.obs", "-N", "full.nav"},
                           dir_.path().string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind(kWriteErrorHead, 0), 0u) << r.err;
    EXPECT_TRUE(r.err.ends_with("full.obs\n")) << r.err;
    EXPECT_NE(r.err.find(small.string()), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Write Error", kWriteErrorHead.size()), std::string::npos)
        << "reported more than once: " << r.err;
    std::error_code ec;
    EXPECT_LE(fs::file_size(small / "full.obs", ec), 256u * 1024u);
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_EQ(ReadFile((small / "full.nav").string()), goodNav_);
    EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
}

TEST_F(ConversionFault, a_killed_run_does_not_block_the_next_one) {
    // Three hours of epochs: long enough to be killed half-way.
    ASSERT_TRUE(Simulate(dir_.path(), "KELVD26.225", 3 * 3600, 10));
    const std::vector<std::string> job{"-I",      "BKELVD26.225", "EKELVD26.225", "-O",
                                       "run.obs", "-N",           "run.nav"};
    const auto first =
        Convert({"-I", "BKELVD26.225", "EKELVD26.225", "-O", "long.obs", "-N", "long.nav"},
                dir_.path().string());
    ASSERT_EQ(first.exitCode, 0) << first.err;
    const std::string longObs = ReadFile(dir_.File("long.obs"));
    const std::string longNav = ReadFile(dir_.File("long.nav"));

    // Killed as soon as the observation file has grown: mid-run, the scratch index left
    // behind as a killed program leaves it.
    const auto obsSize = [&] {
        std::error_code ec;
        const auto n = fs::file_size(dir_.File("run.obs"), ec);
        return ec ? std::uintmax_t{0} : n;
    };
    bool killedMidRun = false;
    for (int attempt = 0; attempt < 5 && !killedMidRun; ++attempt) {
        fs::remove(dir_.File("run.obs"));
        auto process = StartConversion(job, dir_.path().string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline && obsSize() == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        ::kill(process.pid(), SIGKILL);
        const auto r = test::WaitProcess(process);
        killedMidRun = r.exitCode == 128 + SIGKILL && obsSize() < longObs.size();
    }
    ASSERT_TRUE(killedMidRun) << "the run always ended before it could be killed";
    ASSERT_EQ(ScratchFiles(dir_.path()), std::vector<std::string>{"Kelvrant.~01"});

    const auto r = Convert(job, dir_.path().string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(test::FirstDifference(WithoutDateLine(longObs),
                                    WithoutDateLine(ReadFile(dir_.File("run.obs")))),
              "");
    EXPECT_EQ(test::FirstDifference(WithoutDateLine(longNav),
                                    WithoutDateLine(ReadFile(dir_.File("run.nav")))),
              "");
    EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
}

TEST_F(ConversionFault, two_runs_at_once_in_one_directory_match_runs_one_after_the_other) {
    ASSERT_TRUE(Simulate(dir_.path(), "KELVB26.225", 1800, 8));
    const auto other =
        Convert({"-I", "BKELVB26.225", "EKELVB26.225", "-O", "other.obs", "-N", "other.nav"},
                dir_.path().string());
    ASSERT_EQ(other.exitCode, 0) << other.err;
    const std::string otherObs = ReadFile(dir_.File("other.obs"));
    const std::string otherNav = ReadFile(dir_.File("other.nav"));
    ASSERT_NE(WithoutDateLine(otherObs), WithoutDateLine(goodObs_));

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        auto a =
            StartConversion({"-I", "BKELVA26.225", "EKELVA26.225", "-O", "a.obs", "-N", "a.nav"},
                            dir_.path().string());
        auto b =
            StartConversion({"-I", "BKELVB26.225", "EKELVB26.225", "-O", "b.obs", "-N", "b.nav"},
                            dir_.path().string());
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
        EXPECT_EQ(test::FirstDifference(WithoutDateLine(goodNav_),
                                        WithoutDateLine(ReadFile(dir_.File("a.nav")))),
                  "");
        EXPECT_EQ(test::FirstDifference(WithoutDateLine(otherObs),
                                        WithoutDateLine(ReadFile(dir_.File("b.obs")))),
                  "");
        EXPECT_EQ(test::FirstDifference(WithoutDateLine(otherNav),
                                        WithoutDateLine(ReadFile(dir_.File("b.nav")))),
                  "");
        EXPECT_TRUE(ScratchFiles(dir_.path()).empty());
    }
}

}  // namespace
}  // namespace kelvrant
