// The observation writer's open, header and close (see ObsHeader.h).
#include "rinex/ObsHeader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "geo/GpsTime.h"
#include "rinex/LineWriter.h"
#include "rinex/ObsWriterState.h"

namespace kelvrant {
namespace obs_detail {
namespace {
std::array<ObsSlotState, kWriterSlotCount> gStates;
}  // namespace

ObsSlotState& StateOf(int slot) {
    return gStates[static_cast<std::size_t>(slot)];
}

ObsSlotState* ObsSlot(int slot) {
    if (!SlotIsOpen(slot)) {
        SetWriterError(kWriterBadSlot);
        return nullptr;
    }
    ObsSlotState& st = StateOf(slot);
    // A slot claimed by another writer (or freed and claimed again) is not ours.
    if (st.file == nullptr || st.file != SlotFile(slot)) {
        SetWriterError(kWriterBadSlot);
        return nullptr;
    }
    return &st;
}

}  // namespace obs_detail

namespace {

using obs_detail::ObsSlotState;

constexpr std::array<const char*, kObsTypeCount> kTypeFields = {
    "    L1", "    L2", "    C1", "    P1", "    P2", "    D1", "    D2", "    T1", "    T2"};

void PadTo(std::string& text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
}

bool SatelliteListed(const ObsHeaderRecord& r, int entry) {
    for (int t = 0; t < kObsTypeCount; ++t) {
        if (r.obsTypes[static_cast<std::size_t>(t)] != 0 &&
            r.counts[static_cast<std::size_t>(entry)][static_cast<std::size_t>(t)] != 0)
            return true;
    }
    return false;
}

void WriteTimeLine(int slot, char systemLetter, std::int32_t week, double seconds,
                   std::string_view label) {
    const CalendarTime t = GpsToCalendar(week, seconds + 1e-9);
    if (systemLetter == 'G') {
        WriteHeaderLine(slot, "%6ld%6ld%6ld%6ld%6ld%12.6lf                  %20.20s",
                        static_cast<long>(t.year), static_cast<long>(t.month),
                        static_cast<long>(t.day), static_cast<long>(t.hour),
                        static_cast<long>(t.minute), t.seconds, label.data());
    } else {
        WriteHeaderLine(slot, "%6ld%6ld%6ld%6ld%6ld%12.6lf      GPS         %20.20s",
                        static_cast<long>(t.year), static_cast<long>(t.month),
                        static_cast<long>(t.day), static_cast<long>(t.hour),
                        static_cast<long>(t.minute), t.seconds, label.data());
    }
}

void WriteTypesLine(int slot, const ObsHeaderRecord& r) {
    int count = 0;
    for (std::int16_t flag : r.obsTypes)
        count += flag != 0 ? 1 : 0;
    std::string text = Format("%6d", count);
    for (int t = 0; t < kObsTypeCount; ++t) {
        if (r.obsTypes[static_cast<std::size_t>(t)] != 0)
            text += kTypeFields[static_cast<std::size_t>(t)];
    }
    PadTo(text, 60);
    text += label::kTypesOfObserv;
    WriteHeaderText(slot, text);
}

void WriteSatelliteList(int slot, const ObsHeaderRecord& r) {
    // GPS PRN 1..32, then GLONASS slots 1..24; entry 0 of either kind is never listed.
    std::array<int, 56> entries{};
    std::size_t listed = 0;
    for (int e = 1; e <= 32; ++e)
        if (SatelliteListed(r, e)) entries[listed++] = e;
    for (int e = kGlonassEntryBase + 1; e < kObsCountEntries; ++e)
        if (SatelliteListed(r, e)) entries[listed++] = e;

    WriteHeaderLine(slot, "%6d                                                      %20.20s",
                    static_cast<int>(listed), label::kNumSatellites.data());
    std::string text;
    for (std::size_t i = 0; i < listed; ++i) {
        const int e = entries[i];
        text.clear();
        if (e <= 32) {
            if (r.systemLetter == 'G')
                AppendFormat(&text, "   %c%2d", ' ', e);
            else
                AppendFormat(&text, "   %c%2.2d", 'G', e);
        } else {
            AppendFormat(&text, "   %c%2.2d", 'R', e - kGlonassEntryBase);
        }
        for (int t = 0; t < kObsTypeCount; ++t) {
            if (r.obsTypes[static_cast<std::size_t>(t)] != 0)
                AppendFormat(
                    &text, "%6ld",
                    static_cast<long>(
                        r.counts[static_cast<std::size_t>(e)][static_cast<std::size_t>(t)]));
        }
        PadTo(text, 60);
        WriteHeaderLine(slot, "%s%s", text.c_str(), label::kPrnNumObs.data());
    }
}

void WriteHeaderLines(int slot, const ObsHeaderRecord& r) {
    if (r.systemLetter == 'G') {
        WriteHeaderLine(slot,
                        "    %2d              OBSERVATION DATA                        %20.20s", 2,
                        label::kVersionType.data());
    } else {
        WriteHeaderLine(slot,
                        "    %2d              OBSERVATION DATA    %c                   %20.20s", 2,
                        r.systemLetter, label::kVersionType.data());
    }
    WritePgmRunByDateLine(slot, r.runBy);
    const int comments = r.commentCount < 0 ? 0 : std::min<int>(r.commentCount, kMaxComments);
    for (int i = 0; i < comments; ++i)
        WriteCommentLine(slot, r.comments[static_cast<std::size_t>(i)]);
    WriteHeaderLine(slot, "%-60.60s%20.20s", r.markerName.c_str(), label::kMarkerName.data());
    if (r.markerNumberPresent != 0)
        WriteHeaderLine(slot, "%-60.60s%20.20s", r.markerNumber.c_str(),
                        label::kMarkerNumber.data());
    WriteHeaderLine(slot, "%-20.20s%-40.40s%20.20s", r.observer.c_str(), r.observingAgency.c_str(),
                    label::kObserverAgency.data());
    WriteHeaderLine(slot, "%-20.20s%-20.20s%-20.20s%20.20s", r.receiverNumber.c_str(),
                    r.receiverType.c_str(), r.receiverVersion.c_str(), label::kReceiver.data());
    WriteHeaderLine(slot, "%-20.20s%-20.20s                    %20.20s", r.antennaNumber.c_str(),
                    r.antennaType.c_str(), label::kAntenna.data());
    WriteHeaderLine(slot, "%14.4lf%14.4lf%14.4lf                  %20.20s", r.approxX, r.approxY,
                    r.approxZ, label::kApproxPosition.data());
    WriteHeaderLine(slot, "%14.4lf%14.4lf%14.4lf                  %20.20s", AntennaHeight(r),
                    r.antennaEast, r.antennaNorth, label::kAntennaDelta.data());
    WriteHeaderLine(slot, "%6d%6d                                                %20.20s",
                    r.wavelengthFactorL1, r.wavelengthFactorL2, label::kWavelengthFact.data());
    WriteTypesLine(slot, r);
    // FillObsHeader leaves 0 for a spacing that is no whole number of seconds: the line is
    // optional and better left out than wrong.
    if (r.intervalPresent != 0 && r.interval > 0)
        WriteHeaderLine(slot, "%6ld                                                      %20.20s",
                        static_cast<long>(r.interval), label::kInterval.data());
    if (r.systemLetter == 'M')
        WriteHeaderLine(slot, "%6ld                                                      %20.20s",
                        static_cast<long>(r.leapSeconds), label::kLeapSeconds.data());
    WriteTimeLine(slot, r.systemLetter, r.firstWeek, r.firstSeconds, label::kTimeOfFirstObs);
    if (r.lastPresent != 0)
        WriteTimeLine(slot, r.systemLetter, r.lastWeek, r.lastSeconds, label::kTimeOfLastObs);
    if (r.satelliteListPresent != 0) WriteSatelliteList(slot, r);
    WriteHeaderLine(slot, "                                                            %20.20s",
                    label::kEndOfHeader.data());
}

}  // namespace

double AntennaHeight(const ObsHeaderRecord& record) {
    double h = record.antennaDeltaVertical;
    if (record.antennaRadius < record.antennaSlant)
        h += std::sqrt(record.antennaSlant * record.antennaSlant -
                       record.antennaRadius * record.antennaRadius);
    return h;
}

void SetObservationTypes(ObsHeaderRecord& record, int dataType, bool noDoppler) {
    //                                          L1 L2 C1 P1 P2 D1 D2
    static constexpr std::int16_t kTable[7][7] = {{1, 1, 1, 1, 1, 1, 1},   // any other
                                                  {1, 0, 1, 0, 0, 1, 0},   // 1 L1
                                                  {1, 1, 1, 0, 0, 1, 1},   // 2 L2C
                                                  {1, 1, 1, 1, 1, 1, 1},   // 3 L1CP_L2P
                                                  {0, 0, 1, 0, 0, 1, 0},   // 4 CDPHASE
                                                  {1, 0, 1, 1, 0, 1, 0},   // 5 L1CP
                                                  {1, 1, 1, 0, 1, 1, 1}};  // 6 L1C_L2P
    const int row = dataType >= 1 && dataType <= 6 ? dataType : 0;
    for (int t = kObsL1; t <= kObsD2; ++t)
        record.obsTypes[static_cast<std::size_t>(t)] = kTable[row][t];
    if (noDoppler) {
        record.obsTypes[kObsD1] = 0;
        record.obsTypes[kObsD2] = 0;
    }
}

int OpenObs(std::FILE* file, std::string_view programName, int /*useLastWeek*/, std::int32_t week,
            double seconds, int dataType, int receiverClass, int smoothing, int siteChanges,
            int clockAdjustment) {
    const int slot = ClaimWriterSlot(file, programName);
    if (slot < 0) return -1;
    ObsSlotState& st = obs_detail::StateOf(slot);
    st = ObsSlotState{};
    st.file = file;
    st.week = week;
    st.previousTime = seconds;
    st.dataType = dataType;
    st.receiverClass = receiverClass;
    st.smoothing = smoothing;
    st.siteChanges = siteChanges;
    st.clockAdjustment = clockAdjustment;
    std::fseek(file, 0, SEEK_SET);
    return slot;
}

int WriteObsHeader(int slot, const ObsHeaderRecord& record) {
    ObsSlotState* st = obs_detail::ObsSlot(slot);
    if (st == nullptr) return 0;
    st->header = record;
    const long position = std::ftell(st->file);
    std::fseek(st->file, 0, SEEK_SET);
    WriteHeaderLines(slot, st->header);
    if (position > 0) std::fseek(st->file, position, SEEK_SET);
    return 1;
}

int CloseObs(int slot) {
    if (slot < 0 || slot >= kWriterSlotCount) {
        SetWriterError(kWriterBadSlot);
        return 0;
    }
    obs_detail::StateOf(slot).file = nullptr;
    return ReleaseWriterSlot(slot);
}

}  // namespace kelvrant
