// Line reading and number scanning for the settings files (see TextScan.h).
#include "settings/TextScan.h"

#include <charconv>
#include <system_error>

namespace kelvrant {

bool ReadTextLine(std::FILE* file, std::string& line) {
    line.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF) {
        line.push_back(static_cast<char>(c));
        if (c == '\n') return true;
    }
    return !line.empty() && !std::ferror(file);
}

void ValueScanner::SkipSpace() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c != ' ' && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r') break;
        ++pos_;
    }
}

bool ValueScanner::Int(std::int32_t& value) {
    SkipSpace();
    std::size_t start = pos_;
    // from_chars takes a minus sign but not a plus sign.
    if (start < text_.size() && text_[start] == '+') {
        ++start;
        if (start < text_.size() && text_[start] == '-') return false;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + text_.size();
    std::int32_t v = 0;
    const auto [ptr, ec] = std::from_chars(first, last, v, 10);
    if (ec != std::errc()) return false;
    value = v;
    pos_ = static_cast<std::size_t>(ptr - text_.data());
    return true;
}

bool ValueScanner::Real(double& value) {
    SkipSpace();
    std::size_t start = pos_;
    if (start < text_.size() && text_[start] == '+') {
        ++start;
        if (start < text_.size() && text_[start] == '-') return false;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + text_.size();
    double v = 0.0;
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    // A number beyond the range of a double counts as unreadable.
    if (ec != std::errc()) return false;
    value = v;
    pos_ = static_cast<std::size_t>(ptr - text_.data());
    return true;
}

bool ValueScanner::Char() {
    if (pos_ >= text_.size()) return false;
    ++pos_;
    return true;
}

void AppendDecimals(std::string& out, double value, int decimals) {
    char buffer[400];
    const auto [ptr, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return;
    out.append(buffer, ptr);
}

void AppendInteger(std::string& out, std::int32_t value) {
    char buffer[16];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc()) return;
    out.append(buffer, ptr);
}

}  // namespace kelvrant
