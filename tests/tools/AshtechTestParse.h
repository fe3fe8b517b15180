// Test-side reader of the simulator's output, written apart from both the simulator's encoder
// and the product's readers so that a layout mistake in one cannot cancel one in another.
// Header-only: used by the tool tests and by the end-to-end tests.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace kelvrant::test::ash {

inline std::uint64_t LeBits(const std::string& b, std::size_t at, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b.at(at + static_cast<std::size_t>(i)));
    return v;
}
inline int U8(const std::string& b, std::size_t at) {
    return static_cast<int>(LeBits(b, at, 1));
}
inline int I8(const std::string& b, std::size_t at) {
    return static_cast<std::int8_t>(LeBits(b, at, 1));
}
inline int U16(const std::string& b, std::size_t at) {
    return static_cast<int>(LeBits(b, at, 2));
}
inline int I16(const std::string& b, std::size_t at) {
    return static_cast<std::int16_t>(LeBits(b, at, 2));
}
inline long I32(const std::string& b, std::size_t at) {
    return static_cast<std::int32_t>(LeBits(b, at, 4));
}
inline long U32(const std::string& b, std::size_t at) {
    return static_cast<long>(LeBits(b, at, 4));
}
inline float F32(const std::string& b, std::size_t at) {
    return std::bit_cast<float>(static_cast<std::uint32_t>(LeBits(b, at, 4)));
}
inline double F64(const std::string& b, std::size_t at) {
    return std::bit_cast<double>(LeBits(b, at, 8));
}
inline std::string Text(const std::string& b, std::size_t at, std::size_t width) {
    std::string t = b.substr(at, width);
    return t.substr(0, t.find('\0'));
}

struct Block {
    double rawRange = 0;
    float smoothing = 0;
    int warning = 0, quality = 0, snr = 0;
    long doppler = 0;
    double phase = 0;
};
struct Satellite {
    int number = 0;
    std::vector<Block> blocks;
};
struct Epoch {
    std::string site;
    double time = 0, x = 0, y = 0, z = 0, clockMetres = 0;
    int pdop100 = 0;
    std::vector<Satellite> satellites;
};
struct BFile {
    bool ok = false;
    std::string version;  ///< bytes 0..6
    int formatVersion = 0;
    std::string receiver, versionSecond, versionFirst;
    int dataType = 0;
    long week = 0;
    int blocks = 0;
    std::vector<Epoch> epochs;
    std::size_t trailing = 0;  ///< bytes after the last whole epoch
};

inline BFile ParseBFile(const std::string& b) {
    BFile f;
    if (b.size() < 90) return f;
    f.version = b.substr(0, 7);
    f.formatVersion = U8(b, 10);
    f.receiver = Text(b, 11, 10);
    f.versionSecond = Text(b, 21, 10);
    f.versionFirst = Text(b, 31, 10);
    f.dataType = I16(b, 41);
    f.week = I32(b, 43);
    f.blocks = I8(b, 47);
    if (f.blocks < 1 || f.blocks > 3) return f;
    const std::size_t satSize = 4 + 31 * static_cast<std::size_t>(f.blocks);
    std::size_t at = 90;
    while (at + 67 <= b.size()) {
        Epoch e;
        e.site = b.substr(at, 4);
        e.time = F64(b, at + 4);
        e.x = F64(b, at + 12);
        e.y = F64(b, at + 20);
        e.z = F64(b, at + 28);
        e.clockMetres = F64(b, at + 48);
        e.pdop100 = U16(b, at + 64);
        const int count = I8(b, at + 66);
        if (count < 0 || at + 67 + satSize * static_cast<std::size_t>(count) > b.size()) break;
        std::size_t s = at + 67;
        for (int i = 0; i < count; ++i, s += satSize) {
            Satellite sat;
            sat.number = U8(b, s);
            for (int k = 0; k < f.blocks; ++k) {
                const std::size_t o = s + 4 + 31 * static_cast<std::size_t>(k);
                Block blk;
                blk.rawRange = F64(b, o);
                blk.smoothing = F32(b, o + 8);
                blk.warning = U8(b, o + 15);
                blk.quality = U8(b, o + 16);
                blk.snr = U8(b, o + 17);
                blk.doppler = I32(b, o + 19);
                blk.phase = F64(b, o + 23);
                sat.blocks.push_back(blk);
            }
            e.satellites.push_back(sat);
        }
        f.epochs.push_back(e);
        at = s;
    }
    f.trailing = b.size() - at;
    f.ok = true;
    return f;
}

