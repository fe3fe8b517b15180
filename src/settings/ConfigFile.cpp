// Reading and writing the configuration file (see ConfigFile.h).
#include "settings/ConfigFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <new>
#include <span>
#include <vector>

#include "settings/TextScan.h"

namespace kelvrant {
namespace {

/// How a key's value is read and written.
enum class Form {
    Placement,   ///< "%d%c%d%c%d%c%d%c%d" / "%d,%d,%d,%d,%d", maximized stored as 0 or 1
    Text,        ///< copied, cut to the width / "%s"
    YesNo,       ///< YES or NO in any case / Yes or No
    Real,        ///< "%lf" / "%.1lf"
    Xyz,         ///< "%lf%c%lf%c%lf" / "%.4lf,%.4lf,%.4lf"
    FlagXyz,     ///< "%d%c%lf%c%lf%c%lf" / "%d,%.4lf,%.4lf,%.4lf", flag stored as read
    OneFlagXyz,  ///< as FlagXyz, a nonzero flag stored as 1
    Offsets,     ///< five reals "%lf%c..." / "%.4lf,..."
    // The output format ([OUTPUT]); values outside their range are not accepted.
    RinexVersion,   ///< 2 or 3
    Compression,    ///< none, crx, gz or crx.gz (any case)
    LongNames,      ///< Auto (long names with RINEX 3), Yes or No
    Monument,       ///< 0..9
    ReceiverIndex,  ///< 0..9
    Country,        ///< three letters
};

struct Targets {
    WindowPlacement& placement;
    HeaderSettings& settings;
};

/// The field a key reads into and writes from.
struct FieldRef {
    std::string* text = nullptr;
    std::int32_t* flag = nullptr;
    double* reals = nullptr;
    OutputFormat* output = nullptr;
};

struct KeyRow {
    const char* name;
    Form form;
    int width;  ///< texts only
    FieldRef (*field)(HeaderSettings&);
};

struct SectionRow {
    const char* name;
    std::span<const KeyRow> keys;
};

using S = HeaderSettings;

const KeyRow kWindowsKeys[] = {
    {"MAINWIN", Form::Placement, 0, [](S&) { return FieldRef{}; }},
};

// Table order is the order in which keys are written under [RINEXDAT].
const KeyRow kRinexDatKeys[] = {
    {"SITE_NAME", Form::Text, headerwidth::kSiteName,
     [](S& s) { return FieldRef{.text = &s.SiteName}; }},
    {"SITE_NUMBER", Form::Text, headerwidth::kSiteNumber,
     [](S& s) { return FieldRef{.text = &s.SiteNumber}; }},
    {"CREATE_AGENCY", Form::Text, headerwidth::kCreateAgency,
     [](S& s) { return FieldRef{.text = &s.CreateAgency}; }},
    {"OBSERVER", Form::Text, headerwidth::kObserver,
     [](S& s) { return FieldRef{.text = &s.Observer}; }},
    {"OBSERVER_AGENCY", Form::Text, headerwidth::kObservAgency,
     [](S& s) { return FieldRef{.text = &s.ObserverAgency}; }},
    {"COMMENT1", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.Comment[0]}; }},
    {"COMMENT2", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.Comment[1]}; }},
    {"COMMENT3", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.Comment[2]}; }},
    {"RCVR_TYPE", Form::Text, headerwidth::kRcvrType,
     [](S& s) { return FieldRef{.text = &s.RcvrType}; }},
    {"RCVR_SERNUM", Form::Text, headerwidth::kRcvrSN,
     [](S& s) { return FieldRef{.text = &s.RcvrSerNum}; }},
    {"RCVR_VER", Form::Text, headerwidth::kRcvrVer,
     [](S& s) { return FieldRef{.text = &s.RcvrVer}; }},
    {"ANT_TYPE", Form::Text, headerwidth::kAntType,
     [](S& s) { return FieldRef{.text = &s.AntType}; }},
    {"ANT_SERNUM", Form::Text, headerwidth::kAntSN,
     [](S& s) { return FieldRef{.text = &s.AntSerNum}; }},
    {"APPROX_POS", Form::FlagXyz, 0,
     [](S& s) { return FieldRef{.flag = &s.ApproxPosUseData, .reals = s.ApproxPos}; }},
    {"ANT_OFFSETS", Form::Offsets, 0, [](S& s) { return FieldRef{.reals = s.AntOffsets}; }},
    {"WRITE_EPINT", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.WriteEpInt}; }},
    {"WRITE_SATS", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.WriteSats}; }},
    {"MS_OBS_HANDLING", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.MsObsHandling}; }},
    {"SMOOTH_CODE", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.SmoothCode}; }},
    {"WRITE_SITE_CHNGS", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.WriteSiteChngs}; }},
    {"ALLOW_DOPLR", Form::YesNo, 0, [](S& s) { return FieldRef{.flag = &s.AllowDoplr}; }},
    {"METCMT1", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.MetComment[0]}; }},
    {"METCMT2", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.MetComment[1]}; }},
    {"METCMT3", Form::Text, headerwidth::kComment,
     [](S& s) { return FieldRef{.text = &s.MetComment[2]}; }},
    {"MET_PRESS_MOD", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetPressMod}; }},
    {"MET_PRESS_TYP", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetPressTyp}; }},
    {"MET_PRESS_ACC", Form::Real, 0, [](S& s) { return FieldRef{.reals = &s.MetPressAcc}; }},
    {"MET_PRESS_POS", Form::Xyz, 0, [](S& s) { return FieldRef{.reals = s.MetPressPos}; }},
    {"MET_TEMP_MOD", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetTempMod}; }},
    {"MET_TEMP_TYP", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetTempTyp}; }},
    {"MET_TEMP_ACC", Form::Real, 0, [](S& s) { return FieldRef{.reals = &s.MetTempAcc}; }},
    {"MET_TEMP_POS", Form::OneFlagXyz, 0,
     [](S& s) { return FieldRef{.flag = &s.MetTempUsePress, .reals = s.MetTempPos}; }},
    {"MET_HUMID_MOD", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetHumidMod}; }},
    {"MET_HUMID_TYP", Form::Text, headerwidth::kSensor,
     [](S& s) { return FieldRef{.text = &s.MetHumidTyp}; }},
    {"MET_HUMID_ACC", Form::Real, 0, [](S& s) { return FieldRef{.reals = &s.MetHumidAcc}; }},
    {"MET_HUMID_POS", Form::OneFlagXyz, 0,
     [](S& s) { return FieldRef{.flag = &s.MetHumidUsePress, .reals = s.MetHumidPos}; }},
    {"MET_UTC_2_GPS", Form::Real, 0, [](S& s) { return FieldRef{.reals = &s.MetUtc2Gps}; }},
};

