// gzip compression as a sink: everything written is deflated into one gzip member (RFC 1952)
// and passed to the next sink, in one pass and without an uncompressed copy anywhere. The text
// is cut into pieces of 256 kB, each deflated on its own by zlib on one of the sink's threads
// with the 32 kB before it as its dictionary, and the pieces' deflate streams joined in order
// (each but the last ends on a byte boundary, a sync flush), so that the writer producing text
// and zlib compressing it use every core. The bytes written do not depend on the threads:
// every piece is compressed the same way whichever thread takes it. Any gunzip reads them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
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
    /// `next` receives the compressed bytes (from the sink's writing thread until Finish
    /// returns) and must outlive this sink.
    explicit GzipSink(TextSink& next, int level = kDefaultGzipLevel);
    ~GzipSink() override;
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;

    void Write(std::string_view bytes) override;
    /// Compresses what is left, writes the gzip trailer, waits for the threads and finishes
    /// `next`.
    void Finish() override;
    bool Failed() const override;
    std::string Error() const override;

  private:
    struct Piece {
        std::uint64_t number = 0;
        std::string dictionary;  ///< the 32 kB of text before the piece
        std::string text;
        bool last = false;
    };
    struct Compressed {
        std::string bytes;
        std::uint32_t crc = 0;
        std::uint64_t length = 0;
        bool last = false;
    };
    void Hand(bool last);
    void CompressPieces();
    void WritePieces();
    void Fail(const std::string& why);
    void StopThreads();

    TextSink& next_;
    int level_;
    std::string current_;
    std::string dictionary_;
    std::uint64_t handed_ = 0;
    bool finished_ = false;
    bool started_ = false;
    // Pieces go from the writing thread to the compressing threads and, compressed, to the
    // thread that writes them in order; a few pieces at most are in flight, so memory stays
    // small however long the file.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Piece> queue_;
    std::map<std::uint64_t, Compressed> done_;
    std::size_t inFlight_ = 0;
    bool lastTaken_ = false;  ///< a compressor took the last piece
    bool abandon_ = false;    ///< the sink is destroyed without Finish
    std::atomic<bool> failed_{false};
    std::string error_;  ///< set under the lock by a thread; read after they ended
    std::vector<std::thread> compressors_;
    std::thread writer_;
};

}  // namespace kelvrant
