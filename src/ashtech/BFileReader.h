// The B-file reader: checks the 90-byte header, indexes every epoch in memory in one sequential
// pass while gathering the statistics of the RINEX observation header, and then hands out any
// epoch by its number. Every epoch is checked as it is read; a damaged stretch is skipped and
// the reader resynchronises on the next plausible epoch. Records are kept as their file bytes;
// the accessors decode each field at its offset.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ashtech/ByteOrder.h"

namespace kelvrant {

/// Error codes of the B-file reader.
enum : int {
    kObsReadOk = 0,
    kObsNoHeader = 1,       ///< fewer than 90 bytes at the start
    kObsNotBFile = 2,       ///< the first 7 bytes are not "VERSION" (any case)
    kObsBadVersion = 3,     ///< byte 10 is not 3
    kObsBadBlockCount = 4,  ///< blocks per satellite outside 1..3
    kObsReadFailed = 6,     ///< the B-file stream reported a read error during the index pass
};

inline constexpr int kMaxSatellites = 24;
inline constexpr std::size_t kObsBlockSize = 31;
inline constexpr std::size_t kSatSlotStride = 97;  ///< 4 + 3 * 31, whatever n is
inline constexpr int kMaxSatNumber = 56;

/// Data type codes of the B-file header (offset 41).
enum : int {
    kDataL1 = 1,
    kDataL2C = 2,
    kDataL1CP_L2P = 3,
    kDataCdPhase = 4,
    kDataL1CP = 5,
    kDataL1C_L2P = 6,
};

/// The names of data type codes 1..6 (index 0 is code 1).
extern const char* const kDataTypeNames[6];

/// Copies a NUL-padded text field of `width` bytes (stops at the first NUL).
std::string FixedText(const std::uint8_t* p, std::size_t width);

struct BFileHeader {
    static constexpr std::size_t kSize = 90;
    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t FormatVersion() const { return bytes[10]; }
    std::string ReceiverType() const { return FixedText(&bytes[11], 10); }
    std::string VersionSecondPart() const { return FixedText(&bytes[21], 10); }
    std::string VersionFirstPart() const { return FixedText(&bytes[31], 10); }
    std::int16_t DataType() const { return le::I2(&bytes[41]); }
    std::int32_t Week() const { return le::I4(&bytes[43]); }
    std::int8_t BlockCount() const { return le::I1(&bytes[47]); }
};

struct EpochRecord {
    static constexpr std::size_t kSize = 67;
    std::array<std::uint8_t, kSize> bytes{};

    /// The four site-name bytes as stored ("????" marks a moving antenna).
    std::string_view SiteName() const { return {reinterpret_cast<const char*>(bytes.data()), 4}; }
    double Time() const { return le::R8(&bytes[4]); }
    double X() const { return le::R8(&bytes[12]); }
    double Y() const { return le::R8(&bytes[20]); }
    double Z() const { return le::R8(&bytes[28]); }
    /// Receiver clock offset in metres.
    double ClockOffset() const { return le::R8(&bytes[48]); }
    void SetClockOffset(double metres) { le::PutR8(&bytes[48], metres); }
    std::uint16_t Pdop100() const { return le::U2(&bytes[64]); }
    std::int8_t SatCount() const { return le::I1(&bytes[66]); }
    /// min(count, 24); a negative count reads as 0.
    int SatellitesHeld() const {
        const int n = SatCount();
        return n < 0 ? 0 : (n > kMaxSatellites ? kMaxSatellites : n);
    }
};

/// One 31-byte observation block, decoded in place.
struct ObsBlockView {
    const std::uint8_t* p;
    double RawRange() const { return le::R8(p); }
    float Smoothing() const { return le::R4(p + 8); }
    std::uint8_t Warning() const { return p[15]; }
    std::uint8_t Quality() const { return p[16]; }
    std::uint8_t Snr() const { return p[17]; }
    std::int32_t Doppler() const { return le::I4(p + 19); }
    double Phase() const { return le::R8(p + 23); }
};

/// The satellite blocks of one epoch at a fixed stride of 97 bytes, 24 slots.
struct SatelliteSlots {
    static constexpr std::size_t kSize = kMaxSatellites * kSatSlotStride;
    std::array<std::uint8_t, kSize> bytes{};

