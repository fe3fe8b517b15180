// kelvrant-simulate: writes a physically consistent Ashtech receiver session (B-, E-, S-, ION
// files and a met log) whose truth is known, for tests and the bundled sample.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AshtechFiles.h"
#include "Session.h"

namespace {

using kelvrant::sim::SimOptions;

constexpr const char* kUsage =
    "usage: kelvrant-simulate [options]\n"
    "Writes a simulated Ashtech session: B-, E-, S- and ION files (and a met log).\n"
    "\n"
    "  --receiver TEXT        receiver model text (G12, UZ-12, Z18, GG24, GG-XXIV) [GG24]\n"
    "  --version TEXT         receiver version, first part [GC00]\n"
    "  --data-type N          data type code 1..6 [3]\n"
    "  --blocks N             observation blocks per satellite, at least what the data\n"
    "                         type needs (1 for types 1 and 4, 2 for 2, 5, 6, 3 for 3), at\n"
    "                         most 3 [as the data type needs]\n"
    "  --week W               GPS week of the start [2448]\n"
    "  --start SOW            start, GPS seconds of week [208800 = Tuesday 10:00]\n"
    "  --length S             session length in seconds [3600]\n"
    "  --interval S           epoch interval in seconds [30]\n"
    "  --seed N               random seed; the same seed gives the same bytes [1]\n"
    "  --station X,Y,Z        antenna position, ECEF metres [4189980.3347,551621.3759,\n"
    "                         4761521.2959]\n"
    "  --out DIR              output directory [.]\n"
    "  --site NAME            four-character site name [KELV]\n"
    "  --session C            session letter [A]\n"
    "  --name NAME            file name after the type letter, e.g. KELVA26.342\n"
    "                         [site + session + year + '.' + day of year]\n"
    "  --glonass              add GLONASS satellites\n"
    "  --mask DEG             elevation mask, -10..90 (below 0: an antenna on a summit) [10]\n"
    "  --clock-jump EPOCH     receiver clock steps by 1 ms at this epoch (0-based)\n"
    "  --slip EPOCH,SAT       satellite SAT (B-file number) loses lock at EPOCH (0-based)\n"
    "                         and its carriers slip by whole cycles\n"
    "  --moving FIRST,LAST    epochs FIRST..LAST are a moving-antenna stretch (site \"?\?\?\?\")\n"
    "  --site-change EPOCH,NAME  from EPOCH on the antenna stands on site NAME, 25/-40/30 m\n"
    "                         (ECEF X/Y/Z) from the first\n"
    "  --bad-ephemeris        store some ephemerides twice and add implausible records\n"
    "  --met                  write a met data log ($GPGXP and $GPXDR lines, UTC)\n"
    "  --met-interval S       met record spacing in seconds [300]\n"
    "  --leap N               GPS-UTC leap seconds [18]\n"
    "  --code-noise M         raw code noise, metres (1 sigma) [0.30]\n"
    "  --quality N            quality byte of every observation block [24]\n"
    "  --truth FILE           write the truth (station, epochs, clock jumps) to FILE\n"
    "  --help                 this text\n"
    "\n"
    "No ionosphere or troposphere is simulated. Code ranges are stored in seconds; the\n"
    "smoothing correction, subtracted from the raw code in metres, leaves a few centimetres\n"
    "of noise. Doppler is stored in 0.0001 Hz with the sign of the range rate; carrier phase\n"
    "in cycles. GLONASS reference times are Moscow time (UTC + 3 h) and GLONASS ranges use\n"
    "GPS time with the satellite clock as broadcast (no system time offset).\n";

bool ParseDouble(const char* text, double& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0';
}

bool ParseLong(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

bool ParsePair(const std::string& text, long& first, std::string& second) {
    const auto comma = text.find(',');
    if (comma == std::string::npos) return false;
    second = text.substr(comma + 1);
    return ParseLong(text.substr(0, comma).c_str(), first) && !second.empty();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "kelvrant-simulate: %s\n(see --help)\n", message.c_str());
    return 2;
}

bool WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    SimOptions o;
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= args.size()) return nullptr;
            return args[++i].c_str();
        };
        auto needNumber = [&](double& out) {
            const char* v = value();
            return v != nullptr && ParseDouble(v, out);
        };
        auto needInteger = [&](long& out) {
            const char* v = value();
            return v != nullptr && ParseLong(v, out);
        };
        long n = 0;
        double d = 0.0;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--receiver") {
            const char* v = value();
            if (!v || std::strlen(v) == 0 || std::strlen(v) > 10)
                return Fail("--receiver needs a text of 1 to 10 characters");
            o.receiver = v;
        } else if (a == "--version") {
            const char* v = value();
            if (!v || std::strlen(v) > 10) return Fail("--version needs at most 10 characters");
            o.versionFirst = v;
        } else if (a == "--data-type") {
            if (!needInteger(n) || n < 1 || n > 6) return Fail("--data-type must be 1..6");
            o.dataType = static_cast<int>(n);
        } else if (a == "--blocks") {
            if (!needInteger(n) || n < 1 || n > 3) return Fail("--blocks must be 1..3");
            o.blocks = static_cast<int>(n);
        } else if (a == "--week") {
            if (!needInteger(n) || n < 1 || n > 32767) return Fail("--week must be 1..32767");
            o.week = n;
        } else if (a == "--start") {
            if (!needNumber(d) || d < 0.0 || d >= 604800.0)
                return Fail("--start must lie in 0..604800");
            o.startSow = d;
        } else if (a == "--length") {
            if (!needNumber(d) || d <= 0.0 || d > 7.0 * 86400.0)
                return Fail("--length must lie in 0..604800 seconds");
            o.length = d;
        } else if (a == "--interval") {
            if (!needNumber(d) || d < 0.05 || d > 3600.0)
                return Fail("--interval must lie in 0.05..3600 seconds");
            o.interval = d;
        } else if (a == "--seed") {
            if (!needInteger(n) || n < 0) return Fail("--seed must be a non-negative integer");
            o.seed = static_cast<std::uint64_t>(n);
        } else if (a == "--station") {
            const char* v = value();
            double x = 0, y = 0, z = 0;
            char extra = 0;
            if (!v || std::sscanf(v, "%lf,%lf,%lf%c", &x, &y, &z, &extra) != 3 ||
                std::sqrt(x * x + y * y + z * z) < 6.0e6 ||
                std::sqrt(x * x + y * y + z * z) > 6.5e6)
                return Fail("--station needs X,Y,Z in metres near the Earth's surface");
            o.station = {x, y, z};
        } else if (a == "--out") {
            const char* v = value();
            if (!v) return Fail("--out needs a directory");
            o.outDir = v;
        } else if (a == "--site") {
            const char* v = value();
            if (!v || std::strlen(v) != 4) return Fail("--site needs exactly 4 characters");
            o.site = v;
        } else if (a == "--session") {
            const char* v = value();
            if (!v || std::strlen(v) != 1) return Fail("--session needs one character");
            o.session = v[0];
        } else if (a == "--name") {
            const char* v = value();
            if (!v || std::strlen(v) == 0 || std::strchr(v, '/'))
                return Fail("--name needs a file name without directory");
            o.name = v;
        } else if (a == "--glonass") {
            o.glonass = true;
        } else if (a == "--mask") {
            if (!needNumber(d) || d < -10.0 || d >= 90.0) return Fail("--mask must lie in -10..90");
            o.maskDegrees = d;
        } else if (a == "--clock-jump") {
            if (!needInteger(n) || n < 0) return Fail("--clock-jump needs an epoch number");
            o.clockJumpEpoch = static_cast<int>(n);
        } else if (a == "--slip") {
            const char* v = value();
            long epoch = 0;
            std::string rest;
            long satellite = 0;
            if (v == nullptr || !ParsePair(v, epoch, rest) || !ParseLong(rest.c_str(), satellite) ||
                epoch < 0 || satellite < 1 || satellite > 56)
                return Fail("--slip needs EPOCH,SAT");
            o.slipEpoch = static_cast<int>(epoch);
            o.slipSatellite = static_cast<int>(satellite);
        } else if (a == "--moving") {
            const char* v = value();
            long first = 0;
            std::string rest;
            long last = 0;
            if (!v || !ParsePair(v, first, rest) || !ParseLong(rest.c_str(), last) || first < 1 ||
                last < first)
                return Fail("--moving needs FIRST,LAST epochs with 1 <= FIRST <= LAST");
            o.movingFirst = static_cast<int>(first);
            o.movingLast = static_cast<int>(last);
        } else if (a == "--site-change") {
            const char* v = value();
            long epoch = 0;
            std::string name;
            if (!v || !ParsePair(v, epoch, name) || epoch < 1 || name.size() != 4)
                return Fail("--site-change needs EPOCH,NAME with a four-character name");
            o.siteChangeEpoch = static_cast<int>(epoch);
            o.newSite = name;
        } else if (a == "--bad-ephemeris") {
            o.badEphemeris = true;
        } else if (a == "--met") {
            o.met = true;
        } else if (a == "--met-interval") {
            if (!needNumber(d) || d < 1.0) return Fail("--met-interval must be at least 1 s");
            o.metInterval = d;
        } else if (a == "--leap") {
            if (!needInteger(n) || n < 0 || n > 100) return Fail("--leap must lie in 0..100");
            o.leapSeconds = static_cast<int>(n);
        } else if (a == "--code-noise") {
            if (!needNumber(d) || d < 0.0 || d > 100.0)
                return Fail("--code-noise must lie in 0..100 metres");
            o.codeNoise = d;
        } else if (a == "--quality") {
            if (!needInteger(n) || n < 0 || n > 255) return Fail("--quality must lie in 0..255");
            o.quality = static_cast<int>(n);
        } else if (a == "--truth") {
            const char* v = value();
            if (!v) return Fail("--truth needs a file name");
            o.truthPath = v;
        } else {
            return Fail("unknown argument '" + a + "'");
        }
    }
    if (o.blocks != 0 && o.blocks < kelvrant::sim::BlocksForDataType(o.dataType))
        return Fail("--blocks is smaller than the data type needs");

    const kelvrant::sim::Session session = kelvrant::sim::Simulate(o);
    const auto names = kelvrant::sim::FileNamesOf(session);
    const std::filesystem::path dir(session.options.outDir);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    struct Output {
        std::string name;
        std::string bytes;
    };
    std::vector<Output> outputs = {
        {names.bFile, kelvrant::sim::EncodeBFile(session)},
        {names.eFile, kelvrant::sim::EncodeEFile(session)},
        {names.sFile, kelvrant::sim::SiteFileText(session)},
        {names.ionFile, kelvrant::sim::EncodeIonFile(session)},
    };
    if (session.options.met) outputs.push_back({names.metFile, kelvrant::sim::MetLogText(session)});
    for (const auto& out : outputs) {
        if (!WriteBytes(dir / out.name, out.bytes))
            return Fail("cannot write " + (dir / out.name).string());
    }
    if (!session.options.truthPath.empty() &&
        !WriteBytes(session.options.truthPath, kelvrant::sim::TruthText(session)))
        return Fail("cannot write " + session.options.truthPath);
    for (const auto& out : outputs)
        std::printf("%s\n", (dir / out.name).string().c_str());
    return 0;
}
