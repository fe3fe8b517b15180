// The byte path of one output file in the chosen format: the writer writes RINEX text into the
// chain's top, which compresses it to compact RINEX (observation files), gzips it, or both, on
// its way to the file sink. Also the short names of compressed RINEX 2 files.
#pragma once

#include <memory>
#include <string>

#include "geo/Clock.h"
#include "rinex/CompactRinexEncoder.h"
#include "rinex/GzipSink.h"
#include "rinex/TextSink.h"
#include "settings/OutputFormat.h"

namespace kelvrant {

class OutputChain {
  public:
    /// `file` receives the bytes and must outlive the chain. Compact RINEX applies only when
    /// `observation` is set; `created` dates its CRINEX PROG / DATE line.
    OutputChain(TextSink& file, const OutputFormat& format, bool observation,
                const UtcTime& created, int gzipLevel = kDefaultGzipLevel);

    /// Where the writer writes.
    TextSink& Top() { return *top_; }
    /// Ends every stage in order (the gzip trailer last). The file sink's own flush stays with
    /// the caller.
    void Finish();
    bool Failed() const { return top_->Failed(); }
    std::string Error() const { return top_->Error(); }

  private:
    TextSink* top_;
    std::unique_ptr<GzipSink> gzip_;
    std::unique_ptr<CompactRinexEncoder> compact_;
};

/// The name of a RINEX 2 file written compressed: an observation file's type letter O becomes
/// D for compact RINEX (case kept: ".26O" -> ".26D", ".26o" -> ".26d"), and ".gz" follows when
/// gzipped. Names not ending in a RINEX 2 type letter only get ".gz".
std::string CompressedRinex2Name(const std::string& name, bool observation, bool compact,
                                 bool gzip);

}  // namespace kelvrant
