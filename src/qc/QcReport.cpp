// Quality check reports (see QcReport.h).
#include "qc/QcReport.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace kelvrant::qc {
namespace {

[[gnu::format(printf, 2, 3)]] void Add(std::string& out, const char* format, ...) {
    char buf[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    out += buf;
}

const char* const kObservableNames[kObservableCount] = {"L1", "L2", "C1", "P1", "P2", "D1", "D2"};

std::string SatName(const SatelliteId& id) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%c%02d", id.Letter(), id.number);
    return buf;
}

/// "0.123" or "-" when nothing was measured.
std::string Metres(const RmsSum& r) {
    if (r.count == 0) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", r.Rms());
    return buf;
}

std::string Mean(const MeanSum& m) {
    if (m.count == 0) return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", m.Mean());
    return buf;
}

std::string JsonNumber(double v, int decimals = 4) {
    if (!std::isfinite(v)) return "null";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string Exponent(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6e", v);
    return buf;
}

std::string JsonRms(const RmsSum& r) {
    return r.count > 0 ? JsonNumber(r.Rms()) : "null";
}

std::string JsonMean(const MeanSum& m) {
    return m.count > 0 ? JsonNumber(m.Mean(), 2) : "null";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace

std::string ReportText(const QcSummary& q) {
    std::string o;
    Add(o, "Kelvrant quality check\n");
    Add(o, "======================\n");
    Add(o, "File                       : %s\n", q.fileName.c_str());
    Add(o, "Marker                     : %s\n", q.markerName.c_str());
    Add(o, "Receiver                   : %s\n", q.receiverType.c_str());
    if (q.presentEpochs > 0) {
        Add(o, "First epoch (GPS time)     : %s\n", TimeText(q.firstTime).c_str());
        Add(o, "Last epoch (GPS time)      : %s\n", TimeText(q.lastTime).c_str());
    }
    Add(o, "Interval                   : %.3f s\n", q.interval);
    Add(o, "Epochs expected / present  : %ld / %ld\n", q.expectedEpochs, q.presentEpochs);
    Add(o, "Completeness               : %.2f %%\n", q.completeness);
    Add(o, "Gaps longer than interval  : %zu\n", q.gaps.size());
    for (const Gap& g : q.gaps)
        Add(o, "    from %s  %10.3f s  %6ld epochs\n", TimeText(g.start).c_str(), g.length,
            g.missingEpochs);
    Add(o, "Satellites tracked         : %d (GPS %d, GLONASS %d)\n",
        q.gpsTracked + q.glonassTracked, q.gpsTracked, q.glonassTracked);
    Add(o, "Observations               :");
    for (int k = 0; k < kObservableCount; ++k) {
        const long n = q.observations[static_cast<std::size_t>(k)];
        if (n > 0) Add(o, " %s %ld", kObservableNames[k], n);
    }
    Add(o, "\n");
    Add(o, "Elevation mask             : %.1f deg\n", q.elevationMask);
    if (q.skyKnown)
        Add(o, "Below the mask             : %ld satellite epochs\n", q.belowMask);
    else
        Add(o, "Below the mask             : unknown (no orbits or no position)\n");
    Add(o, "Cycle slips                : %d (receiver flag %d, found in the data %d)\n", q.slips,
        q.receiverSlips, q.dataSlips);
    if (q.slips > 0) Add(o, "Observations per slip      : %ld\n", q.observationsPerSlip);
    Add(o, "MP1 / MP2 RMS              : %s / %s m\n", Metres(q.mp1).c_str(),
        Metres(q.mp2).c_str());
    Add(o, "Mean SNR L1 / L2           : %s / %s (receiver units)\n", Mean(q.snr1).c_str(),
        Mean(q.snr2).c_str());
    Add(o, "Clock jumps repaired       : %d\n", q.clockJumps);
    if (q.clockDriftKnown) Add(o, "Receiver clock drift       : %.3f ns/s\n", q.clockDrift * 1e9);
    Add(o, "Position from data (XYZ)   : %14.4f %14.4f %14.4f\n", q.dataPosition.x,
        q.dataPosition.y, q.dataPosition.z);
    Add(o, "APPROX POSITION XYZ        : %14.4f %14.4f %14.4f\n", q.headerPosition.x,
        q.headerPosition.y, q.headerPosition.z);
    Add(o, "Distance between them      : %.3f m\n", q.positionDistance);

    Add(o,
        "\nSAT  first epoch          last epoch           epochs  <mask  max el  slips  "
        "rcv data   o/slip    MP1 m    MP2 m   SNR1   SNR2\n");
    for (const SatelliteSummary& s : q.satellites) {
        const long l1 = s.observations[0] > 0 ? s.observations[0] : s.observations[2];
        Add(o, "%s  %s  %s  %6ld  %5ld  %6s  %5d  %3d %4d  %7s  %7s  %7s  %5s  %5s\n",
            SatName(s.id).c_str(), TimeText(s.firstTime).substr(0, 19).c_str(),
            TimeText(s.lastTime).substr(0, 19).c_str(), s.epochs, s.belowMask,
            std::isnan(s.maxElevation) ? "-" : JsonNumber(s.maxElevation, 1).c_str(), s.slips,
            s.receiverSlips, s.dataSlips, s.slips > 0 ? std::to_string(l1 / s.slips).c_str() : "-",
            Metres(s.mp1).c_str(), Metres(s.mp2).c_str(), Mean(s.snr1).c_str(),
            Mean(s.snr2).c_str());
    }
    long epochs = 0;
    for (const SatelliteSummary& s : q.satellites)
        epochs += s.epochs;
    Add(o, "ALL  %-19s  %-19s  %6ld  %5ld  %6s  %5d  %3d %4d  %7s  %7s  %7s  %5s  %5s\n", "", "",
        epochs, q.belowMask, "", q.slips, q.receiverSlips, q.dataSlips,
        q.slips > 0 ? std::to_string(q.observationsPerSlip).c_str() : "-", Metres(q.mp1).c_str(),
        Metres(q.mp2).c_str(), Mean(q.snr1).c_str(), Mean(q.snr2).c_str());

    Add(o, "\nElevation (deg)    MP1 m    MP2 m   SNR1   SNR2  observations\n");
    for (int b = 0; b < kElevationBins; ++b) {
        const auto i = static_cast<std::size_t>(b);
        Add(o, "  %2d - %2d        %7s  %7s  %5s  %5s  %12ld\n", b * 10, b * 10 + 10,
            Metres(q.mp1ByElevation[i]).c_str(), Metres(q.mp2ByElevation[i]).c_str(),
            Mean(q.snr1ByElevation[i]).c_str(), Mean(q.snr2ByElevation[i]).c_str(),
            q.snr1ByElevation[i].count);
    }
    return o;
}

std::string ReportJson(const QcSummary& q) {
    std::string o = "{\n";
    Add(o, "  \"file\": %s,\n", JsonString(q.fileName).c_str());
    Add(o, "  \"marker\": %s,\n", JsonString(q.markerName).c_str());
    Add(o, "  \"receiver\": %s,\n", JsonString(q.receiverType).c_str());
    Add(o, "  \"first_epoch\": %s,\n", JsonString(TimeText(q.firstTime)).c_str());
    Add(o, "  \"last_epoch\": %s,\n", JsonString(TimeText(q.lastTime)).c_str());
    Add(o, "  \"interval_s\": %s,\n", JsonNumber(q.interval, 3).c_str());
    Add(o, "  \"epochs_expected\": %ld,\n  \"epochs_present\": %ld,\n", q.expectedEpochs,
        q.presentEpochs);
    Add(o, "  \"completeness_percent\": %s,\n", JsonNumber(q.completeness, 3).c_str());
    o += "  \"gaps\": [";
    for (std::size_t i = 0; i < q.gaps.size(); ++i)
        Add(o, "%s\n    {\"start\": %s, \"length_s\": %.3f, \"missing_epochs\": %ld}", i ? "," : "",
            JsonString(TimeText(q.gaps[i].start)).c_str(), q.gaps[i].length,
            q.gaps[i].missingEpochs);
    o += q.gaps.empty() ? "],\n" : "\n  ],\n";
    o += "  \"observations\": {";
    for (int k = 0; k < kObservableCount; ++k)
        Add(o, "%s\"%s\": %ld", k ? ", " : "", kObservableNames[k],
            q.observations[static_cast<std::size_t>(k)]);
    o += "},\n";
    Add(o, "  \"satellites_tracked\": {\"gps\": %d, \"glonass\": %d},\n", q.gpsTracked,
        q.glonassTracked);
    Add(o, "  \"elevation_mask_deg\": %.1f,\n", q.elevationMask);
    Add(o, "  \"below_mask\": %s,\n", q.skyKnown ? std::to_string(q.belowMask).c_str() : "null");
    Add(o,
        "  \"slips\": {\"total\": %d, \"receiver_flag\": %d, \"data\": %d, "
        "\"observations_per_slip\": %s},\n",
        q.slips, q.receiverSlips, q.dataSlips,
        q.slips > 0 ? std::to_string(q.observationsPerSlip).c_str() : "null");
    Add(o, "  \"mp1_rms_m\": %s,\n  \"mp2_rms_m\": %s,\n", JsonRms(q.mp1).c_str(),
        JsonRms(q.mp2).c_str());
    Add(o, "  \"snr1_mean\": %s,\n  \"snr2_mean\": %s,\n", JsonMean(q.snr1).c_str(),
        JsonMean(q.snr2).c_str());
    o += "  \"by_elevation\": [";
    for (int b = 0; b < kElevationBins; ++b) {
        const auto i = static_cast<std::size_t>(b);
        Add(o,
            "%s\n    {\"from_deg\": %d, \"to_deg\": %d, \"mp1_rms_m\": %s, \"mp2_rms_m\": %s, "
            "\"snr1_mean\": %s, \"snr2_mean\": %s}",
            b ? "," : "", b * 10, b * 10 + 10, JsonRms(q.mp1ByElevation[i]).c_str(),
            JsonRms(q.mp2ByElevation[i]).c_str(), JsonMean(q.snr1ByElevation[i]).c_str(),
            JsonMean(q.snr2ByElevation[i]).c_str());
    }
    o += "\n  ],\n";
    Add(o, "  \"clock_jumps\": %d,\n", q.clockJumps);
    Add(o, "  \"clock_drift_s_per_s\": %s,\n",
        q.clockDriftKnown ? Exponent(q.clockDrift).c_str() : "null");
    Add(o, "  \"position_from_data\": [%.4f, %.4f, %.4f],\n", q.dataPosition.x, q.dataPosition.y,
        q.dataPosition.z);
    Add(o, "  \"approx_position\": [%.4f, %.4f, %.4f],\n", q.headerPosition.x, q.headerPosition.y,
        q.headerPosition.z);
    Add(o, "  \"position_distance_m\": %.4f,\n", q.positionDistance);
    o += "  \"satellites\": [";
    for (std::size_t i = 0; i < q.satellites.size(); ++i) {
        const SatelliteSummary& s = q.satellites[i];
        Add(o,
            "%s\n    {\"sat\": \"%s\", \"first_epoch\": %s, \"last_epoch\": %s, \"epochs\": %ld, "
            "\"below_mask\": %ld, \"max_elevation_deg\": %s, \"slips\": %d, "
            "\"receiver_flag_slips\": %d, \"data_slips\": %d, \"mp1_rms_m\": %s, "
            "\"mp2_rms_m\": %s, \"snr1_mean\": %s, \"snr2_mean\": %s, \"slip_epochs\": [",
            i ? "," : "", SatName(s.id).c_str(), JsonString(TimeText(s.firstTime)).c_str(),
            JsonString(TimeText(s.lastTime)).c_str(), s.epochs, s.belowMask,
            JsonNumber(s.maxElevation, 2).c_str(), s.slips, s.receiverSlips, s.dataSlips,
            JsonRms(s.mp1).c_str(), JsonRms(s.mp2).c_str(), JsonMean(s.snr1).c_str(),
            JsonMean(s.snr2).c_str());
        for (std::size_t k = 0; k < s.slipTimes.size(); ++k)
            Add(o, "%s%s", k ? ", " : "", JsonString(TimeText(s.slipTimes[k])).c_str());
        o += "]}";
    }
    o += q.satellites.empty() ? "]\n" : "\n  ]\n";
    o += "}\n";
    return o;
}

}  // namespace kelvrant::qc
