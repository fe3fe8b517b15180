#include "forms/MetFileForm.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "geo/GpsTime.h"
#include "run/OutputNames.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::int32_t RoundToInt(double value) {
    return static_cast<std::int32_t>(std::lround(value));
}

// Year, month and day of the start week and seconds.
void DateFromStartTime(MetFileSelection& s) {
    const CalendarTime t = GpsToCalendar(s.startWeek, s.startSeconds);
    s.year = t.year;
    s.month = t.month;
    s.day = t.day;
}

// Start week and whole seconds of 00:00:00 of the start date.
void StartTimeFromDate(MetFileSelection& s) {
    std::int32_t week = 0;
    double seconds = 0.0;
    CalendarToGpsTime(s.year, s.month, s.day, 0, 0, 0.0, week, seconds);
    s.startWeek = week;
    s.startSeconds = RoundToInt(seconds);
}

bool NamesExistingFile(const std::string& path) {
    if (path.empty()) return false;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

std::string ToUpperAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string MetSiteOf(std::string_view configuredSiteName) {
    if (configuredSiteName.size() < 4) return "XXXX";
    const std::string_view site = configuredSiteName.substr(0, 4);
    for (char c : site) {
        if (IsBlank(c)) return "XXXX";
    }
    return std::string(site);
}

bool UpdateMetNames(MetFileSelection& selection, const std::string& inputPath, bool fromInputName,
                    std::string_view configuredSiteName) {
    if (!NamesExistingFile(inputPath)) return false;
    const std::string site = MetSiteOf(configuredSiteName);
    selection.inFileName = inputPath;
    if (fromInputName) {
        if (const auto date = ParseNmaFileName(inputPath)) {
            selection.session = date->session;
            std::int32_t week = 0;
            double seconds = 0.0;
            DayOfYearToGpsTime(date->year, date->dayOfYear, 0, 0, 0.0, week, seconds);
            selection.startWeek = week;
            selection.startSeconds = RoundToInt(seconds);
            DateFromStartTime(selection);
        }
    }
    std::int32_t year = 0;
    std::int32_t dayOfYear = 0;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    double seconds = 0.0;
    GpsTimeToDayOfYear(selection.startWeek, selection.startSeconds, year, dayOfYear, hour, minute,
                       seconds);
    selection.outFileName =
        MakeMetFileName(SplitPath(inputPath).directory, dayOfYear, year, site, selection.session);
    return true;
}

void StartMetSelectionToday(MetFileSelection& selection, const UtcTime& today,
                            double configuredLeapSeconds) {
    selection.year = today.year;
    selection.month = today.month;
    selection.day = today.day;
    std::int32_t week = 0;
    double seconds = 0.0;
    CalendarToGpsTime(today.year, today.month, today.day, 0, 0, 0.1, week, seconds);
    selection.startWeek = week;
    selection.startSeconds = RoundToInt(seconds);
    selection.leapSeconds = configuredLeapSeconds;
    selection.session = 'A';
}

std::string_view MetEntryMessage(MetEntry entry) {
    switch (entry) {
        case MetEntry::kWeek:
            return mettext::kBadWeek;
        case MetEntry::kSeconds:
            return mettext::kBadSeconds;
        case MetEntry::kYear:
            return mettext::kBadYear;
        case MetEntry::kMonth:
            return mettext::kBadMonth;
        case MetEntry::kDay:
            return mettext::kBadDay;
        case MetEntry::kLeapSeconds:
            break;
    }
    return mettext::kBadLeapSeconds;
}

std::int32_t DaysInMetMonth(std::int32_t year, std::int32_t month) {
    static constexpr std::int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && year % 4 == 0) return 29;
    return kDays[month - 1];
}

