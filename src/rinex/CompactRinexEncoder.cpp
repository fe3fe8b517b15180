// Compact RINEX encoder (see CompactRinexEncoder.h).
#include "rinex/CompactRinexEncoder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kelvrant {
namespace {

// Columns of the observation records.
constexpr std::size_t kFieldWidth = 16;  // F14.3, loss-of-lock digit, signal digit
constexpr std::size_t kValueWidth = 14;
constexpr std::size_t kFieldsPerLine2 = 5;  // RINEX 2 observation lines
constexpr std::size_t kIdsPerLine2 = 12;    // RINEX 2 epoch lines
constexpr std::size_t kEpochPrefix2 = 32;   // RINEX 2 epoch line up to the satellite count
constexpr std::size_t kClockColumn2 = 68;
constexpr std::size_t kEpochPrefix3 = 41;  // RINEX 3 epoch line up to the clock offset
constexpr std::size_t kClockEnd3 = 56;

// A difference this large is sent as a new start of the arc instead: the value itself is no
// longer, and decompressors that hold numbers in two 32-bit halves stay within range.
constexpr std::int64_t kLargestDifference = 10'000'000'000'000;

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool LabelIs(std::string_view line, std::string_view label) {
    return line.size() > 60 && line.substr(60).starts_with(label);
}

/// A whole number in a fixed field (blank: `fallback`); false when the field holds other text.
bool ParseCount(std::string_view text, std::size_t& value, std::size_t fallback = 0) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        value = fallback;
        return true;
    }
    text.remove_prefix(first);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

enum class Number { kBlank, kValue, kBad };

/// A fixed-point field right-aligned in blanks with exactly `decimals` digits after the point,
/// as the integer of its digits (the point removed): "  -12.345" with 3 decimals is -12345.
Number ParseFixed(std::string_view text, std::size_t decimals, std::int64_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size()) return Number::kBlank;
    bool negative = false;
    if (text[i] == '-') {
        negative = true;
        ++i;
    }
    std::int64_t v = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits)
        v = v * 10 + (text[i] - '0');
    if (i == text.size() || text[i] != '.') return Number::kBad;
    ++i;
    if (text.size() - i != decimals) return Number::kBad;
    for (; i < text.size(); ++i, ++digits) {
        if (text[i] < '0' || text[i] > '9') return Number::kBad;
        v = v * 10 + (text[i] - '0');
    }
    if (digits > 18) return Number::kBad;
    value = negative ? -v : v;
    return Number::kValue;
}

void AppendNumber(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end);
}

/// The characters of `now` that differ from `before` (a blank where they agree, '&' where a
/// character became blank), trailing blanks removed. Beyond its end a text counts as blank.
void AppendChanges(std::string& out, std::string_view before, std::string_view now) {
    const std::size_t start = out.size();
    const std::size_t n = std::max(before.size(), now.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char b = i < before.size() ? before[i] : ' ';
        const char c = i < now.size() ? now[i] : ' ';
        out.push_back(c == b ? ' ' : c == ' ' ? '&' : c);
    }
    std::size_t end = out.size();
    while (end > start && out[end - 1] == ' ')
        --end;
    out.resize(end);
}

}  // namespace

CompactRinexEncoder::CompactRinexEncoder(TextSink& next, std::string_view program,
                                         const UtcTime& now)
    : next_(next), program_(program.substr(0, 40)), now_(now) {
    out_.reserve(1 << 12);
}

void CompactRinexEncoder::Fail(std::string text) {
    if (error_.empty()) error_ = "compact RINEX: " + std::move(text);
}

void CompactRinexEncoder::Write(std::string_view bytes) {
    while (!bytes.empty() && error_.empty()) {
        const std::size_t nl = bytes.find('\n');
        if (nl == std::string_view::npos) {
            pending_.append(bytes);
            return;
        }
        std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl + 1);
        if (!pending_.empty()) {
            pending_.append(line);
            line = pending_;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            lineEnd_ = "\r\n";
        } else {
            lineEnd_ = "\n";
        }
        Line(line);
        pending_.clear();
    }
}

