// The S-file reader (see SiteFile.h).
#include "ashtech/SiteFile.h"

#include <cstring>
#include <string_view>

namespace kelvrant {
namespace {

// A line holds at most this many characters, its line feed included; a longer line is read in
// pieces, each counting as a line of its own.
constexpr std::size_t kMaxLineLength = 198;

// Reads one line (or piece of one) like a C line read into a 199-byte buffer: at most
// kMaxLineLength characters, up to and including a line feed. Everything from a NUL byte on is
// not part of the text. False at end of file with nothing read.
bool ReadLine(std::FILE* file, std::string& line) {
    line.clear();
    while (line.size() < kMaxLineLength) {
        const int c = std::getc(file);
        if (c == EOF) break;
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    if (line.empty()) return false;
    const std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    return true;
}

// The line without its line ending. A carriage return before the line feed is dropped as well,
// as files written with CR LF endings are read on systems whose text mode keeps the CR.
void RemoveLineEnd(std::string& line) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

// Columns `first` (1-based) on, at most `count` characters; empty beyond the end of the line.
std::string Columns(const std::string& line, std::size_t first, std::size_t count) {
    if (first - 1 >= line.size()) return {};
    return line.substr(first - 1, count);
}

// Removes leading and trailing blanks.
std::string Trim(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    const std::size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

// The text from column `first` on, for a scan.
const char* ScanStart(const std::string& line, std::size_t first) {
    return first - 1 < line.size() ? line.c_str() + (first - 1) : "";
}

// Reads five reals from column 7; those that cannot be read keep their values. Returns how
// many were read.
int ScanFiveReals(const std::string& line, double (&values)[5]) {
    double read[5] = {};
    const int n = std::sscanf(ScanStart(line, 7), "%lf %lf %lf %lf %lf", &read[0], &read[1],
                              &read[2], &read[3], &read[4]);
    for (int i = 0; i < n && i < 5; ++i)
        values[i] = read[i];
    return n < 0 ? 0 : n;
}

}  // namespace

void ClearSiteRecord(SiteRecord& record) {
    record = SiteRecord{};
}

void ForgetSiteRecord(SiteRecord& record) {
    record.loaded = 0;
}

int ReadSiteFile(SiteRecord& record, std::FILE* file, std::string* why) {
    record.loaded = 0;
    if (file == nullptr) return 0;
    std::string line;

    if (!ReadLine(file, line)) return 0;
    if (line.find("SITE INFORMATION") == std::string::npos) return 0;
    if (!ReadLine(file, line)) return 0;  // line 2

    if (!ReadLine(file, line)) return 0;  // line 3
    RemoveLineEnd(line);
    record.siteName = Columns(line, 1, 4);
    long numbers[3] = {};
    const int n =
        std::sscanf(ScanStart(line, 6), "%ld %ld %ld", &numbers[0], &numbers[1], &numbers[2]);
    for (int i = 0; i < n && i < 3; ++i)
        record.numbers[i] = static_cast<std::int32_t>(numbers[i]);
    record.flag = line.size() >= 31 ? line[30] : '\0';
    record.receiverNumber = Columns(line, 34, 3);
    record.antennaNumber = Columns(line, 38, 3);
    record.text4 = Columns(line, 42, 4);
    record.observer = Columns(line, 47, 3);
    record.text13 = Columns(line, 51, 13);
    record.line3Tail = Columns(line, 65, 60);

    if (!ReadLine(file, line)) return 0;  // line 4
    if (!ReadLine(file, line)) return 0;  // line 5
    if (!ReadLine(file, line)) return 0;  // line 6
    // The antenna height goes into the observation header: a height that is not a number is
    // an error, never a silent 0.
    if (ScanFiveReals(line, record.line6) < 1) {
        if (why != nullptr) *why = "line 6: the antenna height is not a number";
        return 0;
    }
    if (!ReadLine(file, line)) return 0;  // line 7
    ScanFiveReals(line, record.line7);

    if (!ReadLine(file, line)) return 0;  // line 8
    if (!ReadLine(file, line)) return 0;  // line 9
    RemoveLineEnd(line);
    record.receiverType = Trim(Columns(line, 15, 9));
    record.versionFirst = Trim(Columns(line, 30, 5));
    record.versionSecond = Trim(Columns(line, 45, 5));
    record.line9Tail = Trim(Columns(line, 60, 9));

    record.loaded = 1;
    return 1;
}

}  // namespace kelvrant
