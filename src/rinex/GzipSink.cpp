// gzip sink (see GzipSink.h).
#include "rinex/GzipSink.h"

#include <zlib.h>

#include <array>

namespace kelvrant {
namespace {
// Input goes to the compressing thread in pieces of this size; deflate on the many short
// lines a writer emits would spend its time in call overhead.
constexpr std::size_t kChunk = std::size_t{1} << 18;
constexpr std::size_t kQueued = 4;
}  // namespace

struct GzipSink::Stream {
    z_stream z{};
    bool open = false;
    std::array<char, 1 << 16> output{};
};

GzipSink::GzipSink(TextSink& next, int level) : next_(next), stream_(std::make_unique<Stream>()) {
    // windowBits 15 + 16 asks zlib for a gzip header and trailer instead of a zlib wrapper.
    if (deflateInit2(&stream_->z, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        error_ = "cannot start the gzip compression";
        failed_ = true;
        return;
    }
    stream_->open = true;
    current_.reserve(kChunk);
    thread_ = std::thread([this] { Compress(); });
}

GzipSink::~GzipSink() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    if (stream_->open) deflateEnd(&stream_->z);
}

void GzipSink::Write(std::string_view bytes) {
    if (finished_ || !thread_.joinable()) return;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kChunk - current_.size());
        current_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        if (current_.size() == kChunk) Hand(false);
    }
}

void GzipSink::Hand(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kQueued || stop_; });
    queue_.push_back(Chunk{std::move(current_), last});
    if (!spare_.empty()) {
        current_ = std::move(spare_.back());
        spare_.pop_back();
    } else {
        current_ = std::string();
        current_.reserve(kChunk);
    }
    current_.clear();
    lock.unlock();
    changed_.notify_all();
}

void GzipSink::Finish() {
    if (finished_) return;
    finished_ = true;
    if (thread_.joinable()) {
        Hand(true);
        thread_.join();
    }
    next_.Finish();
}

bool GzipSink::Failed() const {
    // While the thread runs only its flag is read; `next` belongs to the thread until then.
    if (failed_) return true;
    return !thread_.joinable() && next_.Failed();
}

std::string GzipSink::Error() const {
    if (thread_.joinable()) return failed_ ? "gzip compression failed" : std::string();
    return error_.empty() ? next_.Error() : error_;
}

void GzipSink::Compress() {
    z_stream& z = stream_->z;
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || stop_; });
            if (queue_.empty()) return;  // stopped without Finish: no trailer
            chunk = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all();
        // zlib's interface is not const-correct; deflate only reads the input.
        z.next_in = reinterpret_cast<Bytef*>(chunk.bytes.data());
        z.avail_in = static_cast<uInt>(chunk.bytes.size());
        const int flush = chunk.last ? Z_FINISH : Z_NO_FLUSH;
        for (bool more = true; more;) {
            z.next_out = reinterpret_cast<Bytef*>(stream_->output.data());
            z.avail_out = static_cast<uInt>(stream_->output.size());
            const int rc = deflate(&z, flush);
            if (rc == Z_STREAM_ERROR) {
                error_ = "gzip compression failed";
                failed_ = true;
                return;
            }
            const std::size_t produced = stream_->output.size() - z.avail_out;
            if (produced > 0) next_.Write(std::string_view(stream_->output.data(), produced));
            if (next_.Failed()) failed_ = true;
            more = chunk.last ? rc != Z_STREAM_END : (z.avail_in != 0 || z.avail_out == 0);
        }
        if (chunk.last) return;
        std::lock_guard lock(mutex_);
        if (spare_.size() < kQueued) spare_.push_back(std::move(chunk.bytes));
    }
}

}  // namespace kelvrant
