// Byte-level encoders of the Ashtech receiver files (little-endian, IEEE 754, no padding).
#include "AshtechFiles.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

namespace kelvrant::sim {
namespace {

static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<float>::is_iec559);

/// Appends little-endian values to a byte string.
class Bytes {
  public:
    void U8(unsigned v) { out_.push_back(static_cast<char>(v & 0xFFu)); }
    void U16(unsigned v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            U8(static_cast<unsigned>(v >> (8 * i)));
    }
    void U64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i)
            U8(static_cast<unsigned>(v >> (8 * i)));
    }
    void I8(int v) { U8(static_cast<unsigned>(v)); }
    void I16(long v) { U16(static_cast<unsigned>(static_cast<std::uint16_t>(v))); }
    void I32(long v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v) { U32(std::bit_cast<std::uint32_t>(v)); }
    void F64(double v) { U64(std::bit_cast<std::uint64_t>(v)); }
    void Zero(std::size_t n) { out_.append(n, '\0'); }
    /// Text padded with NUL bytes (or cut) to exactly `width` bytes.
    void Text(const std::string& s, std::size_t width) {
        std::string t = s.substr(0, width);
        t.resize(width, '\0');
        out_ += t;
    }
    std::size_t Size() const { return out_.size(); }
    std::string& Str() { return out_; }

  private:
    std::string out_;
};

double WeekSeconds(double abs) {
    double s = std::fmod(abs, kSecondsPerWeek);
    if (s < 0.0) s += kSecondsPerWeek;
    return s;
}

void PutGpsRecord(Bytes& b, const GpsEphemeris& e) {
    const std::size_t at = b.Size();
    b.U8(static_cast<unsigned>(e.prn));
    b.I16(e.week);
    b.I32(std::lround(e.transmitSow));
    b.F32(e.tgd);
    b.I32(e.iodc);
    b.I32(std::lround(e.toc));
    b.F32(e.af2);
    b.F32(e.af1);
    b.F32(e.af0);
    b.I32(e.iode);
    b.F32(e.deltaN);
    b.F64(e.m0);
    b.F64(e.e);
    b.F64(e.sqrtA);
    b.I32(std::lround(e.toe));
    b.F32(e.cic);
    b.F32(e.crc);
    b.F32(e.cis);
    b.F32(e.crs);
    b.F32(e.cuc);
    b.F32(e.cus);
    b.F64(e.omega0);
    b.F64(e.omega);
    b.F64(e.i0);
    b.F32(e.omegaDot);
    b.F32(e.idot);
    b.I16(e.accuracy);
    b.I16(e.health);
    b.I16(0);
    (void)at;
}

void PutGloRecord(Bytes& b, const GloEphemeris& e) {
    b.U8(static_cast<unsigned>(32 + e.slot));
    b.U16(static_cast<unsigned>(e.messageWeek));
    b.U32(static_cast<std::uint32_t>(std::lround(e.messageSow)));
    b.Zero(4);
    b.I32(e.tk);
    b.F64(e.tbMoscow);
    b.F32(e.tauN);
    b.F32(e.gammaN);
    b.F64(e.tauC);
    b.F64(e.position.x);
    b.F64(e.position.y);
    b.F64(e.position.z);
    b.F64(e.velocity.x);
    b.F64(e.velocity.y);
    b.F64(e.velocity.z);
    b.F64(e.acceleration.x);
    b.F64(e.acceleration.y);
    b.F64(e.acceleration.z);
    b.Zero(8);
    b.I8(e.frequencyNumber);
    b.U8(static_cast<unsigned>(e.age));
    b.U16(static_cast<unsigned>(e.health));
    b.Zero(6);
}

[[gnu::format(printf, 1, 2)]] std::string Printf(const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return std::string(buf, static_cast<std::size_t>(std::clamp(n, 0, 511)));
}

/// Places text at a 1-based column of a line, widening the line with blanks as needed.
void PutAt(std::string& line, std::size_t column, const std::string& text) {
    if (line.size() < column - 1 + text.size()) line.resize(column - 1 + text.size(), ' ');
    line.replace(column - 1, text.size(), text);
}

std::string NmeaChecksum(const std::string& body) {
    unsigned sum = 0;
    for (const char ch : body)
        sum ^= static_cast<unsigned char>(ch);
    return Printf("%02X", sum);
}

}  // namespace

