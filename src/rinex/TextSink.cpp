// The file sink's direct writes (see TextSink.h).
#include "rinex/TextSink.h"

#include <sys/types.h>
#include <unistd.h>

namespace kelvrant {

void FileSink::WriteDirect(std::string_view bytes) {
    // What the stream holds goes first. A flush also makes the stream forget any position it
    // had cached, so it asks the file again when it needs one.
    if (std::fflush(file_) != 0) return Fail();
    const int fd = ::fileno(file_);
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return Fail();
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace kelvrant