/// One E-file record, GPS or GLONASS; angles in semicircles as stored.
struct NavRecord {
    int number = 0;
    long week = 0;
    double seconds = 0;
    // GPS
    double tgd = 0, af0 = 0, af1 = 0, af2 = 0, deltaN = 0, m0 = 0, e = 0, sqrtA = 0;
    double cic = 0, crc = 0, cis = 0, crs = 0, cuc = 0, cus = 0, omega0 = 0, omega = 0, i0 = 0;
    double omegaDot = 0, idot = 0;
    long iodc = 0, toc = 0, iode = 0, toe = 0;
    int accuracy = 0, health = 0;
    // GLONASS
    long tk = 0;
    double tb = 0, tauN = 0, gammaN = 0, tauC = 0;
    double pos[3] = {}, vel[3] = {}, acc[3] = {};
    int frequency = 0, age = 0, gloHealth = 0;
};

inline std::vector<NavRecord> ParseEFile(const std::string& b) {
    std::vector<NavRecord> out;
    for (std::size_t at = 0; at + 129 <= b.size(); at += 129) {
        NavRecord r;
        r.number = U8(b, at);
        if (r.number <= 32) {
            r.week = I16(b, at + 1);
            r.seconds = static_cast<double>(I32(b, at + 3));
            r.tgd = F32(b, at + 7);
            r.iodc = I32(b, at + 11);
            r.toc = I32(b, at + 15);
            r.af2 = F32(b, at + 19);
            r.af1 = F32(b, at + 23);
            r.af0 = F32(b, at + 27);
            r.iode = I32(b, at + 31);
            r.deltaN = F32(b, at + 35);
            r.m0 = F64(b, at + 39);
            r.e = F64(b, at + 47);
            r.sqrtA = F64(b, at + 55);
            r.toe = I32(b, at + 63);
            r.cic = F32(b, at + 67);
            r.crc = F32(b, at + 71);
            r.cis = F32(b, at + 75);
            r.crs = F32(b, at + 79);
            r.cuc = F32(b, at + 83);
            r.cus = F32(b, at + 87);
            r.omega0 = F64(b, at + 91);
            r.omega = F64(b, at + 99);
            r.i0 = F64(b, at + 107);
            r.omegaDot = F32(b, at + 115);
            r.idot = F32(b, at + 119);
            r.accuracy = I16(b, at + 123);
            r.health = I16(b, at + 125);
        } else {
            r.week = U16(b, at + 1);
            r.seconds = static_cast<double>(U32(b, at + 3));
            r.tk = I32(b, at + 11);
            r.tb = F64(b, at + 15);
            r.tauN = F32(b, at + 23);
            r.gammaN = F32(b, at + 27);
            r.tauC = F64(b, at + 31);
            for (int i = 0; i < 3; ++i) {
                r.pos[i] = F64(b, at + 39 + 8 * static_cast<std::size_t>(i));
                r.vel[i] = F64(b, at + 63 + 8 * static_cast<std::size_t>(i));
                r.acc[i] = F64(b, at + 87 + 8 * static_cast<std::size_t>(i));
            }
            r.frequency = I8(b, at + 119);
            r.age = U8(b, at + 120);
            r.gloHealth = U16(b, at + 121);
        }
        out.push_back(r);
    }
    return out;
}

struct Ion {
    bool ok = false;
    double alpha[4] = {}, beta[4] = {};
    double a0 = 0, a1 = 0;
    long t = 0;
    int w = 0, leap = 0;
};
inline Ion ParseIon(const std::string& b) {
    Ion i;
    if (b.size() < 74) return i;
    for (std::size_t k = 0; k < 4; ++k) {
        i.alpha[k] = F32(b, 4 * k);
        i.beta[k] = F32(b, 16 + 4 * k);
    }
    i.a1 = F64(b, 32);
    i.a0 = F64(b, 40);
    i.t = I32(b, 48);
    i.w = I16(b, 52);
    i.leap = I16(b, 54);
    i.ok = true;
    return i;
}

struct TruthEpoch {
    int index = 0;
    double sow = 0, x = 0, y = 0, z = 0, clock = 0;
    int satellites = 0;
    std::string site;
};
struct Truth {
    double station[3] = {};
    long epochs = -1, week = 0;
    double start = 0, interval = 0;
    int leap = 0;
    std::vector<int> clockJumps;
    std::vector<TruthEpoch> epochList;
};
inline Truth ParseTruth(const std::string& text) {
    Truth t;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::string key;
        ls >> key;
        if (key == "station") {
            ls >> t.station[0] >> t.station[1] >> t.station[2];
        } else if (key == "epochs") {
            ls >> t.epochs;
        } else if (key == "week") {
            ls >> t.week;
        } else if (key == "start") {
            ls >> t.start;
        } else if (key == "interval") {
            ls >> t.interval;
        } else if (key == "leap") {
            ls >> t.leap;
        } else if (key == "clock_jump") {
            int j = 0;
            ls >> j;
            t.clockJumps.push_back(j);
        } else if (key == "epoch") {
            TruthEpoch e;
            ls >> e.index >> e.sow >> e.x >> e.y >> e.z >> e.clock >> e.satellites >> e.site;
            t.epochList.push_back(e);
        }
    }
    return t;
}

}  // namespace kelvrant::test::ash
