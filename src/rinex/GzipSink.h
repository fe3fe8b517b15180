// gzip compression as a sink: everything written is deflated into one gzip member (RFC 1952)
// and passed to the next sink, in one pass and without an uncompressed copy anywhere. The
// deflating runs on a thread of the sink's own, so that a writer producing text and zlib
// compressing it use two cores; the bytes written are the same as zlib's in one piece.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "rinex/TextSink.h"

namespace kelvrant {

/// The gzip level archives use; 1 is fastest, 9 smallest.
inline constexpr int kDefaultGzipLevel = 6;

class GzipSink final : public TextSink {
  public:
    /// `next` receives the compressed bytes (from the sink's thread until Finish returns) and
    /// must outlive this sink.
    explicit GzipSink(TextSink& next, int level = kDefaultGzipLevel);
    ~GzipSink() override;
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;

    void Write(std::string_view bytes) override;
    /// Compresses what is left, writes the gzip trailer, waits for the thread and finishes
    /// `next`.
    void Finish() override;
    bool Failed() const override;
    std::string Error() const override;

  private:
    struct Stream;
    struct Chunk {
        std::string bytes;
        bool last = false;
    };
    void Hand(bool last);
    void Compress();

    TextSink& next_;
    std::unique_ptr<Stream> stream_;
    std::string current_;
    bool finished_ = false;
    // Handed from the writing thread to the compressing thread; a few chunks at most, so
    // memory stays small however long the file.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> queue_;
    std::vector<std::string> spare_;
    bool stop_ = false;
    std::atomic<bool> failed_{false};
    std::string error_;  ///< set by the compressing thread; read after it ended
    std::thread thread_;
};

}  // namespace kelvrant
