// The shared line forms (see LineWriter.h).
#include "rinex/LineWriter.h"

#include <cstdarg>
#include <cstdio>

namespace kelvrant {
namespace {

void VFormatInto(std::string& out, const char* format, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
        return;
    }
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, format, args);
    out.resize(old + static_cast<std::size_t>(n));
}

}  // namespace

void LineWriter::EndHeaderLine() {
    line_.resize(80, ' ');
    line_.append("\r\n");
    sink_.Write(line_);
}

void LineWriter::EndDataLine() {
    std::size_t end = line_.size();
    while (end > 0 && line_[end - 1] == ' ')
        --end;
    line_.resize(end);
    line_.append("\r\n");
    sink_.Write(line_);
}

void LineWriter::HeaderLine(const char* format, ...) {
    line_.clear();
    std::va_list args;
    va_start(args, format);
    VFormatInto(line_, format, args);
    va_end(args);
    EndHeaderLine();
}

void LineWriter::DataLine(const char* format, ...) {
    line_.clear();
    std::va_list args;
    va_start(args, format);
    VFormatInto(line_, format, args);
    va_end(args);
    EndDataLine();
}

void LineWriter::HeaderText(std::string_view text) {
    line_.assign(text);
    EndHeaderLine();
}

void LineWriter::DataText(std::string_view text) {
    line_.assign(text);
    EndDataLine();
}

void LineWriter::PgmRunByDate(const WriterOptions& options, std::string_view runBy) {
    const UtcTime now = ToUtc(options.clock.Now());
    const std::string program(options.programName);
    const std::string agency(runBy);
    HeaderLine("%-20.20s%-20.20s %02d/%02d/%02d %02d:%02d   %20.20s", program.c_str(),
               agency.c_str(), now.month, now.day, now.year, now.hour, now.minute,
               label::kPgmRunByDate.data());
}

void LineWriter::Comment(std::string_view comment) {
    const std::string text(comment);
    HeaderLine("%-60.60s%20.20s", text.c_str(), label::kComment.data());
}

void AppendFormat(std::string* buffer, const char* format, ...) {
    if (buffer == nullptr) return;
    std::va_list args;
    va_start(args, format);
    VFormatInto(*buffer, format, args);
    va_end(args);
}

std::string Format(const char* format, ...) {
    std::string out;
    std::va_list args;
    va_start(args, format);
    VFormatInto(out, format, args);
    va_end(args);
    return out;
}

}  // namespace kelvrant
