// The RINEX 3 and the RINEX 2 file of the same session carry the same observations: both files
// are read back by a small reader here, the RINEX 3 codes mapped to the RINEX 2 types (C1C ->
// C1, C1W/C1P -> P1, C2W/C2P -> P2, Lb?/Db?/Sb? -> Lb/Db/Sb), and every value and every
// phase's loss-of-lock flag compared, epoch by epoch and satellite by satellite.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

struct Value {
    double value = 0.0;
    int lli = 0;
};
// Epoch text -> satellite -> RINEX 2 type -> value.
using Observations = std::map<std::string, std::map<std::string, std::map<std::string, Value>>>;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Field(const std::string& line, std::size_t at, std::size_t width) {
    return at < line.size() ? line.substr(at, width) : std::string();
}

int Int(const std::string& text) {
    return std::atoi(text.c_str());
}

// A 16-column observation field; false when blank.
bool ReadValue(const std::string& field, Value& v) {
    const std::string number = field.substr(0, std::min<std::size_t>(14, field.size()));
    if (number.find_first_not_of(' ') == std::string::npos) return false;
    v.value = std::strtod(number.c_str(), nullptr);
    v.lli = field.size() > 14 && field[14] != ' ' ? field[14] - '0' : 0;
    return true;
}

// "yy mm dd hh mm ss.sssssss" of either version's epoch line, as one comparable text.
std::string EpochKey(int year, const std::string& rest) {
    std::istringstream in(rest);
    int month = 0, day = 0, hour = 0, minute = 0;
    double second = 0.0;
    in >> month >> day >> hour >> minute >> second;
    char key[64];
    std::snprintf(key, sizeof key, "%02d-%02d-%02d %02d:%02d:%010.7f", year % 100, month, day, hour,
                  minute, second);
    return key;
}

Observations ReadRinex2(const std::string& text) {
    const auto lines = Lines(text);
    std::vector<std::string> types;
    std::size_t i = 0;
    for (; i < lines.size() && Field(lines[i], 60, 13) != "END OF HEADER"; ++i)
        if (Field(lines[i], 60, 19) == "# / TYPES OF OBSERV")
            for (std::size_t c = 6; c + 6 <= 60; c += 6) {
                const std::string t = Field(lines[i], c + 4, 2);
                if (t != "  " && !t.empty()) types.push_back(t);
            }
    Observations out;
    for (++i; i < lines.size();) {
        const std::string& head = lines[i];
        const int flag = Int(Field(head, 28, 1));
        const int count = Int(Field(head, 29, 3));
        if (flag > 1) {
            i += 1 + static_cast<std::size_t>(count);
            continue;
        }
        const std::string key = EpochKey(Int(Field(head, 1, 2)), Field(head, 4, 22));
        std::vector<std::string> satellites;
        for (int s = 0; s < count; ++s) {
            if (s > 0 && s % 12 == 0) ++i;
            std::string sv = Field(lines[i], 32 + static_cast<std::size_t>(s % 12) * 3, 3);
            if (sv[0] == ' ') sv[0] = 'G';
            if (sv[1] == ' ') sv[1] = '0';
            satellites.push_back(sv);
        }
        ++i;
        for (const std::string& sv : satellites) {
            for (std::size_t t = 0; t < types.size(); ++t) {
                if (t > 0 && t % 5 == 0) ++i;
                Value v;
                if (ReadValue(Field(lines[i], (t % 5) * 16, 16), v)) out[key][sv][types[t]] = v;
            }
            ++i;
        }
    }
    return out;
}

// The RINEX 2 type a RINEX 3 code stands for.
std::string Rinex2Type(const std::string& code) {
    if (code[0] == 'C') return std::string(code[2] == 'C' ? "C" : "P") + code[1];
    return code.substr(0, 2);
}

