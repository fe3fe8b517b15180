// The observation output of an edited run (see EditedOutput.h).
#include "run/EditedOutput.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "convert/EpochConverter.h"
#include "geo/GpsTime.h"
#include "rinex/GlonassNavWriter.h"
#include "rinex/GpsNavWriter.h"
#include "rinex/ObsWriter.h"
#include "rinex/TextSink.h"
#include "run/ConversionWorker.h"
#include "run/OutputNames.h"

namespace kelvrant {
namespace {

constexpr double kGpsValidity = 7200.0;
constexpr double kGlonassValidity = 900.0;

std::string PieceDate(std::int64_t piece, SplitUnit unit) {
    const GpsSeconds start = PieceStart(piece, unit);
    const auto week = static_cast<std::int32_t>(std::floor(start / 604800.0));
    const CalendarTime t = GpsToCalendar(week, start - week * 604800.0 + 1e-9);
    std::int32_t year = 0, dayOfYear = 0, hour = 0, minute = 0;
    double seconds = 0.0;
    GpsTimeToDayOfYear(week, start - week * 604800.0, year, dayOfYear, hour, minute, seconds);
    return unit == SplitUnit::kHour
               ? Format("%04d-%02d-%02d %02d:00 (day %03d)", static_cast<int>(t.year),
                        static_cast<int>(t.month), static_cast<int>(t.day),
                        static_cast<int>(t.hour), static_cast<int>(dayOfYear))
               : Format("%04d-%02d-%02d (day %03d)", static_cast<int>(t.year),
                        static_cast<int>(t.month), static_cast<int>(t.day),
                        static_cast<int>(dayOfYear));
}

// The epochs of one output file, written to an anonymous scratch file until its header can be
// written.
class PieceBody {
  public:
    PieceBody(std::int64_t piece, const ObsHeaderRecord& header, const WriterOptions& options)
        : piece_(piece), scratch_(std::tmpfile()), sink_(scratch_), writer_(sink_, options) {
        // As large a buffer as the outputs have: a day of 1-second epochs passes through here.
        if (scratch_ != nullptr &&
            std::setvbuf(scratch_, buffer_.get(), _IOFBF, kScratchBufferSize) != 0)
            buffer_.reset();
        writer_.Prepare(header);
    }
    ~PieceBody() {
        if (scratch_ != nullptr) std::fclose(scratch_);
    }
    PieceBody(const PieceBody&) = delete;
    PieceBody& operator=(const PieceBody&) = delete;

    std::int64_t Piece() const { return piece_; }
    const WrittenSummary& Summary() const { return summary_; }
    bool Failed() const { return sink_.Failed(); }
    int ErrorNumber() const { return sink_.ErrorNumber() != 0 ? sink_.ErrorNumber() : EIO; }

    void Write(const ObservationEpoch& epoch) {
        writer_.WriteEpoch(epoch);
        summary_.Add(epoch);
    }

    // Copies the epochs after what `out` already holds; false when the scratch file fails.
    bool CopyTo(TextSink& out) {
        sink_.Finish();
        if (sink_.Failed()) return false;
        std::rewind(scratch_);
        std::vector<char> buffer(std::size_t{1} << 16);
        std::size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), scratch_)) > 0)
            out.Write(std::string_view(buffer.data(), n));
        return std::ferror(scratch_) == 0;
    }

  private:
    static constexpr std::size_t kScratchBufferSize = std::size_t{256} << 10;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kScratchBufferSize);
    std::int64_t piece_;
    std::FILE* scratch_;
    FileSink sink_;
    ObsWriter writer_;
    WrittenSummary summary_;
};

struct EditedRun {
    const ConversionJob& job;
    RunFileSet& files;
    ProblemSink& problems;
    const WriterOptions& writerOptions;
    const ObsHeaderRecord& header;
    std::int64_t lastPiece = 0;  ///< the piece written last (split runs)
    bool anyPiece = false;

    std::string ObsName(std::int64_t piece) const {
        const SplitUnit unit = job.Editing.split;
        return unit == SplitUnit::kNone ? files.ObsFile.name
                                        : PieceFileName(files.ObsFile.name, piece, unit);
    }

    void WarnEmpty(std::int64_t piece) {
        problems.Report(runtext::kEditTitle,
                        "No epoch is left for " + PieceDate(piece, job.Editing.split) +
                            "; no file was written for it.\n\n" + ObsName(piece));
    }

