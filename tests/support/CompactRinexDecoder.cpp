// Compact RINEX decompressor for the tests (see CompactRinexDecoder.h).
#include "support/CompactRinexDecoder.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <vector>

namespace kelvrant::test {
namespace {

struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Arc {
    int order = -1;
    int top = 0;
    std::int64_t d[10] = {};
};

struct SatelliteState {
    std::vector<Arc> arcs;
    std::string flags;
};

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::int64_t ToInteger(const std::string& text) {
    if (text.empty()) throw BadInput("empty number");
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (*end != '\0') throw BadInput("bad number '" + text + "'");
    return v;
}

// One value of an arc: "k&v" starts the arc at v with highest order k; anything else is the
// next difference, whose order grows by one per epoch up to k.
std::int64_t Restore(Arc& arc, const std::string& text) {
    if (text.size() >= 2 && text[1] == '&') {
        arc.top = text[0] - '0';
        if (arc.top < 0 || arc.top > 9) throw BadInput("bad arc order in '" + text + "'");
        arc.order = 0;
        arc.d[0] = ToInteger(text.substr(2));
        return arc.d[0];
    }
    if (arc.order < 0) throw BadInput("difference '" + text + "' without the start of its arc");
    const int k = arc.order < arc.top ? arc.order + 1 : arc.top;
    std::int64_t next[10] = {};
    next[k] = ToInteger(text);
    for (int j = k - 1; j >= 0; --j)
        next[j] = arc.d[j] + next[j + 1];
    for (int j = 0; j <= k; ++j)
        arc.d[j] = next[j];
    arc.order = k;
    return arc.d[0];
}

// Applies a line of changed characters: blank keeps, '&' blanks, anything else replaces.
std::string Apply(std::string old, const std::string& changes) {
    if (old.size() < changes.size()) old.resize(changes.size(), ' ');
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (changes[i] == '&')
            old[i] = ' ';
        else if (changes[i] != ' ')
            old[i] = changes[i];
    }
    return old;
}

// "%<width>.<decimals>f" of an integer that carries `decimals` implied digits.
std::string Fixed(std::int64_t v, int decimals, int width) {
    std::int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const std::uint64_t a = v < 0 ? static_cast<std::uint64_t>(-v) : static_cast<std::uint64_t>(v);
    char text[64];
    std::snprintf(text, sizeof text, "%s%" PRIu64 ".%0*" PRIu64, v < 0 ? "-" : "",
                  a / static_cast<std::uint64_t>(scale), decimals,
                  a % static_cast<std::uint64_t>(scale));
    std::string s(text);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

int Count(const std::string& line, std::size_t at, std::size_t width) {
    if (line.size() <= at) return 0;
    const std::string field = line.substr(at, width);
    return std::atoi(field.c_str());
}

class Decoder {
  public:
    explicit Decoder(std::string_view text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string line(text.substr(start, end - start));
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                eol_ = "\r\n";
            } else if (end < text.size()) {
                eol_ = "\n";
            }
            lines_.push_back(std::move(line));
            start = end + 1;
        }
    }

    std::string Run() {
        const std::string& first = Next();
        if (first.substr(60).rfind("CRINEX VERS   / TYPE", 0) != 0)
            throw BadInput("no CRINEX line");
        const std::string v = TrimRight(first.substr(0, 20));
        if (v == "1.0")
            rinex3_ = false;
        else if (v == "3.0")
            rinex3_ = true;
        else
            throw BadInput("unknown compact RINEX version " + v);
        Next();  // CRINEX PROG / DATE
        Header();
        while (at_ < lines_.size())
            Epoch();
        return out_;
    }

  private:
    const std::string& Next() {
        if (at_ >= lines_.size()) throw BadInput("the file ends early");
        return lines_[at_++];
    }
    void Put(const std::string& line) { out_ += line + eol_; }

    void Header() {
        for (;;) {
            const std::string line = Next();
            Put(line);
            const std::string label = line.size() > 60 ? line.substr(60) : "";
            if (!rinex3_ && label.rfind("# / TYPES OF OBSERV", 0) == 0 && types2_ == 0)
                types2_ = Count(line, 0, 6);
            if (rinex3_ && label.rfind("SYS / # / OBS TYPES", 0) == 0 && line[0] != ' ')
                types3_[line[0]] = Count(line, 3, 3);
            if (label.rfind("END OF HEADER", 0) == 0) return;
        }
    }