void CompactRinexEncoder::Finish() {
    if (!pending_.empty() && error_.empty()) {
        const std::string last = std::move(pending_);
        pending_.clear();
        Line(last);
    }
    if (error_.empty() && (phase_ == Phase::kEpochLines || phase_ == Phase::kSpecialRecords))
        Fail("the observation file ends inside an epoch");
    if (error_.empty() && phase_ == Phase::kHeader)
        Fail("the observation file has no END OF HEADER");
    next_.Finish();
}

void CompactRinexEncoder::Emit(std::string_view line) {
    out_.append(line);
    out_.append(lineEnd_);
}

void CompactRinexEncoder::Line(std::string_view line) {
    switch (phase_) {
        case Phase::kStart: {
            if (!LabelIs(line, "RINEX VERSION / TYPE")) {
                Fail("the text does not start with RINEX VERSION / TYPE");
                return;
            }
            const double version = std::atof(std::string(line.substr(0, 9)).c_str());
            version_ = version >= 3.0 ? 3 : 2;
            char text[96];
            std::snprintf(text, sizeof text, "%-20.20s%-40.40s%-20.20s",
                          version_ == 3 ? "3.0" : "1.0", "COMPACT RINEX FORMAT",
                          "CRINEX VERS   / TYPE");
            Emit(text);
            const int month = std::clamp(now_.month, 1, 12);
            char date[32];
            std::snprintf(date, sizeof date, "%02d-%s-%02d %02d:%02d", now_.day % 100,
                          kMonths[month - 1].data(), now_.year % 100, now_.hour % 100,
                          now_.minute % 100);
            std::snprintf(text, sizeof text, "%-40.40s%-20.20s%-20.20s", program_.c_str(), date,
                          "CRINEX PROG / DATE");
            Emit(text);
            phase_ = Phase::kHeader;
            HeaderLine(line);
            break;
        }
        case Phase::kHeader:
            HeaderLine(line);
            break;
        case Phase::kEpoch:
            EpochLine(line);
            break;
        case Phase::kEpochLines:
            epochLines_.emplace_back(line);
            if (--linesMissing_ == 0) {
                phase_ = Phase::kEpoch;
                EncodeEpoch();
            }
            break;
        case Phase::kSpecialRecords:
            Emit(line);
            if (--linesMissing_ == 0) phase_ = Phase::kEpoch;
            break;
    }
    if (!out_.empty()) {
        next_.Write(out_);
        out_.clear();
    }
}

void CompactRinexEncoder::HeaderLine(std::string_view line) {
    Emit(line);
    std::size_t count = 0;
    if (version_ == 2 && LabelIs(line, "# / TYPES OF OBSERV") && types2_ == 0) {
        if (!ParseCount(line.substr(0, 6), count)) Fail("unreadable # / TYPES OF OBSERV");
        types2_ = count;
    } else if (version_ == 3 && LabelIs(line, "SYS / # / OBS TYPES") && !line.empty() &&
               line[0] != ' ') {
        if (line.size() < 6 || !ParseCount(line.substr(3, 3), count))
            Fail("unreadable SYS / # / OBS TYPES");
        types3_[static_cast<unsigned char>(line[0]) & 0x7f] = count;
    } else if (LabelIs(line, "END OF HEADER")) {
        phase_ = Phase::kEpoch;
    }
}

std::size_t CompactRinexEncoder::TypeCount(char system) const {
    if (version_ == 2) return types2_;
    return types3_[static_cast<unsigned char>(system) & 0x7f];
}

