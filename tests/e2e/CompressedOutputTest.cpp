// Compressed outputs of real conversions: simulated sessions converted by the program, their
// observation files compressed by the compact RINEX encoder and restored by the test-side
// decompressor byte for byte, for every receiver kind and the sessions with events, clock
// jumps and sub-second epochs; and the program's own compressed outputs (--compress), named
// by the archive conventions, decompressed by zlib and the test decoder into the plain files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "geo/Clock.h"
#include "rinex/CompactRinexEncoder.h"
#include "rinex/TextSink.h"
#include "support/CompactRinexDecoder.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

// Every option on, so that event records and smoothed codes appear.
const char* const kIni =
    "[RINEXDAT]\nSITE_NAME=SIMU\nWRITE_EPINT=Yes\nWRITE_SATS=Yes\nSMOOTH_CODE=Yes\n"
    "WRITE_SITE_CHNGS=Yes\nALLOW_DOPLR=Yes\n";

struct Session {
    std::string rinex;  ///< the observation file
    std::string name;
};

Session Convert(const test::TempDir& dir, const std::string& simulate) {
    const fs::path exe = dir.path() / "bin" / "kelvrant";
    fs::create_directories(exe.parent_path());
    fs::copy_file(test::KelvrantExe(), exe, fs::copy_options::overwrite_existing);
    test::WriteFile((exe.parent_path() / "Kelvrant.INI").string(), kIni);
    std::vector<std::string> sim{test::SimulateExe()};
    for (std::size_t p = 0, q; p < simulate.size(); p = q + 1) {
        q = simulate.find(' ', p);
        if (q == std::string::npos) q = simulate.size();
        sim.push_back(simulate.substr(p, q - p));
    }
    for (const char* a : {"--site", "SIMU", "--session", "A", "--week", "2448", "--out"})
        sim.emplace_back(a);
    sim.push_back(dir.path().string());
    EXPECT_EQ(test::RunProcess(sim).exitCode, 0);
    std::vector<std::string> args{exe.string(), "-I", "BSIMUA26.342", "ESIMUA26.342"};
    if (fs::exists(dir.File("SSIMUA26.342"))) args.push_back("SSIMUA26.342");
    if (fs::exists(dir.File("ION26.342"))) args.push_back("ION26.342");
    const auto r = test::RunProcess(args, {}, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return {test::ReadFile(dir.File("SIMU3421.26O")), "SIMU3421.26O"};
}

TEST(compressed_output_e2e, converted_sessions_come_back_from_compact_rinex) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    const char* const sessions[] = {
        "--receiver Z18 --glonass --data-type 6 --interval 5 --length 1800 --moving 20,40 "
        "--site-change 100,SIT2 --seed 9",
        "--receiver GG24 --glonass --data-type 3 --interval 1 --length 900 --clock-jump 300 "
        "--seed 8",
        "--receiver UZ-12 --data-type 2 --interval 10 --length 3600 --seed 10",
        "--receiver G12 --data-type 2 --interval 0.5 --length 300 --seed 16",
        "--receiver GG-XXIV --glonass --data-type 4 --interval 15 --length 3600 --seed 11",
    };
    for (const char* s : sessions) {
        SCOPED_TRACE(s);
        test::TempDir dir;
        const Session session = Convert(dir, s);
        ASSERT_FALSE(session.rinex.empty());
        StringSink compact;
        CompactRinexEncoder encoder(compact, "Kelvrant", UtcTime{2026, 1, 2, 3, 4, 5});
        encoder.Write(session.rinex);
        encoder.Finish();
        ASSERT_FALSE(encoder.Failed()) << encoder.Error();
        EXPECT_LT(compact.Text().size(), session.rinex.size() / 2);
        std::string error;
        const std::string back = test::DecodeCompactRinex(compact.Text(), error);
        EXPECT_EQ(error, "");
        EXPECT_EQ(test::FirstDifference(session.rinex, back), "");
    }
}

std::string Gunzip(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    std::string out;
    std::vector<char> buffer(1 << 16);
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = static_cast<uInt>(buffer.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer.data(), buffer.size() - z.avail_out);
    }
    inflateEnd(&z);
    EXPECT_EQ(rc, Z_STREAM_END);
    EXPECT_EQ(z.avail_in, 0u) << "bytes after the gzip member";
    return out;
}

// The date of the PGM / RUN BY / DATE lines, which two runs need not share.
std::string WithoutDates(std::string text) {
    for (std::size_t at = 0; (at = text.find("PGM / RUN BY / DATE", at)) != std::string::npos; ++at)
        if (at >= 20) text.replace(at - 20, 20, 20, '-');
    return text;
}

