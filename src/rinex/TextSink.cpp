// The file sink (see TextSink.h).
#include "rinex/TextSink.h"

#include <cstring>

namespace kelvrant {
namespace {
constexpr std::size_t kBufferSize = std::size_t{256} << 10;
}  // namespace

FileSink::FileSink(std::FILE* file) : file_(file), buffer_(kBufferSize) {
    if (file_ == nullptr) failed_ = true;
}

FileSink::~FileSink() {
    Flush();
}

void FileSink::WriteOut(const char* data, std::size_t size) {
    if (failed_ || size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size) failed_ = true;
}

void FileSink::Write(std::string_view bytes) {
    if (failed_) return;
    if (bytes.size() > buffer_.size() - used_) {
        WriteOut(buffer_.data(), used_);
        used_ = 0;
        if (bytes.size() >= buffer_.size()) {
            WriteOut(bytes.data(), bytes.size());
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
}

bool FileSink::Flush() {
    WriteOut(buffer_.data(), used_);
    used_ = 0;
    if (!failed_ && (std::fflush(file_) != 0 || std::ferror(file_) != 0)) failed_ = true;
    return !failed_;
}

}  // namespace kelvrant