// The output format; the section is written only once it differs from today's RINEX 2
// output, so that configurations of earlier versions stay as they are.
const KeyRow kOutputKeys[] = {
    {"RINEX_VERSION", Form::RinexVersion, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
    {"COMPRESS", Form::Compression, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
    {"LONG_NAMES", Form::LongNames, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
    {"MONUMENT", Form::Monument, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
    {"RECEIVER_INDEX", Form::ReceiverIndex, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
    {"COUNTRY", Form::Country, 0, [](S& s) { return FieldRef{.output = &s.Output}; }},
};

// The editing of the observation output chosen in the window; written only once chosen.
constexpr int kEditingWidth = 250;
const KeyRow kEditingKeys[] = {
    {"FROM", Form::Text, kEditingWidth, [](S& s) { return FieldRef{.text = &s.Editing.from}; }},
    {"TO", Form::Text, kEditingWidth, [](S& s) { return FieldRef{.text = &s.Editing.to}; }},
    {"DECIMATE", Form::Text, kEditingWidth,
     [](S& s) { return FieldRef{.text = &s.Editing.decimate}; }},
    {"SPLIT", Form::Text, kEditingWidth, [](S& s) { return FieldRef{.text = &s.Editing.split}; }},
    {"TYPES", Form::Text, kEditingWidth, [](S& s) { return FieldRef{.text = &s.Editing.types}; }},
    {"EXCLUDE", Form::Text, kEditingWidth,
     [](S& s) { return FieldRef{.text = &s.Editing.exclude}; }},
};

// The folder of the stations' IGS site logs for unattended runs (as --site-logs).
const KeyRow kSiteLogKeys[] = {
    {"FOLDER", Form::Text, 4095, [](S& s) { return FieldRef{.text = &s.SiteLogDir}; }},
};

const SectionRow kSections[] = {
    {"WINDOWS", kWindowsKeys}, {"RINEXDAT", kRinexDatKeys}, {"OUTPUT", kOutputKeys},
    {"EDITING", kEditingKeys}, {"SITELOGS", kSiteLogKeys},
};
constexpr int kOutputSection = 2;
constexpr int kEditingSection = 3;
constexpr int kSiteLogSection = 4;

// The sections written only once they differ from their defaults.
bool OptionalSectionUnused(int section, const HeaderSettings& settings) {
    return (section == kOutputSection && settings.Output.IsDefault()) ||
           (section == kEditingSection && settings.Editing.IsDefault()) ||
           (section == kSiteLogSection && settings.SiteLogDir.empty());
}

constexpr const char* kFreshHeader =
    "# This file contains configuration information for Kelvrant\n\n";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

int FindSection(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kSections); ++i) {
        if (SameName(name, kSections[i].name)) return static_cast<int>(i);
    }
    return -1;
}

int FindKey(int section, std::string_view name) {
    const auto keys = kSections[section].keys;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (SameName(name, keys[i].name)) return static_cast<int>(i);
    }
    return -1;
}

/// Scans `count` reals separated by single characters of any kind, each stored as soon as it
/// is converted. `separatorFirst` when an item came before them.
bool ScanReals(ValueScanner& scan, double* reals, int count, bool separatorFirst) {
    for (int i = 0; i < count; ++i) {
        if ((i > 0 || separatorFirst) && !scan.Char()) return false;
        if (!scan.Real(reals[i])) return false;
    }
    return true;
}

bool ParseValue(const KeyRow& row, std::string_view value, Targets& t) {
    const FieldRef f = row.field(t.settings);
    ValueScanner scan(value);
    switch (row.form) {
        case Form::Placement: {
            WindowPlacement& p = t.placement;
            p = WindowPlacement{};
            std::int32_t* items[] = {&p.maximized, &p.left, &p.top, &p.width, &p.height};
            for (int i = 0; i < 5; ++i) {
                if (i > 0 && !scan.Char()) return false;
                if (!scan.Int(*items[i])) return false;
                if (i == 0 && p.maximized != 0) p.maximized = 1;
            }
            return true;
        }
        case Form::Text:
            *f.text = CutToWidth(value, row.width);
            return true;
        case Form::YesNo:
            if (SameName(value, "YES")) {
                *f.flag = 1;
                return true;
            }
            *f.flag = 0;
            return SameName(value, "NO");
        case Form::Real:
            return scan.Real(*f.reals);
        case Form::Xyz:
            return ScanReals(scan, f.reals, 3, false);
        case Form::FlagXyz:
        case Form::OneFlagXyz:
            if (!scan.Int(*f.flag)) return false;
            if (row.form == Form::OneFlagXyz && *f.flag != 0) *f.flag = 1;
            return ScanReals(scan, f.reals, 3, true);
        case Form::Offsets:
            return ScanReals(scan, f.reals, 5, false);
        case Form::RinexVersion: {
            std::int32_t v = 0;
            if (!scan.Int(v) || (v != 2 && v != 3)) return false;
            f.output->rinexVersion = v;
            return true;
        }
        case Form::Compression:
            return ParseCompression(value, f.output->compact, f.output->gzip);
        case Form::LongNames:
            if (SameName(value, "AUTO"))
                f.output->longNames = -1;
            else if (SameName(value, "YES"))
                f.output->longNames = 1;
            else if (SameName(value, "NO"))
                f.output->longNames = 0;
            else
                return false;
            return true;
        case Form::Monument:
        case Form::ReceiverIndex: {
            std::int32_t v = 0;
            if (!scan.Int(v) || v < 0 || v > 9) return false;
            (row.form == Form::Monument ? f.output->monument : f.output->receiverIndex) = v;
            return true;
        }
        case Form::Country:
            if (value.size() != 3 || !std::all_of(value.begin(), value.end(), [](char c) {
                    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
                }))
                return false;
            f.output->country.clear();
            for (char c : value)
                f.output->country += Upper(c);
            return true;
    }
    return false;
}

/// Classifies one line, applies a key's value and fills `kept`; false when the line is not
/// accepted. `section` is the current section (-1 before the first one).
bool AcceptLine(std::string& line, int& section, Targets& targets, ConfigLine& kept) {
    // A line written with CR LF reads as it would in text mode on the system that wrote it.
    if (line.ends_with("\r\n")) line.erase(line.size() - 2, 1);
    const std::string_view text = line;
    std::size_t p = 0;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    // The last line may end without a line feed; a line of blanks there is blank too.
    const char first = p < text.size() ? text[p] : '\n';

    if (first == '#') {
        kept.kind = ConfigLine::Kind::Comment;
        kept.text = line;
        return true;
    }
    if (first == '\n') {
        kept.kind = ConfigLine::Kind::Blank;
        return true;
    }
    if (first == '[') {
        std::size_t b = p + 1;
        while (b < text.size() && IsBlank(text[b]))
            ++b;
        std::size_t e = b;
        while (e < text.size() && !IsBlank(text[e]) && text[e] != ']' && text[e] != '\n')
            ++e;
        section = FindSection(text.substr(b, e - b));
        kept.kind = ConfigLine::Kind::Section;
        kept.section = section;
        return section >= 0;
    }
    if (section < 0) return false;
    std::size_t e = p;
    while (e < text.size() && !IsBlank(text[e]) && text[e] != '=' && text[e] != '\n')
        ++e;
    const std::string_view keyName = text.substr(p, e - p);
    // key=value, key = value and key value are alike.
    std::size_t v = e;
    while (v < text.size() && (IsBlank(text[v]) || text[v] == '='))
        ++v;
    std::string_view value = text.substr(v);
    if (value.ends_with('\n')) value.remove_suffix(1);
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    const int key = keyName.empty() ? -1 : FindKey(section, keyName);
    if (key < 0 || !ParseValue(kSections[section].keys[key], value, targets)) return false;
    kept.kind = ConfigLine::Kind::Key;
    kept.section = section;
    kept.key = key;
    return true;
}

void AppendReals(std::string& out, const double* reals, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0) out += ',';
        AppendDecimals(out, reals[i], 4);
    }
}

