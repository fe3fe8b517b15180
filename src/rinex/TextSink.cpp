// The file sink (see TextSink.h).
#include "rinex/TextSink.h"

namespace kelvrant {

void FileSink::Write(std::string_view bytes) {
    if (failed_ || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

bool FileSink::Flush() {
    if (!failed_ && (std::fflush(file_) != 0 || std::ferror(file_) != 0)) failed_ = true;
    return !failed_;
}

}  // namespace kelvrant
