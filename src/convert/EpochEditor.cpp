// Editing of converted epochs (see EpochEditor.h).
#include "convert/EpochEditor.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "geo/GpsTime.h"

namespace kelvrant {
namespace {

constexpr double kDaySeconds = 86400.0;
constexpr double kWeekSeconds = 604800.0;
constexpr int kGpsCount = 32;
constexpr int kGlonassCount = 24;

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A whole number of exactly `digits` digits (any number of digits when 0).
std::optional<std::int32_t> Whole(std::string_view text, std::size_t digits = 0) {
    if (text.empty() || (digits != 0 && text.size() != digits)) return std::nullopt;
    std::int32_t v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

// A non-negative decimal number without sign or exponent ("12", "12.5").
std::optional<double> Decimal(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

// Calls `take` for each comma-separated item; false as soon as one is refused or empty.
template <class Take>
bool ForEachItem(std::string_view text, Take take) {
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        if (item.empty() || !take(item)) return false;
        if (comma == std::string_view::npos) return true;
        text.remove_prefix(comma + 1);
    }
}

bool DaysInMonth(std::int32_t year, std::int32_t month, std::int32_t day) {
    static constexpr std::array<std::int32_t, 12> kDays = {31, 28, 31, 30, 31, 30,
                                                           31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    const std::int32_t last =
        kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    return day <= last;
}

std::optional<GpsSeconds> ParseCalendar(std::string_view text) {
    // YYYY-MM-DD, then ' ' or 'T', then hh:mm and optionally :ss.
    if (text.size() < 16 || text[4] != '-' || text[7] != '-' ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':')
        return std::nullopt;
    const auto year = Whole(text.substr(0, 4), 4);
    const auto month = Whole(text.substr(5, 2), 2);
    const auto day = Whole(text.substr(8, 2), 2);
    const auto hour = Whole(text.substr(11, 2), 2);
    const auto minute = Whole(text.substr(14, 2), 2);
    if (!year || !month || !day || !hour || !minute || *year < 1980 ||
        !DaysInMonth(*year, *month, *day) || *hour > 23 || *minute > 59)
        return std::nullopt;
    double seconds = 0.0;
    if (text.size() > 16) {
        if (text[16] != ':' || text.size() < 19 || (text.size() > 19 && text[19] != '.'))
            return std::nullopt;
        const auto s = Decimal(text.substr(17));
        if (!s || *s >= 60.0) return std::nullopt;
        seconds = *s;
    }
    std::int32_t week = 0;
    double secondsOfWeek = 0.0;
    CalendarToGpsTime(*year, *month, *day, *hour, *minute, seconds, week, secondsOfWeek);
    const GpsSeconds t = ToGpsSeconds(week, secondsOfWeek);
    if (t < 0.0) return std::nullopt;
    return t;
}

}  // namespace

bool EditOptions::Active() const {
    return from || to || decimateMs != 0 || types || split != SplitUnit::kNone ||
           std::find(excluded.begin(), excluded.end(), true) != excluded.end();
}

bool EditOptions::ExcludesAllGlonass() const {
    return std::all_of(excluded.begin() + kGpsCount + 1, excluded.end(), [](bool e) { return e; });
}

std::optional<GpsSeconds> ParseGpsTime(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find('-') == std::string_view::npos) {
        const auto week = Whole(text.substr(0, colon));
        const auto seconds = Decimal(text.substr(colon + 1));
        if (!week || *week < 0 || !seconds || *seconds >= kWeekSeconds) return std::nullopt;
        return ToGpsSeconds(*week, *seconds);
    }
    return ParseCalendar(text);
}

std::optional<std::int64_t> ParseDecimation(std::string_view text) {
    const auto seconds = Decimal(text);
    if (!seconds || *seconds > kDaySeconds) return std::nullopt;
    const double tenths = std::round(*seconds * 10.0);
    if (tenths < 1.0 || std::fabs(*seconds * 10.0 - tenths) > 1e-6) return std::nullopt;
    return static_cast<std::int64_t>(tenths) * 100;
}

std::optional<std::array<bool, kObservableCount>> ParseObservables(std::string_view text) {
    static constexpr std::array<std::string_view, kObservableCount> kNames = {
        "L1", "L2", "C1", "P1", "P2", "D1", "D2"};
    std::array<bool, kObservableCount> chosen{};
    const bool ok = ForEachItem(text, [&](std::string_view item) {
        if (item.size() != 2) return false;
        const char name[2] = {Upper(item[0]), item[1]};
        for (std::size_t o = 0; o < kNames.size(); ++o) {
            if (kNames[o] == std::string_view(name, 2)) {
                chosen[o] = true;
                return true;
            }
        }
        return false;
    });
    if (!ok) return std::nullopt;
    return chosen;
}

bool ParseExclusions(std::string_view text, std::array<bool, kSatelliteIndexCount>& excluded) {
    std::array<bool, kSatelliteIndexCount> result = excluded;
    const bool ok = ForEachItem(text, [&](std::string_view item) {
        const char system = Upper(item[0]);
        if (system != 'G' && system != 'R') return false;
        const int count = system == 'G' ? kGpsCount : kGlonassCount;
        const int base = system == 'G' ? 0 : kGpsCount;
        if (item.size() == 1) {
            for (int n = 1; n <= count; ++n)
                result[static_cast<std::size_t>(base + n)] = true;
            return true;
        }
        const auto n = Whole(item.substr(1));
        if (item.size() > 3 || !n || *n < 1 || *n > count) return false;
        result[static_cast<std::size_t>(base + *n)] = true;
        return true;
    });
    if (ok) excluded = result;
    return ok;
}

std::optional<SplitUnit> ParseSplit(std::string_view text) {
    if (text == "day") return SplitUnit::kDay;
    if (text == "hour") return SplitUnit::kHour;
    return std::nullopt;
}

EditText ParseEditTexts(const EditTexts& texts, EditOptions& out) {
    EditOptions edit;
    if (!texts.from.empty() && !(edit.from = ParseGpsTime(texts.from))) return EditText::kFrom;
    if (!texts.to.empty() && !(edit.to = ParseGpsTime(texts.to))) return EditText::kTo;
    if (!texts.decimate.empty()) {
        const auto step = ParseDecimation(texts.decimate);
        if (!step) return EditText::kDecimate;
        edit.decimateMs = *step;
    }
    if (!texts.split.empty() && texts.split != "none") {
        const auto unit = ParseSplit(texts.split);
        if (!unit) return EditText::kSplit;
        edit.split = *unit;
    }
    if (!texts.types.empty() && !(edit.types = ParseObservables(texts.types)))
        return EditText::kTypes;
    if (!texts.exclude.empty() && !ParseExclusions(texts.exclude, edit.excluded))
        return EditText::kExclude;
    out = edit;
    return EditText::kNone;
}

double PieceLength(SplitUnit unit) {
    return unit == SplitUnit::kDay ? kDaySeconds : unit == SplitUnit::kHour ? 3600.0 : 0.0;
}

std::int64_t PieceOf(GpsSeconds t, SplitUnit unit) {
    if (unit == SplitUnit::kNone) return 0;
    // A tag a hair before the hour (7 decimals are written) belongs to the hour it prints as.
    return static_cast<std::int64_t>(std::floor((t + 5e-8) / PieceLength(unit)));
}

GpsSeconds PieceStart(std::int64_t piece, SplitUnit unit) {
    return static_cast<double>(piece) * PieceLength(unit);
}

EpochEditor::EpochEditor(const EditOptions& options) : options_(options) {}

void EpochEditor::RemoveExcluded(ObservationEpoch& epoch) const {
    int kept = 0;
    for (int i = 0; i < epoch.count; ++i) {
        const auto& s = epoch.satellites[static_cast<std::size_t>(i)];
        if (options_.excluded[static_cast<std::size_t>(SatelliteIndex(s.satellite))]) continue;
        if (kept != i) epoch.satellites[static_cast<std::size_t>(kept)] = s;
        ++kept;
    }
    epoch.count = kept;
}

void EpochEditor::Remember(const ObservationEpoch& epoch) {
    for (int i = 0; i < epoch.count; ++i) {
        const auto& s = epoch.satellites[static_cast<std::size_t>(i)];
        auto& bits = pending_[static_cast<std::size_t>(SatelliteIndex(s.satellite))];
        for (std::size_t o = 0; o < bits.size(); ++o)
            bits[o] = static_cast<std::uint8_t>(bits[o] | (s.obs[o].lossOfLock & 1));
    }
    if (epoch.event != EpochEvent::kNone) {
        pendingEvent_ = epoch.event;
        pendingSite_ = epoch.siteName;
    }
}

void EpochEditor::CarryOver(ObservationEpoch& epoch) {
    for (int i = 0; i < epoch.count; ++i) {
        auto& s = epoch.satellites[static_cast<std::size_t>(i)];
        auto& bits = pending_[static_cast<std::size_t>(SatelliteIndex(s.satellite))];
        for (std::size_t o = 0; o < bits.size(); ++o) {
            // A missing value carries no flag; the slip waits for the next measurement.
            if (bits[o] == 0 || s.obs[o].value == 0.0) continue;
            s.obs[o].lossOfLock = static_cast<std::uint8_t>(s.obs[o].lossOfLock | bits[o]);
            bits[o] = 0;
        }
    }
    if (epoch.event == EpochEvent::kNone && pendingEvent_ != EpochEvent::kNone) {
        epoch.event = pendingEvent_;
        epoch.siteName = pendingSite_;
    }
    pendingEvent_ = EpochEvent::kNone;
}

bool EpochEditor::Keep(ObservationEpoch& epoch) {
    const GpsSeconds t = ToGpsSeconds(epoch.week, epoch.secondsOfWeek);
    if ((options_.from && t < *options_.from - 5e-8) || (options_.to && t > *options_.to + 5e-8)) {
        // Nothing outside the window reaches a written epoch.
        pending_ = {};
        pendingEvent_ = EpochEvent::kNone;
        return false;
    }
    RemoveExcluded(epoch);
    if (options_.decimateMs != 0) {
        // Time tags are whole milliseconds; the time of day decides, so that files of
        // different receivers decimated alike hold the same instants.
        const double day = std::fmod(epoch.secondsOfWeek, kDaySeconds);
        const auto ms = static_cast<std::int64_t>(std::llround(day * 1000.0));
        if (ms % options_.decimateMs != 0) {
            Remember(epoch);
            return false;
        }
    }
    CarryOver(epoch);
    return epoch.count > 0 || epoch.event != EpochEvent::kNone;
}

void WrittenSummary::Add(const ObservationEpoch& epoch) {
    if (epoch.count == 0) return;
    if (epochs == 0) {
        firstWeek = epoch.week;
        firstSeconds = epoch.secondsOfWeek;
    }
    lastWeek = epoch.week;
    lastSeconds = epoch.secondsOfWeek;
    ++epochs;
    for (int i = 0; i < epoch.count; ++i) {
        const auto& s = epoch.satellites[static_cast<std::size_t>(i)];
        auto& n = counts[static_cast<std::size_t>(SatelliteIndex(s.satellite))];
        for (std::size_t o = 0; o < n.size(); ++o)
            if (s.obs[o].value != 0.0) ++n[o];
    }
}

}  // namespace kelvrant
