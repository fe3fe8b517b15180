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
#include "rinex/Rinex3NavWriter.h"
#include "rinex/TextSink.h"
#include "run/ConversionWorker.h"
#include "run/LongNames.h"
#include "run/OutputNames.h"
#include "run/OutputPath.h"

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

// The name of a piece of a file named `whole`; a gzip suffix stays last.
std::string PieceName(const std::string& whole, std::int64_t piece, SplitUnit unit) {
    constexpr std::string_view kGz = ".gz";
    if (whole.size() > kGz.size() && whole.ends_with(kGz))
        return PieceFileName(whole.substr(0, whole.size() - kGz.size()), piece, unit) +
               std::string(kGz);
    return PieceFileName(whole, piece, unit);
}

// The epochs of one output file, written in the run's RINEX version to an anonymous scratch
// file until its header can be written.
class PieceBody {
  public:
    PieceBody(std::int64_t piece, const ObsHeaderRecord& header, const WriterOptions& options,
              const OutputFormat& format, const BFileHeader& bfile, const GlonassChannels& channels)
        : piece_(piece),
          scratch_(std::tmpfile()),
          sink_(scratch_),
          writer_(sink_, options, format, bfile, channels) {
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
    EpochWriter writer_;
    WrittenSummary summary_;
};

// How the files of an edited run are named: RINEX 3 long names describe each file's own data
// (its first epoch, length and interval); short names get the day or hour of their piece.
struct EditedNames {
    const ConversionJob& job;
    double interval;  ///< of the written epochs

    bool Long() const {
        return job.ObsNamesAutomatic && job.Format.rinexVersion == 3 && job.Format.LongNames();
    }
    SessionSpan Span(const ObsHeaderRecord& written) const {
        return {written.firstWeek, written.firstSeconds,
                (written.lastWeek - written.firstWeek) * kSecondsPerWeek + written.lastSeconds -
                    written.firstSeconds + interval,
                interval};
    }
    // Where nothing was written: the whole span of the piece.
    SessionSpan Span(std::int64_t piece) const {
        const GpsSeconds start = PieceStart(piece, job.Editing.split);
        const auto week = static_cast<std::int32_t>(std::floor(start / kSecondsPerWeek));
        return {week, start - week * kSecondsPerWeek, PieceLength(job.Editing.split), interval};
    }
    // `header` gives the marker name and the systems.
    std::string Name(const std::string& whole, std::int64_t piece, const SessionSpan& span,
                     const ObsHeaderRecord& header, LongNameContent content) const {
        const OutputFormat& f = job.Format;
        if (Long()) {
            const StationNaming station{header.markerName, f.monument, f.receiverIndex, f.country};
            return SplitPath(whole).directory +
                   LongFileName(station, span, header.systemLetter, content,
                                f.compact && content == LongNameContent::kObservation, f.gzip);
        }
        return job.Editing.split == SplitUnit::kNone ? whole
                                                     : PieceName(whole, piece, job.Editing.split);
    }
};

struct EditedRun {
    const ConversionJob& job;
    RunFileSet& files;
    ProblemSink& problems;
    const WriterOptions& writerOptions;
    const ObsHeaderRecord& header;
    const GlonassChannels& channels;
    EditedNames names;
    std::int64_t lastPiece = 0;  ///< the piece written last (split runs)
    bool anyPiece = false;

    void WarnEmpty(std::int64_t piece) {
        const std::string name = names.Name(files.ObsFile.name, piece, names.Span(piece), header,
                                            LongNameContent::kObservation);
        problems.Report(runtext::kEditTitle, "No epoch is left for " +
                                                 PieceDate(piece, job.Editing.split) +
                                                 "; no file was written for it.\n\n" + name);
    }

    // Writes the file of a finished body: its header, then its epochs, through the output
    // chain of the run's format.
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
        auto piece = std::make_unique<OutputPiece>();
        piece->piece = body.Piece();
        piece->epochs = body.Summary().epochs;
        piece->header = header;
        DescribeWrittenData(body.Summary(), job.Editing, piece->header);
        const std::string name =
            names.Name(files.ObsFile.name, body.Piece(), names.Span(piece->header), piece->header,
                       LongNameContent::kObservation);
        if (body.Failed()) {
            ReportWriteError(problems, name, body.ErrorNumber());
            return false;
        }
        std::string reason;
        if (!CreateOutput(piece->obs, name, reason)) {
            problems.Report(runtext::kFileOpenError,
                            FileProblem(runtext::kCannotOpenObs, name, reason));
            return false;
        }
        OutputPath path(piece->obs, job.Format, true, NowUtc(writerOptions.clock));
        EpochWriter writer(path.Top(), writerOptions, job.Format, files.ObsReader.Header(),
                           channels);
        writer.WriteHeader(piece->header);
        const bool copied = body.CopyTo(path.Top());
        if (!FinishOutput(problems, path)) return false;
        if (!copied) {
            ReportWriteError(problems, name, EIO);
            return false;
        }
        files.Pieces.push_back(std::move(piece));
        return true;
    }
};

