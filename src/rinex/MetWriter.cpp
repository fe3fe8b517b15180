// The RINEX meteorological writer (see MetWriter.h).
#include "rinex/MetWriter.h"

#include <cmath>

#include "geo/Geodetic.h"
#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"

namespace kelvrant {
namespace {

// The met writer's state of a slot: its own copy of the header, and the file it was opened
// with so that a slot since freed and claimed by another writer is not written to.
struct MetSlot {
    std::FILE* file = nullptr;
    MetHeaderRecord header;
};

std::array<MetSlot, kWriterSlotCount> gMetSlots;

// The calendar arithmetic counts days in 32 bits; beyond this week it would overflow.
constexpr std::int32_t kMaxDatableWeek = 300000000;
constexpr double kMaxDatableSeconds = 1e9;

MetSlot* MetSlotOf(int slot) {
    if (!SlotIsOpen(slot)) return nullptr;
    MetSlot& s = gMetSlots[static_cast<std::size_t>(slot)];
    if (s.file == nullptr || s.file != SlotFile(slot)) return nullptr;
    return &s;
}

void WriteSensorLine(int slot, const std::string& model, const std::string& type, double accuracy,
                     const char* code) {
    WriteHeaderLine(slot, "%-20.20s%-20.20s      %7.1lf    %2.2s %20.20s", model.c_str(),
                    type.c_str(), accuracy, code, label::kSensorModTypeAcc.data());
}

void WriteSensorPositionLine(int slot, double x, double y, double z, const char* code) {
    // An unknown position (all zeros) has no height either, not that of the Earth's centre.
    const double h = x == 0.0 && y == 0.0 && z == 0.0 ? 0.0 : EllipsoidalHeight(x, y, z);
    WriteHeaderLine(slot, "%14.4lf%14.4lf%14.4lf%14.4lf %2.2s %20.20s", x, y, z, h, code,
                    label::kSensorPos.data());
}

void WriteMetHeader(int slot, const MetHeaderRecord& r) {
    WriteHeaderLine(slot, "    %2d              METEOROLOGICAL DATA                     %20.20s", 2,
                    label::kVersionType.data());
    WritePgmRunByDateLine(slot, r.runBy);
    const int comments = r.commentCount < 0 ? 0 : (r.commentCount > 3 ? 3 : r.commentCount);
    for (int i = 0; i < comments; ++i)
        WriteCommentLine(slot, r.comments[static_cast<std::size_t>(i)]);
    WriteHeaderLine(slot, "%-60.60s%20.20s", r.markerName.c_str(), label::kMarkerName.data());
    if (r.markerNumberPresent != 0)
        WriteHeaderLine(slot, "%-60.60s%20.20s", r.markerNumber.c_str(),
                        label::kMarkerNumber.data());

    const bool pr = r.prPresent != 0;
    const bool td = r.tdPresent != 0;
    const bool hr = r.hrPresent != 0;
    // The count is of the sensors listed, so that it always matches the types that follow.
    std::string types = Format("%6d", (pr ? 1 : 0) + (td ? 1 : 0) + (hr ? 1 : 0));
    if (pr) types += "    PR";
    if (td) types += "    TD";
    if (hr) types += "    HR";
    types.resize(60, ' ');
    types += label::kTypesOfObserv;
    WriteHeaderText(slot, types);

    if (pr) WriteSensorLine(slot, r.prModel, r.prType, r.prAccuracy, "PR");
    if (td) WriteSensorLine(slot, r.tdModel, r.tdType, r.tdAccuracy, "TD");
    if (hr) WriteSensorLine(slot, r.hrModel, r.hrType, r.hrAccuracy, "HR");

    if (pr) WriteSensorPositionLine(slot, r.prX, r.prY, r.prZ, "PR");
    if (td && r.tdUsesPrPosition == 0) WriteSensorPositionLine(slot, r.tdX, r.tdY, r.tdZ, "TD");
    if (hr && r.hrUsesPrPosition == 0) WriteSensorPositionLine(slot, r.hrX, r.hrY, r.hrZ, "HR");

    WriteHeaderLine(slot, "                                                            %20.20s",
                    label::kEndOfHeader.data());
}

}  // namespace

int OpenMet(std::string_view programName, std::FILE* file, const MetHeaderRecord& header) {
    const int slot = ClaimWriterSlot(file, programName);
    if (slot < 0) return -1;
    MetSlot& s = gMetSlots[static_cast<std::size_t>(slot)];
    s.file = file;
    s.header = header;
    WriteMetHeader(slot, s.header);
    return slot;
}

int WriteMetRecord(int slot, std::int32_t week, double secondsOfWeek, double pressure,
                   double temperature, double humidity) {
    // The line writer records error 1 for an invalid or free slot and writes nothing.
    if (!SlotIsOpen(slot)) return WriteDataText(slot, {});
    const MetSlot* s = MetSlotOf(slot);
    if (s == nullptr) return 0;

    double t = secondsOfWeek + 0.000000001;
    if (!std::isfinite(t) || std::fabs(t) > kMaxDatableSeconds || week < 0 ||
        week > kMaxDatableWeek)
        return 0;
    if (t > kSecondsPerWeek) {
        t -= kSecondsPerWeek;
        ++week;
    }
    CalendarTime c = GpsToCalendar(week, t);
    double second = std::trunc(c.seconds + 0.5);
    if (second >= 60.0) {
        // Within half a second of the next minute the epoch is that minute's second 0;
        // RINEX has no second 60.
        c = GpsToCalendar(week, t + 0.5);
        second = std::trunc(c.seconds);
    }

    std::string line =
        Format("%3ld%3ld%3ld%3ld%3ld%3ld", static_cast<long>(TwoDigitYear(c.year)),
               static_cast<long>(c.month), static_cast<long>(c.day), static_cast<long>(c.hour),
               static_cast<long>(c.minute), static_cast<long>(second));
    const MetHeaderRecord& r = s->header;
    if (r.prPresent != 0) AppendFormat(&line, "%7.1lf", pressure);
    if (r.tdPresent != 0) AppendFormat(&line, "%7.1lf", temperature);
    if (r.hrPresent != 0) AppendFormat(&line, "%7.1lf", humidity);
    return WriteDataText(slot, line);
}

int CloseMet(int slot) {
    if (ReleaseWriterSlot(slot) == 0) return 0;
    gMetSlots[static_cast<std::size_t>(slot)] = MetSlot{};
    return 1;
}

}  // namespace kelvrant
