// What a conversion left behind, as the main window shows it at the end: each output with its
// size, the epochs and the time span of the observations, the problems reported on the way,
// or that it was cancelled and wrote nothing.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvrant {

struct ConversionJob;
struct RunFileSet;

/// The text shown when a run was cancelled.
inline constexpr const char* kCancelledText = "Conversion cancelled; no files were written.";

struct RunResult {
    enum class Ending { kSucceeded, kFailed, kCancelled };
    struct Output {
        std::string path;
        std::int64_t bytes = -1;  ///< -1: not found after the run
    };

    Ending ending = Ending::kSucceeded;
    bool metRun = false;
    std::string inputFile;  ///< the B-file or met log the run converted
    std::vector<Output> outputs;
    std::int64_t epochs = -1;  ///< B-file epochs; -1 for a met run
    bool hasTimeSpan = false;
    std::int32_t firstWeek = 0;
    double firstSeconds = 0.0;
    std::int32_t lastWeek = 0;
    double lastSeconds = 0.0;
    QStringList warnings;  ///< titles of the problems reported during the run

    /// Takes the outputs, epochs and time span from the run's summary (the one the command
    /// line prints), before the run's files are closed.
    static RunResult FromRun(const ConversionJob& job, const RunFileSet& files);
    /// Looks up each output's size on disk (after the files are closed).
    void MeasureOutputs();

    /// One line for the status bar: "Wrote 3 files (1.2 MB) to /data: KELV3421.26O, ...".
    [[nodiscard]] QString SummaryLine() const;
    /// The lines of the result panel, the summary first.
    [[nodiscard]] QStringList DetailLines() const;
    /// The folder of the first output (what "Open folder" opens).
    [[nodiscard]] QString OutputFolder() const;
};

/// "532 bytes", "12.4 KB", "3.1 MB".
QString FormatFileSize(std::int64_t bytes);

}  // namespace kelvrant
