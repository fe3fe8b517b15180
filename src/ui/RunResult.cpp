#include "ui/RunResult.h"

#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "geo/GpsTime.h"
#include "run/RunFiles.h"
#include "run/RunSummary.h"

namespace kelvrant {
namespace {

QString Path(const std::string& path) {
    return QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
}

QString FileName(const std::string& path) {
    return QFileInfo(Path(path)).fileName();
}

QString FormatGpsTime(std::int32_t week, double seconds) {
    // Whole seconds, carried into minutes and hours here: rounding the calendar's seconds
    // alone would print 59.96 s as "60".
    const auto whole = static_cast<std::int64_t>(std::llround(seconds));
    const std::int64_t ofDay = ((whole % 86400) + 86400) % 86400;
    const CalendarTime date = GpsToCalendar(week, static_cast<double>(whole - ofDay) + 0.5);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", date.year, date.month,
                  date.day, static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60),
                  static_cast<int>(ofDay % 60));
    return QString::fromLatin1(text);
}

}  // namespace

QString FormatFileSize(std::int64_t bytes) {
    if (bytes < 1024) return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

RunResult RunResult::FromRun(const ConversionJob& job, const RunFileSet& files) {
    RunResult result;
    result.metRun = files.MetInFile.IsOpen();
    result.inputFile = result.metRun ? job.MetInFileName : job.BFileName;
    for (const OutputSummary& output : DescribeRunOutputs(job, files).files) {
        result.outputs.push_back({output.path, -1});
        if (!output.hasObservations) continue;
        result.epochs = output.epochs;
        result.hasTimeSpan = output.epochs > 0;
        result.firstWeek = output.firstWeek;
        result.firstSeconds = output.firstSeconds;
        result.lastWeek = output.lastWeek;
        result.lastSeconds = output.lastSeconds;
    }
    return result;
}

void RunResult::MeasureOutputs() {
    for (Output& output : outputs) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(output.path, ec);
        output.bytes = ec ? -1 : static_cast<std::int64_t>(size);
    }
}

QString RunResult::SummaryLine() const {
    switch (ending) {
        case Ending::kCancelled:
            return QString::fromLatin1(kCancelledText);
        case Ending::kFailed:
            return QStringLiteral("Conversion failed: %1")
                .arg(warnings.isEmpty() ? QStringLiteral("see the message shown")
                                        : warnings.join(QStringLiteral("; ")));
        case Ending::kSucceeded:
            break;
    }
    std::int64_t total = 0;
    QStringList names;
    for (const Output& output : outputs) {
        if (output.bytes > 0) total += output.bytes;
        names << FileName(output.path);
    }
    return QStringLiteral("Wrote %1 file%2 (%3) to %4: %5")
        .arg(outputs.size())
        .arg(outputs.size() == 1 ? "" : "s")
        .arg(FormatFileSize(total), OutputFolder(), names.join(QStringLiteral(", ")));
}

QStringList RunResult::DetailLines() const {
    QStringList lines;
    lines << SummaryLine();
    if (!inputFile.empty()) lines << QStringLiteral("From %1").arg(Path(inputFile));
    if (ending != Ending::kCancelled) {
        for (const Output& output : outputs) {
            lines << QStringLiteral("  %1  %2")
                         .arg(Path(output.path), output.bytes >= 0 ? FormatFileSize(output.bytes)
                                                                   : QStringLiteral("missing"));
        }
        if (epochs >= 0) lines << QStringLiteral("Epochs: %1").arg(epochs);
        if (hasTimeSpan) {
            lines << QStringLiteral("Time span: %1 to %2 (GPS time)")
                         .arg(FormatGpsTime(firstWeek, firstSeconds),
                              FormatGpsTime(lastWeek, lastSeconds));
        }
    }
    if (!warnings.isEmpty() && ending == Ending::kSucceeded)
        lines << QStringLiteral("Warnings: %1").arg(warnings.join(QStringLiteral("; ")));
    return lines;
}

QString RunResult::OutputFolder() const {
    if (outputs.empty()) return {};
    return QFileInfo(Path(outputs.front().path)).absolutePath();
}

}  // namespace kelvrant
