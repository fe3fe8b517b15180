// The writer slots shared by every RINEX writer (observation, GPS navigation, GLONASS
// navigation, meteorological), the two line writers and the header line forms all writers
// use alike (PGM / RUN BY / DATE, COMMENT). Used from one thread at a time.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvrant {

inline constexpr int kWriterSlotCount = 12;

/// Module-wide error codes of the writers.
enum : int {
    kWriterOk = 0,
    kWriterBadSlot = 1,    ///< slot number outside 0..11, or slot not open
    kWriterNoFile = 2,     ///< an open was given no file
    kWriterNoFreeSlot = 3  ///< all 12 slots are in use
};

/// RINEX header labels, each exactly 20 characters so that "%20.20s" prints them left-aligned.
namespace label {
inline constexpr std::string_view kVersionType = "RINEX VERSION / TYPE";
inline constexpr std::string_view kPgmRunByDate = "PGM / RUN BY / DATE ";
inline constexpr std::string_view kComment = "COMMENT             ";
inline constexpr std::string_view kMarkerName = "MARKER NAME         ";
inline constexpr std::string_view kMarkerNumber = "MARKER NUMBER       ";
inline constexpr std::string_view kObserverAgency = "OBSERVER / AGENCY   ";
inline constexpr std::string_view kReceiver = "REC # / TYPE / VERS ";
inline constexpr std::string_view kAntenna = "ANT # / TYPE        ";
inline constexpr std::string_view kApproxPosition = "APPROX POSITION XYZ ";
inline constexpr std::string_view kAntennaDelta = "ANTENNA: DELTA H/E/N";
inline constexpr std::string_view kWavelengthFact = "WAVELENGTH FACT L1/2";
inline constexpr std::string_view kTypesOfObserv = "# / TYPES OF OBSERV ";
inline constexpr std::string_view kInterval = "INTERVAL            ";
inline constexpr std::string_view kLeapSeconds = "LEAP SECONDS        ";
inline constexpr std::string_view kTimeOfFirstObs = "TIME OF FIRST OBS   ";
inline constexpr std::string_view kTimeOfLastObs = "TIME OF LAST OBS    ";
inline constexpr std::string_view kNumSatellites = "# OF SATELLITES     ";
inline constexpr std::string_view kPrnNumObs = "PRN / # OF OBS      ";
inline constexpr std::string_view kEndOfHeader = "END OF HEADER       ";
inline constexpr std::string_view kIonAlpha = "ION ALPHA           ";
inline constexpr std::string_view kIonBeta = "ION BETA            ";
inline constexpr std::string_view kDeltaUtc = "DELTA-UTC: A0,A1,T,W";
inline constexpr std::string_view kCorrToSystemTime = "CORR TO SYSTEM TIME ";
inline constexpr std::string_view kSensorModTypeAcc = "SENSOR MOD/TYPE/ACC ";
inline constexpr std::string_view kSensorPos = "SENSOR POS XYZ/H    ";
}  // namespace label

/// The last writer error (0 when none since it was last cleared).
int WriterError();
/// Returns the last writer error and resets it to 0.
int TakeWriterError();
/// Records a writer error (for the writers' own slot checks).
void SetWriterError(int code);

/// Claims the lowest free slot for `file` with the program name cut to 20 characters.
/// Initialises the table on first use. Returns the slot, or -1 with error 2 (no file) or 3.
int ClaimWriterSlot(std::FILE* file, std::string_view programName);
/// Frees a slot (the file is neither flushed nor closed). 1, or 0 with error 1 when the slot
/// number is outside 0..11.
int ReleaseWriterSlot(int slot);
/// True when `slot` is in 0..11 and holds a file.
bool SlotIsOpen(int slot);
/// The slot's file, or nullptr.
std::FILE* SlotFile(int slot);
/// The slot's program name (at most 20 characters); empty for an invalid slot.
std::string_view SlotProgramName(int slot);
/// The GPS navigation writer's angle-factor flag of a slot (1 after initialisation).
int SlotAngleFactorFlag(int slot);
void SetSlotAngleFactorFlag(int slot, int flag);
/// True once a write to the slot's file came up short (full disk, file size limit).
bool SlotWriteFailed(int slot);

/// Formats, pads with blanks (or cuts) to exactly 80 columns and writes it with CR LF.
/// 1, or 0 with error 1 for an invalid or free slot.
[[gnu::format(printf, 2, 3)]] int WriteHeaderLine(int slot, const char* format, ...);
/// Formats, removes trailing blanks and writes it with CR LF. 1, or 0 with error 1.
[[gnu::format(printf, 2, 3)]] int WriteDataLine(int slot, const char* format, ...);
/// WriteHeaderLine of a ready text.
int WriteHeaderText(int slot, std::string_view text);
/// WriteDataLine of a ready text (trailing blanks removed here).
int WriteDataText(int slot, std::string_view text);
/// Writes bytes to the slot's file as they are (the caller supplies CR LF). 1, or 0.
int WriteRawText(int slot, std::string_view bytes);

/// Formats at the end of `buffer` (nothing when buffer is null). Never truncates.
[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string* buffer, const char* format, ...);
/// printf into a new string, never truncated.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);

/// The PGM / RUN BY / DATE line with the slot's program name, the run-by text and the
/// current UTC time from the clock.
int WritePgmRunByDateLine(int slot, std::string_view runBy);
/// One COMMENT line.
int WriteCommentLine(int slot, std::string_view comment);

/// Frees every slot (tests only).
void ResetWriterSlotsForTest();

}  // namespace kelvrant