// The file names of a folder, sorted.
std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The name a plain output gets when written compressed.
std::string CompressedName(std::string name, bool compact, bool gzip) {
    if (compact && name.ends_with("O.rnx")) name.replace(name.size() - 3, 3, "crx");
    if (compact && name.size() > 4 && name[name.size() - 4] == '.' && name.back() == 'O')
        name.back() = 'D';
    return gzip ? name + ".gz" : name;
}

// The plain text of a compressed output.
std::string Restore(const std::string& bytes, bool compact, bool gzip) {
    const std::string text = gzip ? Gunzip(bytes) : bytes;
    if (!compact) return text;
    std::string error;
    std::string back = test::DecodeCompactRinex(text, error);
    EXPECT_EQ(error, "");
    return back;
}

// Converts the simulated session of `dir` in RINEX `version` into the folder `out` with the
// extra options; the names written there.
std::vector<std::string> ConvertInto(const test::TempDir& dir, const std::string& version,
                                     const std::string& out, std::vector<std::string> extra) {
    fs::create_directories(dir.path() / out);
    std::vector<std::string> args{
        test::KelvrantExe(), "-I",        "BSIMUA26.342", "ESIMUA26.342",
        "SSIMUA26.342",      "ION26.342", "--config",     dir.File("k.ini"),
        "--rinex",           version,     "-T",           out};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto r = test::RunProcess(args, {}, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return Names(dir.path() / out);
}

// Every output of a run in each version and compression comes back as the plain run's file,
// under the archive's name for it: RINEX 2 short names (.26D, .gz) and RINEX 3 long names
// (_MO.crx.gz, _MN.rnx.gz), one mixed navigation file for RINEX 3.
TEST(compressed_output_e2e, compress_option_writes_archive_names_and_the_plain_contents) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    Convert(dir,
            "--receiver GG24 --glonass --data-type 3 --interval 1 --length 600 --clock-jump 300 "
            "--moving 20,40 --seed 8");
    test::WriteFile(dir.File("k.ini"), kIni);
    const auto run = [&dir](const std::string& version, const std::string& compress,
                            const std::string& out) {
        std::vector<std::string> extra;
        if (!compress.empty()) extra = {"--compress", compress};
        return ConvertInto(dir, version, out, extra);
    };
    struct Case {
        const char* version;
        std::vector<std::string> plainNames;
    };
    const Case cases[] = {
        {"2", {"SIMU3421.26G", "SIMU3421.26N", "SIMU3421.26O"}},
        {"3", {"SIMU00XXX_R_20263421000_10M_01S_MO.rnx", "SIMU00XXX_R_20263421000_10M_MN.rnx"}},
    };
    const struct {
        const char* word;
        bool compact, gzip;
    } compressions[] = {{"crx", true, false}, {"gz", false, true}, {"crx.gz", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("RINEX ") + c.version);
        const std::string plainDir = std::string("plain") + c.version;
        ASSERT_EQ(run(c.version, "", plainDir), c.plainNames);
        for (const auto& k : compressions) {
            SCOPED_TRACE(k.word);
            const std::string out = std::string(c.version) + "-" + k.word;
            std::vector<std::string> expected;
            for (const std::string& name : c.plainNames)
                expected.push_back(CompressedName(name, k.compact, k.gzip));
            std::sort(expected.begin(), expected.end());
            ASSERT_EQ(run(c.version, k.word, out), expected);
            for (const std::string& name : c.plainNames) {
                SCOPED_TRACE(name);
                const bool observation = name.ends_with("O") || name.ends_with("O.rnx");
                const std::string plain = test::ReadFile(dir.File(plainDir + "/" + name));
                const std::string back = Restore(
                    test::ReadFile(dir.File(out + "/" + CompressedName(name, k.compact, k.gzip))),
                    k.compact && observation, k.gzip);
                EXPECT_EQ(test::FirstDifference(WithoutDates(plain), WithoutDates(back)), "");
            }
        }
    }
}

