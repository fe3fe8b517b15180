// Helpers shared by the fuzz harnesses: the input bytes as a read-only stream, and the size
// caps that keep one run quick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace kelvrant::fuzz {

/// Text inputs beyond this size add nothing a smaller one does not reach.
inline constexpr std::size_t kMaxTextInput = 64 * 1024;
/// Binary inputs (B-files, E-files) are capped higher: their records are larger.
inline constexpr std::size_t kMaxBinaryInput = 1024 * 1024;

/// The input bytes as a stream opened for reading (a private copy, so the parser may read it
/// any way a file allows). Closed with the object.
class MemoryFile {
  public:
    MemoryFile(const std::uint8_t* data, std::size_t size)
        : bytes_(data, data + size),
          file_(fmemopen(bytes_.empty() ? &empty_ : bytes_.data(), bytes_.size(), "rb")) {}
    ~MemoryFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::FILE* get() const { return file_; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::uint8_t empty_ = 0;
    std::FILE* file_;
};

/// A stream every harness may write RINEX output to: the null device, opened once for
/// reading and writing (seeks succeed; nothing is kept).
inline std::FILE* NullOutput() {
    static std::FILE* const file = std::fopen("/dev/null", "w+b");
    return file;
}

}  // namespace kelvrant::fuzz
