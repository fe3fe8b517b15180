// The configuration file Kelvrant.INI: the main window's placement ([WINDOWS]) and the RINEX
// header values and options ([RINEXDAT]) kept from one run of the program to the next. The
// reader keeps every accepted line (comments, blank lines, sections, keys) so that the next
// write keeps the user's comments and layout; a write replaces the file only once the new one
// is complete, so the file on disk is always the old one or the new one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/HeaderSettings.h"

namespace kelvrant {

/// The configuration file's name, beside the executable.
inline constexpr const char* kConfigFileName = "Kelvrant.INI";

/// The configuration file's path in the directory of the executable `executablePath`.
std::string ConfigFilePathBeside(const std::string& executablePath);

/// One accepted line of the file as the reader kept it.
struct ConfigLine {
    enum class Kind { Comment, Blank, Section, Key };
    Kind kind = Kind::Blank;
    std::string text;  ///< Comment: the whole line as read, its line feed included
    int section = -1;  ///< Section and Key: row of the section table
    int key = -1;      ///< Key: row of that section's key table
};

/// Outcome of ReadConfigFile. result 1: every line accepted, lineNumber = lines read.
/// result 0: lineNumber -1 when the file could not be opened, otherwise the first line that
/// was not accepted.
struct ConfigReadResult {
    int result = 0;
    int lineNumber = -1;
};

/// Up to three comment texts, the non-empty ones first, and how many are non-empty.
struct CommentSet {
    std::array<std::string, 3> text;
    int count = 0;
};

/// Section names in table order ("WINDOWS", "RINEXDAT", "OUTPUT").
std::vector<std::string_view> ConfigSectionNames();
/// Key names of one section in table order.
std::vector<std::string_view> ConfigKeyNames(int section);

/// The settings held in memory with the lines kept from the last read. The program holds one
/// instance for its lifetime; tests make their own.
class ConfigStore {
  public:
    /// Settings zeroed, placement 0, -1, -1, -1, -1, no kept lines.
    ConfigStore() = default;

    /// Reads `path` into the settings and keeps its lines (replacing lines kept before).
    /// Values of the lines before a line that is not accepted stay in effect.
    ConfigReadResult ReadConfigFile(const std::string& path);
    /// Writes the settings to `path`, replaying the kept lines when there are any, else the
    /// fresh layout. 1, or 0 when the file cannot be written (the old file is then untouched).
    int WriteConfigFile(const std::string& path) const;
    /// Discards the kept lines, then writes the fresh layout. 1 or 0 as WriteConfigFile.
    int WriteFreshConfigFile(const std::string& path);
    /// Frees the kept lines.
    void DiscardConfigLines() { lines_.clear(); }
    const std::vector<ConfigLine>& KeptLines() const { return lines_; }

    /// Zeroes the settings and sets the placement to 0, -1, -1, -1, -1.
    void ResetToStartup();

    WindowPlacement GetWindowPlacement() const { return placement_; }
    void SetWindowPlacement(const WindowPlacement& placement) { placement_ = placement; }

    /// The whole record, for readers of many values and for the parameter-file load. Texts
    /// stored through it should respect their widths; getters and the writer cut them anyway.
    HeaderSettings& Settings() { return settings_; }
    const HeaderSettings& Settings() const { return settings_; }