    // Writes the file of a finished body: its header, then its epochs.
    bool Finish(PieceBody& body) {
        const SplitUnit unit = job.Editing.split;
        // Days or hours without epochs between two pieces get a warning, never a file.
        if (unit != SplitUnit::kNone && anyPiece)
            for (std::int64_t p = lastPiece + 1; p < body.Piece(); ++p)
                WarnEmpty(p);
        lastPiece = body.Piece();
        anyPiece = true;
        if (body.Summary().epochs == 0) {
            if (unit != SplitUnit::kNone) WarnEmpty(body.Piece());
            return true;
        }
        if (body.Failed()) {
            problems.Report(runtext::kWriteErrorTitle,
                            FileProblem(runtext::kWriteError, ObsName(body.Piece()),
                                        SystemReason(body.ErrorNumber())));
            return false;
        }
        auto piece = std::make_unique<OutputPiece>();
        piece->piece = body.Piece();
        piece->epochs = body.Summary().epochs;
        piece->header = header;
        DescribeWrittenData(body.Summary(), job.Editing, piece->header);
        std::string reason;
        const std::string name = ObsName(body.Piece());
        if (!CreateOutput(piece->obs, name, reason)) {
            problems.Report(runtext::kFileOpenError,
                            FileProblem(runtext::kCannotOpenObs, name, reason));
            return false;
        }
        FileSink sink(piece->obs.file);
        ObsWriter writer(sink, writerOptions);
        writer.WriteHeader(piece->header);
        const bool copied = body.CopyTo(sink);
        sink.Finish();
        if (!copied || sink.Failed()) {
            problems.Report(
                runtext::kWriteErrorTitle,
                FileProblem(runtext::kWriteError, name,
                            SystemReason(sink.ErrorNumber() != 0 ? sink.ErrorNumber() : EIO)));
            return false;
        }
        files.Pieces.push_back(std::move(piece));
        return true;
    }
};

}  // namespace

void DropOutput(OutputFile& out) {
    DiscardOutput(out);
    out.name.clear();
}

bool ApplyEditToHeader(const EditOptions& edit, ObsHeaderRecord& header) {
    if (edit.types) {
        for (int o = 0; o < kObservableCount; ++o)
            if (!(*edit.types)[static_cast<std::size_t>(o)])
                header.obsTypes[static_cast<std::size_t>(o)] = 0;
    }
    if (edit.ExcludesAllGlonass()) header.systemLetter = 'G';
    return std::any_of(header.obsTypes.begin(), header.obsTypes.begin() + kObservableCount,
                       [](std::int16_t t) { return t != 0; });
}

void DescribeWrittenData(const WrittenSummary& summary, const EditOptions& edit,
                         ObsHeaderRecord& header) {
    header.firstWeek = summary.firstWeek;
    header.firstSeconds = summary.firstSeconds;
    header.lastWeek = summary.lastWeek;
    header.lastSeconds = summary.lastSeconds;
    header.lastPresent = 1;
    if (edit.decimateMs != 0 && edit.decimateMs > std::int64_t{header.interval} * 1000) {
        // A sub-second step has no whole-second INTERVAL.
        header.interval =
            edit.decimateMs % 1000 == 0 ? static_cast<std::int32_t>(edit.decimateMs / 1000) : 0;
    }
    for (auto& entry : header.counts)
        entry.fill(0);
    for (int s = 1; s < kSatelliteIndexCount; ++s) {
        auto& entry = header.counts[static_cast<std::size_t>(s <= 32 ? s : s + 1)];
        const auto& n = summary.counts[static_cast<std::size_t>(s)];
        std::copy(n.begin(), n.end(), entry.begin());
    }
}

bool NavRecordValidIn(const AshNavRecord& record, GpsSeconds start, GpsSeconds end) {
    if (record.IsGps()) {
        // The reference time is a time of week; its week is the one nearest the message's.
        const GpsSeconds sent = ToGpsSeconds(record.Week(), record.Seconds());
        GpsSeconds toe = ToGpsSeconds(record.Week(), record.Toe());
        if (toe - sent > 302400.0) toe -= 604800.0;
        if (sent - toe > 302400.0) toe += 604800.0;
        return toe >= start - kGpsValidity && toe < end + kGpsValidity;
    }
    std::int32_t week = 0;
    double seconds = 0.0;
    GlonassEpoch(record, week, seconds);
    const GpsSeconds tb = ToGpsSeconds(week, seconds);
    return tb >= start - kGlonassValidity && tb < end + kGlonassValidity;
}

