// Output chains (see OutputChain.h).
#include "run/OutputChain.h"

#include "run/ConversionJob.h"

namespace kelvrant {

OutputChain::OutputChain(TextSink& file, const OutputFormat& format, bool observation,
                         const UtcTime& created, int gzipLevel)
    : top_(&file) {
    if (format.gzip) {
        gzip_ = std::make_unique<GzipSink>(*top_, gzipLevel);
        top_ = gzip_.get();
    }
    if (format.compact && observation) {
        compact_ = std::make_unique<CompactRinexEncoder>(*top_, kProgramName, created);
        top_ = compact_.get();
    }
}

void OutputChain::Finish() {
    // Each stage finishes the one below it; the file sink's Finish does nothing the caller's
    // flush would not do again.
    if (compact_)
        compact_->Finish();
    else if (gzip_)
        gzip_->Finish();
}

std::string CompressedRinex2Name(const std::string& name, bool observation, bool compact,
                                 bool gzip) {
    std::string out = name;
    if (observation && compact && !out.empty()) {
        const std::size_t dot = out.find_last_of('.');
        const std::size_t slash = out.find_last_of('/');
        const bool rinex2 = dot != std::string::npos &&
                            (slash == std::string::npos || dot > slash) && out.size() - dot == 4 &&
                            (out.back() == 'O' || out.back() == 'o');
        if (rinex2) out.back() = out.back() == 'O' ? 'D' : 'd';
    }
    if (gzip) out += ".gz";
    return out;
}

}  // namespace kelvrant