// Edited runs (split by day, decimated) in each version: every compressed piece comes back
// as the same edited run's plain piece, under the piece's own name (RINEX 3 long names with
// the piece's start, period and the decimated interval; one mixed navigation file per piece),
// and the quality check counts exactly the epochs written.
TEST(compressed_output_e2e, edited_pieces_come_back_as_the_plain_edited_pieces) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    // 23:00 to 01:00 across GPS midnight, every 10 s.
    Convert(dir,
            "--receiver GG24 --glonass --data-type 3 --interval 10 --start 255600 "
            "--length 7200 --seed 11");
    test::WriteFile(dir.File("k.ini"), kIni);
    const auto run = [&dir](const std::string& version, const std::string& compress,
                            const std::string& out) {
        std::vector<std::string> extra{"--split", "day", "--decimate", "30"};
        if (compress.empty())
            extra.emplace_back("--qc");
        else
            extra.insert(extra.end(), {"--compress", compress});
        return ConvertInto(dir, version, out, extra);
    };
    struct Case {
        const char* version;
        std::vector<std::string> plainNames;  ///< sorted, without the check's report
    };
    const Case cases[] = {
        {"2",
         {"SIMU3420.26G", "SIMU3420.26N", "SIMU3420.26O", "SIMU3430.26G", "SIMU3430.26N",
          "SIMU3430.26O"}},
        {"3",
         {"SIMU00XXX_R_20263422300_01H_30S_MO.rnx", "SIMU00XXX_R_20263422300_01H_MN.rnx",
          "SIMU00XXX_R_20263430000_01H_30S_MO.rnx", "SIMU00XXX_R_20263430000_01H_MN.rnx"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("RINEX ") + c.version);
        const std::string plainDir = std::string("plain") + c.version;
        std::vector<std::string> names = run(c.version, "", plainDir);
        // The check's report of the plain run: 2 h at 30 s.
        const auto report = std::find_if(names.begin(), names.end(), [](const std::string& n) {
            return n.ends_with(".qc.txt");
        });
        ASSERT_NE(report, names.end());
        EXPECT_NE(test::ReadFile(dir.File(plainDir + "/" + *report))
                      .find("Epochs expected / present  : 240 / 240\n"),
                  std::string::npos);
        names.erase(report);
        ASSERT_EQ(names, c.plainNames);
        long epochs = 0;
        for (const std::string& name : c.plainNames) {
            if (!name.ends_with("O") && !name.ends_with("O.rnx")) continue;
            const std::string text = test::ReadFile(dir.File(plainDir + "/" + name));
            EXPECT_EQ(text.substr(0, 9), c.version[0] == '3' ? "     3.05" : "     2   ") << name;
            const std::string mark = c.version[0] == '3' ? "\n>" : "\n 26 12  ";
            for (std::size_t at = text.find(mark); at != std::string::npos;
                 at = text.find(mark, at + 1))
                ++epochs;
        }
        EXPECT_EQ(epochs, 240);
        const std::string out = std::string(c.version) + "-crx.gz";
        std::vector<std::string> expected;
        for (const std::string& name : c.plainNames)
            expected.push_back(CompressedName(name, true, true));
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(run(c.version, "crx.gz", out), expected);
        for (const std::string& name : c.plainNames) {
            SCOPED_TRACE(name);
            const bool observation = name.ends_with("O") || name.ends_with("O.rnx");
            const std::string plain = test::ReadFile(dir.File(plainDir + "/" + name));
            const std::string back =
                Restore(test::ReadFile(dir.File(out + "/" + CompressedName(name, true, true))),
                        observation, true);
            EXPECT_EQ(test::FirstDifference(WithoutDates(plain), WithoutDates(back)), "");
        }
    }
}

// A met log to the RINEX 3 met file, gzipped, under its long name (the records' span is not
// known before they are read: period and frequency unspecified).
TEST(compressed_output_e2e, met_log_to_a_gzipped_rinex3_met_file_with_a_long_name) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    test::TempDir dir;
    Convert(dir, "--receiver Z18 --glonass --data-type 6 --length 3600 --interval 20 --met");
    test::WriteFile(dir.File("k.ini"), kIni);
    std::string log;
    for (const auto& name : Names(dir.path()))
        if (name.ends_with(".NMA")) log = name;
    ASSERT_FALSE(log.empty());
    const auto r = test::RunProcess(
        {test::KelvrantExe(), "-M", log, "", "2448", "208800", "--config", dir.File("k.ini"),
         "--rinex", "3", "--compress", "gz", "--country", "fra"},
        {}, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // An empty output name asks for the automatic one.
    const std::string name = "SIMU00FRA_R_20263421000_00U_00U_MM.rnx.gz";
    ASSERT_TRUE(fs::exists(dir.File(name))) << testing::PrintToString(Names(dir.path()));
    const std::string text = Gunzip(test::ReadFile(dir.File(name)));
    EXPECT_EQ(text.substr(0, 82),
              "     3.05           METEOROLOGICAL DATA                     RINEX VERSION / TYPE"
              "\r\n");
    EXPECT_NE(text.find("END OF HEADER       \r\n 2026 12 08 09 59 42"), std::string::npos) << text;
}

}  // namespace
}  // namespace kelvrant