/// Appends the key's whole line with the current value.
void PrintKey(std::string& out, const KeyRow& row, Targets& t) {
    const FieldRef f = row.field(t.settings);
    out += row.name;
    out += '=';
    switch (row.form) {
        case Form::Placement: {
            const WindowPlacement& p = t.placement;
            const std::int32_t items[] = {p.maximized, p.left, p.top, p.width, p.height};
            for (int i = 0; i < 5; ++i) {
                if (i > 0) out += ',';
                AppendInteger(out, items[i]);
            }
            break;
        }
        case Form::Text: {
            // A line break inside a value would split its line in two.
            std::string_view text = *f.text;
            text = text.substr(0, text.find_first_of("\r\n"));
            out += text.substr(0, row.width);
            break;
        }
        case Form::YesNo:
            out += *f.flag != 0 ? "Yes" : "No";
            break;
        case Form::Real:
            AppendDecimals(out, *f.reals, 1);
            break;
        case Form::Xyz:
            AppendReals(out, f.reals, 3);
            break;
        case Form::FlagXyz:
        case Form::OneFlagXyz:
            AppendInteger(out, *f.flag);
            out += ',';
            AppendReals(out, f.reals, 3);
            break;
        case Form::Offsets:
            AppendReals(out, f.reals, 5);
            break;
        case Form::RinexVersion:
            AppendInteger(out, f.output->rinexVersion);
            break;
        case Form::Compression:
            out += CompressionName(f.output->compact, f.output->gzip);
            break;
        case Form::LongNames:
            out += f.output->longNames < 0 ? "Auto" : f.output->longNames != 0 ? "Yes" : "No";
            break;
        case Form::Monument:
            AppendInteger(out, f.output->monument);
            break;
        case Form::ReceiverIndex:
            AppendInteger(out, f.output->receiverIndex);
            break;
        case Form::Country:
            out += f.output->country;
            break;
    }
    out += '\n';
}