std::string EncodeBFile(const Session& s) {
    const SimOptions& o = s.options;
    Bytes b;
    b.Str() += "VERSION";
    b.Str() += "   ";
    b.U8(3);
    b.Text(o.receiver, 10);
    b.Text(o.versionSecond, 10);
    b.Text(o.versionFirst, 10);
    b.I16(o.dataType);
    b.I32(o.week);
    b.I8(s.blocks);
    b.Zero(42);
    for (const auto& ep : s.epochs) {
        b.Str().append(ep.site.data(), 4);
        b.F64(WeekSeconds(ep.receiverTime));
        b.F64(ep.reportedPosition.x);
        b.F64(ep.reportedPosition.y);
        b.F64(ep.reportedPosition.z);
        b.Zero(12);
        b.F64(ep.clockSeconds * kSpeedOfLight);
        b.Zero(8);
        b.U16(static_cast<unsigned>(ep.pdop100));
        b.I8(static_cast<int>(ep.satellites.size()));
        for (const auto& sat : ep.satellites) {
            b.U8(static_cast<unsigned>(sat.number));
            b.Zero(3);
            for (const auto& blk : sat.blocks) {
                b.F64(blk.rawRange);
                b.F32(blk.smoothing);
                b.Zero(3);
                b.U8(blk.warning);
                b.U8(blk.quality);
                b.U8(blk.snr);
                b.Zero(1);
                b.I32(blk.doppler);
                b.F64(blk.phase);
            }
        }
    }
    return std::move(b.Str());
}

std::string EncodeEFile(const Session& s) {
    // Records in the order the receiver heard them: by message time, GPS before GLONASS.
    struct Item {
        double time;
        int number;
        const GpsEphemeris* gps;
        const GloEphemeris* glo;
    };
    std::vector<Item> items;
    const double weekStart = static_cast<double>(s.options.week) * kSecondsPerWeek;
    for (const auto& e : s.gps)
        items.push_back({static_cast<double>(e.week) * kSecondsPerWeek + e.transmitSow - weekStart,
                         e.prn, &e, nullptr});
    for (const auto& e : s.glonass)
        items.push_back(
            {static_cast<double>(e.messageWeek) * kSecondsPerWeek + e.messageSow - weekStart,
             32 + e.slot, nullptr, &e});
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        return a.time != b.time ? a.time < b.time : a.number < b.number;
    });
    Bytes b;
    int count = 0;
    for (const auto& it : items) {
        if (it.gps)
            PutGpsRecord(b, *it.gps);
        else
            PutGloRecord(b, *it.glo);
        ++count;
        if (s.options.badEphemeris && count % 7 == 0) {
            // The receiver stored this message again.
            if (it.gps)
                PutGpsRecord(b, *it.gps);
            else
                PutGloRecord(b, *it.glo);
        }
    }
    if (s.options.badEphemeris && !s.gps.empty()) {
        // A message whose orbit size no GPS satellite can have, and one with an empty body.
        GpsEphemeris bad = s.gps.front();
        bad.prn = 31;
        bad.sqrtA = 6100.0;
        PutGpsRecord(b, bad);
        b.U8(32);
        b.Zero(128);
    }
    return std::move(b.Str());
}

std::string SiteFileText(const Session& s) {
    const SimOptions& o = s.options;
    std::string text;
    text += "                        SITE INFORMATION\n";
    text += "SITE SES  DOY   YR                 RCV ANT      OBS\n";
    std::string l3;
    PutAt(l3, 1, Printf("%-4.4s", o.site.c_str()));
    PutAt(l3, 6,
          Printf("%4d %4d %4d", static_cast<int>(o.session), s.startCivil.dayOfYear,
                 s.startCivil.year % 100));
    PutAt(l3, 31, std::string(1, o.session));
    PutAt(l3, 34, "101");
    PutAt(l3, 38, "202");
    PutAt(l3, 42, "0001");
    PutAt(l3, 47, "KVS");
    PutAt(l3, 51, "SIMULATED    ");
    PutAt(l3, 65, "Session simulated by kelvrant-simulate");
    text += l3 + "\n";
    text += "\n";
    text += "      ANT HGT   N OFF    E OFF    SLANT    RADIUS\n";
    text += "ANTHT:  1.4500   0.0000   0.0000   0.0000   0.0000\n";
    text += "METEO:  1013.2    20.0     50.0      0.0      0.0\n";
    text += "        RECEIVER TYPE   FIRM 1         FIRM 2\n";
    std::string l9;
    PutAt(l9, 1, "RECEIVER:");
    PutAt(l9, 15, Printf("%-9.9s", o.receiver.c_str()));
    PutAt(l9, 30, Printf("%-5.5s", o.versionFirst.c_str()));
    PutAt(l9, 45, Printf("%-5.5s", o.versionSecond.c_str()));
    PutAt(l9, 60, "SIM");
    text += l9 + "\n";
    return text;
}

std::string EncodeIonFile(const Session& s) {
    Bytes b;
    const float alpha[4] = {1.1176e-8f, 7.4506e-9f, -5.9605e-8f, -5.9605e-8f};
    const float beta[4] = {90112.0f, 0.0f, -196608.0f, -65536.0f};
    for (const float a : alpha)
        b.F32(a);
    for (const float x : beta)
        b.F32(x);
    b.F64(3.552713678801e-15);  // A1
    b.F64(1.862645149231e-09);  // A0
    b.I32(147456);
    b.I16(s.options.week);
    b.I16(s.options.leapSeconds);
    b.Zero(18);
    return std::move(b.Str());
}

