// IGS site logs: reading the entries and their dates, choosing the one in place at a time,
// finding a station's newest log, and the header values they give.
#include "settings/SiteLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/SiteLogFill.h"
#include "support/TestPaths.h"

namespace kelvrant {
namespace {

using test::ReadFile;

std::string Logs() {
    return test::SourceDir() + "/tests/sitelog/logs";
}
std::string Log(const std::string& name) {
    return ReadFile(Logs() + "/" + name);
}

TEST(site_log, reads_every_entry_with_its_period) {
    const SiteLogParse p = ParseSiteLog(Log("kelv00deu_20260301.log"));
    ASSERT_TRUE(p.log) << p.line << " " << p.why;
    const SiteLog& log = *p.log;
    EXPECT_EQ(log.fourCharacterId, "KELV");
    EXPECT_EQ(log.domesNumber, "14299M002");
    ASSERT_TRUE(log.position);
    EXPECT_DOUBLE_EQ((*log.position)[2], 4761521.2959);
    ASSERT_EQ(log.receivers.size(), 3u);  // the "3.x" form is not an entry
    ASSERT_EQ(log.antennas.size(), 2u);
    EXPECT_FALSE(log.receivers[2].period.removed);  // "(CCYY-MM-DDThh:mmZ)"
    EXPECT_FALSE(log.antennas[1].period.removed);   // blank
    EXPECT_EQ(log.antennas[0].RinexType(), "ASH700936D_M    SNOW");
    EXPECT_EQ(log.antennas[1].RinexType(), "ASH701945E_M    NONE");
    EXPECT_DOUBLE_EQ(log.antennas[1].east, -0.002);
}

TEST(site_log, the_entry_in_place_at_a_time) {
    const SiteLog log = *ParseSiteLog(Log("kelv00deu_20260301.log")).log;
    struct Case {
        SiteLogMinutes t;
        const char* receiver;  // serial, or nullptr for none
        const char* antenna;
    } cases[] = {
        {SiteLogTime(2015, 4, 20, 9, 59), nullptr, nullptr},       // before the first
        {SiteLogTime(2015, 4, 20, 10, 0), "LP01234", "CR13522"},   // installed: in place
        {SiteLogTime(2019, 6, 3, 8, 30), nullptr, "CR13522"},      // removed: gone; gap
        {SiteLogTime(2022, 9, 1, 7, 30), "ZR520021301", nullptr},  // antenna gap
        {SiteLogTime(2026, 1, 14, 12, 29), nullptr, "CR620023301"},
        {SiteLogTime(2026, 12, 8, 0, 0), "GG24-0777", "CR620023301"},  // open removal
    };
    for (const Case& c : cases) {
        const SiteLogReceiver* r = log.ReceiverAt(c.t);
        const SiteLogAntenna* a = log.AntennaAt(c.t);
        EXPECT_EQ(r ? r->serialNumber : "none", c.receiver ? c.receiver : "none") << c.t;
        EXPECT_EQ(a ? a->serialNumber : "none", c.antenna ? c.antenna : "none") << c.t;
    }
}

TEST(site_log, old_form_with_four_character_id_dates_only_and_no_radome) {
    const SiteLogParse p = ParseSiteLog(Log("tst2_20241105.log"));
    ASSERT_TRUE(p.log) << p.line << " " << p.why;
    EXPECT_EQ(p.log->fourCharacterId, "TST2");
    EXPECT_EQ(p.log->domesNumber, "");
    EXPECT_FALSE(p.log->position);
    ASSERT_EQ(p.log->antennas.size(), 1u);
    EXPECT_EQ(p.log->antennas[0].RinexType(), "ASH111661       NONE");
    EXPECT_EQ(p.log->receivers[0].period.installed, SiteLogTime(2024, 11, 1, 0, 0));
}

TEST(site_log, malformed_logs_name_their_line) {
    const std::string good = Log("tst2_20241105.log");
    const auto with = [&good](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string text;
        long line;
    } cases[] = {
        {Log("badl00deu_20260301.log"), 64},                  // 31 June
        {with("2024-11-01T00:00Z", "2024-11-01 00:00"), 44},  // not the form
        {with("  1.5000", "  1.5OOO"), 40},                   // not a number
        {with("Marker->ARP East Ecc(m)  :   0.0000", "Marker->ARP East Ecc(m)  : "), 42},
        {with("     Date Installed           : 2024-11-01\n     Date Removed", "     Date Removed"),
         28},  // an entry that cannot be placed in time
        {with("Four Character ID        : TST2", "Four Character ID        : "), 10},
        {with("Z coordinate (m)       : ", "Z coordinate (m)       : 4.7e6x"), 24},
    };
    for (const Case& c : cases) {
        const SiteLogParse p = ParseSiteLog(c.text);
        EXPECT_FALSE(p.log);
        EXPECT_EQ(p.line, c.line) << p.why;
        EXPECT_FALSE(p.why.empty());
    }
}

TEST(site_log, newest_log_of_the_station_in_either_name_form) {
    EXPECT_EQ(FindSiteLog(Logs(), "KELV"), Logs() + "/kelv00deu_20260301.log");
    EXPECT_EQ(FindSiteLog(Logs(), "tst2"), Logs() + "/tst2_20241105.log");
    EXPECT_EQ(FindSiteLog(Logs(), "NONE"), "");
    EXPECT_EQ(FindSiteLog(Logs() + "/missing", "KELV"), "");
}

TEST(site_log, fills_the_header_at_the_first_observation) {
    const SiteLog log = *ParseSiteLog(Log("kelv00deu_20260301.log")).log;
    ObsHeaderRecord h;
    // 2026-12-08 (GPS week 2448, day 2): the GG24 and the choke ring without radome.
    h.firstWeek = 2448;
    h.firstSeconds = 2 * 86400.0;
    h.receiverType = "GG24";
    h.receiverVersion = "";
    h.receiverNumber = "S-FILE";
    h.antennaSlant = 1.5;
    h.approxX = 1.0;
    RecordingProblemSink sink;
    const double sFileHeight = 1.5;
    FillFromSiteLog(log, h, &sFileHeight, sink);
    EXPECT_EQ(h.markerName, "KELV");
    EXPECT_EQ(h.markerNumber, "14299M002");
    EXPECT_EQ(h.markerNumberPresent, 1);
    EXPECT_EQ(h.receiverNumber, "GG24-0777");
    EXPECT_EQ(h.receiverType, "GG24");      // the B-file's stands
    EXPECT_EQ(h.receiverVersion, "1.2.0");  // the B-file gave none
    EXPECT_EQ(h.antennaType, "ASH701945E_M    NONE");
    EXPECT_EQ(h.antennaNumber, "CR620023301");
    EXPECT_DOUBLE_EQ(AntennaHeight(h), 0.1);
    EXPECT_DOUBLE_EQ(h.antennaNorth, 0.001);
    EXPECT_DOUBLE_EQ(h.approxX, 1.0);  // the data gave a position
    ASSERT_EQ(sink.problems.size(), 1u);
    const std::string& warning = sink.problems[0].text;
    EXPECT_EQ(sink.problems[0].title, sitelogtext::kWarningTitle);
    EXPECT_NE(warning.find("(1.5000 m)"), std::string::npos) << warning;
    EXPECT_NE(warning.find("(0.1000 m)"), std::string::npos) << warning;

    ObsHeaderRecord none;
    none.firstWeek = 2448;
    const double same = 0.1005;
    RecordingProblemSink quiet;
    FillFromSiteLog(log, none, &same, quiet);
    EXPECT_TRUE(quiet.problems.empty());  // within 1 mm
    EXPECT_DOUBLE_EQ(none.approxY, 551621.3759);
}

}  // namespace
}  // namespace kelvrant
