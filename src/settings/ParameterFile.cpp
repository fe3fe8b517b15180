// Reading the parameter file into its defaults record and site list (see ParameterFile.h).
#include "settings/ParameterFile.h"

#include <algorithm>
#include <new>

#include "settings/HeaderSettings.h"
#include "settings/TextScan.h"

namespace kelvrant {
namespace {

constexpr double kPosLimit = 1e23;
constexpr double kOffsetLimit = 2000.0;
constexpr std::size_t kSeparatorLength = 50;
constexpr std::size_t kSiteListStep = 10;

/// Nothing but spaces before the end of the text, a line feed or a carriage return.
bool IsBlankLine(std::string_view line) {
    for (char c : line) {
        if (c == '\n' || c == '\r') return true;
        if (c != ' ') return false;
    }
    return true;
}

bool IsSeparatorLine(std::string_view line) {
    if (line.size() < kSeparatorLength) return false;
    return std::all_of(line.begin(), line.begin() + kSeparatorLength,
                       [](char c) { return c == '-'; });
}

}  // namespace

ParameterFile::ParameterFile() {
    try {
        table_ = std::make_unique<ParameterTable>(kTableCapacity, kValueColumn);
        RegisterKeys();
    } catch (const std::bad_alloc&) {
        table_.reset();
    }
}

void ParameterFile::RegisterKeys() {
    ParameterTable& t = *table_;
    HeaderRecord& w = work_;
    constexpr std::size_t kPath = ParameterTable::kNoLimit;
    // Failures to register are ignored: the key then reads as an unknown parameter.
    t.AddStringParam("SITE_NAME", &w.SiteName, headerwidth::kParameterSite);
    t.AddYesNoParam("SFILE_OVERRRIDE", &w.SFileOverride);
    t.AddStringParam("SITE_NUMBER", &w.SiteNumber, headerwidth::kSiteNumber);
    t.AddStringParam("CREATE_AGENCY", &w.CreateAgency, headerwidth::kCreateAgency);
    t.AddStringParam("OBSERVER", &w.Observer, headerwidth::kObserver);
    t.AddStringParam("OBSERVER_AGENCY", &w.ObserverAgency, headerwidth::kObservAgency);
    t.AddStringParam("COMMENT1", &w.Comment[0], headerwidth::kComment);
    t.AddStringParam("COMMENT2", &w.Comment[1], headerwidth::kComment);
    t.AddStringParam("COMMENT3", &w.Comment[2], headerwidth::kComment);
    t.AddStringParam("RCVR_TYPE", &w.RcvrType, headerwidth::kRcvrType);
    t.AddStringParam("RCVR_SERNUM", &w.RcvrSerNum, headerwidth::kRcvrSN);
    t.AddStringParam("RCVR_VER", &w.RcvrVer, headerwidth::kRcvrVer);
    t.AddStringParam("ANT_TYPE", &w.AntType, headerwidth::kAntType);
    t.AddStringParam("ANT_SERNUM", &w.AntSerNum, headerwidth::kAntSN);
    t.AddYesNoParam("APPROX_POS_BFILE", &w.ApproxPosBFile);
    t.AddDoubleParam("APPROX_POS_X", &w.ApproxPos[0], -kPosLimit, kPosLimit);
    t.AddDoubleParam("APPROX_POS_Y", &w.ApproxPos[1], -kPosLimit, kPosLimit);
    t.AddDoubleParam("APPROX_POS_Z", &w.ApproxPos[2], -kPosLimit, kPosLimit);
    t.AddDoubleParam("ANT_OFFSET_N", &w.AntOffset[0], -kOffsetLimit, kOffsetLimit);
    t.AddDoubleParam("ANT_OFFSET_E", &w.AntOffset[1], -kOffsetLimit, kOffsetLimit);
    t.AddDoubleParam("ANT_OFFSET_S", &w.AntOffset[2], -kOffsetLimit, kOffsetLimit);
    t.AddDoubleParam("ANT_OFFSET_R", &w.AntOffset[3], -kOffsetLimit, kOffsetLimit);
    t.AddDoubleParam("ANT_OFFSET_V", &w.AntOffset[4], -kOffsetLimit, kOffsetLimit);
    t.AddYesNoParam("WRITE_EPINT", &w.WriteEpInt);
    t.AddYesNoParam("WRITE_SATS", &w.WriteSats);
    t.AddYesNoParam("MS_OBS_HANDLING", &w.MsObsHandling);
    t.AddYesNoParam("SMOOTH_CODE", &w.SmoothCode);
    t.AddYesNoParam("WRITE_SITE_CHNGS", &w.WriteSiteChngs);
    t.AddYesNoParam("ALLOW_DOPLR", &w.AllowDoplr);
    t.AddStringParam("METCMT1", &w.MetComment[0], headerwidth::kComment);
    t.AddStringParam("METCMT2", &w.MetComment[1], headerwidth::kComment);
    t.AddStringParam("METCMT3", &w.MetComment[2], headerwidth::kComment);
    t.AddStringParam("MET_PRESS_MOD", &w.MetPressMod, headerwidth::kSensor);
    t.AddStringParam("MET_PRESS_TYP", &w.MetPressTyp, headerwidth::kSensor);
    t.AddDoubleParam("MET_PRESS_ACC", &w.MetPressAcc, 0.0, 100.0);
    t.AddYesNoParam("MET_USE_OBS_POS", &w.MetUseObsPos);
    t.AddDoubleParam("MET_PRESS_POS_X", &w.MetPressPos[0], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_PRESS_POS_Y", &w.MetPressPos[1], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_PRESS_POS_Z", &w.MetPressPos[2], -kPosLimit, kPosLimit);
    t.AddStringParam("MET_TEMP_MOD", &w.MetTempMod, headerwidth::kSensor);
    t.AddStringParam("MET_TEMP_TYP", &w.MetTempTyp, headerwidth::kSensor);
    t.AddDoubleParam("MET_TEMP_ACC", &w.MetTempAcc, 0.0, 100.0);
    t.AddYesNoParam("MET_TEMP_POS_AT_PRES", &w.MetTempPosAtPres);
    t.AddDoubleParam("MET_TEMP_POS_X", &w.MetTempPos[0], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_TEMP_POS_Y", &w.MetTempPos[1], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_TEMP_POS_Z", &w.MetTempPos[2], -kPosLimit, kPosLimit);
    t.AddStringParam("MET_HUMID_MOD", &w.MetHumidMod, headerwidth::kSensor);
    t.AddStringParam("MET_HUMID_TYP", &w.MetHumidTyp, headerwidth::kSensor);
    t.AddDoubleParam("MET_HUMID_ACC", &w.MetHumidAcc, 0.0, 100.0);
    t.AddYesNoParam("MET_HUMID_POS_AT_PRES", &w.MetHumidPosAtPres);
    t.AddDoubleParam("MET_HUMID_POS_X", &w.MetHumidPos[0], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_HUMID_POS_Y", &w.MetHumidPos[1], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_HUMID_POS_Z", &w.MetHumidPos[2], -kPosLimit, kPosLimit);
    t.AddDoubleParam("MET_UTC_2_GPS", &w.MetUtc2Gps, -kPosLimit, kPosLimit);
    t.AddYesNoParam("KELVRANT_PRESNT", &w.KelvrantPresnt);
    t.AddIntParam("KELVRANT_MODE", &w.KelvrantMode, 0, 1);
    // File names are kept whole, however long the system allows them to be.
    t.AddStringParam("KELVRANT_BFNAME", &w.BFName, kPath);
    t.AddStringParam("KELVRANT_EFNAME", &w.EFName, kPath);
    t.AddStringParam("KELVRANT_SFNAME", &w.SFName, kPath);
    t.AddStringParam("KELVRANT_IONFNAME", &w.IonFName, kPath);
    t.AddStringParam("KELVRANT_IMETFNAME", &w.IMetFName, kPath);
    t.AddStringParam("KELVRANT_OBSFNAME", &w.ObsFName, kPath);
    t.AddStringParam("KELVRANT_NAVFNAME", &w.NavFName, kPath);
    t.AddStringParam("KELVRANT_GNAVFNAME", &w.GNavFName, kPath);
    t.AddStringParam("KELVRANT_OMETFNAME", &w.OMetFName, kPath);
    t.AddIntParam("RINEX_VERSION", &w.RinexVersion, 2, 3);
    t.AddStringParam("COMPRESS", &w.Compress, 6);
    t.AddYesNoParam("LONG_NAMES", &w.LongNames);
    t.AddIntParam("MONUMENT", &w.Monument, 0, 9);
    t.AddIntParam("RECEIVER_INDEX", &w.ReceiverIndex, 0, 9);
    t.AddStringParam("COUNTRY", &w.Country, 3);
    t.AddStringParam("OBS_FROM", &w.ObsFrom, 40);
    t.AddStringParam("OBS_TO", &w.ObsTo, 40);
    t.AddStringParam("DECIMATE", &w.Decimate, 20);
    t.AddStringParam("SPLIT", &w.Split, 10);
    t.AddStringParam("OBS_TYPES", &w.ObsTypes, 40);
    t.AddStringParam("EXCLUDE_SATS", &w.ExcludeSats, 250);
    t.TakeError();
}

bool ParameterFile::ReadRecord(std::FILE* file) {
    if (file == nullptr || !table_) {
        error_ = kBadFile;
        return false;
    }
    work_ = defaults_;
    for (;;) {
        if (!ReadTextLine(file, line_)) {
            // A read error is no end of file: the records after it were never seen.
            error_ = std::ferror(file) ? kBadFile : kEndOfFile;
            return false;
        }
        ++lineCounter_;
        // The line ends at a NUL byte, as a C string would.
        line_.resize(std::min(line_.size(), line_.find('\0')));
        if (IsBlankLine(line_)) continue;
        if (IsSeparatorLine(line_)) return true;
        if (!table_->ParseLine(line_)) {
            error_ =
                table_->TakeError() == ParameterTable::kUnknownParam ? kUnknownParam : kRangeError;
            return false;
        }
    }
}

bool ParameterFile::ReadFile(std::FILE* file, int& lineCount) {
    if (file == nullptr || !table_) {
        error_ = kBadFile;
        lineCount = 0;
        return false;
    }
    std::rewind(file);
    lineCounter_ = 0;
    for (int record = 0;; ++record) {
        if (!ReadRecord(file)) {
            lineCount = lineCounter_;
            if (error_ == kEndOfFile) {
                error_ = kNoError;
                return true;
            }
            return false;
        }
        if (record == 0) {
            defaults_ = work_;
        } else if (!AddSite(work_)) {
            return false;
        }
    }
}

bool ParameterFile::AddSite(const HeaderRecord& record) {
    if (FindSite(record.SiteName) >= 0) {
        error_ = kSiteExists;
        return false;
    }
    try {
        if (sites_.size() + 1 > sites_.capacity())
            sites_.reserve(sites_.capacity() + kSiteListStep);
        sites_.push_back(record);
    } catch (const std::bad_alloc&) {
        error_ = kNoSpace;
        return false;
    }
    // std::string orders by bytes taken as unsigned characters.
    std::sort(sites_.begin(), sites_.end(),
              [](const HeaderRecord& a, const HeaderRecord& b) { return a.SiteName < b.SiteName; });
    return true;
}

int ParameterFile::FindSite(std::string_view siteName) const {
    for (std::size_t i = 0; i < sites_.size(); ++i) {
        if (sites_[i].SiteName == siteName) return static_cast<int>(i);
    }
    return -1;
}

const char* ParameterFile::HeaderErrorText(int code) {
    switch (code) {
        case kNoError:
            return "No Errors Detected";
        case kNoSpace:
            return "Cannot allocate space needed to manage headers";
        case kSiteExists:
            return "Attempted to 'Add' a site that already exists";
        case kBadFile:
            return "Invalid input file pointer";
        case kEndOfFile:
            return "End-of-file Reached on input file";
        case kUnknownParam:
            return "Unknown parameter found on read";
        case kRangeError:
            return "Parameter range error on read";
        default:
            return "Unknown Error Code";
    }
}

}  // namespace kelvrant
