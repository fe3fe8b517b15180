// Where writers put their text: a byte stream that remembers whether any write failed. The
// file sink writes to a stream the caller opened; the compressing sinks (compact RINEX, gzip)
// transform what they are given and pass it on to another sink, so a writer never knows
// whether its output is compressed.
#pragma once

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

namespace kelvrant {

class TextSink {
  public:
    virtual ~TextSink() = default;
    /// Appends bytes. After a failure further writes are ignored.
    virtual void Write(std::string_view bytes) = 0;
    /// Ends the stream: whatever a sink still holds is passed on (a compressor's trailer).
    /// Writing after Finish is a fault of the caller.
    virtual void Finish() {}
    /// True once a write failed or the sink could not do its work; Error() says why.
    virtual bool Failed() const = 0;
    virtual std::string Error() const { return {}; }
};

/// Writes to a stream opened by the caller (not owned, never closed here).
class FileSink final : public TextSink {
  public:
    explicit FileSink(std::FILE* file) : file_(file), failed_(file == nullptr) {}
    // The stream's own buffer batches the system calls (the run gives its outputs a large
    // one); a second buffer here would only copy every byte once more.
    void Write(std::string_view bytes) override {
        if (failed_ || bytes.empty()) return;
        errno = 0;
        if (bytes.size() >= kDirectBytes) {
            WriteDirect(bytes);
            return;
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail();
    }
    void Finish() override {
        if (failed_) return;
        errno = 0;
        if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail();
    }
    bool Failed() const override { return failed_; }
    std::string Error() const override { return failed_ ? "write failed" : std::string(); }
    /// The system's error number of the failure (0 when none is known).
    int ErrorNumber() const { return errorNumber_; }

  private:
    /// Pieces this large (the formatting threads' blocks) bypass the stream's buffer, which
    /// would copy every byte into itself before writing it.
    static constexpr std::size_t kDirectBytes = std::size_t{64} << 10;
    void WriteDirect(std::string_view bytes);
    void Fail() {
        failed_ = true;
        errorNumber_ = errno;
    }

    std::FILE* file_;
    bool failed_ = false;
    int errorNumber_ = 0;
};

/// Collects everything in memory (tests, and text that is compressed afterwards).
class StringSink final : public TextSink {
  public:
    void Write(std::string_view bytes) override { text_.append(bytes); }
    bool Failed() const override { return false; }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace kelvrant
