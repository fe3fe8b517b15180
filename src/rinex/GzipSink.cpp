// gzip sink (see GzipSink.h).
#include "rinex/GzipSink.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace kelvrant {
namespace {

// Pieces of this size keep the call overhead small and the dictionary's loss negligible.
constexpr std::size_t kPiece = std::size_t{1} << 18;
// Deflate looks back at most this far: the dictionary of a piece.
constexpr std::size_t kWindow = std::size_t{1} << 15;

void PutLe32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The member header as zlib writes it: no name, no time, the level's extra flags, Unix.
std::string Header(int level) {
    std::string h = {'\x1f', '\x8b', '\x08', '\0', '\0', '\0', '\0', '\0'};
    h += static_cast<char>(level == 9 ? 2 : level == 1 ? 4 : 0);
    h += '\x03';
    return h;
}

// One piece as a raw deflate stream: ended with a sync flush (on a byte boundary, not final),
// or, for the last, with the final block. False when zlib refused.
bool Deflate(int level, const std::string& dictionary, const std::string& text, bool last,
             std::string& out) {
    z_stream z{};
    if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    bool ok = true;
    if (!dictionary.empty())
        ok = deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dictionary.data()),
                                  static_cast<uInt>(dictionary.size())) == Z_OK;
    out.resize(deflateBound(&z, static_cast<uLong>(text.size())) + 16);
    // zlib's interface is not const-correct; deflate only reads the input.
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    if (ok) {
        const int rc = deflate(&z, last ? Z_FINISH : Z_SYNC_FLUSH);
        ok = last ? rc == Z_STREAM_END : rc == Z_OK && z.avail_in == 0 && z.avail_out > 0;
    }
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return ok;
}

}  // namespace

GzipSink::GzipSink(TextSink& next, int level) : next_(next), level_(level) {
    if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION) {
        Fail("cannot start the gzip compression");
        return;
    }
    current_.reserve(kPiece);
    const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    for (unsigned i = 0; i < cores; ++i)
        compressors_.emplace_back([this] { CompressPieces(); });
    writer_ = std::thread([this] { WritePieces(); });
    started_ = true;
}

GzipSink::~GzipSink() {
    {
        std::lock_guard lock(mutex_);
        abandon_ = true;
    }
    changed_.notify_all();
    StopThreads();
}

void GzipSink::StopThreads() {
    for (std::thread& t : compressors_)
        if (t.joinable()) t.join();
    if (writer_.joinable()) writer_.join();
}

void GzipSink::Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    failed_ = true;
}

void GzipSink::Write(std::string_view bytes) {
    if (finished_ || !started_) return;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kPiece - current_.size());
        current_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        if (current_.size() == kPiece) Hand(false);
    }
}

void GzipSink::Hand(bool last) {
    Piece piece{handed_++, std::move(dictionary_), std::move(current_), last};
    // The next piece's dictionary: the end of this one's text.
    const std::size_t keep = std::min(kWindow, piece.text.size());
    dictionary_.assign(piece.text, piece.text.size() - keep, keep);
    current_ = std::string();
    current_.reserve(kPiece);
    std::unique_lock lock(mutex_);
    // Pieces waiting, being compressed or waiting to be written: two per thread at most.
    changed_.wait(lock, [this] { return inFlight_ < 2 * (compressors_.size() + 1) || abandon_; });
    ++inFlight_;
    queue_.push_back(std::move(piece));
    lock.unlock();
    changed_.notify_all();
}

void GzipSink::Finish() {
    if (finished_) return;
    finished_ = true;
    if (started_) {
        Hand(true);
        StopThreads();
    }
    next_.Finish();
}

bool GzipSink::Failed() const {
    // While the threads run only the flag is read; `next` belongs to them until then.
    if (failed_) return true;
    return !writer_.joinable() && next_.Failed();
}

std::string GzipSink::Error() const {
    if (writer_.joinable()) return failed_ ? "gzip compression failed" : std::string();
    return error_.empty() ? next_.Error() : error_;
}

void GzipSink::CompressPieces() {
    for (;;) {
        Piece piece;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || lastTaken_ || abandon_; });
            if (queue_.empty() || abandon_) return;
            piece = std::move(queue_.front());
            queue_.pop_front();
            // Once the last piece is taken, the other compressors have nothing left to wait for.
            if (piece.last) lastTaken_ = true;
        }
        changed_.notify_all();
        Compressed c;
        c.last = piece.last;
        c.length = piece.text.size();
        c.crc =
            static_cast<std::uint32_t>(crc32(0L, reinterpret_cast<const Bytef*>(piece.text.data()),
                                             static_cast<uInt>(piece.text.size())));
        const bool ok = Deflate(level_, piece.dictionary, piece.text, piece.last, c.bytes);
        {
            std::lock_guard lock(mutex_);
            if (!ok) Fail("gzip compression failed");
            done_.emplace(piece.number, std::move(c));
        }
        changed_.notify_all();
    }
}

void GzipSink::WritePieces() {
    next_.Write(Header(level_));
    std::uint32_t crc = 0;
    std::uint64_t length = 0;
    for (std::uint64_t number = 0;; ++number) {
        Compressed c;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return done_.contains(number) || abandon_; });
            // Given up without Finish: no trailer.
            if (abandon_) return;
            auto it = done_.find(number);
            c = std::move(it->second);
            done_.erase(it);
            --inFlight_;
        }
        changed_.notify_all();
        if (!failed_) next_.Write(c.bytes);
        if (next_.Failed()) failed_ = true;
        crc = static_cast<std::uint32_t>(crc32_combine(crc, c.crc, static_cast<z_off_t>(c.length)));
        length += c.length;
        if (c.last) break;
    }
    std::string trailer;
    PutLe32(trailer, crc);
    PutLe32(trailer, static_cast<std::uint32_t>(length & 0xFFFFFFFFu));
    if (!failed_) next_.Write(trailer);
    if (next_.Failed()) failed_ = true;
}

}  // namespace kelvrant