void CompactRinexEncoder::EpochLine(std::string_view line) {
    const std::size_t flagColumn = version_ == 2 ? 28 : 31;
    const std::size_t countEnd = version_ == 2 ? 32 : 35;
    if (line.size() <= flagColumn || (version_ == 3 && line[0] != '>')) {
        Fail("not an epoch line: " + std::string(line));
        return;
    }
    std::size_t count = 0;
    if (!ParseCount(line.substr(flagColumn + 1, countEnd - flagColumn - 1), count)) {
        Fail("unreadable satellite count: " + std::string(line));
        return;
    }
    const char flag = line[flagColumn];
    if (flag >= '2' && flag <= '5') {
        // An event goes as it is (a RINEX 2 line marked as a new start), its special records
        // behind it; the epoch after it starts everything anew, as after the header.
        if (version_ == 2) {
            Emit(std::string("&").append(line.substr(1)));
        } else {
            Emit(line);
        }
        restart_ = true;
        if (count > 0) {
            linesMissing_ = count;
            phase_ = Phase::kSpecialRecords;
        }
        return;
    }
    if (flag != '0' && flag != '1') {
        Fail("unsupported epoch flag: " + std::string(line));
        return;
    }
    epochLines_.clear();
    epochLines_.emplace_back(line);
    satellitesInEpoch_ = count;
    std::size_t more = 0;
    if (version_ == 2) {
        const std::size_t perSatellite =
            std::max<std::size_t>(1, (types2_ + kFieldsPerLine2 - 1) / kFieldsPerLine2);
        more = (count > 0 ? (count - 1) / kIdsPerLine2 : 0) + count * perSatellite;
    } else {
        more = count;
    }
    if (more == 0) {
        EncodeEpoch();
        return;
    }
    linesMissing_ = more;
    phase_ = Phase::kEpochLines;
}

void CompactRinexEncoder::EncodeEpoch() {
    const std::string_view first = epochLines_[0];
    const std::size_t n = satellitesInEpoch_;
    std::string epoch;
    std::string_view clock;
    std::size_t dataLine = 1;
    if (version_ == 2) {
        epoch.assign(first.substr(0, kEpochPrefix2));
        epoch.resize(kEpochPrefix2, ' ');
        for (std::size_t i = 0; i < n; ++i) {
            const std::string_view line = epochLines_[i / kIdsPerLine2];
            const std::size_t at = kEpochPrefix2 + 3 * (i % kIdsPerLine2);
            if (line.size() < at + 3) return Fail("missing satellite in " + std::string(first));
            epoch.append(line.substr(at, 3));
        }
        if (first.size() > kClockColumn2) clock = first.substr(kClockColumn2);
        if (first.size() > 80) return Fail("epoch line too long: " + std::string(first));
        dataLine = n > 0 ? 1 + (n - 1) / kIdsPerLine2 : 1;
    } else {
        epoch.assign(first.substr(0, kEpochPrefix3));
        epoch.resize(kEpochPrefix3, ' ');
        if (first.size() > kEpochPrefix3) clock = first.substr(kEpochPrefix3);
        if (clock.size() > kClockEnd3 - kEpochPrefix3)
            return Fail("epoch line too long: " + std::string(first));
        for (std::size_t i = 0; i < n; ++i) {
            const std::string_view line = epochLines_[1 + i];
            if (line.size() < 3) return Fail("missing satellite in " + std::string(first));
            epoch.append(line.substr(0, 3));
        }
    }

    if (restart_) {
        // A new start: the whole epoch line, marked so that no earlier epoch is needed.
        if (version_ == 2) {
            out_.push_back('&');
            out_.append(std::string_view(epoch).substr(1));
        } else {
            out_.append(epoch);
        }
        out_.append(lineEnd_);
        previous_.clear();
        clock_ = Arc{};
        restart_ = false;
    } else {
        AppendChanges(out_, previousEpoch_, epoch);
        out_.append(lineEnd_);
    }
    previousEpoch_ = std::move(epoch);

    std::int64_t value = 0;
    switch (ParseFixed(clock, version_ == 2 ? 9 : 12, value)) {
        case Number::kBlank:
            clock_.order = -1;
            break;
        case Number::kValue:
            Arcs(clock_, value, kClockOrder, out_);
            break;
        case Number::kBad:
            return Fail("unreadable clock offset: " + std::string(first));
    }
    out_.append(lineEnd_);

    current_.clear();
    std::string fields;
    for (std::size_t i = 0; i < n && error_.empty(); ++i) {
        std::string_view id;
        std::size_t count = 0;
        if (version_ == 2) {
            id = std::string_view(previousEpoch_).substr(kEpochPrefix2 + 3 * i, 3);
            count = types2_;
            const std::size_t lines = std::max<std::size_t>(1, (count + 4) / kFieldsPerLine2);
            fields.assign(count * kFieldWidth, ' ');
            for (std::size_t k = 0; k < lines; ++k) {
                const std::string_view line = epochLines_[dataLine++];
                const std::size_t at = k * kFieldsPerLine2 * kFieldWidth;
                if (at + line.size() > fields.size())
                    return Fail("observation line too long: " + std::string(line));
                fields.replace(at, line.size(), line);
            }
        } else {
            const std::string_view line = epochLines_[dataLine++];
            if (line.size() < 3 || TypeCount(line[0]) == 0)
                return Fail("observation line of an unknown system: " + std::string(line));
            id = line.substr(0, 3);
            count = TypeCount(id[0]);
            fields.assign(count * kFieldWidth, ' ');
            if (line.size() - 3 > fields.size())
                return Fail("observation line too long: " + std::string(line));
            fields.replace(0, line.size() - 3, line.substr(3));
        }
        EncodeSatellite(id, fields, count);
    }
    previous_.swap(current_);
}

