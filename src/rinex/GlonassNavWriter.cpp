// The RINEX 2.01 GLONASS navigation writer (see GlonassNavWriter.h).
#include "rinex/GlonassNavWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "rinex/GpsNavWriter.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

constexpr double kMoscowOffset = 10800.0;  // Moscow time is UTC + 3 h
constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kWeek = 604800;

// The comment lines written at open, so that the rewrite has exactly as many lines.
std::array<int, kWriterSlotCount> gCommentLines{};

// True for an open slot; otherwise the writers' bad-slot error is recorded.
bool CheckSlot(int slot) {
    if (SlotIsOpen(slot)) return true;
    WriteRawText(slot, "");  // writes nothing: it only sets the error of an invalid slot
    return false;
}

void WriteHeader(int slot, const NavHeaderRecord& header, int comments) {
    WriteHeaderLine(slot, "%9.2lf           GLONASS NAVMESS DATA                    %20.20s", 2.01,
                    label::kVersionType.data());
    WritePgmRunByDateLine(slot, header.runBy);
    for (int i = 0; i < comments; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        WriteCommentLine(slot, i < header.commentCount ? header.comments[k] : std::string());
    }
    std::string line =
        Format("%6ld%6ld%6ld", static_cast<long>(header.correctionYear),
               static_cast<long>(header.correctionMonth), static_cast<long>(header.correctionDay));
    FormatDValue(line, "   %19.11le", header.correction);
    AppendFormat(&line, "                    %20.20s", label::kCorrToSystemTime.data());
    WriteHeaderText(slot, line);
    WriteHeaderLine(slot, "%6ld                                                      %20.20s",
                    static_cast<long>(header.leapSeconds), label::kLeapSeconds.data());
    WriteHeaderLine(slot, "                                                            %20.20s",
                    label::kEndOfHeader.data());
}

}  // namespace

void GlonassEpoch(const AshNavRecord& record, std::int32_t& week, double& secondsOfWeek) {
    const std::int64_t message = record.GloSeconds();
    const double sod = static_cast<double>(message % kDay);
    // tb taken as whole seconds towards the message's time of day.
    double e = sod - std::trunc(sod - record.Tb());
    if (!std::isfinite(e)) e = sod + kMoscowOffset;  // unusable tb: the message time itself
    // Offset of the epoch from the message time for the message's own Moscow day number, then
    // moved by whole days into -12 h .. +12 h: an ephemeris is dated on the day nearest to its
    // reception, also when it was received before GPS midnight for a Moscow time after it.
    double offset = e - kMoscowOffset - sod;
    double r = std::fmod(offset + 43200.0, 86400.0);
    if (r < 0.0) r += 86400.0;
    offset = r - 43200.0;

    week = record.GloWeek();
    double u = static_cast<double>(message) + offset;
    if (u < 0.0) {
        --week;
        u += static_cast<double>(kWeek);
    } else if (u >= static_cast<double>(kWeek)) {
        ++week;
        u -= static_cast<double>(kWeek);
    }
    secondsOfWeek = u;
}

double GlonassFrameTime(const AshNavRecord& record) {
    const std::int64_t day = record.GloSeconds() / kDay;
    std::int64_t f = record.Tk() + day * kDay - static_cast<std::int64_t>(kMoscowOffset);
    if (f < 0)
        f += kWeek;
    else if (f >= kWeek)
        f -= kWeek;
    if (f >= kDay) f %= kDay;
    return static_cast<double>(f);
}

void SetGlonassCorrection(NavHeaderRecord& header, const AshNavRecord& record) {
    // The nanosecond keeps a message sent exactly at midnight on its own day.
    const CalendarTime date = GpsToCalendar(record.GloWeek(), record.GloSeconds() + 0.000000001);
    header.correctionYear = date.year;
    header.correctionMonth = date.month;
    header.correctionDay = date.day;
    header.correction = -record.TauC();
}

int OpenGlonassNav(std::string_view programName, std::FILE* file, const NavHeaderRecord& header) {
    const int slot = ClaimWriterSlot(file, programName);
    if (slot < 0) return -1;
    const int comments = std::clamp<int>(header.commentCount, 0, NavHeaderRecord::kMaxComments);
    gCommentLines[static_cast<std::size_t>(slot)] = comments;
    WriteHeader(slot, header, comments);
    return slot;
}

int WriteGlonassNavRecord(int slot, int satellite, const AshNavRecord& record) {
    if (!CheckSlot(slot)) return 0;
    if (satellite <= 32) return 1;

    std::int32_t week = 0;
    double seconds = 0.0;
    GlonassEpoch(record, week, seconds);
    const CalendarTime epoch = GpsToCalendar(week, seconds + 0.000000001);

    std::string line = Format("%2d %02ld %2d %2d %2d %2d%5.1lf", satellite - 32,
                              static_cast<long>(TwoDigitYear(epoch.year)), epoch.month, epoch.day,
                              epoch.hour, epoch.minute, epoch.seconds);
    FormatDValue(line, " %18.11le", -static_cast<double>(record.TauN()));
    FormatDValue(line, " %18.11le", record.GammaN());
    FormatDValue(line, " %18.11le", GlonassFrameTime(record));
    WriteDataText(slot, line);

    const double rows[3][4] = {
        {record.PosX() * 0.001, record.VelX() * 0.001, record.AccX() * 0.001,
         static_cast<double>(record.GloHealth())},
        {record.PosY() * 0.001, record.VelY() * 0.001, record.AccY() * 0.001,
         static_cast<double>(record.FrequencyNumber())},
        {record.PosZ() * 0.001, record.VelZ() * 0.001, record.AccZ() * 0.001,
         static_cast<double>(record.Age())},
    };
    for (const auto& row : rows) {
        line.clear();
        FormatDValue(line, "    %18.11le", row[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line, " %18.11le", row[i]);
        WriteDataText(slot, line);
    }
    return 1;
}

int RewriteGlonassNavHeader(int slot, const NavHeaderRecord& header) {
    if (!CheckSlot(slot)) return 0;
    std::FILE* file = SlotFile(slot);
    const long position = std::ftell(file);
    // A file that cannot go back to its start keeps its first header rather than getting a
    // second one at its end.
    if (position < 0 || std::fseek(file, 0, SEEK_SET) != 0) return 0;
    WriteHeader(slot, header, gCommentLines[static_cast<std::size_t>(slot)]);
    if (position > 0) std::fseek(file, position, SEEK_SET);
    return 1;
}

int CloseGlonassNav(int slot) {
    return ReleaseWriterSlot(slot);
}

}  // namespace kelvrant
