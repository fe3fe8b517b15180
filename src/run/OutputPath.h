// What every observation and navigation output of a run shares: the byte path of a file in the
// run's format (compression on the way to the file), its end with the write error reported
// under the final name, and the observation writer of the run's RINEX version.
#pragma once

#include <cerrno>
#include <memory>

#include "rinex/LineWriter.h"
#include "rinex/ObsWriter.h"
#include "rinex/Rinex3ObsWriter.h"
#include "rinex/TextSink.h"
#include "run/ConversionWorker.h"
#include "run/OutputChain.h"
#include "run/OutputTransaction.h"

namespace kelvrant {

/// Reported with the final name: the temporary is never seen by the user.
inline void ReportWriteError(ProblemSink& problems, const std::string& name, int error) {
    problems.Report(runtext::kWriteErrorTitle, FileProblem(runtext::kWriteError, name,
                                                           SystemReason(error != 0 ? error : EIO)));
}

/// The byte path of one output: its file, and the compression of the run's format on the way.
struct OutputPath {
    OutputPath(const OutputFile& out, const OutputFormat& format, bool observation,
               const UtcTime& created)
        : file(out.file),
          chain(file, out.file != nullptr ? format : OutputFormat{}, observation, created),
          output(out) {}
    TextSink& Top() { return chain.Top(); }
    bool Failed() const { return chain.Failed(); }

    FileSink file;
    OutputChain chain;
    const OutputFile& output;
};

/// Ends an output's compression and stream and reports a failure to write it.
inline bool FinishOutput(ProblemSink& problems, OutputPath& path) {
    if (path.output.file == nullptr) return true;
    path.chain.Finish();
    path.file.Finish();
    if (!path.chain.Failed() && !path.file.Failed()) return true;
    // A compressor's own failure has no system reason; the stream's has one.
    ReportWriteError(problems, path.output.name, path.file.ErrorNumber());
    return false;
}

/// The writer of the run's RINEX version over the same neutral epochs.
class EpochWriter {
  public:
    EpochWriter(TextSink& sink, const WriterOptions& options, const OutputFormat& format,
                const BFileHeader& bfile, const GlonassChannels& channels) {
        if (format.rinexVersion == 3) {
            Rinex3ObsOptions o;
            o.dating = {std::string(options.programName), NowUtc(options.clock)};
            o.receiverModel = bfile.ReceiverType();
            o.dataType = bfile.DataType();
            o.glonassChannels = channels;
            rinex3_ = std::make_unique<Rinex3ObsWriter>(sink, o);
        } else {
            rinex2_ = std::make_unique<ObsWriter>(sink, options);
        }
    }
    void WriteHeader(const ObsHeaderRecord& header) {
        rinex3_ ? rinex3_->WriteHeader(header) : rinex2_->WriteHeader(header);
    }
    /// Shapes the epochs after it by a header written elsewhere.
    void Prepare(const ObsHeaderRecord& header) {
        rinex3_ ? rinex3_->Prepare(header) : rinex2_->Prepare(header);
    }
    void WriteEpoch(const ObservationEpoch& epoch) {
        rinex3_ ? rinex3_->WriteEpoch(epoch) : rinex2_->WriteEpoch(epoch);
    }

  private:
    std::unique_ptr<ObsWriter> rinex2_;
    std::unique_ptr<Rinex3ObsWriter> rinex3_;
};

}  // namespace kelvrant
