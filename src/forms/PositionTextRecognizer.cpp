// Clipboard position recognizer and position copy text (see PositionTextRecognizer.h).
//
// Positions: a number at text index p sits at 2p; a keyword found in the text sits at 2t, t
// the text index of its first letter; a keyword bound to a number (by NEH, XYZ or a
// degrees/minutes/seconds pattern) sits at 2p - 1, just before that number, as if it were
// written there. Letters and number characters never share an index, so every comparison
// between a keyword and a number is strict and unambiguous.
#include "forms/PositionTextRecognizer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "geo/Geodetic.h"

namespace kelvrant {

namespace {

enum Role : int {
    kLat,
    kEast,
    kWest,
    kHeight,
    kLatD,
    kLatM,
    kLatS,
    kEastD,
    kEastM,
    kEastS,
    kWestD,
    kWestM,
    kWestS,
    kX,
    kY,
    kZ,
};

constexpr std::array<std::uint32_t, 16> kRoleBit = {
    paste_role::kLatitude,
    paste_role::kEastLongitude,
    paste_role::kWestLongitude,
    paste_role::kHeight,
    paste_role::kLatDegrees,
    paste_role::kLatMinutes,
    paste_role::kLatSeconds,
    paste_role::kEastDegrees,
    paste_role::kEastMinutes,
    paste_role::kEastSeconds,
    paste_role::kWestDegrees,
    paste_role::kWestMinutes,
    paste_role::kWestSeconds,
    paste_role::kX,
    paste_role::kY,
    paste_role::kZ,
};

constexpr std::uint32_t kAllRoles = [] {
    std::uint32_t all = 0;
    for (const std::uint32_t bit : kRoleBit)
        all |= bit;
    return all;
}();

// The order in which keywords bind their neighbours.
constexpr std::array<int, 16> kBindingOrder = {kLat,   kEast,  kWest,  kHeight, kLatD,  kLatM,
                                               kLatS,  kEastD, kEastM, kEastS,  kWestD, kWestM,
                                               kWestS, kX,     kY,     kZ};
// The order in which the keywords around a number are looked for (west before east).
constexpr std::array<int, 16> kAdjacencyOrder = {kLat,   kWest,  kEast,  kHeight, kLatD,  kLatM,
                                                 kLatS,  kEastD, kEastM, kEastS,  kWestD, kWestM,
                                                 kWestS, kX,     kY,     kZ};
// The order in which a number tries the free slots.
constexpr std::array<int, 16> kSlotOrder = {kLat,   kEast,  kHeight, kWest,  kLatD,  kLatM,
                                            kLatS,  kEastD, kEastM,  kEastS, kWestD, kWestM,
                                            kWestS, kX,     kY,      kZ};

constexpr int kNone = INT_MIN;
constexpr int kEliminationPasses = 16;
constexpr double kMinCartesianRadius = 6.3e6;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char ToUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

bool IsSingleRole(std::uint32_t roles) {
    return std::popcount(roles) == 1;
}

int NumberKey(const PasteNumber& n) {
    return 2 * n.position;
}

// Degrees and minutes are kept as truncated integers; a value beyond the 32-bit range (only
// possible when a keyword forces the role on an absurd number) saturates instead of
// overflowing.
std::int32_t TruncatedInt(double v) {
    constexpr double kLimit = 2147483647.0;
    const double t = std::trunc(v);
    if (t >= kLimit) return INT32_MAX;
    if (t <= -kLimit) return -INT32_MAX;
    return static_cast<std::int32_t>(t);
}

// Degrees, minutes, seconds to decimal degrees; negative when the degrees are, including a
// degrees number written as "-0" (a southern latitude or western longitude under one degree).
double DmsAngle(double degrees, double minutes, double seconds) {
    const std::int32_t d = TruncatedInt(degrees);
    const double angle = DmsToDegrees(d, TruncatedInt(minutes), seconds);
    return (d == 0 && std::signbit(degrees)) ? -angle : angle;
}

// West longitude to east longitude as the paste reads it.
double EastFromWest(double west) {
    return west >= 0.0 ? 360.0 - west : std::fabs(west);
}

}  // namespace

void PositionTextRecognizer::Clear() {
    text_.clear();
    keywordText_.clear();
    numbers_.clear();
    active_.clear();
    keyword_.fill(kNone);
    slots_.fill(Slot{});
    result_ = PasteResult{};
}

bool PositionTextRecognizer::ReadClipboard(std::string_view text) {
    Clear();
    if (text.empty() || text.size() > kMaxTextLength) return false;

    text_.assign(text);
    for (char& c : text_)
        c = ToUpper(c);
    // A bracketed span (up to and including the next closing bracket) is blanked; an opening
    // bracket without a closing one is no span and stays.
    for (std::size_t open = text_.find('['); open != std::string::npos;
         open = text_.find('[', open)) {
        const std::size_t close = text_.find(']', open + 1);
        if (close == std::string::npos) break;
        for (std::size_t i = open; i <= close; ++i)
            text_[i] = ' ';
        open = close + 1;
    }
    SplitNumbers();
    if (numbers_.empty()) return false;

    result_.kind = PasteCase::kNotRecognized;
    LocateKeywords();
    AssignRoles();
    Decide();
    return true;
}

bool PositionTextRecognizer::ParsePosition(std::string_view text, double& x, double& y, double& z) {
    ReadClipboard(text);
    if (!result_.Recognized()) return false;
    x = result_.x;
    y = result_.y;
    z = result_.z;
    return true;
}

void PositionTextRecognizer::SplitNumbers() {
    const std::size_t n = text_.size();
    std::size_t i = 0;
    while (i < n && numbers_.size() < kMaxNumbers) {
        const char c = text_[i];
        const bool signedStart =
            c == '-' && i + 1 < n && (IsDigit(text_[i + 1]) || text_[i + 1] == '.');
        if (!IsDigit(c) && c != '.' && !signedStart) {
            ++i;
            continue;
        }
        const std::size_t begin = i;
        if (signedStart) ++i;
        bool point = false;
        bool digit = false;
        while (i < n) {
            if (IsDigit(text_[i])) {
                digit = true;
            } else if (text_[i] == '.' && !point) {
                point = true;
            } else {
                break;
            }
            ++i;
        }
        if (!digit) continue;  // "." or "-." alone
        PasteNumber number;
        number.text = text_.substr(begin, i - begin);
        number.position = static_cast<int>(begin);
        number.plainInteger = !point;
        const char* first = number.text.data();
        const char* last = first + number.text.size();
        const auto parsed = std::from_chars(first, last, number.value);
        if (parsed.ec != std::errc{}) number.value = 0.0;
        numbers_.push_back(std::move(number));
    }
}

// keyword_[keyRole] at key; keyword_[second] and keyword_[third] just before the second and
// third number after it, when those exist.
void PositionTextRecognizer::BindFollowing(int keyRole, int second, int third, int key) {
    keyword_[keyRole] = key;
    std::size_t first = 0;
    while (first < numbers_.size() && NumberKey(numbers_[first]) <= key)
        ++first;
    if (first + 1 < numbers_.size()) keyword_[second] = NumberKey(numbers_[first + 1]) - 1;
    if (first + 2 < numbers_.size()) keyword_[third] = NumberKey(numbers_[first + 2]) - 1;
}

void PositionTextRecognizer::FindWord(int role, std::string_view word,
                                      std::initializer_list<std::string_view> dms) {
    if (keyword_[role] != kNone) return;
    const std::string_view kw = keywordText_;
    const std::size_t length = kw.size();
    const std::size_t whole = word.size() + 2;  // " WORD "
    for (std::size_t i = 0; i < length; ++i) {
        if (kw[i] != ' ') continue;
        bool isDms = false;
        for (const std::string_view d : dms) {
            if (i + d.size() <= length && kw.compare(i, d.size(), d) == 0) isDms = true;
        }
        if (isDms) continue;
        bool found = false;
        if (i + whole <= length) {
            found = kw.compare(i + 1, word.size(), word) == 0 && kw[i + word.size() + 1] == ' ';
        } else {
            // Near the end of the text the first letter alone suffices.
            found = i + 1 < length && kw[i + 1] == word[0];
        }
        if (found) {
            keyword_[role] = 2 * static_cast<int>(i);
            return;
        }
    }
}

void PositionTextRecognizer::ExcludeAfter(std::string_view word) {
    const std::string_view kw = keywordText_;
    for (std::size_t at = kw.find(word); at != std::string_view::npos; at = kw.find(word, at + 1)) {
        // Keyword text index at is text index at - 1.
        const int key = 2 * (static_cast<int>(at) - 1);
        for (PasteNumber& n : numbers_) {
            if (NumberKey(n) > key) {
                n.excluded = true;
                break;
            }
        }
    }
}

void PositionTextRecognizer::LocateKeywords() {
    keywordText_.reserve(text_.size() + 2);
    // Not `= " "`: g++ 12 at -O3 reports a false overlap (-Wrestrict) in that assignment.
    keywordText_.assign(1, ' ');
    for (const char c : text_) {
        keywordText_ += (IsDigit(c) || IsControl(c) || c == ':' || c == '/') ? ' ' : c;
    }
    keywordText_ += ' ';

    // The blank before a keyword's first letter is at keyword text index p, so the letter is
    // at text index p.
    const auto find = [this](std::string_view pattern) {
        const std::size_t p = keywordText_.find(pattern);
        return p == std::string::npos ? kNone : 2 * static_cast<int>(p);
    };
    const auto findFirst = [&find](std::initializer_list<std::string_view> patterns) {
        for (const std::string_view p : patterns) {
            const int key = find(p);
            if (key != kNone) return key;
        }
        return kNone;
    };

    if (const int neh = find(" NEH "); neh != kNone) BindFollowing(kLat, kEast, kHeight, neh);
    if (keyword_[kLat] == kNone) keyword_[kLat] = findFirst({" N ", " S "});
    if (keyword_[kEast] == kNone) keyword_[kEast] = find(" E ");
    keyword_[kWest] = find(" W ");
    if (keyword_[kHeight] == kNone)
        keyword_[kHeight] = findFirst({" H ", " HEIGHT ", " ELLIPTICAL "});
    keyword_[kLatD] = findFirst({" ND ", " NORTH DEGREE "});
    keyword_[kLatM] = findFirst({" NM ", " NORTH MINUTE "});
    keyword_[kLatS] = findFirst({" NS ", " NORTH SECOND "});
    keyword_[kEastD] = findFirst({" ED ", " EAST DEGREE "});
    keyword_[kEastM] = findFirst({" EM ", " EAST MINUTE "});
    keyword_[kEastS] = findFirst({" ES ", " EAST SECOND "});
    keyword_[kWestD] = findFirst({" WD ", " WEST DEGREE "});
    keyword_[kWestM] = findFirst({" WM ", " WEST MINUTE "});
    keyword_[kWestS] = findFirst({" WS ", " WEST SECOND "});
    if (const int xyz = find(" XYZ "); xyz != kNone) BindFollowing(kX, kY, kZ, xyz);
    if (keyword_[kX] == kNone) keyword_[kX] = find(" X ");
    if (keyword_[kY] == kNone) keyword_[kY] = find(" Y ");
    if (keyword_[kZ] == kNone) keyword_[kZ] = find(" Z ");

    FindWord(kLat, "NORTH",
             {" ND ", " NM ", " NS ", " NORTH DEGREE ", " NORTH MINUTE ", " NORTH SECOND "});
    FindWord(kEast, "EAST",
             {" ED ", " EM ", " ES ", " EAST DEGREE ", " EAST MINUTE ", " EAST SECOND "});
    FindWord(kWest, "WEST",
             {" WD ", " WM ", " WS ", " WEST DEGREE ", " WEST MINUTE ", " WEST SECOND "});

    ExcludeAfter("COV");
    ExcludeAfter("DOT");
    for (std::size_t i = 0; i < numbers_.size(); ++i) {
        if (!numbers_[i].excluded) active_.push_back(i);
    }
}

// Three numbers after a latitude or longitude keyword with no other keyword among them are
// its degrees, minutes and seconds.
void PositionTextRecognizer::MatchDmsPatterns() {
    struct Pattern {
        int plain, degrees, minutes, seconds;
    };
    for (const Pattern p :
         {Pattern{kLat, kLatD, kLatM, kLatS}, Pattern{kEast, kEastD, kEastM, kEastS},
          Pattern{kWest, kWestD, kWestM, kWestS}}) {
        const int key = keyword_[p.plain];
        if (key == kNone) continue;
        for (std::size_t a = 0; a + 2 < active_.size(); ++a) {
            const PasteNumber& first = numbers_[active_[a]];
            if (NumberKey(first) < key) continue;
            const int low = NumberKey(first);
            const int high = NumberKey(numbers_[active_[a + 2]]);
            bool keywordBetween = false;
            for (int r = 0; r < kRoles; ++r) {
                const int k = keyword_[r];
                if (r != p.plain && k != kNone && k > low && k < high) keywordBetween = true;
            }
            if (keywordBetween) continue;
            keyword_[p.plain] = kNone;
            keyword_[p.degrees] = low - 1;
            keyword_[p.minutes] = NumberKey(numbers_[active_[a + 1]]) - 1;
            keyword_[p.seconds] = high - 1;
            break;
        }
    }
}

// Each number starts with every role its value allows; the steps below narrow them down, from
// the value alone to the labels around it, and the slots are filled in text order.
void PositionTextRecognizer::AssignRoles() {
    MatchDmsPatterns();
    RestrictRolesByRange();
    RestrictRolesByTriples();
    if (active_.empty()) return;
    BindRolesToKeywords();
    TakeAdjacentLabels();
    EliminateTakenRoles();
    TakeLeftoverAsHeight();
    FillSlotsInTextOrder();
}

// Drops the roles a number's value rules out: angles beyond their range, degrees with a
// fraction, minutes and seconds above 60, a height far below the sea.
void PositionTextRecognizer::RestrictRolesByRange() {
    for (const std::size_t i : active_) {
        PasteNumber& n = numbers_[i];
        const double a = std::fabs(n.value);
        std::uint32_t roles = kAllRoles;
        const auto drop = [&roles](std::uint32_t bits) { roles &= ~bits; };
        if (!(a <= 90.0)) drop(paste_role::kLatitude);
        if (!(a <= 360.0)) drop(paste_role::kEastLongitude | paste_role::kWestLongitude);
        if (!(n.value >= -6000.0)) drop(paste_role::kHeight);
        if (!(a <= 90.0 && n.plainInteger)) drop(paste_role::kLatDegrees);
        if (!(a <= 360.0 && n.plainInteger)) {
            drop(paste_role::kEastDegrees | paste_role::kWestDegrees);
        }
        if (!(a <= 60.0)) {
            drop(paste_role::kLatMinutes | paste_role::kLatSeconds | paste_role::kEastMinutes |
                 paste_role::kEastSeconds | paste_role::kWestMinutes | paste_role::kWestSeconds);
        }
        n.roles = roles;
    }
}

// A number in a triple whose length reaches the Earth's surface may be a coordinate and is no
// height; any other number cannot be X, Y or Z.
void PositionTextRecognizer::RestrictRolesByTriples() {
    const std::size_t count = active_.size();
    std::vector<bool> inTriple(numbers_.size(), false);
    for (std::size_t i = 0; i < count; ++i) {
        const double vi = numbers_[active_[i]].value;
        for (std::size_t j = i + 1; j < count; ++j) {
            const double vj = numbers_[active_[j]].value;
            for (std::size_t k = j + 1; k < count; ++k) {
                if (inTriple[active_[i]] && inTriple[active_[j]] && inTriple[active_[k]]) continue;
                const double vk = numbers_[active_[k]].value;
                if (std::sqrt(vi * vi + vj * vj + vk * vk) >= kMinCartesianRadius) {
                    inTriple[active_[i]] = inTriple[active_[j]] = inTriple[active_[k]] = true;
                }
            }
        }
    }
    for (const std::size_t i : active_) {
        numbers_[i].roles &= inTriple[i] ? ~paste_role::kHeight
                                         : ~(paste_role::kX | paste_role::kY | paste_role::kZ);
    }
}

// Keyword binding: the first number after a keyword and the one before it keep its role.
void PositionTextRecognizer::BindRolesToKeywords() {
    const std::size_t count = active_.size();
    for (const int r : kBindingOrder) {
        const int key = keyword_[r];
        if (key == kNone) continue;
        std::size_t first = 0;
        while (first < count && NumberKey(numbers_[active_[first]]) <= key)
            ++first;
        std::size_t keepA = first;
        std::size_t keepB = first > 0 ? first - 1 : first;
        if (first == count) keepA = keepB = count - 1;
        for (std::size_t a = 0; a < count; ++a) {
            if (a != keepA && a != keepB) numbers_[active_[a]].roles &= ~kRoleBit[r];
        }
    }
}

// Adjacency: the labels just before and just after a number, combined by exclusive-or so
// that a label written before its number and one written after it both work.
void PositionTextRecognizer::TakeAdjacentLabels() {
    const std::size_t count = active_.size();
    const auto firstKeywordIn = [this](int low, int high) -> std::uint32_t {
        for (const int r : kAdjacencyOrder) {
            const int k = keyword_[r];
            if (k != kNone && k > low && k < high) return kRoleBit[r];
        }
        return 0;
    };
    std::vector<std::uint32_t> adjacent(count, 0);
    std::vector<bool> hasAdjacent(count, false);
    for (std::size_t a = 0; a < count; ++a) {
        const int here = NumberKey(numbers_[active_[a]]);
        const int previous = a > 0 ? NumberKey(numbers_[active_[a - 1]]) : INT_MIN;
        const int next = a + 1 < count ? NumberKey(numbers_[active_[a + 1]]) : INT_MAX;
        const std::uint32_t before = firstKeywordIn(previous, here);
        const std::uint32_t after = firstKeywordIn(here, next);
        adjacent[a] = before ^ after;
        hasAdjacent[a] = before != 0 || after != 0;
    }
    for (std::size_t a = 0; a < count; ++a) {
        if (hasAdjacent[a]) numbers_[active_[a]].roles = adjacent[a];
    }
}

// Elimination: a number left with one role takes it from all others.
void PositionTextRecognizer::EliminateTakenRoles() {
    const std::size_t count = active_.size();
    for (int pass = 0; pass < kEliminationPasses; ++pass) {
        for (std::size_t a = 0; a < count; ++a) {
            const std::uint32_t roles = numbers_[active_[a]].roles;
            if (!IsSingleRole(roles)) continue;
            for (std::size_t b = 0; b < count; ++b) {
                if (b != a) numbers_[active_[b]].roles &= ~roles;
            }
        }
    }
}

// Latitude and east longitude fully labelled in degrees, minutes and seconds without a
// height label: whatever is left over is the height.
void PositionTextRecognizer::TakeLeftoverAsHeight() {
    const bool dmsLabelled = keyword_[kLatD] != kNone && keyword_[kLatM] != kNone &&
                             keyword_[kLatS] != kNone && keyword_[kEastD] != kNone &&
                             keyword_[kEastM] != kNone && keyword_[kEastS] != kNone;
    if (dmsLabelled && keyword_[kHeight] == kNone) {
        for (const std::size_t i : active_) {
            PasteNumber& n = numbers_[i];
            if (IsSingleRole(n.roles)) continue;
            n.roles = paste_role::kHeight;
            slots_[kHeight] = Slot{true, n.value, paste_role::kHeight};
        }
    }
}

// Final assignment in text order.
void PositionTextRecognizer::FillSlotsInTextOrder() {
    for (const std::size_t i : active_) {
        const PasteNumber& n = numbers_[i];
        for (const int r : kSlotOrder) {
            if ((n.roles & kRoleBit[r]) == 0 || slots_[r].filled) continue;
            const bool integral = r == kLatD || r == kLatM || r == kEastD || r == kEastM ||
                                  r == kWestD || r == kWestM;
            // Truncated degrees keep the sign of "-0" for the angle.
            const double value = integral ? std::trunc(n.value) : n.value;
            slots_[r] = Slot{true, value, n.roles};
            break;
        }
    }
}

bool PositionTextRecognizer::SlotHolds(int role) const {
    return slots_[role].filled && slots_[role].roles == kRoleBit[role];
}

void PositionTextRecognizer::Decide() {
    const auto holdAll = [this](std::initializer_list<int> roles) {
        for (const int r : roles) {
            if (!SlotHolds(r)) return false;
        }
        return true;
    };
    const auto value = [this](int r) { return slots_[r].value; };

    PasteResult r;
    if (holdAll({kX, kY, kZ})) {
        r.kind = PasteCase::kCartesian;
        r.x = value(kX);
        r.y = value(kY);
        r.z = value(kZ);
    } else {
        if (holdAll({kLat, kEast, kHeight})) {
            r.kind = PasteCase::kLatEastHeight;
            r.latitude = value(kLat);
            r.eastLongitude = value(kEast);
        } else if (holdAll({kLat, kWest, kHeight})) {
            r.kind = PasteCase::kLatWestHeight;
            r.latitude = value(kLat);
            r.eastLongitude = EastFromWest(value(kWest));
        } else if (holdAll({kLatD, kLatM, kLatS, kEastD, kEastM, kEastS, kHeight})) {
            r.kind = PasteCase::kLatEastDmsHeight;
            r.latitude = DmsAngle(value(kLatD), value(kLatM), value(kLatS));
            r.eastLongitude = DmsAngle(value(kEastD), value(kEastM), value(kEastS));
        } else if (holdAll({kLatD, kLatM, kLatS, kWestD, kWestM, kWestS, kHeight})) {
            r.kind = PasteCase::kLatWestDmsHeight;
            r.latitude = DmsAngle(value(kLatD), value(kLatM), value(kLatS));
            r.eastLongitude = EastFromWest(DmsAngle(value(kWestD), value(kWestM), value(kWestS)));
        } else {
            return;  // kNotRecognized
        }
        r.height = value(kHeight);
        double latitude = r.latitude;
        double longitude = r.eastLongitude;
        double height = r.height;
        ConvertGeodetic(1, kWgs84A, kWgs84F, latitude, longitude, height, r.x, r.y, r.z);
    }
    if (!std::isfinite(r.x) || !std::isfinite(r.y) || !std::isfinite(r.z)) return;
    result_ = r;
}

std::string PositionTextRecognizer::CopyPositionText(double x, double y, double z) {
    double latitude = 0.0;
    double longitude = 0.0;
    double height = 0.0;
    double cx = 0.0;
    double cy = 0.0;
    double cz = 0.0;
    if (std::sqrt(x * x + y * y + z * z) >= kMinCartesianRadius) {
        cx = x;
        cy = y;
        cz = z;
        ConvertGeodetic(0, kWgs84A, kWgs84F, latitude, longitude, height, cx, cy, cz);
    } else {
        latitude = x;
        longitude = y;
        height = z;
        ConvertGeodetic(1, kWgs84A, kWgs84F, latitude, longitude, height, cx, cy, cz);
    }
    constexpr std::string_view kAngle = "###0.0000000000";
    constexpr std::string_view kMetres = "#########0.0000";
    std::string text;
    text += " N " + FormatPicture(latitude, kAngle);
    text += " E " + FormatPicture(longitude, kAngle);
    text += " H " + FormatPicture(height, kAngle) + "\r\n";
    text += " X " + FormatPicture(cx, kMetres);
    text += " Y " + FormatPicture(cy, kMetres);
    text += " Z " + FormatPicture(cz, kMetres) + "\r\n";
    return text;
}

PasteResult SpecialPastePosition(std::string_view text) {
    PositionTextRecognizer paste;
    paste.ReadClipboard(text);
    return paste.Result();
}

std::string FormatPicture(double value, std::string_view picture) {
    const std::size_t point = picture.find('.');
    const std::string_view integerPart = picture.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view{} : picture.substr(point + 1);
    int minIntegerDigits = 0;
    for (const char c : integerPart)
        minIntegerDigits += c == '0' ? 1 : 0;
    int requiredDecimals = 0;
    for (std::size_t i = 0; i < fractionPart.size(); ++i) {
        if (fractionPart[i] == '0') requiredDecimals = static_cast<int>(i) + 1;
    }
    const int decimals = static_cast<int>(std::min<std::size_t>(fractionPart.size(), 60));

    if (!std::isfinite(value)) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%f", value);
        return buffer;
    }
    // The largest double has 309 integer digits; pictures carry far fewer than 60 decimals.
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, std::fabs(value));
    std::string digits = buffer;

    // Optional decimals: drop trailing zeros down to the required ones.
    if (decimals > 0) {
        int shown = decimals;
        while (shown > requiredDecimals && digits.back() == '0') {
            digits.pop_back();
            --shown;
        }
        if (shown == 0) digits.pop_back();  // the point itself
    }
    // Integer digits: leading zeros up to the required count, none beyond it.
    std::size_t integerDigits = digits.find('.');
    if (integerDigits == std::string::npos) integerDigits = digits.size();
    if (integerDigits == 1 && digits[0] == '0' && minIntegerDigits == 0) {
        digits.erase(0, 1);
        integerDigits = 0;
    }
    if (static_cast<int>(integerDigits) < minIntegerDigits) {
        digits.insert(0, static_cast<std::size_t>(minIntegerDigits) - integerDigits, '0');
    }
    const bool zero = digits.find_first_of("123456789") == std::string::npos;
    if (value < 0.0 && !zero) digits.insert(0, 1, '-');
    return digits;
}

}  // namespace kelvrant