    // Texts: getters return a copy cut to the width, setters store the text cut to it.
    std::string GetSiteName() const {
        return CutToWidth(settings_.SiteName, headerwidth::kSiteName);
    }
    void SetSiteName(std::string_view v) {
        settings_.SiteName = CutToWidth(v, headerwidth::kSiteName);
    }
    std::string GetSiteNumber() const {
        return CutToWidth(settings_.SiteNumber, headerwidth::kSiteNumber);
    }
    void SetSiteNumber(std::string_view v) {
        settings_.SiteNumber = CutToWidth(v, headerwidth::kSiteNumber);
    }
    std::string GetCreateAgency() const {
        return CutToWidth(settings_.CreateAgency, headerwidth::kCreateAgency);
    }
    void SetCreateAgency(std::string_view v) {
        settings_.CreateAgency = CutToWidth(v, headerwidth::kCreateAgency);
    }
    std::string GetObserver() const {
        return CutToWidth(settings_.Observer, headerwidth::kObserver);
    }
    void SetObserver(std::string_view v) {
        settings_.Observer = CutToWidth(v, headerwidth::kObserver);
    }
    std::string GetObserverAgency() const {
        return CutToWidth(settings_.ObserverAgency, headerwidth::kObservAgency);
    }
    void SetObserverAgency(std::string_view v) {
        settings_.ObserverAgency = CutToWidth(v, headerwidth::kObservAgency);
    }
    std::string GetRcvrType() const {
        return CutToWidth(settings_.RcvrType, headerwidth::kRcvrType);
    }
    void SetRcvrType(std::string_view v) {
        settings_.RcvrType = CutToWidth(v, headerwidth::kRcvrType);
    }
    std::string GetRcvrSerNum() const {
        return CutToWidth(settings_.RcvrSerNum, headerwidth::kRcvrSN);
    }
    void SetRcvrSerNum(std::string_view v) {
        settings_.RcvrSerNum = CutToWidth(v, headerwidth::kRcvrSN);
    }
    std::string GetRcvrVer() const { return CutToWidth(settings_.RcvrVer, headerwidth::kRcvrVer); }
    void SetRcvrVer(std::string_view v) {
        settings_.RcvrVer = CutToWidth(v, headerwidth::kRcvrVer);
    }
    std::string GetAntType() const { return CutToWidth(settings_.AntType, headerwidth::kAntType); }
    void SetAntType(std::string_view v) {
        settings_.AntType = CutToWidth(v, headerwidth::kAntType);
    }
    std::string GetAntSerNum() const {
        return CutToWidth(settings_.AntSerNum, headerwidth::kAntSN);
    }
    void SetAntSerNum(std::string_view v) {
        settings_.AntSerNum = CutToWidth(v, headerwidth::kAntSN);
    }
    std::string GetMetPressMod() const {
        return CutToWidth(settings_.MetPressMod, headerwidth::kSensor);
    }
    void SetMetPressMod(std::string_view v) {
        settings_.MetPressMod = CutToWidth(v, headerwidth::kSensor);
    }
    std::string GetMetPressTyp() const {
        return CutToWidth(settings_.MetPressTyp, headerwidth::kSensor);
    }
    void SetMetPressTyp(std::string_view v) {
        settings_.MetPressTyp = CutToWidth(v, headerwidth::kSensor);
    }
    std::string GetMetTempMod() const {
        return CutToWidth(settings_.MetTempMod, headerwidth::kSensor);
    }
    void SetMetTempMod(std::string_view v) {
        settings_.MetTempMod = CutToWidth(v, headerwidth::kSensor);
    }
    std::string GetMetTempTyp() const {
        return CutToWidth(settings_.MetTempTyp, headerwidth::kSensor);
    }
    void SetMetTempTyp(std::string_view v) {
        settings_.MetTempTyp = CutToWidth(v, headerwidth::kSensor);
    }
    std::string GetMetHumidMod() const {
        return CutToWidth(settings_.MetHumidMod, headerwidth::kSensor);
    }
    void SetMetHumidMod(std::string_view v) {
        settings_.MetHumidMod = CutToWidth(v, headerwidth::kSensor);
    }
    std::string GetMetHumidTyp() const {
        return CutToWidth(settings_.MetHumidTyp, headerwidth::kSensor);
    }
    void SetMetHumidTyp(std::string_view v) {
        settings_.MetHumidTyp = CutToWidth(v, headerwidth::kSensor);
    }

    /// COMMENT1..3: the non-empty comments moved to the front, in their order, with their count.
    CommentSet GetComments() const { return Compact(settings_.Comment); }
    /// Stores the non-empty texts moved to the front, in their order, each cut to 60; clears
    /// the remaining places.
    void SetComments(std::string_view c1, std::string_view c2, std::string_view c3) {
        StoreCompact(settings_.Comment, c1, c2, c3);
    }
    /// METCMT1..3, as GetComments.
    CommentSet GetMetComments() const { return Compact(settings_.MetComment); }
    void SetMetComments(std::string_view c1, std::string_view c2, std::string_view c3) {
        StoreCompact(settings_.MetComment, c1, c2, c3);
    }

