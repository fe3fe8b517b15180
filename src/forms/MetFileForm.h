// The met file selection without any widget: the state of the met file selection window (names,
// start day of the data, leap seconds), the derivation of the RINEX met output name from the
// input name and the start day, the checks of every date entry with the recomputations each
// accepted entry triggers, the sensor accuracy check of the met header window, the filling of
// the met header record from the settings, and the start directory and filters of the browse
// dialogs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/ObsFileForm.h"
#include "geo/Clock.h"
#include "rinex/MetWriter.h"
#include "run/HeaderFill.h"
#include "run/OutputNames.h"
#include "settings/HeaderSettings.h"

namespace kelvrant {

namespace mettext {
inline constexpr std::string_view kDataEntryTitle = "Data Entry Error";
inline constexpr std::string_view kBadWeek =
    "Illegal value for the start GPS week of the\nmeteorological data.";
inline constexpr std::string_view kBadSeconds =
    "Illegal value for the start GPS Week Seconds\nof the meteorological data.";
inline constexpr std::string_view kBadYear =
    "Illegal value for the start year of the\nmeteorological data.";
inline constexpr std::string_view kBadMonth =
    "Illegal value for the start month of the\nmeteorological data.";
inline constexpr std::string_view kBadDay =
    "Illegal value for the start day of the\nmeteorological data.";
inline constexpr std::string_view kBadLeapSeconds = "Illegal value for UTC to GPS leap seconds.";
inline constexpr std::string_view kBadPressAccuracy =
    "Illegal value entered for the pressure sensor\naccuracy.";
inline constexpr std::string_view kBadTempAccuracy =
    "Illegal value entered for the Temperature\nsensor accuracy.";
inline constexpr std::string_view kBadHumidAccuracy =
    "Illegal value entered for the Humidure sensor\naccuracy.";
inline constexpr std::string_view kOverwriteTitle = "File Already Exists";
/// Format with the output path.
inline constexpr std::string_view kOverwriteQuestion =
    "%s\n\nOverwrite the existing RINEX Meteorological File?";
}  // namespace mettext

/// Valid ranges of the date entries.
inline constexpr std::int32_t kMetFirstYear = 1970;
inline constexpr std::int32_t kMetLastYear = 2069;
inline constexpr std::int32_t kMetMinLeapSeconds = 1;
inline constexpr std::int32_t kMetMaxLeapSeconds = 30;

/// What the met file selection window holds: the two names (kept from one showing to the
/// next), the session character, the start of the data as GPS week and whole seconds of week
/// and as a calendar date, and the UTC-to-GPS leap seconds.
struct MetFileSelection {
    std::string inFileName;
    std::string outFileName;
    char session = 'A';
    std::int32_t startWeek = 0;
    std::int32_t startSeconds = 0;
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
    double leapSeconds = 0.0;
};

/// The site part of a met output name: the first four characters of the configured site name,
/// or "XXXX" when the name is shorter or one of those four is a blank.
std::string MetSiteOf(std::string_view configuredSiteName);

/// (ParseNmaFileName, the date a met log's name gives, is in run/OutputNames.h.)

/// Derives the output name (UpdateMetNames). Does nothing and returns false when `inputPath`
/// names no existing file. Otherwise remembers it as the input name; with `fromInputName` and
/// a name of the NMA pattern takes session and start day from the name (start at 00:00:00 of
/// that day); makes the output name in the input's directory from the site, the start day and
/// the session; returns true (the window then rewrites every edit).
bool UpdateMetNames(MetFileSelection& selection, const std::string& inputPath, bool fromInputName,
                    std::string_view configuredSiteName);

/// What the window does when shown: today's date (UTC) as the start day, the start GPS time
/// of today 00:00:00.1 with the seconds rounded, the configured leap seconds, session A.
void StartMetSelectionToday(MetFileSelection& selection, const UtcTime& today,
                            double configuredLeapSeconds);

/// The date and leap second entries of the window.
enum class MetEntry { kWeek, kSeconds, kYear, kMonth, kDay, kLeapSeconds };

/// The message shown when an entry is refused.
std::string_view MetEntryMessage(MetEntry entry);

/// Checks one entry (read as an integer like scanf "%ld") and, when it is valid, stores it and
/// keeps the other form of the start time in step: a new week or seconds recompute year, month
/// and day; a new year, month or day recompute week and seconds (00:00:00 of that date). A year
/// or month that leaves the day beyond the end of its month moves the day to the last day of
/// the month, so the date shown is always the date converted. Returns false for a refused
/// entry (the selection is unchanged).
bool ApplyMetEntry(MetFileSelection& selection, MetEntry entry, std::string_view text);

/// Days in a month, February 29 days in years divisible by 4.
std::int32_t DaysInMetMonth(std::int32_t year, std::int32_t month);

/// The edit texts of the selection ("%ld"; leap seconds rounded to whole seconds).
struct MetSelectionTexts {
    std::string week;
    std::string seconds;
    std::string year;
    std::string month;
    std::string day;
    std::string leapSeconds;
};
MetSelectionTexts FormatMetSelection(const MetFileSelection& selection);

/// Reads an integer as scanf "%ld" does (leading blanks, optional sign, digits, the rest
/// ignored); nullopt when no digits follow or the value exceeds 32 bits.
std::optional<std::int32_t> ScanMetInteger(std::string_view text);
/// Reads a real as scanf "%lf" does, independently of the C locale; not-a-number, infinities
/// and values out of range are refused.
std::optional<double> ScanMetReal(std::string_view text);
/// A sensor accuracy entry: a real of at least 0.
std::optional<double> ReadSensorAccuracy(std::string_view text);

/// Where a file dialog opens for the text of its edit: an existing file gives the dialog's file
/// name and its directory; otherwise the nearest existing directory of the text with no file
/// name, or the root when there is none. An empty text gives no file name and an empty
/// directory (the dialog keeps the directory it had).
BrowseStart MetBrowseStart(const std::string& text);

/// A filter of description/pattern pairs separated by '|' as the dialogs' Qt filter entries
/// "Description (patterns)". Each pattern is given in upper and lower case too, so that the
/// dialogs list the files whatever their case, as they do on the system the filters were
/// written for.
std::vector<std::string> DialogFilterEntries(std::string_view barSeparated);

}  // namespace kelvrant
