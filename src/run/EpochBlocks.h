// Observation output spread over the cores. The caller converts epochs in order (conversion
// carries state from one epoch to the next) straight into blocks of reused epochs; worker
// threads format whole blocks into byte buffers, each with its own writer; one thread hands the
// buffers to the output in their order; the converting thread formats a block too when it
// would otherwise wait for one. The bytes are those the writer gives epoch by epoch:
// a writer keeps no state from one epoch to the next once its header is known.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "convert/ObservationEpoch.h"
#include "rinex/TextSink.h"

namespace kelvrant {

/// Formats one epoch into the sink the formatter was made for.
using EpochFormatter = std::function<void(const ObservationEpoch&)>;
/// Makes a formatter writing into `sink`, ready for epochs (its header taken, not written).
using EpochFormatterFactory = std::function<EpochFormatter(TextSink& sink)>;

/// Threads formatting observation epochs: KELVRANT_FORMAT_THREADS when set (0 formats on the
/// converting thread), otherwise one less than the cores, and none on a single core.
int EpochFormatThreads();

class EpochBlocks {
  public:
    /// Starts `formatThreads` (at least 1) formatting threads and the thread writing to `out`.
    /// The formatters are made here, on the calling thread. With a file descriptor
    /// `writeback`, what reached that file is sent on to the disk while the run goes on, so
    /// that the fsync before publishing finds little left to write.
    /// An `observer` sees every epoch, in order, on the thread writing the output.
    EpochBlocks(TextSink& out, int formatThreads, const EpochFormatterFactory& factory,
                int writeback = -1, EpochFormatter observer = {});
    /// Finishes (see Finish).
    ~EpochBlocks();
    EpochBlocks(const EpochBlocks&) = delete;
    EpochBlocks& operator=(const EpochBlocks&) = delete;

    /// The epoch to fill next; it holds whatever an earlier epoch left in it. While every
    /// block is still being formatted or written, formats waiting blocks itself, or waits.
    ObservationEpoch& Next();
    /// The epoch Next() gave is complete: it will be written after the ones before it.
    void Commit();
    /// True once a write to the output failed (the rest is then not worth converting).
    bool Failed() const { return failed_.load(std::memory_order_relaxed); }
    /// Hands over the last block and waits until everything is written. The output itself is
    /// not finished.
    void Finish();

  private:
    enum class State { kFree, kFilled, kFormatted };
    struct Block {
        std::vector<ObservationEpoch> epochs;
        std::size_t count = 0;
        std::string bytes;
        State state = State::kFree;
    };
    class BufferSink;

    void HandOver();
    void FormatLoop(BufferSink& sink, const EpochFormatter& format);
    void FormatBlock(std::size_t index, BufferSink& sink, const EpochFormatter& format);
    void WriteLoop();

    TextSink& out_;
    int writeback_;
    EpochFormatter observer_;
    std::vector<Block> blocks_;
    std::size_t filling_ = 0;  ///< sequence number of the block being filled
    bool holding_ = false;     ///< the block being filled is ours (free when taken)
    std::mutex mutex_;
    std::condition_variable work_;     ///< a block was filled, or the end came
    std::condition_variable written_;  ///< a block became free
    std::condition_variable ready_;    ///< a block was formatted, or the end came
    std::deque<std::size_t> queue_;    ///< filled blocks waiting for a formatter, in order
    std::size_t handed_ = 0;           ///< blocks handed over
    bool ending_ = false;
    bool finished_ = false;
    std::atomic<bool> failed_{false};
    std::vector<std::unique_ptr<BufferSink>> sinks_;
    std::vector<EpochFormatter> formatters_;
    std::vector<std::jthread> threads_;
};

}  // namespace kelvrant
