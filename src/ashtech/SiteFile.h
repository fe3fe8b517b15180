// The S-file: site information text left beside the B-file by the receiver download.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kelvrant {

struct SiteRecord {
    std::int32_t loaded = 0;
    std::string siteName;          ///< line 3, columns 1-4
    std::int32_t numbers[3] = {};  ///< line 3 from column 6 (not used further)
    char flag = 0;                 ///< line 3, column 31 (not used further)
    std::string receiverNumber;    ///< line 3, columns 34-36
    std::string antennaNumber;     ///< line 3, columns 38-40
    std::string text4;             ///< line 3, columns 42-45 (not used further)
    std::string observer;          ///< line 3, columns 47-49
    std::string text13;            ///< line 3, columns 51-63 (not used further)
    std::string line3Tail;         ///< line 3 from column 65, at most 60 (not used further)
    std::string receiverType;      ///< line 9, columns 15-23, trimmed
    std::string versionFirst;      ///< line 9, columns 30-34, trimmed
    std::string versionSecond;     ///< line 9, columns 45-49, trimmed
    std::string line9Tail;         ///< line 9 from column 60, at most 9, trimmed
    double line6[5] = {};          ///< line 6 from column 7; [0] is the antenna height (m)
    double line7[5] = {};          ///< line 7 from column 7 (not used further)

    double AntennaHeight() const { return line6[0]; }
};

/// Loaded flag 0 and every field cleared.
void ClearSiteRecord(SiteRecord& record);
/// Loaded flag 0 only.
void ForgetSiteRecord(SiteRecord& record);
/// Reads the file from its current position. 1, or 0 (record not marked loaded); a number
/// field that holds no number fails, and `why` (when given) says which.
int ReadSiteFile(SiteRecord& record, std::FILE* file, std::string* why = nullptr);

}  // namespace kelvrant
