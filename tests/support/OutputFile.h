// A scratch output file for writer tests, its whole contents, and its CR LF lines.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kelvrant::test {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

inline FilePtr TempFile() {
    return FilePtr(std::tmpfile(), &std::fclose);
}

/// Everything written so far; the file position is kept.
inline std::string Contents(std::FILE* file) {
    std::fflush(file);
    const long position = std::ftell(file);
    std::rewind(file);
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        out.append(buffer, n);
    std::fseek(file, position, SEEK_SET);
    return out;
}

/// The lines of a text whose lines end in CR LF (a last piece without CR LF is dropped).
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace kelvrant::test