double WrittenInterval(const ConversionJob& job, const RunFileSet& files) {
    return std::max<double>(files.ObsReader.EpochInterval(),
                            static_cast<double>(job.Editing.decimateMs) / 1000.0);
}

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
                            const WriterOptions& writerOptions, const GlonassChannels& channels,
                            qc::QualityCheck* check) {
    ObsHeaderRecord header = files.ObsHeader;
    if (!ApplyEditToHeader(job.Editing, header)) {
        problems.Report(runtext::kEditTitle, runtext::kNoChosenTypes);
        return false;
    }
    // A run that only checks writes no RINEX; the check sees the epochs the files would hold.
    const bool write = !job.Qc.only;
    EditedRun run{
        job, files, problems, writerOptions, header, channels, {job, WrittenInterval(job, files)}};
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
        if (check != nullptr) check->AddEpoch(*converted);
        if (!write) continue;
        const std::int64_t piece =
            PieceOf(ToGpsSeconds(converted->week, converted->secondsOfWeek), job.Editing.split);
        if (body && body->Piece() != piece) {
            if (!run.Finish(*body)) return false;
            body.reset();
        }
        if (!body)
            body = std::make_unique<PieceBody>(piece, header, writerOptions, job.Format,
                                               files.ObsReader.Header(), channels);
        body->Write(*converted);
        if (body->Failed()) break;
    }
    if (!write) return true;
    if (body && !run.Finish(*body)) return false;
    if (files.Pieces.empty()) problems.Report(runtext::kEditTitle, runtext::kNothingKept);
    DropOutput(files.ObsFile);
    return true;
}

std::vector<AshNavRecord> ReadSplitNavigation(const ConversionJob& job, RunFileSet& files,
                                              const ProgressState& stop, GlonassChannels& channels,
                                              qc::QualityCheck* check) {
    std::vector<AshNavRecord> records;
    const bool rinex3 = job.Format.rinexVersion == 3;
    const bool wanted = files.NavFile.IsOpen() || files.NavGFile.IsOpen() || check != nullptr ||
                        (rinex3 && files.ObsFile.IsOpen() && files.EFile.IsOpen());
    if (!wanted) return records;
    // The mixed writer learns the GLONASS frequency channels the observation headers list.
    StringSink unused;
    Rinex3NavWriter mixed(unused, {});
    AshNavRecord record;
    while (!stop.StopRequested() && files.NavReader.NextRecord(record) != 0) {
        if (check != nullptr) check->AddNavigation(record);
        if (rinex3) mixed.Add(record);
        records.push_back(record);
    }
    if (rinex3) channels = mixed.Channels();
    return records;
}

bool SplitNavigationStage(const ConversionJob& job, RunFileSet& files, ProblemSink& problems,
                          const WriterOptions& writerOptions,
                          const std::vector<AshNavRecord>& records) {
    const SplitUnit unit = job.Editing.split;
    const bool rinex3 = job.Format.rinexVersion == 3;
    const EditedNames names{job, WrittenInterval(job, files)};
    const UtcTime created = NowUtc(writerOptions.clock);
    for (const auto& piece : files.Pieces) {
        const GpsSeconds start = PieceStart(piece->piece, unit);
        const GpsSeconds end = start + PieceLength(unit);
        // RINEX 3: one mixed file of both systems in the GPS navigation file's place.
        for (const bool isGps : {true, false}) {
            const OutputFile& whole = isGps ? files.NavFile : files.NavGFile;
            if (!whole.IsOpen() || (rinex3 && !isGps)) continue;
            OutputFile& out = isGps ? piece->nav : piece->navG;
            const std::string name = names.Name(whole.name, piece->piece, names.Span(piece->header),
                                                piece->header, LongNameContent::kNavigation);
            std::string reason;
            if (!CreateOutput(out, name, reason)) {
                problems.Report(
                    runtext::kFileOpenError,
                    FileProblem(isGps ? runtext::kCannotOpenNav : runtext::kCannotOpenNavG, name,
                                reason));
                return false;
            }
            OutputPath path(out, job.Format, false, created);
            const auto valid = [&](const AshNavRecord& r, bool gps) {
                return r.IsGps() == gps && NavRecordValidIn(r, start, end);
            };
            if (rinex3) {
                Rinex3NavWriter writer(path.Top(),
                                       {std::string(writerOptions.programName), created});
                for (const AshNavRecord& r : records)
                    if (NavRecordValidIn(r, start, end)) writer.Add(r);
                writer.Finish(files.NavHeader);
            } else if (isGps) {
                GpsNavWriter writer(path.Top(), writerOptions);
                writer.WriteHeader(files.NavHeader);
                for (const AshNavRecord& r : records)
                    if (valid(r, true)) writer.WriteRecord(r);
            } else {
                GlonassNavWriter writer(path.Top(), writerOptions);
                writer.SetHeader(files.NavHeader);
                for (const AshNavRecord& r : records)
                    if (valid(r, false)) writer.WriteRecord(r);
                writer.Finish();
            }
            if (!FinishOutput(problems, path)) return false;
        }
    }
    DropOutput(files.NavFile);
    DropOutput(files.NavGFile);
    return true;
}

}  // namespace kelvrant