Observations ReadRinex3(const std::string& text) {
    const auto lines = Lines(text);
    std::map<char, std::vector<std::string>> codes;
    char system = ' ';
    std::size_t i = 0;
    for (; i < lines.size() && Field(lines[i], 60, 13) != "END OF HEADER"; ++i) {
        if (Field(lines[i], 60, 19) != "SYS / # / OBS TYPES") continue;
        if (lines[i][0] != ' ') system = lines[i][0];
        for (std::size_t c = 7; c + 3 <= 58; c += 4) {
            const std::string code = Field(lines[i], c, 3);
            if (code != "   " && !code.empty()) codes[system].push_back(code);
        }
    }
    Observations out;
    for (++i; i < lines.size();) {
        const std::string& head = lines[i];
        const int flag = Int(Field(head, 31, 1));
        const int count = Int(Field(head, 32, 3));
        if (flag > 1) {
            i += 1 + static_cast<std::size_t>(count);
            continue;
        }
        const std::string key = EpochKey(Int(Field(head, 2, 4)), Field(head, 7, 22));
        ++i;
        for (int s = 0; s < count; ++s, ++i) {
            const std::string& line = lines[i];
            const std::string sv = line.substr(0, 3);
            const auto& list = codes[sv[0]];
            for (std::size_t t = 0; t < list.size(); ++t) {
                Value v;
                if (ReadValue(Field(line, 3 + t * 16, 16), v))
                    out[key][sv][Rinex2Type(list[t])] = v;
            }
        }
    }
    return out;
}

TEST(rinex3_values_e2e, rinex3_and_rinex2_files_of_a_session_carry_the_same_values) {
    if (test::SimulateExe().empty()) GTEST_SKIP() << "simulator not built";
    const char* const sessions[] = {
        "--receiver G12 --data-type 3 --interval 30 --length 3600 --clock-jump 600 --seed 7",
        "--receiver UZ-12 --data-type 2 --interval 10 --length 1800 --seed 10",
        "--receiver GG24 --glonass --data-type 3 --interval 5 --length 1800 --seed 8",
        "--receiver Z18 --glonass --data-type 6 --interval 5 --length 1800 --moving 20,40 "
        "--site-change 100,SIT2 --seed 9",
        "--receiver GG-XXIV --glonass --data-type 4 --interval 15 --length 3600 --seed 11",
    };
    for (const char* session : sessions) {
        SCOPED_TRACE(session);
        test::TempDir dir;
        std::vector<std::string> sim{test::SimulateExe()};
        std::istringstream words(session);
        for (std::string w; words >> w;)
            sim.push_back(w);
        for (const char* a : {"--site", "SIMU", "--session", "A", "--week", "2448", "--out"})
            sim.emplace_back(a);
        sim.push_back(dir.path().string());
        ASSERT_EQ(test::RunProcess(sim).exitCode, 0);
        for (const char* version : {"2", "3"}) {
            const auto r =
                test::RunProcess({test::KelvrantExe(), "-I", "BSIMUA26.342", "ESIMUA26.342", "-O",
                                  std::string("obs") + version, "-N", std::string("nav") + version,
                                  "--rinex", version, "--doppler", "yes"},
                                 {}, {"DISPLAY", "WAYLAND_DISPLAY"}, dir.path());
            ASSERT_EQ(r.exitCode, 0) << r.err;
        }
        const Observations two = ReadRinex2(test::ReadFile(dir.File("obs2")));
        Observations three = ReadRinex3(test::ReadFile(dir.File("obs3")));
        ASSERT_FALSE(two.empty());
        EXPECT_EQ(two.size(), three.size());
        long compared = 0;
        for (const auto& [epoch, satellites] : two) {
            for (const auto& [sv, values] : satellites) {
                auto& other = three[epoch][sv];
                for (const auto& [type, v] : values) {
                    // RINEX 3 leaves zeros blank, and keeps LLI bits 0 and 1 of phases only.
                    if (v.value == 0.0 && !other.contains(type)) continue;
                    ASSERT_TRUE(other.contains(type)) << epoch << " " << sv << " " << type;
                    EXPECT_DOUBLE_EQ(other[type].value, v.value) << epoch << " " << sv << type;
                    EXPECT_EQ(other[type].lli, type[0] == 'L' ? v.lli & 3 : 0)
                        << epoch << " " << sv << " " << type;
                    other.erase(type);
                    ++compared;
                }
                // S values are only in RINEX 3 (the receiver's dB-Hz); nothing else may be.
                for (const auto& [type, v] : other)
                    EXPECT_EQ(type[0], 'S') << epoch << " " << sv << " " << type;
            }
        }
        EXPECT_GT(compared, 1000);
    }
}

}  // namespace
}  // namespace kelvrant