bool EditedObservationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                            const ProgressState& stop, const std::function<void(double)>& publish,
                            const WriterOptions& writerOptions) {
    ObsHeaderRecord header = files.ObsHeader;
    if (!ApplyEditToHeader(job.Editing, header)) {
        problems.Report(runtext::kEditTitle, runtext::kNoChosenTypes);
        return false;
    }
    EditedRun run{job, files, problems, writerOptions, header};
    EpochConverter converter(ConvertOptionsFor(job, files.ObsReader.Header(), header));
    EpochEditor editor(job.Editing);
    const std::int32_t n = files.ObsReader.LastEpochIndex() + 1;
    EpochRecord epoch;
    auto satellites = std::make_unique<SatelliteSlots>();
    auto converted = std::make_unique<ObservationEpoch>();
    std::unique_ptr<PieceBody> body;
    for (std::int32_t i = 0; i < n; ++i) {
        // The run reports the stop and publishes nothing.
        if (stop.StopRequested()) return true;
        publish(std::trunc(100.0 * (i + 1) / n + 0.5));
        if (files.ObsReader.ReadEpoch(i, epoch, *satellites) == 0) continue;
        // Every epoch is converted: the clock-jump repair compares each with the one before,
        // and a dropped epoch's loss of lock is carried to the next one written.
        converter.Convert(epoch, *satellites, *converted);
        if (!editor.Keep(*converted)) continue;
        const std::int64_t piece =
            PieceOf(ToGpsSeconds(converted->week, converted->secondsOfWeek), job.Editing.split);
        if (body && body->Piece() != piece) {
            if (!run.Finish(*body)) return false;
            body.reset();
        }
        if (!body) body = std::make_unique<PieceBody>(piece, header, writerOptions);
        body->Write(*converted);
        if (body->Failed()) break;
    }
    if (body && !run.Finish(*body)) return false;
    if (files.Pieces.empty()) problems.Report(runtext::kEditTitle, runtext::kNothingKept);
    DropOutput(files.ObsFile);
    return true;
}

bool SplitNavigationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                          const WriterOptions& writerOptions) {
    const SplitUnit unit = job.Editing.split;
    std::vector<AshNavRecord> records;
    AshNavRecord record;
    if (files.NavFile.IsOpen() || files.NavGFile.IsOpen())
        while (files.NavReader.NextRecord(record) != 0)
            records.push_back(record);
    for (const auto& piece : files.Pieces) {
        const GpsSeconds start = PieceStart(piece->piece, unit);
        const GpsSeconds end = start + PieceLength(unit);
        for (const bool isGps : {true, false}) {
            const OutputFile& whole = isGps ? files.NavFile : files.NavGFile;
            if (!whole.IsOpen()) continue;
            OutputFile& out = isGps ? piece->nav : piece->navG;
            const std::string name = PieceFileName(whole.name, piece->piece, unit);
            std::string reason;
            if (!CreateOutput(out, name, reason)) {
                problems.Report(
                    runtext::kFileOpenError,
                    FileProblem(isGps ? runtext::kCannotOpenNav : runtext::kCannotOpenNavG, name,
                                reason));
                return false;
            }
            FileSink sink(out.file);
            if (isGps) {
                GpsNavWriter writer(sink, writerOptions);
                writer.WriteHeader(files.NavHeader);
                for (const AshNavRecord& r : records)
                    if (r.IsGps() && NavRecordValidIn(r, start, end)) writer.WriteRecord(r);
            } else {
                GlonassNavWriter writer(sink, writerOptions);
                writer.SetHeader(files.NavHeader);
                for (const AshNavRecord& r : records)
                    if (!r.IsGps() && NavRecordValidIn(r, start, end)) writer.WriteRecord(r);
                writer.Finish();
            }
            sink.Finish();
            if (sink.Failed()) {
                problems.Report(
                    runtext::kWriteErrorTitle,
                    FileProblem(runtext::kWriteError, name,
                                SystemReason(sink.ErrorNumber() != 0 ? sink.ErrorNumber() : EIO)));
                return false;
            }
        }
    }
    DropOutput(files.NavFile);
    DropOutput(files.NavGFile);
    return true;
}

}  // namespace kelvrant
