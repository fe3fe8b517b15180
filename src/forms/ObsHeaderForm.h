// The decisions of the header data window that are not about widgets: what its edits show
// (from the settings, or from the S-file where one supplied site data), the antenna offset
// check, the data types offered by a B-file, the GLONASS clock-adjustment warning, and how OK
// stores the values in the settings, the job and the header records.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/ConversionJob.h"
#include "run/RunFiles.h"
#include "settings/ConfigFile.h"

namespace kelvrant {

namespace headertext {
inline constexpr std::string_view kDataEntryErrorTitle = "Data Entry Error";
inline constexpr std::string_view kBadNorth = "Erroneous data entry for North Antenna Offset.";
inline constexpr std::string_view kBadEast = "Erroneous data entry for East Antenna Offset.";
inline constexpr std::string_view kBadSlant =
    "Erroneous data entry for Antenna Height Slant Measurement.";
inline constexpr std::string_view kBadRadius =
    "Erroneous data entry for Antenna Height Radius Measurement.";
inline constexpr std::string_view kBadDeltaVertical =
    "Erroneous data entry for Antenna Height Delta Vertical Measurement.";
inline constexpr std::string_view kSlantNotAboveRadius =
    "Erroneous data entry for Antenna Height Measurements.\nSlant measurement must be larger "
    "than radius.";
inline constexpr std::string_view kGlonassWarningTitle = "WARNING: Non-GLONASS option selected.";
inline constexpr std::string_view kGlonassWarning =
    "\"Clock adjustments to Code and Carrier\" should be checked\nwhen outputting RINEX data "
    "from GLONASS Satellites.\n\nWould you like to continue without changing the "
    "parameter?\n\n";
inline constexpr std::string_view kBadFrom =
    "Erroneous data entry for the start of the time window.";
inline constexpr std::string_view kBadTo = "Erroneous data entry for the end of the time window.";
inline constexpr std::string_view kBadDecimate =
    "Erroneous data entry for the decimation interval.\nSeconds, a multiple of 0.1 from 0.1 "
    "to 86400.";
inline constexpr std::string_view kBadTypes = "Select at least one observation type.";
inline constexpr std::string_view kBadExclude =
    "Erroneous data entry for the excluded satellites.\nA comma list of satellites (G05, R12) "
    "and systems (G, R).";
}  // namespace headertext

/// The antenna offsets in edit order.
enum AntOffset : int { kNorthOffset, kEastOffset, kSlantOffset, kRadiusOffset, kDeltaVertOffset };

/// Outcome of the antenna offset check: on failure the message and the edit to focus; on
/// success the five values.
struct AntOffsetCheck {
    bool ok = false;
    int focus = kNorthOffset;
    std::string_view message;
    std::array<double, 5> values{};
};

/// Reads the five offset texts as real numbers (a leading number, what follows ignored) and
/// checks them: slant and radius must not be negative, and a radius other than 0 must be
/// smaller than the slant. Texts that hold no finite number are refused.
AntOffsetCheck CheckAntennaOffsets(const std::array<std::string, 5>& texts);

/// "%.4lf" in the C locale.
std::string FormatMetres(double value);

/// The data types a B-file's data type offers (codes 1..6 in order) and the one selected.
struct DataTypeChoice {
    std::vector<int> codes;
    int selected = 3;
};
DataTypeChoice DataTypeChoices(int bFileDataType);

/// The item text of a data type code 1..6 (empty for any other code).
std::string_view DataTypeItemText(int code);
/// The code of an item text; 3 when the text is none of the six.
int DataTypeCodeOfItem(std::string_view text);

/// True for the receiver types that need clock adjustments for GLONASS data: the GPS+GLONASS
/// models ("Z18", "GG24", "GG-XXIV", any case).
bool NeedsGlonassClockWarning(std::string_view receiverType);

/// What the header data window shows and edits.
struct HeaderFormValues {
    std::string siteName;
    std::string siteNumber;
    std::string observer;
    std::string observerAgency;
    std::string createAgency;
    std::string rcvrType;
    std::string rcvrSerNum;
    std::string antType;
    std::string antSerNum;
    std::array<std::string, 3> comments;
    std::int32_t approxPosFromBFile = 0;  ///< the APPROX_POS_BFILE switch
    std::array<double, 3> position{};     ///< X, Y, Z (metres)
    std::array<double, 5> offsets{};      ///< north, east, slant, radius, delta vertical
    bool writeEpInt = false;
    bool writeSats = false;
    bool clockAdjust = false;
    bool smoothCode = false;
    bool siteChanges = false;
    bool outputDoppler = false;
    DataTypeChoice dataTypes;
    EditingChoices editing;  ///< the Editing page
};

/// The message for an editing choice that is refused (empty when all are accepted).
std::string_view CheckEditingChoices(const EditingChoices& editing);

/// True when the run's S-file supplied site data.
bool SiteDataSupplied(const RunFileSet& files);

/// The values shown when the window opens on a prepared run: the settings, with the marker
/// name, observer, receiver and antenna serial numbers and the offsets of the job's header
/// record when an S-file supplied site data; the receiver type from the B-file header; the
/// position of the settings, or the B-file's mean position when the switch is set. Texts are
/// cut to their edits' lengths.
HeaderFormValues LoadHeaderForm(const ConfigStore& config, const RunFileSet& files);

/// The observation options of the settings into the job (done whenever the window opens).
void ApplyObsOptionsToJob(const ConfigStore& config, ConversionJob& job);

/// OK: stores the values in the settings (the observer, the serial numbers and the offsets
/// only when no S-file supplied site data), the options in the job, and fills the
/// observation header record (observation types from `dataTypeCode`) and the navigation
/// header record's agency and comments. Other fields of the records are kept.
void StoreHeaderForm(const HeaderFormValues& form, int dataTypeCode, bool siteDataSupplied,
                     ConfigStore& config, ConversionJob& job, ObsHeaderRecord& obs,
                     NavHeaderRecord& nav);

}  // namespace kelvrant