    std::uint8_t SatNumber(int i) const {
        return bytes[static_cast<std::size_t>(i) * kSatSlotStride];
    }
    ObsBlockView Block(int i, int k) const {
        return {&bytes[static_cast<std::size_t>(i) * kSatSlotStride + 4 +
                       static_cast<std::size_t>(k) * kObsBlockSize]};
    }
    std::uint8_t* Slot(int i) { return &bytes[static_cast<std::size_t>(i) * kSatSlotStride]; }
};

/// File offsets in increasing order, four bytes each: the low 32 bits per offset, and where
/// the high bits change (a B-file past 4 GiB is possible, if unlikely).
class OffsetList {
  public:
    /// `offset` must not be below the last one added.
    void Add(std::int64_t offset) {
        const auto value = static_cast<std::uint64_t>(offset);
        while (highStarts_.size() < (value >> 32))
            highStarts_.push_back(low_.size());
        low_.push_back(static_cast<std::uint32_t>(value));
    }
    std::int64_t operator[](std::size_t i) const {
        const auto high = static_cast<std::uint64_t>(
            std::upper_bound(highStarts_.begin(), highStarts_.end(), i) - highStarts_.begin());
        return static_cast<std::int64_t>((high << 32) | low_[i]);
    }
    std::size_t size() const { return low_.size(); }
    void reserve(std::size_t n) { low_.reserve(n); }
    void clear() {
        low_.clear();
        highStarts_.clear();
    }

  private:
    std::vector<std::uint32_t> low_;
    std::vector<std::size_t> highStarts_;  ///< [h]: the first index whose high bits exceed h
};

class BFileReader {
  public:
    /// Clears the state, checks the header and, with buildIndex, makes the index pass
    /// (gathering statistics when asked). 1 on success, 0 with the error code set. A file
    /// without any plausible epoch opens with no epochs; damage is counted, not an error. The
    /// reader never closes the file.
    int Open(std::FILE* bfile, bool buildIndex, bool gatherStatistics);
    /// Reads and checks the 90-byte header into `header`. 1 or 0 (error 1, 2 or 3).
    int CheckHeader(std::FILE* bfile, BFileHeader& header);
    /// Epoch i of the index. Reads go through the reader's own buffer (consecutive epochs cost
    /// no system call) and leave the stream's position unspecified. 1, or 0 on a short read.
    int ReadEpoch(std::int32_t i, EpochRecord& epoch, SatelliteSlots& satellites);
    /// The file offset of epoch i of the index, or -1.
    std::int64_t EpochOffset(std::int32_t i) const {
        return i >= 0 && i <= lastEpoch_ && indexBuilt_ ? offsets_[static_cast<std::size_t>(i)]
                                                        : -1;
    }
    /// The last epoch number if the index was built, else -1.
    std::int32_t LastEpochIndex() const;
    void GetTimeSpan(std::int32_t& firstWeek, double& firstTime, std::int32_t& lastWeek,
                     double& lastTime) const;
    /// The last error code, reset to 0.
    int TakeError();

    const BFileHeader& Header() const { return header_; }
    /// The most common epoch spacing in seconds (single precision, as gathered).
    float EpochInterval() const { return interval_; }
    double MeanX() const { return sumX_; }
    double MeanY() const { return sumY_; }
    double MeanZ() const { return sumZ_; }
    /// Observation counts per block k (0..2) and satellite number s (0..56).
    /// Out-of-range k or s give 0.
    std::int32_t CodeCount(int k, int s) const { return InCountRange(k, s) ? codeCount_[k][s] : 0; }
    std::int32_t CarrierCount(int k, int s) const {
        return InCountRange(k, s) ? carrierCount_[k][s] : 0;
    }

