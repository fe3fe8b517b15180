// gzip sink (see GzipSink.h).
#include "rinex/GzipSink.h"

#include <zlib.h>

#include <array>

namespace kelvrant {

struct GzipSink::Stream {
    z_stream z{};
    bool open = false;
    // Input is collected in this buffer and deflated in large pieces: deflate on the many
    // short lines a writer emits would spend its time in call overhead.
    std::string input;
    std::array<char, 1 << 16> output{};
};

namespace {
constexpr std::size_t kInputChunk = 1 << 17;
}

GzipSink::GzipSink(TextSink& next, int level) : next_(next), stream_(std::make_unique<Stream>()) {
    // windowBits 15 + 16 asks zlib for a gzip header and trailer instead of a zlib wrapper.
    if (deflateInit2(&stream_->z, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        error_ = "cannot start the gzip compression";
        return;
    }
    stream_->open = true;
    stream_->input.reserve(kInputChunk);
}

GzipSink::~GzipSink() {
    if (stream_->open) deflateEnd(&stream_->z);
}

void GzipSink::Write(std::string_view bytes) {
    if (!error_.empty() || finished_) return;
    if (stream_->input.size() + bytes.size() < kInputChunk) {
        stream_->input.append(bytes);
        return;
    }
    if (!stream_->input.empty()) {
        Deflate(stream_->input, false);
        stream_->input.clear();
    }
    if (bytes.size() >= kInputChunk)
        Deflate(bytes, false);
    else
        stream_->input.append(bytes);
}

void GzipSink::Finish() {
    if (finished_) return;
    finished_ = true;
    if (error_.empty()) Deflate(stream_->input, true);
    stream_->input.clear();
    next_.Finish();
}

bool GzipSink::Failed() const {
    return !error_.empty() || next_.Failed();
}

std::string GzipSink::Error() const {
    return error_.empty() ? next_.Error() : error_;
}

void GzipSink::Deflate(std::string_view bytes, bool finish) {
    z_stream& z = stream_->z;
    // zlib's interface is not const-correct; deflate only reads the input.
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    const int flush = finish ? Z_FINISH : Z_NO_FLUSH;
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(stream_->output.data());
        z.avail_out = static_cast<uInt>(stream_->output.size());
        const int rc = deflate(&z, flush);
        if (rc == Z_STREAM_ERROR) {
            error_ = "gzip compression failed";
            return;
        }
        const std::size_t produced = stream_->output.size() - z.avail_out;
        if (produced > 0) next_.Write(std::string_view(stream_->output.data(), produced));
        if (finish ? rc == Z_STREAM_END : (z.avail_in == 0 && z.avail_out != 0)) return;
    }
}

}  // namespace kelvrant