std::string MetLogText(const Session& s) {
    const SimOptions& o = s.options;
    std::string text;
    if (s.epochs.empty() || o.metInterval <= 0.0) return text;
    Rng rng(o.seed ^ 0x6D6574ull);
    const double first = s.epochs.front().receiverTime;
    const double last = s.epochs.back().receiverTime;
    for (double t = first; t <= last + 1e-6; t += o.metInterval) {
        // Time messages are in UTC.
        const double utc = t - o.leapSeconds;
        const CivilTime c = GpsToCivil(o.week, utc);
        const double hours = (t - first) / 3600.0;
        const std::string timeBody =
            Printf("GPGXP,%02d%02d%05.2f,4836.000,N,00730.000,E", c.hour, c.minute, c.second);
        text += "$" + timeBody + "*" + NmeaChecksum(timeBody) + "\r\n";
        const double pressure = 0.9712 + 0.0008 * hours + rng.Normal(0.00005);
        const double temperature = 11.5 + 1.2 * hours + rng.Normal(0.05);
        const double humidity = 62.0 - 3.0 * hours + rng.Normal(0.3);
        const std::string body =
            Printf("GPXDR,P,%.4f,B,1,C,%.1f,C,2,H,%.1f,P,3", pressure, temperature, humidity);
        text += "$" + body + "*" + NmeaChecksum(body) + "\r\n";
    }
    return text;
}

std::string TruthText(const Session& s) {
    const SimOptions& o = s.options;
    std::string text;
    text += "# kelvrant-simulate truth: positions are ECEF metres of the antenna\n";
    text += Printf("station %.4f %.4f %.4f\n", o.station.x, o.station.y, o.station.z);
    text += Printf("epochs %zu\n", s.epochs.size());
    text += Printf("week %ld\n", o.week);
    text += Printf("start %.3f\n", o.startSow);
    text += Printf("interval %.3f\n", o.interval);
    text += Printf("leap %d\n", o.leapSeconds);
    text += Printf("datatype %d\n", o.dataType);
    text += Printf("blocks %d\n", s.blocks);
    text += Printf("gps_ephemerides %zu\n", s.gps.size());
    text += Printf("glonass_ephemerides %zu\n", s.glonass.size());
    for (const int j : s.jumpEpochs)
        text += Printf("clock_jump %d\n", j);
    auto satName = [](int number) {
        return Printf("%c%02d", number <= 32 ? 'G' : 'R', number <= 32 ? number : number - 32);
    };
    auto sowOf = [&](int epoch) { return WeekSeconds(o.startSow + epoch * o.interval); };
    for (const auto& slip : s.appliedSlips)
        text +=
            Printf("slip %d %.3f %s %ld %ld %d\n", slip.epoch, sowOf(slip.epoch),
                   satName(slip.number).c_str(), slip.cycles1, slip.cycles2, slip.flagged ? 1 : 0);
    for (const auto& [first, last] : o.gaps)
        text += Printf("gap %d %d %.3f %.3f\n", first, last, sowOf(first),
                       (last - first + 1) * o.interval);
    for (const auto& m : o.multipath)
        text +=
            Printf("multipath %s %.4f %.3f\n", satName(m.number).c_str(), m.amplitude, m.period);
    int index = 0;
    for (const auto& ep : s.epochs) {
        text += Printf("epoch %d %.3f %.4f %.4f %.4f %.12e %d %.4s\n", index++,
                       WeekSeconds(ep.receiverTime), ep.truePosition.x, ep.truePosition.y,
                       ep.truePosition.z, ep.clockSeconds, static_cast<int>(ep.satellites.size()),
                       ep.site.data());
        if (!o.truthSky) continue;
        for (const auto& sat : ep.satellites)
            text +=
                Printf("sky %.3f %s %.4f %.4f\n", WeekSeconds(ep.receiverTime),
                       satName(sat.number).c_str(), sat.azimuth / kDegree, sat.elevation / kDegree);
    }
    return text;
}

SessionFileNames FileNamesOf(const Session& s) {
    SessionFileNames n;
    n.bFile = "B" + s.baseName;
    n.eFile = "E" + s.baseName;
    n.sFile = "S" + s.baseName;
    // ION + the two-digit year of the base name + the same extension.
    const auto dot = s.baseName.find('.');
    const std::string stem = s.baseName.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : s.baseName.substr(dot);
    const std::string year = stem.size() >= 7 ? stem.substr(5, 2) : std::string("00");
    n.ionFile = "ION" + year + ext;
    n.metFile = Printf("%c%02d%03d.NMA", s.options.session, s.startCivil.year % 100,
                       s.startCivil.dayOfYear);
    return n;
}

}  // namespace kelvrant::sim
