// Where the RINEX writers put their text: a byte sink that remembers whether any write failed.
// The writers only format; the run decides what the bytes go to (a plain file here; a
// temporary file, a compressed stream or memory elsewhere) and checks Failed().
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kelvrant {

class TextSink {
  public:
    virtual ~TextSink() = default;
    /// Appends bytes (line ends included).
    virtual void Write(std::string_view bytes) = 0;
    /// True once a write came up short (full disk, file size limit); later writes are dropped.
    virtual bool Failed() const = 0;
};

/// A sink over an open stdio stream (not owned: the caller closes it), collecting the bytes in
/// a large buffer so that a day of observations costs few system calls.
class FileSink final : public TextSink {
  public:
    explicit FileSink(std::FILE* file);
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void Write(std::string_view bytes) override;
    bool Failed() const override { return failed_; }
    /// Hands the buffered bytes to the stream and flushes it. False when anything failed.
    bool Flush();

  private:
    void WriteOut(const char* data, std::size_t size);

    std::FILE* file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
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
