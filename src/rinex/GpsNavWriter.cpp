// The RINEX 2 GPS navigation writer (see GpsNavWriter.h).
#include "rinex/GpsNavWriter.h"

#include <algorithm>

#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

constexpr double kPi = 3.141592653589793;

// True for an open slot; otherwise the writers' bad-slot error is recorded.
bool CheckSlot(int slot) {
    if (SlotIsOpen(slot)) return true;
    WriteRawText(slot, "");  // writes nothing: it only sets the error of an invalid slot
    return false;
}

}  // namespace

void FormatDValue(std::string& line, const char* format, double value) {
    const std::size_t start = line.size();
    // The declaration's format attribute checks the callers' literal formats; here the format
    // can only be passed on (it must take one double).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    AppendFormat(&line, format, value * 10.0);
#pragma GCC diagnostic pop
    const std::size_t e = line.find_last_of("eE");
    if (e == std::string::npos || e < start) return;
    line[e] = 'D';
    // The mantissa d.ddd of ten times the value becomes .dddd of the value itself.
    const std::size_t point = line.rfind('.', e);
    if (point == std::string::npos || point <= start) return;
    std::swap(line[point], line[point - 1]);
}

int OpenGpsNav(std::string_view programName, int anglesInRadians, std::FILE* file,
               const NavHeaderRecord& header) {
    const int slot = ClaimWriterSlot(file, programName);
    if (slot < 0) return -1;
    SetSlotAngleFactorFlag(slot, anglesInRadians);

    WriteHeaderLine(slot, "    %2d              NAVIGATION DATA                         %20.20s", 2,
                    label::kVersionType.data());
    WritePgmRunByDateLine(slot, header.runBy);
    const int comments = std::clamp<int>(header.commentCount, 0, NavHeaderRecord::kMaxComments);
    for (int i = 0; i < comments; ++i)
        WriteCommentLine(slot, header.comments[static_cast<std::size_t>(i)]);
    if (header.ionPresent != 0) {
        std::string line;
        FormatDValue(line, "  %12.3le", header.alpha[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line, "%12.3le", header.alpha[i]);
        AppendFormat(&line, "          %20.20s", label::kIonAlpha.data());
        WriteHeaderText(slot, line);
        line.clear();
        FormatDValue(line, "  %12.3le", header.beta[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line, "%12.3le", header.beta[i]);
        AppendFormat(&line, "          %20.20s", label::kIonBeta.data());
        WriteHeaderText(slot, line);
    }
    if (header.utcPresent != 0) {
        std::string line;
        FormatDValue(line, "   %19.11le", header.a0);
        FormatDValue(line, "%19.11le", header.a1);
        AppendFormat(&line, "%9ld%9ld", static_cast<long>(header.t), static_cast<long>(header.w));
        AppendFormat(&line, " %20.20s", label::kDeltaUtc.data());
        WriteHeaderText(slot, line);
        WriteHeaderLine(slot, "%6ld                                                      %20.20s",
                        static_cast<long>(header.leapSeconds), label::kLeapSeconds.data());
    }
    WriteHeaderLine(slot, "                                                            %20.20s",
                    label::kEndOfHeader.data());
    return slot;
}

int WriteGpsNavRecord(int slot, int satellite, const AshNavRecord& record) {
    if (!CheckSlot(slot)) return 0;
    if (satellite > 32) return 1;

    // The clock reference time belongs to the next week when it lies more than half a week
    // before the message time.
    const std::int32_t toc = record.Toc();
    std::int32_t week = record.Week();
    if (static_cast<double>(toc) + 302400.0 < static_cast<double>(record.Seconds())) ++week;
    const CalendarTime epoch = GpsToCalendar(week, static_cast<double>(toc) + 0.000000001);
    const double f = SlotAngleFactorFlag(slot) != 0 ? 1.0 : kPi;

    std::string line = Format("%2d %02ld %2d %2d %2d %2d%5.1lf", satellite,
                              static_cast<long>(TwoDigitYear(epoch.year)), epoch.month, epoch.day,
                              epoch.hour, epoch.minute, epoch.seconds);
    FormatDValue(line, "%19.11le", record.Af0());
    FormatDValue(line, "%19.11le", record.Af1());
    FormatDValue(line, "%19.11le", record.Af2());
    WriteDataText(slot, line);

    const double rows[7][4] = {
        {static_cast<double>(record.Iode()), record.Crs(), f * record.DeltaN(), f * record.M0()},
        {record.Cuc(), record.Ecc(), record.Cus(), record.SqrtA()},
        {static_cast<double>(record.Toe()), record.Cic(), f * record.Omega0(), record.Cis()},
        {f * record.I0(), record.Crc(), f * record.Omega(), f * record.OmegaDot()},
        {f * record.Idot(), 0.0, static_cast<double>(record.Week()), 0.0},
        {static_cast<double>(record.Accuracy()), static_cast<double>(record.Health()), record.Tgd(),
         static_cast<double>(record.Iodc())},
        {static_cast<double>(record.Seconds()), 0.0, 0.0, 0.0},
    };
    for (const auto& row : rows) {
        line.clear();
        FormatDValue(line, "   %19.11le", row[0]);
        for (int i = 1; i < 4; ++i)
            FormatDValue(line, "%19.11le", row[i]);
        WriteDataText(slot, line);
    }
    return 1;
}

int CloseGpsNav(int slot) {
    return ReleaseWriterSlot(slot);
}

}  // namespace kelvrant
