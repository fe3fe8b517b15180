// Observation output spread over the cores (see EpochBlocks.h).
#include "run/EpochBlocks.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>

namespace kelvrant {
namespace {

// Large enough that a thread's hand-over costs nothing beside the formatting; small enough
// that all blocks of a run stay within a few megabytes.
constexpr std::size_t kEpochsPerBlock = 256;
// Room reserved for a block's text: more than any epoch of 24 satellites takes in any
// format. Reserved memory is touched only as far as it is written, and a text that never
// outgrows it is never copied, nor left with twice the room it needs.
constexpr std::size_t kBlockTextRoom = kEpochsPerBlock * 8192;
constexpr int kMaxFormatThreads = 16;
// Bytes written between two requests to start writing the file's pages to the disk: a
// megabyte keeps few pages dirty at any time, and leaves the fsync before publishing
// little to wait for (16 MB measured a few percent slower for a day).
constexpr std::size_t kWritebackStep = std::size_t{1} << 20;

// Starts writing the file's dirty pages without waiting for them (a hint: errors are the
// final fsync's to report).
void StartWriteback(int fd) {
#ifdef SYNC_FILE_RANGE_WRITE
    if (fd >= 0) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
#endif
}

}  // namespace

int EpochFormatThreads() {
    if (const char* given = std::getenv("KELVRANT_FORMAT_THREADS"); given != nullptr) {
        int n = 0;
        const char* end = given + std::strlen(given);
        if (std::from_chars(given, end, n).ptr == end && n >= 0)
            return std::min(n, kMaxFormatThreads);
    }
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores - 1, 0, kMaxFormatThreads);
}

// A formatter's sink: appends to the block it is formatting, and drops what comes before the
// first block (a writer that writes its header to take it).
class EpochBlocks::BufferSink final : public TextSink {
  public:
    void Write(std::string_view bytes) override {
        if (target_ != nullptr) target_->append(bytes);
    }
    bool Failed() const override { return false; }
    void Into(std::string* target) { target_ = target; }

  private:
    std::string* target_ = nullptr;
};

EpochBlocks::EpochBlocks(TextSink& out, int formatThreads, const EpochFormatterFactory& factory,
                         int writeback, EpochFormatter observer)
    : out_(out), writeback_(writeback), observer_(std::move(observer)) {
    const int threads = std::max(1, formatThreads);
    // Two blocks a formatter keeps every formatter busy while the writer and the converting
    // thread each hold one.
    blocks_.resize(static_cast<std::size_t>(2 * threads + 2));
    for (Block& b : blocks_) {
        b.epochs.resize(kEpochsPerBlock);
        b.bytes.reserve(kBlockTextRoom);
    }
    // One formatter more, for the converting thread when it would otherwise wait.
    for (int t = 0; t <= threads; ++t) {
        sinks_.push_back(std::make_unique<BufferSink>());
        formatters_.push_back(factory(*sinks_.back()));
    }
    try {
        for (int t = 0; t < threads; ++t) {
            threads_.emplace_back([this, t] {
                FormatLoop(*sinks_[static_cast<std::size_t>(t)],
                           formatters_[static_cast<std::size_t>(t)]);
            });
        }
        threads_.emplace_back([this] { WriteLoop(); });
    } catch (...) {
        Finish();
        throw;
    }
}

EpochBlocks::~EpochBlocks() {
    Finish();
}

ObservationEpoch& EpochBlocks::Next() {
    Block& b = blocks_[filling_ % blocks_.size()];
    if (!holding_) {
        std::unique_lock lock(mutex_);
        for (;;) {
            written_.wait(lock, [&] { return b.state == State::kFree || !queue_.empty(); });
            if (b.state == State::kFree) break;
            // Every block is taken: rather than wait, format one waiting for a formatter.
            const std::size_t index = queue_.front();
            queue_.pop_front();
            lock.unlock();
            FormatBlock(index, *sinks_.back(), formatters_.back());
            lock.lock();
        }
        holding_ = true;
        b.count = 0;
    }
    return b.epochs[b.count];
}

void EpochBlocks::Commit() {
    Block& b = blocks_[filling_ % blocks_.size()];
    if (++b.count == b.epochs.size()) HandOver();
}

void EpochBlocks::HandOver() {
    {
        std::lock_guard lock(mutex_);
        blocks_[filling_ % blocks_.size()].state = State::kFilled;
        queue_.push_back(filling_ % blocks_.size());
        ++handed_;
    }
    work_.notify_one();
    holding_ = false;
    ++filling_;
}

void EpochBlocks::Finish() {
    if (finished_) return;
    finished_ = true;
    if (holding_ && blocks_[filling_ % blocks_.size()].count > 0) HandOver();
    holding_ = false;
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    work_.notify_all();
    ready_.notify_all();
    for (std::jthread& t : threads_)
        t.join();
    threads_.clear();
}

void EpochBlocks::FormatLoop(BufferSink& sink, const EpochFormatter& format) {
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [&] { return !queue_.empty() || ending_; });
            if (queue_.empty()) return;
            index = queue_.front();
            queue_.pop_front();
        }
        FormatBlock(index, sink, format);
    }
}

void EpochBlocks::FormatBlock(std::size_t index, BufferSink& sink, const EpochFormatter& format) {
    Block& b = blocks_[index];
    b.bytes.clear();
    sink.Into(&b.bytes);
    for (std::size_t i = 0; i < b.count; ++i)
        format(b.epochs[i]);
    sink.Into(nullptr);
    {
        std::lock_guard lock(mutex_);
        b.state = State::kFormatted;
    }
    ready_.notify_one();
}

void EpochBlocks::WriteLoop() {
    std::size_t unsent = 0;
    for (std::size_t next = 0;; ++next) {
        Block& b = blocks_[next % blocks_.size()];
        {
            std::unique_lock lock(mutex_);
            ready_.wait(
                lock, [&] { return b.state == State::kFormatted || (ending_ && next == handed_); });
            if (b.state != State::kFormatted) return;
        }
        if (observer_)
            for (std::size_t i = 0; i < b.count; ++i)
                observer_(b.epochs[i]);
        out_.Write(b.bytes);
        if (out_.Failed()) failed_.store(true, std::memory_order_relaxed);
        unsent += b.bytes.size();
        if (unsent >= kWritebackStep) {
            StartWriteback(writeback_);
            unsent = 0;
        }
        {
            std::lock_guard lock(mutex_);
            b.state = State::kFree;
        }
        written_.notify_one();
    }
}

}  // namespace kelvrant