    /// APPROX_POS: the use-data flag as stored, and X, Y, Z.
    std::int32_t GetApproxPosFlag() const { return settings_.ApproxPosUseData; }
    std::array<double, 3> GetApproxPos() const { return Xyz(settings_.ApproxPos); }
    void SetApproxPos(std::int32_t useData, const std::array<double, 3>& xyz) {
        settings_.ApproxPosUseData = useData;
        StoreXyz(settings_.ApproxPos, xyz);
    }
    /// ANT_OFFSETS: North, East, Slant, Radius, Delta vertical.
    std::array<double, 5> GetAntOffsets() const;
    void SetAntOffsets(const std::array<double, 5>& offsets);

    // Yes/No values, 1 or 0 (a nonzero value is written as Yes).
    std::int32_t GetWriteEpInt() const { return settings_.WriteEpInt; }
    void SetWriteEpInt(std::int32_t v) { settings_.WriteEpInt = v; }
    std::int32_t GetWriteSats() const { return settings_.WriteSats; }
    void SetWriteSats(std::int32_t v) { settings_.WriteSats = v; }
    std::int32_t GetMsObsHandling() const { return settings_.MsObsHandling; }
    void SetMsObsHandling(std::int32_t v) { settings_.MsObsHandling = v; }
    std::int32_t GetSmoothCode() const { return settings_.SmoothCode; }
    void SetSmoothCode(std::int32_t v) { settings_.SmoothCode = v; }
    std::int32_t GetWriteSiteChngs() const { return settings_.WriteSiteChngs; }
    void SetWriteSiteChngs(std::int32_t v) { settings_.WriteSiteChngs = v; }
    std::int32_t GetAllowDoplr() const { return settings_.AllowDoplr; }
    void SetAllowDoplr(std::int32_t v) { settings_.AllowDoplr = v; }

    // Met sensors: accuracies, positions, and the at-pressure-sensor flags (stored as 1 or 0).
    double GetMetPressAcc() const { return settings_.MetPressAcc; }
    void SetMetPressAcc(double v) { settings_.MetPressAcc = v; }
    std::array<double, 3> GetMetPressPos() const { return Xyz(settings_.MetPressPos); }
    void SetMetPressPos(const std::array<double, 3>& xyz) { StoreXyz(settings_.MetPressPos, xyz); }
    double GetMetTempAcc() const { return settings_.MetTempAcc; }
    void SetMetTempAcc(double v) { settings_.MetTempAcc = v; }
    std::int32_t GetMetTempPosFlag() const { return settings_.MetTempUsePress; }
    std::array<double, 3> GetMetTempPos() const { return Xyz(settings_.MetTempPos); }
    void SetMetTempPos(std::int32_t atPressure, const std::array<double, 3>& xyz) {
        settings_.MetTempUsePress = atPressure != 0 ? 1 : 0;
        StoreXyz(settings_.MetTempPos, xyz);
    }
    double GetMetHumidAcc() const { return settings_.MetHumidAcc; }
    void SetMetHumidAcc(double v) { settings_.MetHumidAcc = v; }
    std::int32_t GetMetHumidPosFlag() const { return settings_.MetHumidUsePress; }
    std::array<double, 3> GetMetHumidPos() const { return Xyz(settings_.MetHumidPos); }
    void SetMetHumidPos(std::int32_t atPressure, const std::array<double, 3>& xyz) {
        settings_.MetHumidUsePress = atPressure != 0 ? 1 : 0;
        StoreXyz(settings_.MetHumidPos, xyz);
    }
    /// MET_UTC_2_GPS: seconds to add to UTC to get GPS time.
    double GetMetUtc2Gps() const { return settings_.MetUtc2Gps; }
    void SetMetUtc2Gps(double v) { settings_.MetUtc2Gps = v; }

  private:
    static CommentSet Compact(const std::string (&comments)[3]);
    static void StoreCompact(std::string (&comments)[3], std::string_view c1, std::string_view c2,
                             std::string_view c3);
    static std::array<double, 3> Xyz(const double (&v)[3]) { return {v[0], v[1], v[2]}; }
    static void StoreXyz(double (&v)[3], const std::array<double, 3>& xyz) {
        v[0] = xyz[0];
        v[1] = xyz[1];
        v[2] = xyz[2];
    }

    WindowPlacement placement_;
    HeaderSettings settings_;
    std::vector<ConfigLine> lines_;
};

}  // namespace kelvrant
