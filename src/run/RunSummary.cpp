// The summary of a run (see RunSummary.h).
#include "run/RunSummary.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

// Satellites the header lists: a count in at least one written observation type, GPS PRN
// 1..32 and GLONASS slots 1..24.
std::int32_t ListedSatellites(const ObsHeaderRecord& h) {
    std::int32_t n = 0;
    for (int e = 1; e < kObsCountEntries; ++e) {
        if (e == kGlonassEntryBase) continue;
        for (int t = 0; t < kObsTypeCount; ++t) {
            if (h.obsTypes[static_cast<std::size_t>(t)] != 0 &&
                h.counts[static_cast<std::size_t>(e)][static_cast<std::size_t>(t)] != 0) {
                ++n;
                break;
            }
        }
    }
    return n;
}

// "2026-12-08T00:00:30.000" (GPS time), with the separator given.
std::string TimeText(std::int32_t week, double seconds, char separator) {
    const CalendarTime c = GpsToCalendar(week, seconds);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%06.3f", c.year, c.month, c.day,
                  separator, c.hour, c.minute, std::trunc(c.seconds * 1000.0) / 1000.0);
    return text;
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += ch;
        }
    }
    out += '"';
}

}  // namespace

RunSummary DescribeRunOutputs(const ConversionJob& job, const RunFileSet& files) {
    RunSummary summary;
    for (const auto& piece : files.Pieces) {
        const ObsHeaderRecord& h = piece->header;
        OutputSummary o;
        o.kind = "observation";
        o.path = piece->obs.name;
        o.hasObservations = true;
        o.epochs = static_cast<std::int32_t>(piece->epochs);
        o.satellites = ListedSatellites(h);
        o.firstWeek = h.firstWeek;
        o.firstSeconds = h.firstSeconds;
        o.lastWeek = h.lastWeek;
        o.lastSeconds = h.lastSeconds;
        summary.files.push_back(o);
        if (!piece->nav.name.empty()) summary.files.push_back({"navigation", piece->nav.name});
        if (!piece->navG.name.empty())
            summary.files.push_back({"glonass-navigation", piece->navG.name});
    }
    if (!files.ObsFile.name.empty()) {
        const ObsHeaderRecord& h = files.ObsHeader;
        OutputSummary o;
        o.kind = "observation";
        o.path = job.ObsFileName;
        o.hasObservations = true;
        o.epochs = files.ObsReader.LastEpochIndex() + 1;
        o.satellites = ListedSatellites(h);
        o.firstWeek = h.firstWeek;
        o.firstSeconds = h.firstSeconds;
        o.lastWeek = h.lastWeek;
        o.lastSeconds = h.lastSeconds;
        summary.files.push_back(o);
    }
    if (!files.NavFile.name.empty()) summary.files.push_back({"navigation", job.NavFileName});
    if (!files.NavGFile.name.empty())
        summary.files.push_back({"glonass-navigation", job.NavGFileName});
    if (!files.MetOutFile.name.empty())
        summary.files.push_back({"meteorological", job.MetOutFileName});
    return summary;
}

void MeasureOutputs(RunSummary& summary) {
    for (OutputSummary& o : summary.files) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(o.path, ec);
        o.bytes = ec ? 0 : size;
    }
}

std::string SummaryText(const RunSummary& summary) {
    std::string out;
    for (const OutputSummary& o : summary.files) {
        char line[96];
        std::snprintf(line, sizeof line, ": %" PRIuMAX " bytes, %s", o.bytes,
                      std::string(o.kind).c_str());
        out += o.path + line;
        if (o.hasObservations) {
            std::snprintf(line, sizeof line, ", %d epochs, %d satellites, ", o.epochs,
                          o.satellites);
            out += line + TimeText(o.firstWeek, o.firstSeconds, ' ') + " to " +
                   TimeText(o.lastWeek, o.lastSeconds, ' ') + " GPS";
        }
        out += '\n';
    }
    if (summary.qualityChecked) {
        const QualitySummary& q = summary.quality;
        char line[160];
        std::snprintf(line, sizeof line, "quality check: completeness %.2f %%, %d slip%s",
                      q.completeness, q.slips, q.slips == 1 ? "" : "s");
        out += line;
        for (const auto& [name, rms] : {std::pair{"MP1", q.mp1}, std::pair{"MP2", q.mp2}}) {
            if (rms < 0.0) continue;
            std::snprintf(line, sizeof line, ", %s %.3f m", name, rms);
            out += line;
        }
        out += '\n';
    }
    out +=
        std::to_string(summary.warnings) + (summary.warnings == 1 ? " warning\n" : " warnings\n");
    return out;
}

std::string SummaryJson(const RunSummary& summary) {
    std::string out = "{\"status\":" + std::to_string(summary.exitStatus) + ",\"files\":[";
    bool first = true;
    for (const OutputSummary& o : summary.files) {
        if (!first) out += ',';
        first = false;
        out += "{\"type\":";
        AppendJsonString(out, o.kind);
        out += ",\"path\":";
        AppendJsonString(out, o.path);
        out += ",\"bytes\":" + std::to_string(o.bytes);
        if (o.hasObservations) {
            out += ",\"epochs\":" + std::to_string(o.epochs) +
                   ",\"satellites\":" + std::to_string(o.satellites) + ",\"first_epoch\":";
            AppendJsonString(out, TimeText(o.firstWeek, o.firstSeconds, 'T'));
            out += ",\"last_epoch\":";
            AppendJsonString(out, TimeText(o.lastWeek, o.lastSeconds, 'T'));
        }
        out += '}';
    }
    out += ']';
    if (summary.qualityChecked) {
        const QualitySummary& q = summary.quality;
        char text[160];
        std::snprintf(text, sizeof text, ",\"quality\":{\"completeness\":%.2f,\"slips\":%d",
                      q.completeness, q.slips);
        out += text;
        for (const auto& [name, rms] : {std::pair{"mp1", q.mp1}, std::pair{"mp2", q.mp2}}) {
            if (rms < 0.0) {
                out += std::string(",\"") + name + "\":null";
            } else {
                std::snprintf(text, sizeof text, ",\"%s\":%.3f", name, rms);
                out += text;
            }
        }
        out += '}';
    }
    out += ",\"warnings\":" + std::to_string(summary.warnings) + "}\n";
    return out;
}

}  // namespace kelvrant