void PrintSection(std::string& out, const SectionRow& section, Targets& t) {
    out += '[';
    out += section.name;
    out += "]\n";
    for (const KeyRow& row : section.keys)
        PrintKey(out, row, t);
}

/// Writes `bytes` to a new file beside `path` and renames it over `path`, so that `path` is
/// always either the complete old file or the complete new one. The new file keeps the old
/// file's permission bits. False (and `path` untouched) on any failure.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    namespace fs = std::filesystem;
    fs::path target(path);
    std::error_code ec;
    // Replace the file a symbolic link points to, not the link.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec) return false;
        target = resolved;
    }
    // A file in the user's configuration folder is written the first time with the folders
    // it needs, private to the user as configuration folders are.
    std::vector<fs::path> missing;
    for (fs::path dir = target.parent_path(); !dir.empty() && !fs::exists(dir, ec);
         dir = dir.parent_path()) {
        missing.push_back(dir);
        if (dir == dir.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    const std::string targetName = target.string();
    // A new name beside the file; O_EXCL never reuses another writer's file, and the mode
    // 0666 lets the umask decide the permissions of a file that did not exist before.
    std::string tempName;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        tempName = targetName + ".~" + std::to_string(getpid()) + "." + std::to_string(attempt);
        fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    struct stat old {};
    if (ok && stat(targetName.c_str(), &old) == 0 && fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
    }
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && std::rename(tempName.c_str(), targetName.c_str()) != 0) ok = false;
    if (!ok) std::remove(tempName.c_str());
    return ok;
}

}  // namespace

