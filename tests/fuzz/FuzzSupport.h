// Helpers shared by the fuzz harnesses: the input bytes as a read-only stream, and the size
// caps that keep one run quick.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
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

/// A path `name` in a directory of this process under the system temporary directory, made
/// at the first call and removed at exit; for parsers that take a file name.
inline std::string ScratchPath(std::string_view name) {
    // Held for the whole run and never destroyed, so the exit handler can still use it.
    static const std::filesystem::path* const directory = [] {
        std::string pattern = std::filesystem::temp_directory_path() / "kelvrant-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        return new std::filesystem::path(pattern);
    }();
    static const bool cleanup = std::atexit([] {
                                    std::error_code ec;
                                    std::filesystem::remove_all(*directory, ec);
                                }) == 0;
    (void)cleanup;
    return (*directory / name).string();
}

/// Writes the bytes to `path` (replacing the file); aborts when that fails, as no run could
/// then test anything.
inline void WriteBytes(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
}

/// The whole content of `path`, empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

}  // namespace kelvrant::fuzz