    void Epoch() {
        const std::string line = Next();
        const std::size_t flagAt = rinex3_ ? 31 : 28;
        std::string epoch;
        const bool fresh =
            rinex3_ ? (!line.empty() && line[0] == '>') : (!line.empty() && line[0] == '&');
        if (fresh) {
            epoch = rinex3_ ? line : " " + line.substr(1);
        } else {
            if (!haveEpoch_) throw BadInput("epoch changes without a first epoch");
            epoch = Apply(epoch_, line);
        }
        if (epoch.size() <= flagAt) throw BadInput("short epoch line");
        const char flag = epoch[flagAt];
        const int n = Count(epoch, flagAt + 1, rinex3_ ? 3 : 3);
        if (flag >= '2' && flag <= '5') {
            Put(TrimRight(epoch));
            for (int i = 0; i < n; ++i)
                Put(Next());
            return;
        }
        if (fresh) satellites_.clear();
        epoch_ = epoch;
        haveEpoch_ = true;

        const std::string clockText = Next();
        bool haveClock = false;
        std::int64_t clock = 0;
        if (clockText.empty()) {
            clockArc_.order = -1;
        } else {
            if (fresh && !(clockText.size() >= 2 && clockText[1] == '&'))
                throw BadInput("clock difference after a new start");
            clock = Restore(clockArc_, clockText);
            haveClock = true;
        }

        const std::size_t idsAt = rinex3_ ? 41 : 32;
        std::vector<std::string> ids;
        for (int i = 0; i < n; ++i) {
            const std::size_t p = idsAt + 3 * static_cast<std::size_t>(i);
            if (epoch.size() < p + 3) throw BadInput("satellite list too short");
            ids.push_back(epoch.substr(p, 3));
        }

        // The epoch line(s).
        if (rinex3_) {
            std::string l = epoch.substr(0, idsAt);
            if (haveClock) l += Fixed(clock, 12, 15);
            Put(TrimRight(l));
        } else {
            for (int i = 0; i < n || i == 0; i += 12) {
                std::string l = i == 0 ? epoch.substr(0, 32) : std::string(32, ' ');
                for (int k = i; k < n && k < i + 12; ++k)
                    l += ids[static_cast<std::size_t>(k)];
                if (i == 0 && haveClock) {
                    l.resize(68, ' ');
                    l += Fixed(clock, 9, 12);
                }
                Put(TrimRight(l));
            }
        }

        std::map<std::string, SatelliteState> now;
        for (const std::string& id : ids) {
            const int types = rinex3_ ? types3_[id[0]] : types2_;
            SatelliteState state;
            auto old = satellites_.find(id);
            if (old != satellites_.end()) state = old->second;
            state.arcs.resize(static_cast<std::size_t>(types));
            state.flags.resize(2 * static_cast<std::size_t>(types), ' ');

            const std::string data = Next();
            std::size_t p = 0;
            std::vector<std::string> values;
            for (int j = 0; j < types; ++j) {
                if (j > 0) {
                    if (p < data.size() && data[p] == ' ') ++p;
                }
                const std::size_t end = std::min(data.find(' ', p), data.size());
                const std::string field = data.substr(p, end - p);
                p = end;
                Arc& arc = state.arcs[static_cast<std::size_t>(j)];
                if (field.empty()) {
                    arc.order = -1;
                    values.emplace_back(14, ' ');
                } else {
                    values.push_back(Fixed(Restore(arc, field), 3, 14));
                }
            }
            if (p < data.size()) {
                if (data[p] != ' ') throw BadInput("bad observation line '" + data + "'");
                state.flags = Apply(state.flags, data.substr(p + 1));
            }

            if (rinex3_) {
                std::string l = id;
                for (int j = 0; j < types; ++j)
                    l += values[static_cast<std::size_t>(j)] +
                         state.flags.substr(2 * static_cast<std::size_t>(j), 2);
                Put(TrimRight(l));
            } else {
                for (int j = 0; j < types || j == 0; j += 5) {
                    std::string l;
                    for (int k = j; k < types && k < j + 5; ++k)
                        l += values[static_cast<std::size_t>(k)] +
                             state.flags.substr(2 * static_cast<std::size_t>(k), 2);
                    Put(TrimRight(l));
                }
            }
            now[id] = std::move(state);
        }
        satellites_ = std::move(now);
    }

    std::vector<std::string> lines_;
    std::size_t at_ = 0;
    std::string eol_ = "\n";
    std::string out_;
    bool rinex3_ = false;
    int types2_ = 0;
    std::map<char, int> types3_;
    std::string epoch_;
    bool haveEpoch_ = false;
    Arc clockArc_;
    std::map<std::string, SatelliteState> satellites_;
};

}  // namespace

std::string DecodeCompactRinex(std::string_view compact, std::string& error) {
    error.clear();
    try {
        return Decoder(compact).Run();
    } catch (const BadInput& e) {
        error = e.what();
        return {};
    } catch (const std::out_of_range& e) {
        error = std::string("short line: ") + e.what();
        return {};
    }
}

}  // namespace kelvrant::test