void CompactRinexEncoder::EncodeSatellite(std::string_view id, std::string_view fields,
                                          std::size_t count) {
    Satellite sat;
    auto before = std::find_if(previous_.begin(), previous_.end(), [&](const Satellite& s) {
        return std::string_view(s.id.data(), 3) == id;
    });
    if (before != previous_.end()) {
        sat = std::move(*before);
        before->id = {};
    } else {
        // A satellite that was not in the previous epoch starts every arc; its flags are
        // compared with blanks.
        std::copy(id.begin(), id.end(), sat.id.begin());
    }
    sat.arcs.resize(count);
    std::string& flags = flagsScratch_;
    flags.assign(2 * count, ' ');
    for (std::size_t j = 0; j < count; ++j) {
        if (j > 0) out_.push_back(' ');
        const std::string_view field = fields.substr(j * kFieldWidth, kFieldWidth);
        std::int64_t value = 0;
        switch (ParseFixed(field.substr(0, kValueWidth), 3, value)) {
            case Number::kBlank:
                // A blank observation ends its arc; the next value starts a new one.
                sat.arcs[j].order = -1;
                break;
            case Number::kValue:
                Arcs(sat.arcs[j], value, kObservationOrder, out_);
                break;
            case Number::kBad:
                return Fail("unreadable observation: " + std::string(field));
        }
        flags[2 * j] = field[14];
        flags[2 * j + 1] = field[15];
    }
    const std::size_t mark = out_.size();
    out_.push_back(' ');
    AppendChanges(out_, sat.flags, flags);
    if (out_.size() == mark + 1) out_.resize(mark);
    out_.append(lineEnd_);
    sat.flags.assign(flags);
    current_.push_back(std::move(sat));
}

void CompactRinexEncoder::Arcs(Arc& arc, std::int64_t value, int maxOrder, std::string& out) {
    if (arc.order >= 0) {
        const int order = std::min(arc.order + 1, maxOrder);
        std::array<std::int64_t, kObservationOrder + 1> d{};
        d[0] = value;
        for (int k = 1; k <= order; ++k)
            d[k] = d[k - 1] - arc.d[k - 1];
        if (d[order] > -kLargestDifference && d[order] < kLargestDifference) {
            arc.d = d;
            arc.order = order;
            AppendNumber(out, d[order]);
            return;
        }
    }
    // A new arc: its order and the value itself.
    arc.order = 0;
    arc.d[0] = value;
    out.push_back(static_cast<char>('0' + maxOrder));
    out.push_back('&');
    AppendNumber(out, value);
}

}  // namespace kelvrant