    /// Damaged stretches skipped by the index pass, the bytes they cover and the file offset
    /// of the first one (-1 when there was none).
    std::int32_t DamagedStretches() const { return damagedStretches_; }
    std::int64_t DamagedBytes() const { return damagedBytes_; }
    std::int64_t FirstDamageOffset() const { return firstDamage_; }
    /// The bytes after the header.
    std::int64_t BodyBytes() const { return bodyBytes_; }

  private:
    /// Reads n bytes of the B-file: through the reader's window at windowPos_ during the index
    /// pass and by-number reads, else from the stream. A null dst skips them. False when short.
    bool ReadBytes(std::uint8_t* dst, std::size_t n);
    int ReadEpochBody(EpochRecord& epoch, SatelliteSlots& satellites);
    int BuildIndex();
    /// Reads the epoch at `offset` and checks it on its own; its size in the file is set.
    enum class Candidate { Plausible, Implausible, Short };
    Candidate ReadCandidate(std::int64_t offset, EpochRecord& epoch, SatelliteSlots& satellites,
                            std::int64_t& size);
    /// True when an epoch at `time` may follow one at `previousTime` of `previousWeek`.
    static bool PlausibleSuccessor(std::int32_t previousWeek, double previousTime, double time);
    /// Where the next plausible epoch after a damaged stretch starting at `from` begins (the
    /// end of the file when none does).
    std::int64_t Resynchronise(std::int64_t from, std::int64_t end);
    /// The first position at or after `from` where a record could begin that is not all zero
    /// bytes (padding is skipped in one stride, not byte by byte).
    std::int64_t PastZeros(std::int64_t from, std::int64_t end);
    void CountDamage(std::int64_t from, std::int64_t to);
    void TrackWeek(double epochTime);
    void GatherStatistics(const EpochRecord& epoch, const SatelliteSlots& satellites);
    void FinishStatistics();
    static bool InCountRange(int k, int s) {
        return k >= 0 && k < 3 && s >= 0 && s <= kMaxSatNumber;
    }

    static constexpr int kIntervalTableSize = 300;
    static constexpr int kIntervalTableLimit = 298;  ///< new spacings are looked at only below

    BFileHeader header_{};
    int blockCount_ = 0;
    std::int32_t firstWeek_ = 0;
    double firstTime_ = -1.0;
    std::int32_t currentWeek_ = 0;
    float interval_ = 0.0f;
    std::int32_t codeCount_[3][kMaxSatNumber + 1] = {};
    std::int32_t carrierCount_[3][kMaxSatNumber + 1] = {};
    double sumX_ = 0.0;
    double sumY_ = 0.0;
    double sumZ_ = 0.0;
    std::FILE* bfile_ = nullptr;
    int error_ = 0;
    bool indexBuilt_ = false;
    bool gatherStatistics_ = false;
    std::int32_t lastWeek_ = 0;
    double lastTime_ = -1.0;
    std::int32_t lastEpoch_ = -1;
    bool scanning_ = false;
    // The B-file window: file bytes [windowStart_, windowStart_ + windowLength_) in window_.
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    std::int64_t windowPos_ = 0;  ///< the next byte to read through the window
    bool useWindow_ = false;
    // The file offset of every indexed epoch, in file order.
    OffsetList offsets_;
    std::int32_t damagedStretches_ = 0;
    std::int64_t damagedBytes_ = 0;
    std::int64_t firstDamage_ = -1;
    std::int64_t bodyBytes_ = 0;
    double weightTotal_ = 0.0;
    std::array<float, kIntervalTableSize> intervalValues_{};
    std::array<std::int32_t, kIntervalTableSize> intervalCounts_{};
    int intervalUsed_ = 0;
    float previousRounded_ = 0.0f;
};

/// Reads only the header of the B-file at `path` and returns its receiver type text, or an
/// empty text when the file cannot be opened or its header is not valid.
std::string ReadBFileReceiverType(const std::string& path);

}  // namespace kelvrant
