// The compact RINEX encoder against the test-side decompressor: every case must come back
// byte for byte, including the ones that break naive encoders (satellites coming and going,
// blank observations, flag changes, events, clock offsets present and absent, large jumps).
// One case pins the compact text itself, so that both sides cannot drift together.
#include "rinex/CompactRinexEncoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/CompactRinexDecoder.h"

namespace kelvrant {
namespace {

const UtcTime kNow{2026, 3, 7, 9, 5, 0};

std::string HeaderLine(const std::string& text, const std::string& label) {
    std::string line = text;
    line.resize(60, ' ');
    line += label;
    line.resize(80, ' ');
    return line + "\r\n";
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// One observation field: "%14.3f", loss of lock and signal digit ('b' stands for blank
// value).
struct Obs {
    double value;
    char lli = ' ';
    char ssi = ' ';
    bool blank = false;
};
Obs Blank() {
    return Obs{0.0, ' ', ' ', true};
}

std::string Field(const Obs& o) {
    char text[32];
    if (o.blank)
        std::snprintf(text, sizeof text, "%14s", "");
    else
        std::snprintf(text, sizeof text, "%14.3f", o.value);
    return std::string(text) + o.lli + o.ssi;
}

struct Sat {
    std::string id;
    std::vector<Obs> obs;
};

// RINEX 2 text builder in this program's layout.
class Rinex2 {
  public:
    explicit Rinex2(int types) : types_(types) {
        text_ += HeaderLine("     2.11           OBSERVATION DATA    M", "RINEX VERSION / TYPE");
        text_ += HeaderLine("Kelvrant", "PGM / RUN BY / DATE");
        std::string t = "     " + std::to_string(types);
        const char* names[] = {"L1", "L2", "C1", "P1", "P2", "D1", "D2"};
        for (int i = 0; i < types; ++i)
            t += std::string("    ") + names[i];
        text_ += HeaderLine(t, "# / TYPES OF OBSERV");
        text_ += HeaderLine("", "END OF HEADER");
    }
    Rinex2& Epoch(int second, const std::vector<Sat>& sats, const char* clock = " 0.000123456",
                  char flag = '0') {
        char head[40];
        std::snprintf(head, sizeof head, " 26  3  7  9  5%11.7f  %c%3zu", second + 0.0, flag,
                      sats.size());
        std::string line = head;
        for (std::size_t i = 0; i < sats.size(); ++i) {
            if (i > 0 && i % 12 == 0) {
                Line(line);
                line = std::string(32, ' ');
            }
            line += sats[i].id;
            if (i == 11 || i + 1 == sats.size()) {
                if (i < 12 && clock != nullptr) {
                    line.resize(68, ' ');
                    line += clock;
                }
            }
        }
        Line(line);
        for (const Sat& s : sats) {
            std::string l;
            for (int j = 0; j < types_; ++j) {
                l += Field(s.obs[static_cast<std::size_t>(j)]);
                if (j % 5 == 4 || j + 1 == types_) {
                    Line(l);
                    l.clear();
                }
            }
        }
        return *this;
    }
    Rinex2& Raw(const std::string& line) {
        text_ += line + "\r\n";
        return *this;
    }
    const std::string& Text() const { return text_; }

  private:
    void Line(const std::string& l) { text_ += TrimRight(l) + "\r\n"; }
    int types_;
    std::string text_;
};

// RINEX 3 text builder: GPS with four types, GLONASS with three.
class Rinex3 {
  public:
    Rinex3() {
        text_ += HeaderLine("     3.05           OBSERVATION DATA    M", "RINEX VERSION / TYPE");
        text_ += HeaderLine("G    4 C1C L1C D1C S1C", "SYS / # / OBS TYPES");
        text_ += HeaderLine("R    3 C1C L1C S1C", "SYS / # / OBS TYPES");
        text_ += HeaderLine("", "END OF HEADER");
    }
    Rinex3& Epoch(int second, const std::vector<Sat>& sats, const char* clock = nullptr) {
        char head[64];
        std::snprintf(head, sizeof head, "> 2026 03 07 09 05%11.7f  0%3zu", second + 0.0,
                      sats.size());
        std::string line = head;
        if (clock != nullptr) line += std::string("      ") + clock;
        text_ += line + "\r\n";
        for (const Sat& s : sats) {
            std::string l = s.id;
            for (const Obs& o : s.obs)
                l += Field(o);
            text_ += TrimRight(l) + "\r\n";
        }
        return *this;
    }
    Rinex3& Raw(const std::string& line) {
        text_ += line + "\r\n";
        return *this;
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

std::string Encode(const std::string& rinex, std::size_t piece = 0) {
    StringSink out;
    CompactRinexEncoder encoder(out, "Kelvrant 0.1", kNow);
    if (piece == 0) {
        encoder.Write(rinex);
    } else {
        for (std::size_t i = 0; i < rinex.size(); i += piece)
            encoder.Write(std::string_view(rinex).substr(i, piece));
    }
    encoder.Finish();
    EXPECT_FALSE(encoder.Failed()) << encoder.Error();
    return out.Text();
}

void ExpectRoundTrip(const std::string& rinex) {
    const std::string compact = Encode(rinex);
    std::string error;
    const std::string back = test::DecodeCompactRinex(compact, error);
    EXPECT_EQ(error, "");
    if (back == rinex) return;
    std::size_t i = 0;
    while (i < back.size() && i < rinex.size() && back[i] == rinex[i])
        ++i;
    ADD_FAILURE() << "first difference at byte " << i << ":\nexpected: " << rinex.substr(i, 80)
                  << "\nrestored: " << back.substr(i, 80) << "\ncompact:\n"
                  << compact;
}

Sat G(const std::string& id, double base, int k, char lli = ' ', char ssi = '7') {
    // A smooth phase, code and Doppler, as a satellite arc gives them.
    const double t = k;
    return Sat{id,
               {{base + 1234.567 * t + 0.25 * t * t, lli, ssi},
                {base * 0.77 + 961.2 * t, ' ', '6'},
                {20000000.0 + base / 1000 + 235.1 * t},
                {-1234.567 + 0.5 * t},
                {-961.123 + 0.4 * t}}};
}

TEST(compact_rinex, pins_the_compact_text_of_a_small_session) {
    Rinex3 r;
    r.Epoch(0, {{"G05", {{1.0}, {10.0, '1', '5'}, Blank(), {45.25, ' ', '7'}}}}, " 0.000000000123")
        .Epoch(1, {{"G05", {{2.0}, {20.0, ' ', '5'}, {3.5}, {45.25, ' ', '7'}}}}, " 0.000000000124")
        .Epoch(2, {{"G05", {{4.0}, {40.0, ' ', '6'}, {3.5}, {45.25, ' ', '7'}}}}, " 0.000000000126")
        .Epoch(3, {{"G05", {{8.0}, {80.0, ' ', '6'}, {3.5}, {45.25, ' ', '7'}}}})
        .Epoch(4, {{"G05", {{16.0}, {160.0, ' ', '6'}, {3.5}, {45.25, ' ', '7'}}},
                   {"R07", {{1.5}, {2.5}, {3.5}}}});
    const std::string compact = Encode(r.Text());
    const std::string body = compact.substr(compact.find("END OF HEADER"));
    EXPECT_EQ(
        compact.substr(0, 164),
        "3.0                 COMPACT RINEX FORMAT                    CRINEX VERS   / TYPE\r\n"
        "Kelvrant 0.1                            07-Mar-26 09:05     CRINEX PROG / DATE  \r\n");
    EXPECT_EQ(body,
              "END OF HEADER       \r\n"
              // new start: the whole epoch line; the clock and every arc start with their order
              "> 2026 03 07 09 05  0.0000000  0  1      G05\r\n"
              "2&123\r\n"
              "3&1000 3&10000  3&45250   15   7\r\n"
              // first differences; C1C starts its arc; the loss-of-lock digit is blanked
              "                    1\r\n"
              "1\r\n"
              "1000 10000 3&3500 0   &\r\n"
              // second differences; a changed signal digit
              "                    2\r\n"
              "1\r\n"
              "1000 10000 0 0    6\r\n"
              // third differences; no clock ends its arc
              "                    3\r\n"
              "\r\n"
              "1000 10000 0 0\r\n"
              // the third difference stays the highest order; a new satellite starts all its arcs
              "                    4             2         R07\r\n"
              "\r\n"
              "2000 20000 0 0\r\n"
              "3&1500 3&2500 3&3500\r\n");
}

TEST(compact_rinex, rinex2_cases_come_back_byte_for_byte) {
    struct Case {
        const char* name;
        std::string rinex;
    };
    std::vector<Case> cases;
    {
        Rinex2 r(5);
        for (int k = 0; k < 6; ++k)
            r.Epoch(k, {G("G01", 110000000.0, k), G("G02", -2000000.0, k), G("R03", 5e6, k)});
        cases.push_back({"steady arcs", r.Text()});
    }
    {
        // G02 leaves for one epoch and comes back (its arcs start again); G04 appears; the
        // order of the list changes.
        Rinex2 r(5);
        r.Epoch(0, {G("G01", 1e8, 0), G("G02", 2e7, 0)})
            .Epoch(1, {G("G01", 1e8, 1)})
            .Epoch(2, {G("G02", 2e7, 2), G("G01", 1e8, 2), G("G04", 3e7, 2)})
            .Epoch(3, {G("G04", 3e7, 3), G("G01", 1e8, 3)});
        cases.push_back({"satellites come and go", r.Text()});
    }
    {
        Rinex2 r(5);
        Sat a = G("G01", 1e8, 0), b = G("G01", 1e8, 1), c = G("G01", 1e8, 2), d = G("G01", 1e8, 3);
        b.obs[2] = Blank();  // code missing for one epoch
        c.obs[0].lli = '1';  // loss of lock, then signal digits change and vanish
        c.obs[1].ssi = ' ';
        d.obs[1].ssi = '9';
        d.obs[4] = Blank();  // a blank last field
        r.Epoch(0, {a}).Epoch(1, {b}).Epoch(2, {c}).Epoch(3, {d});
        cases.push_back({"blank observations and flag changes", r.Text()});
    }
    {
        // 13 satellites: a continuation epoch line; seven types: two lines per satellite.
        Rinex2 r(7);
        for (int k = 0; k < 3; ++k) {
            std::vector<Sat> sats;
            for (int s = 1; s <= 13; ++s) {
                char id[4];
                std::snprintf(id, sizeof id, "G%02d", s);
                Sat sat = G(id, 1e6 * s, k);
                sat.obs.push_back({1.5 * s + k});
                sat.obs.push_back({-2.5 * s - k});
                sats.push_back(sat);
            }
            r.Epoch(k, sats);
        }
        cases.push_back({"continuation lines", r.Text()});
    }
    {
        // Events as this program writes them: moving antenna (flag 2 without a count, then a
        // flag 4 line with a comment), then a new site; observations resume after each.
        Rinex2 r(5);
        r.Epoch(0, {G("G01", 1e8, 0)}).Epoch(1, {G("G01", 1e8, 1)});
        r.Raw(" 26  3  7  9  5  2.0000000  2")
            .Raw("                            4  1")
            .Raw(
                "               ***  ANTENNA IS NOW MOVING  ***              COMMENT             ");
        r.Epoch(2, {G("G01", 1e8, 2)}).Epoch(3, {G("G01", 1e8, 3)});
        r.Raw(" 26  3  7  9  5  4.0000000  3  2")
            .Raw("SIT2                                                        MARKER NAME         ")
            .Raw(
                "          -->  THIS IS THE START OF A NEW SITE  <--         COMMENT             ");
        r.Epoch(4, {G("G01", 1e8, 4)}).Epoch(5, {G("G01", 1e8, 5)});
        cases.push_back({"event records", r.Text()});
    }
    {
        // Clock offsets present, absent, back; values that jump by the whole field width.
        Rinex2 r(5);
        Sat a = G("G01", 1e8, 0), b = G("G01", 1e8, 1), c = G("G01", 1e8, 2), d = G("G01", 1e8, 3);
        b.obs[0].value = 9999999999.999;
        c.obs[0].value = -999999999.999;
        d.obs[0].value = 0.001;
        r.Epoch(0, {a}, " 0.000100000").Epoch(1, {b}, nullptr).Epoch(2, {c}, "-0.000100001");
        r.Epoch(3, {d}, " 0.999999999").Epoch(4, {G("G01", 1e8, 4)}, "-0.999999999");
        cases.push_back({"clock offsets and large jumps", r.Text()});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRoundTrip(c.rinex);
    }
}

TEST(compact_rinex, rinex3_cases_come_back_byte_for_byte) {
    auto gps = [](int k, double base) {
        return Sat{
            "G12",
            {{2e7 + base + 100.5 * k}, {1e8 + base + 7 * k * k}, {-567.25 + k}, {45.0, ' ', '7'}}};
    };
    auto glo = [](int k) {
        return Sat{"R21",
                   {{2.1e7 + 300.25 * k}, {-3e7 + 11.0 * k * k, k == 2 ? '1' : ' ', '6'}, {41.0}}};
    };
    Rinex3 r;
    r.Epoch(0, {gps(0, 0), glo(0)}, " 0.000123456789")
        .Epoch(1, {glo(1), gps(1, 0)}, " 0.000123456790")
        .Epoch(2, {gps(2, 0)})
        .Epoch(3, {gps(3, 0), glo(3)}, "-0.000000000001");
    r.Raw("> 2026 03 07 09 05  4.0000000  2  1")
        .Raw("***  ANTENNA IS NOW MOVING  ***                              COMMENT             ");
    Sat blank = gps(5, 0);
    blank.obs[2] = Blank();
    blank.obs[3] = Blank();
    r.Epoch(5, {blank, glo(5)}, " 0.000123456800").Epoch(6, {gps(6, 0), glo(6)});
    ExpectRoundTrip(r.Text());
}

TEST(compact_rinex, pieces_of_any_size_give_the_same_text) {
    Rinex2 r(5);
    for (int k = 0; k < 4; ++k)
        r.Epoch(k, {G("G01", 1e8, k), G("G07", 3e7, k)});
    const std::string whole = Encode(r.Text());
    EXPECT_EQ(Encode(r.Text(), 1), whole);
    EXPECT_EQ(Encode(r.Text(), 77), whole);
}

TEST(compact_rinex, refuses_what_it_cannot_give_back) {
    const std::string header = Rinex2(5).Text();
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"no RINEX header", "not a RINEX file\r\n"},
        {"ends inside an epoch", Rinex2(5).Epoch(0, {G("G01", 1e8, 0)}).Text() +
                                     " 26  3  7  9  5  1.0000000  0  1G01      0.000123456\r\n"},
        {"a value in another format",
         header + " 26  3  7  9  5  1.0000000  0  1G01\r\n" + "   123456.1234\r\n"},
        {"an unknown epoch flag", header + " 26  3  7  9  5  1.0000000  7  1G01\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StringSink out;
        CompactRinexEncoder encoder(out, "Kelvrant", kNow);
        encoder.Write(c.text);
        encoder.Finish();
        EXPECT_TRUE(encoder.Failed());
        EXPECT_NE(encoder.Error(), "");
    }
}

}  // namespace
}  // namespace kelvrant
