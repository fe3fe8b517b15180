// The RINEX header/option parameter file (the -P auto-parameters file): records of "KEY value"
// lines closed by a line of 50 hyphens. The first record becomes the defaults record; every
// later one is a site record, kept in a list sorted by SITE_NAME. The program only reads it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ParameterTable.h"

namespace kelvrant {

/// One record of the parameter file, one field per key in key order, holding the built-in
/// defaults as constructed. Yes/No fields hold 1 or 0.
struct HeaderRecord {
    std::string SiteName = "????";   ///< SITE_NAME, at most 4
    std::int32_t SFileOverride = 0;  ///< SFILE_OVERRRIDE
    std::string SiteNumber = "UNKNOWN";
    std::string CreateAgency = "Quillon";
    std::string Observer = "Quillon";
    std::string ObserverAgency = "Quillon";
    std::string Comment[3] = {"Comment 1", "Comment 2", "Comment 3"};
    std::string RcvrType = "Unknown";
    std::string RcvrSerNum = "Unknown";
    std::string RcvrVer = "Unknown";
    std::string AntType = "Unknown";
    std::string AntSerNum = "Unknown";
    std::int32_t ApproxPosBFile = 1;                  ///< APPROX_POS_BFILE
    double ApproxPos[3] = {6378137.0, 0.0, 0.0};      ///< APPROX_POS_X/_Y/_Z
    double AntOffset[5] = {0.0, 0.0, 0.0, 0.0, 0.0};  ///< ANT_OFFSET_N/_E/_S/_R/_V
    std::int32_t WriteEpInt = 1;
    std::int32_t WriteSats = 1;
    std::int32_t MsObsHandling = 1;
    std::int32_t SmoothCode = 1;
    std::int32_t WriteSiteChngs = 0;
    std::int32_t AllowDoplr = 1;
    std::string MetComment[3] = {"Comment 1", "Comment 2", "Comment 3"};  ///< METCMT1..3
    std::string MetPressMod = "Paroscientific";
    std::string MetPressTyp = "Digiquartz";
    double MetPressAcc = 0.1;
    std::int32_t MetUseObsPos = 1;  ///< MET_USE_OBS_POS
    double MetPressPos[3] = {6378137.0, 0.0, 0.0};
    std::string MetTempMod = "Paroscientific";
    std::string MetTempTyp = "Plat Resist Probe";
    double MetTempAcc = 0.5;
    std::int32_t MetTempPosAtPres = 1;
    double MetTempPos[3] = {6378137.0, 0.0, 0.0};
    std::string MetHumidMod = "Paroscientific";
    std::string MetHumidTyp = "Capacitance Probe";
    double MetHumidAcc = 2.0;
    std::int32_t MetHumidPosAtPres = 1;
    double MetHumidPos[3] = {6378137.0, 0.0, 0.0};
    double MetUtc2Gps = 0.0;
    std::int32_t KelvrantPresnt = 0;  ///< KELVRANT_PRESNT
    std::int32_t KelvrantMode = 0;    ///< KELVRANT_MODE: 0 observation/navigation, 1 met
    std::string BFName;               ///< KELVRANT_BFNAME
    std::string EFName;               ///< KELVRANT_EFNAME
    std::string SFName;               ///< KELVRANT_SFNAME
    std::string IonFName;             ///< KELVRANT_IONFNAME
    std::string IMetFName;            ///< KELVRANT_IMETFNAME
    std::string ObsFName;             ///< KELVRANT_OBSFNAME
    std::string NavFName;             ///< KELVRANT_NAVFNAME
    std::string GNavFName;            ///< KELVRANT_GNAVFNAME
    std::string OMetFName;            ///< KELVRANT_OMETFNAME
    // The output format (see OutputFormat.h).
    std::int32_t RinexVersion = 2;   ///< RINEX_VERSION, 2 or 3
    std::string Compress = "none";   ///< COMPRESS: none, crx, gz or crx.gz
    std::int32_t LongNames = -1;     ///< LONG_NAMES Yes/No; -1 when absent: with RINEX 3
    std::int32_t Monument = 0;       ///< MONUMENT, 0..9
    std::int32_t ReceiverIndex = 0;  ///< RECEIVER_INDEX, 0..9
    std::string Country = "XXX";     ///< COUNTRY, three letters
    // Editing of the observation output; empty: not asked for (see EpochEditor.h).
    std::string ObsFrom;      ///< OBS_FROM, GPS time
    std::string ObsTo;        ///< OBS_TO, GPS time
    std::string Decimate;     ///< DECIMATE, seconds
    std::string Split;        ///< SPLIT: day or hour
    std::string ObsTypes;     ///< OBS_TYPES, e.g. L1,L2,C1,P2
    std::string ExcludeSats;  ///< EXCLUDE_SATS, e.g. G05,G17,R
};

class ParameterFile {
  public:
    /// Error codes (TakeError); HeaderErrorText gives their texts. Codes 3..8 belonged to
    /// site-list operations this program does not have; their numbers stay free.
    enum : int {
        kNoError = 0,
        kNoSpace = 1,
        kSiteExists = 2,
        kBadFile = 9,
        kEndOfFile = 10,
        kUnknownParam = 11,
        kRangeError = 12,
    };
    /// Number of keys of the file and the table capacity that holds them.
    static constexpr int kKeyCount = 77;
    static constexpr int kTableCapacity = 78;
    static constexpr int kValueColumn = 29;

    ParameterFile();
    ParameterFile(const ParameterFile&) = delete;
    ParameterFile& operator=(const ParameterFile&) = delete;

    /// Reads the whole file from its start (`file` is open in text mode; the caller closes
    /// it). `lineCount` gets the number of lines read, blank ones included, which on a parse
    /// failure is the number of the offending line. True at the end of the file; false with
    /// the error code set (codes 1 and 2 leave `lineCount` unchanged).
    bool ReadFile(std::FILE* file, int& lineCount);
    /// The defaults record: the first record of the file once read, else the built-in one.
    void GetDefaults(HeaderRecord& record) const { record = defaults_; }
    /// Adds a site record, keeping the list sorted by SITE_NAME; false with error 2 when the
    /// name is already listed, 1 when memory runs out.
    bool AddSite(const HeaderRecord& record);
    /// Index of the site record named `siteName` (exact, case-sensitive), or -1.
    int FindSite(std::string_view siteName) const;
    const std::vector<HeaderRecord>& Sites() const { return sites_; }
    int KeyCount() const { return table_ ? table_->EntryCount() : 0; }

    int TakeError() {
        const int code = error_;
        error_ = kNoError;
        return code;
    }
    static const char* HeaderErrorText(int code);

    /// The last line read (where a failed read stopped), without its line end.
    std::string LastLine() const { return line_.substr(0, line_.find_first_of("\r\n")); }

  private:
    bool ReadRecord(std::FILE* file);
    void RegisterKeys();

    std::vector<HeaderRecord> sites_;
    HeaderRecord defaults_;
    int error_ = kNoError;
    std::unique_ptr<ParameterTable> table_;
    HeaderRecord work_;
    std::string line_;
    int lineCounter_ = 0;
};

}  // namespace kelvrant
