// Reading IGS site logs (see SiteLog.h).
#include "settings/SiteLog.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "geo/GpsTime.h"

namespace kelvrant {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The forms' own placeholders ("(CCYY-MM-DDThh:mmZ)", "(F8.4) m") stand for "not given".
bool Blank(std::string_view value) {
    return value.empty() || value.front() == '(';
}

bool ParseNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool Digits(std::string_view s, std::size_t from, std::size_t count, int& value) {
    if (from + count > s.size()) return false;
    value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
        value = value * 10 + (s[i] - '0');
    }
    return true;
}

// "CCYY-MM-DDThh:mmZ" or "CCYY-MM-DD" (midnight).
bool ParseDate(std::string_view s, SiteLogMinutes& t) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (!Digits(s, 0, 4, year) || s.size() < 10 || s[4] != '-' || !Digits(s, 5, 2, month) ||
        s[7] != '-' || !Digits(s, 8, 2, day))
        return false;
    if (s.size() != 10) {
        if (s.size() != 17 || s[10] != 'T' || !Digits(s, 11, 2, hour) || s[13] != ':' ||
            !Digits(s, 14, 2, minute) || s[16] != 'Z')
            return false;
    }
    if (year < 1980 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int last = kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > last) return false;
    t = SiteLogTime(year, month, day, hour, minute);
    return true;
}

// A line "  Key   : value" split at its first colon; entry lines start with "3.1", "4.x".
struct Field {
    std::string_view entry;  ///< "3.1", "4.x" or empty
    std::string_view key;
    std::string_view value;
};

bool SplitField(std::string_view line, Field& f) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    std::string_view left = Trim(line.substr(0, colon));
    f.value = Trim(line.substr(colon + 1));
    f.entry = {};
    if (!line.empty() && std::isdigit(static_cast<unsigned char>(line.front()))) {
        const std::size_t space = left.find_first_of(" \t");
        if (space != std::string_view::npos) {
            f.entry = left.substr(0, space);
            left = Trim(left.substr(space));
        }
    }
    f.key = left;
    return true;
}

// The section a heading line opens ("3.   GNSS Receiver Information"), or 0.
int SectionHeading(std::string_view line) {
    int n = 0;
    std::size_t i = 0;
    while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) && i < 2)
        n = n * 10 + (line[i++] - '0');
    if (i == 0 || i >= line.size() || line[i] != '.') return 0;
    if (i + 1 < line.size() && !std::isspace(static_cast<unsigned char>(line[i + 1]))) return 0;
    return n;
}

