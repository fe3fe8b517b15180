// Where the RINEX writers put their text: a byte sink that remembers whether any write failed.
// The writers only format; the run decides what the bytes go to (a plain file here; a
// temporary file, a compressed stream or memory elsewhere) and checks Failed().
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvrant {

class TextSink {
  public:
    virtual ~TextSink() = default;
    /// Appends bytes (line ends included).
    virtual void Write(std::string_view bytes) = 0;
    /// True once a write came up short (full disk, file size limit); later writes are dropped.
    virtual bool Failed() const = 0;
};

/// A sink over an open stdio stream (not owned: the caller closes it). The stream's own buffer
/// batches the system calls, so it should be a large one (the run gives its outputs 256 KiB);
/// a second buffer here would only copy every byte once more.
class FileSink final : public TextSink {
  public:
    explicit FileSink(std::FILE* file) : file_(file), failed_(file == nullptr) {}

    void Write(std::string_view bytes) override;
    bool Failed() const override { return failed_; }
    /// Flushes the stream. False when anything failed.
    bool Flush();

  private:
    std::FILE* file_;
    bool failed_;
};

/// A sink collecting everything in memory (tests, and text wanted as a whole).
class StringSink final : public TextSink {
  public:
    void Write(std::string_view bytes) override { text_.append(bytes); }
    bool Failed() const override { return false; }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

}  // namespace kelvrant
