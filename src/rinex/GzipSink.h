// gzip compression as a sink: everything written is deflated on the fly into a gzip member
// (RFC 1952) and passed to the next sink, so a compressed output is written in one pass
// without an uncompressed copy anywhere.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rinex/TextSink.h"

namespace kelvrant {

/// The gzip level archives use; 1 is fastest, 9 smallest.
inline constexpr int kDefaultGzipLevel = 6;

class GzipSink final : public TextSink {
  public:
    /// `next` receives the compressed bytes and must outlive this sink.
    explicit GzipSink(TextSink& next, int level = kDefaultGzipLevel);
    ~GzipSink() override;
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;

    void Write(std::string_view bytes) override;
    /// Compresses what is buffered, writes the gzip trailer and finishes `next`.
    void Finish() override;
    bool Failed() const override;
    std::string Error() const override;

  private:
    struct Stream;
    void Deflate(std::string_view bytes, bool finish);

    TextSink& next_;
    std::unique_ptr<Stream> stream_;
    std::string error_;
    bool finished_ = false;
};

}  // namespace kelvrant