bool ApplyMetEntry(MetFileSelection& selection, MetEntry entry, std::string_view text) {
    const std::optional<std::int32_t> value = ScanMetInteger(text);
    if (!value) return false;
    const std::int32_t v = *value;
    // A year or month that shortens the month keeps the day within it.
    auto keepDayInMonth = [&selection] {
        const std::int32_t last = DaysInMetMonth(selection.year, selection.month);
        if (selection.day > last) selection.day = last;
        if (selection.day < 1) selection.day = 1;
    };
    switch (entry) {
        case MetEntry::kWeek:
            if (v < 0) return false;
            selection.startWeek = v;
            DateFromStartTime(selection);
            return true;
        case MetEntry::kSeconds:
            if (v < 0 || v > static_cast<std::int32_t>(kSecondsPerWeek)) return false;
            selection.startSeconds = v;
            DateFromStartTime(selection);
            return true;
        case MetEntry::kYear:
            if (v < kMetFirstYear || v > kMetLastYear) return false;
            selection.year = v;
            keepDayInMonth();
            StartTimeFromDate(selection);
            return true;
        case MetEntry::kMonth:
            if (v < 1 || v > 12) return false;
            selection.month = v;
            keepDayInMonth();
            StartTimeFromDate(selection);
            return true;
        case MetEntry::kDay:
            if (v < 1 || v > DaysInMetMonth(selection.year, selection.month)) return false;
            selection.day = v;
            StartTimeFromDate(selection);
            return true;
        case MetEntry::kLeapSeconds:
            if (v < kMetMinLeapSeconds || v > kMetMaxLeapSeconds) return false;
            selection.leapSeconds = v;
            return true;
    }
    return false;
}

MetSelectionTexts FormatMetSelection(const MetFileSelection& selection) {
    MetSelectionTexts t;
    t.week = std::to_string(selection.startWeek);
    t.seconds = std::to_string(selection.startSeconds);
    t.year = std::to_string(selection.year);
    t.month = std::to_string(selection.month);
    t.day = std::to_string(selection.day);
    const double leap = selection.leapSeconds;
    t.leapSeconds = std::isfinite(leap) && std::fabs(leap) < 1e9 ? std::to_string(std::lround(leap))
                                                                 : std::string("0");
    return t;
}

std::optional<std::int32_t> ScanMetInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t first = i;
    std::int64_t value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        value = value * 10 + (text[i] - '0');
        if (value > std::numeric_limits<std::int32_t>::max() + std::int64_t{1}) return std::nullopt;
        ++i;
    }
    if (i == first) return std::nullopt;
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> ScanMetReal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        number += text[i++];
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && IsDigit(text[i])) {
            number += text[i++];
            ++digits;
        }
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const std::size_t exponentDigits = j;
        while (j < text.size() && IsDigit(text[j]))
            exponent += text[j++];
        if (j > exponentDigits) number += exponent;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> ReadSensorAccuracy(std::string_view text) {
    const std::optional<double> value = ScanMetReal(text);
    if (!value || *value < 0.0) return std::nullopt;
    return value;
}

BrowseStart MetBrowseStart(const std::string& text) {
    BrowseStart start;
    if (text.empty()) return start;
    if (NamesExistingFile(text)) {
        start.fileName = text;
        start.directory = SplitPath(text).directory;
        return start;
    }
    // Without an existing directory on the way up the dialog opens at the root.
    start.directory = std::string(1, '/');
    std::string t = text;
    if (t.back() != '/') t += '/';
    while (!t.empty()) {
        const std::size_t slash = t.find_last_of('/');
        if (slash == std::string::npos) break;
        const std::string directory = t.substr(0, slash);
        if (directory.empty()) break;  // reached the root
        std::error_code ec;
        if (fs::is_directory(directory, ec)) {
            start.directory = directory;
            break;
        }
        t = directory;
    }
    return start;
}

std::vector<std::string> DialogFilterEntries(std::string_view barSeparated) {
    std::vector<std::string> entries;
    const std::vector<std::string> fields = Split(barSeparated, '|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        std::vector<std::string> patterns;
        auto add = [&patterns](const std::string& pattern) {
            if (pattern.empty()) return;
            for (const std::string& p : patterns) {
                if (p == pattern) return;
            }
            patterns.push_back(pattern);
        };
        for (const std::string& pattern : Split(fields[i + 1], ';')) {
            add(pattern);
            add(ToUpperAscii(pattern));
            add(ToLowerAscii(pattern));
        }
        std::string entry = fields[i] + " (";
        for (std::size_t p = 0; p < patterns.size(); ++p) {
            if (p > 0) entry += ' ';
            entry += patterns[p];
        }
        entry += ')';
        entries.push_back(entry);
    }
    return entries;
}

}  // namespace kelvrant