std::string ConfigFilePathBeside(const std::string& executablePath) {
    return (std::filesystem::path(executablePath).parent_path() / kConfigFileName).string();
}

std::vector<std::string_view> ConfigSectionNames() {
    std::vector<std::string_view> names;
    for (const SectionRow& s : kSections)
        names.emplace_back(s.name);
    return names;
}

std::vector<std::string_view> ConfigKeyNames(int section) {
    std::vector<std::string_view> names;
    if (section < 0 || section >= static_cast<int>(std::size(kSections))) return names;
    for (const KeyRow& k : kSections[section].keys)
        names.emplace_back(k.name);
    return names;
}

void ConfigStore::ResetToStartup() {
    placement_ = WindowPlacement{};
    settings_ = HeaderSettings{};
}

ConfigReadResult ConfigStore::ReadConfigFile(const std::string& path) {
    lines_.clear();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return {0, -1};
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return {0, -1};

    Targets targets{placement_, settings_};
    int lineNumber = 0;
    int section = -1;
    std::string line;
    ConfigReadResult result{1, 0};
    try {
        while (ReadTextLine(file, line)) {
            ++lineNumber;
            ConfigLine kept;
            if (!AcceptLine(line, section, targets, kept)) {
                result = {0, lineNumber};
                break;
            }
            lines_.push_back(std::move(kept));
        }
    } catch (const std::bad_alloc&) {
        // A line that cannot be held or kept is not accepted.
        result = {0, lineNumber};
    }
    // A read error is reported at the line that could not be read.
    if (result.result == 1 && std::ferror(file)) result = {0, lineNumber + 1};
    if (result.result == 1) result.lineNumber = lineNumber;
    std::fclose(file);
    return result;
}

int ConfigStore::WriteConfigFile(const std::string& path) const try {
    // The print operations take the targets as writable; write from a copy.
    WindowPlacement placement = placement_;
    HeaderSettings settings = settings_;
    Targets targets{placement, settings};

    std::string out;
    const bool replay =
        !lines_.empty() && !(lines_.size() == 1 && lines_[0].kind == ConfigLine::Kind::Blank);
    bool kept[std::size(kSections)] = {};
    if (replay) {
        for (const ConfigLine& line : lines_) {
            if (line.kind == ConfigLine::Kind::Section)
                kept[static_cast<std::size_t>(line.section)] = true;
            switch (line.kind) {
                case ConfigLine::Kind::Comment:
                    out += line.text;
                    break;
                case ConfigLine::Kind::Blank:
                    out += '\n';
                    break;
                case ConfigLine::Kind::Section:
                    PrintSection(out, kSections[line.section], targets);
                    break;
                case ConfigLine::Kind::Key:
                    break;  // written with its section
            }
        }
        for (const int section : {kOutputSection, kEditingSection, kSiteLogSection}) {
            if (kept[section] || OptionalSectionUnused(section, settings)) continue;
            if (!out.empty() && !out.ends_with("\n\n")) out += '\n';
            PrintSection(out, kSections[section], targets);
        }
    } else {
        out += kFreshHeader;
        for (int i = 0; i < static_cast<int>(std::size(kSections)); ++i) {
            if (OptionalSectionUnused(i, settings)) continue;
            PrintSection(out, kSections[i], targets);
            out += '\n';
        }
    }
    return ReplaceFile(path, out) ? 1 : 0;
} catch (const std::bad_alloc&) {
    return 0;
}

int ConfigStore::WriteFreshConfigFile(const std::string& path) {
    DiscardConfigLines();
    return WriteConfigFile(path);
}

std::array<double, 5> ConfigStore::GetAntOffsets() const {
    const double* o = settings_.AntOffsets;
    return {o[0], o[1], o[2], o[3], o[4]};
}

void ConfigStore::SetAntOffsets(const std::array<double, 5>& offsets) {
    for (std::size_t i = 0; i < offsets.size(); ++i)
        settings_.AntOffsets[i] = offsets[i];
}

CommentSet ConfigStore::Compact(const std::string (&comments)[3]) {
    CommentSet set;
    for (const std::string& c : comments) {
        if (!c.empty())
            set.text[static_cast<std::size_t>(set.count++)] = CutToWidth(c, headerwidth::kComment);
    }
    return set;
}

void ConfigStore::StoreCompact(std::string (&comments)[3], std::string_view c1, std::string_view c2,
                               std::string_view c3) {
    int n = 0;
    for (std::string_view c : {c1, c2, c3}) {
        if (!c.empty()) comments[n++] = CutToWidth(c, headerwidth::kComment);
    }
    for (; n < 3; ++n)
        comments[n].clear();
}

}  // namespace kelvrant