class Parser {
  public:
    SiteLogParse Run(std::string_view text) {
        long number = 0;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            ++number;
            if (const int heading = SectionHeading(line); heading != 0) {
                if (!CloseEntry()) return Failed();
                section_ = heading;
                if (heading == 1) identificationLine_ = number;
                if (section_ > 4) break;
                continue;
            }
            Field f;
            if (section_ < 1 || !SplitField(line, f)) continue;
            line_ = number;
            if (!Take(f)) return Failed();
        }
        if (!CloseEntry()) return Failed();
        if (log_.fourCharacterId.empty()) {
            line_ = identificationLine_ != 0 ? identificationLine_ : 1;
            why_ = "the station has no Four Character ID";
            return Failed();
        }
        SiteLogParse result;
        result.log = std::move(log_);
        return result;
    }

  private:
    enum class Open { kNone, kReceiver, kAntenna, kTemplate };

    bool Fail(std::string why) {
        why_ = std::move(why);
        return false;
    }
    SiteLogParse Failed() {
        SiteLogParse result;
        result.line = line_;
        result.why = why_;
        return result;
    }

    bool Number(const Field& f, double& out) {
        if (!ParseNumber(f.value, out))
            return Fail("\"" + std::string(f.key) + "\" is not a number: \"" +
                        std::string(f.value) + "\"");
        return true;
    }
    bool Date(const Field& f, SiteLogMinutes& out) {
        if (!ParseDate(f.value, out))
            return Fail("\"" + std::string(f.key) + "\" is not a date CCYY-MM-DDThh:mmZ: \"" +
                        std::string(f.value) + "\"");
        return true;
    }

    // An entry without its installation date or eccentricities cannot be placed in time or
    // space; it is an error at the line that opened it.
    bool CloseEntry() {
        if (open_ == Open::kReceiver || open_ == Open::kAntenna) {
            const long at = line_;
            line_ = entryLine_;
            if (!installed_) return Fail("the entry has no \"Date Installed\"");
            if (open_ == Open::kAntenna && eccentricities_ != 3)
                return Fail("the entry lacks a \"Marker->ARP\" eccentricity");
            line_ = at;
            SiteLogPeriod& p = open_ == Open::kReceiver ? log_.receivers.back().period
                                                        : log_.antennas.back().period;
            p.installed = *installed_;
            p.removed = removed_;
            if (open_ == Open::kAntenna && log_.antennas.back().radome.empty())
                log_.antennas.back().radome = "NONE";
        }
        open_ = Open::kNone;
        installed_.reset();
        removed_.reset();
        eccentricities_ = 0;
        return true;
    }

    bool Take(const Field& f) {
        if (!f.entry.empty()) {
            if (!CloseEntry()) return false;
            entryLine_ = line_;
            const bool placeholder = f.entry.size() > 2 && (f.entry[2] == 'x' || f.entry[2] == 'X');
            if (placeholder || (section_ != 3 && section_ != 4)) {
                open_ = Open::kTemplate;
            } else if (section_ == 3) {
                open_ = Open::kReceiver;
                log_.receivers.emplace_back().type = std::string(f.value);
            } else {
                open_ = Open::kAntenna;
                SiteLogAntenna& a = log_.antennas.emplace_back();
                const std::size_t space = f.value.find_first_of(" \t");
                a.type = std::string(f.value.substr(0, space));
                if (space != std::string_view::npos)
                    a.radome = std::string(Trim(f.value.substr(space)));
            }
            return true;
        }
        const std::string key = Lower(f.key);
        switch (section_) {
            case 1:
                if (key == "four character id" && !Blank(f.value))
                    log_.fourCharacterId = std::string(f.value.substr(0, 4));
                else if (key == "nine character id" && !Blank(f.value) &&
                         log_.fourCharacterId.empty())
                    log_.fourCharacterId = std::string(f.value.substr(0, 4));
                else if (key == "iers domes number" && !Blank(f.value))
                    log_.domesNumber = std::string(f.value);
                return true;
            case 2: {
                const int axis = key == "x coordinate (m)"   ? 0
                                 : key == "y coordinate (m)" ? 1
                                 : key == "z coordinate (m)" ? 2
                                                             : -1;
                if (axis < 0 || Blank(f.value)) return true;
                double v = 0.0;
                if (!Number(f, v)) return false;
                if (!log_.position) log_.position = std::array<double, 3>{};
                (*log_.position)[static_cast<std::size_t>(axis)] = v;
                return true;
            }
            default:
                break;
        }
        if (open_ != Open::kReceiver && open_ != Open::kAntenna) return true;
        if (key == "date installed") {
            if (Blank(f.value)) return true;
            SiteLogMinutes t = 0;
            if (!Date(f, t)) return false;
            installed_ = t;
            return true;
        }
        if (key == "date removed") {
            if (Blank(f.value)) return true;
            SiteLogMinutes t = 0;
            if (!Date(f, t)) return false;
            removed_ = t;
            return true;
        }
        const std::string value = Blank(f.value) ? std::string() : std::string(f.value);
        if (open_ == Open::kReceiver) {
            SiteLogReceiver& r = log_.receivers.back();
            if (key == "serial number") r.serialNumber = value;
            if (key == "firmware version") r.firmware = value;
            return true;
        }
        SiteLogAntenna& a = log_.antennas.back();
        if (key == "serial number") a.serialNumber = value;
        if (key == "antenna radome type" && a.radome.empty()) a.radome = value;
        double* ecc = key.starts_with("marker->arp up")      ? &a.up
                      : key.starts_with("marker->arp north") ? &a.north
                      : key.starts_with("marker->arp east")  ? &a.east
                                                             : nullptr;
        if (ecc != nullptr) {
            if (Blank(f.value)) return Fail("\"" + std::string(f.key) + "\" is empty");
            if (!Number(f, *ecc)) return false;
            ++eccentricities_;
        }
        return true;
    }

    SiteLog log_;
    int section_ = 0;
    long line_ = 0;
    long entryLine_ = 0;
    long identificationLine_ = 0;
    std::string why_;
    Open open_ = Open::kNone;
    std::optional<SiteLogMinutes> installed_;
    std::optional<SiteLogMinutes> removed_;
    int eccentricities_ = 0;
};

template <typename Entry>
const Entry* At(const std::vector<Entry>& entries, SiteLogMinutes t) {
    // Logs list the newest entry last; an overlap (a log not yet corrected) takes the newest.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->period.Contains(t)) return &*it;
    return nullptr;
}

}  // namespace

std::string SiteLogAntenna::RinexType() const {
    std::string out = type;
    if (out.size() < 16) out.resize(16, ' ');
    return out + (radome.empty() ? std::string("NONE") : radome);
}

const SiteLogReceiver* SiteLog::ReceiverAt(SiteLogMinutes t) const {
    return At(receivers, t);
}
const SiteLogAntenna* SiteLog::AntennaAt(SiteLogMinutes t) const {
    return At(antennas, t);
}

SiteLogParse ParseSiteLog(std::string_view text) {
    return Parser().Run(text);
}

SiteLogMinutes SiteLogTime(std::int32_t year, std::int32_t month, std::int32_t day,
                           std::int32_t hour, std::int32_t minute) {
    constexpr std::int64_t kMjd1970 = 40587;
    const std::int64_t days = DateToMjd(year, month, day) - kMjd1970;
    return (days * 24 + hour) * 60 + minute;
}

std::string FindSiteLog(const std::string& directory, std::string_view fourCharacterId) {
    const std::string id = Lower(fourCharacterId);
    std::string best;
    std::string bestDate;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        const std::string name = Lower(entry.path().filename().string());
        if (name.size() < 17 || !name.ends_with(".log") || name.compare(0, 4, id) != 0) continue;
        const std::string_view rest = std::string_view(name).substr(4, name.size() - 8);
        std::string_view date;
        if (rest.size() == 9 && rest[0] == '_') date = rest.substr(1);
        if (rest.size() == 14 && rest.substr(0, 2) == "00" && rest[5] == '_') date = rest.substr(6);
        if (date.size() != 8 ||
            !std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (best.empty() || date > bestDate) {
            best = entry.path().string();
            bestDate = date;
        }
    }
    return best;
}

}  // namespace kelvrant
