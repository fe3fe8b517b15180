// The B-file reader (see BFileReader.h).
#include "ashtech/BFileReader.h"

#include <sys/types.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace kelvrant {

const char* const kDataTypeNames[6] = {
    "L1 (L1 C/A Codephase tracking)",
    "L2C (L1 C/A Codephase and L2 Codeless)",
    "L1CP_L2P (L1 C/A, L1 P-Code, and L2 P-Code)",
    "CDPHASE (L1 C/A Codephase (no carrier))",
    "L1CP (L1 C/A and L1 P-Code)",
    "L1C_L2P (L1 C/A and L2 P-Code)",
};

std::string FixedText(const std::uint8_t* p, std::size_t width) {
    std::string s;
    for (std::size_t i = 0; i < width && p[i] != 0; ++i)
        s += static_cast<char>(p[i]);
    return s;
}

namespace {

constexpr std::size_t kSatPrefixSize = 4;
// The B-file is read through a window of this size, so that the index pass and consecutive
// reads by number cost one seek and one read call per window, whatever the stream's buffer is.
constexpr std::size_t kWindowSize = std::size_t{256} << 10;
constexpr double kSecondsPerWeek = 604800.0;
// The receiver tags epochs in its own time: a tag may step back a little when its clock is
// steered, never by more than this.
constexpr double kMaxStepBack = 1.0;
// Logging may pause for hours (a receiver left tracking overnight with the recording stopped);
// a jump beyond a day between neighbouring epochs is damage.
constexpr double kMaxGap = 86400.0;
constexpr double kMaxCoordinate = 1e8;

bool SeekTo(std::FILE* f, std::int64_t offset) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

// The week of an epoch at `time` following one at `previousTime` of `previousWeek`: a jump of
// more than half a week means the week changed, whichever way the time went.
std::int32_t WeekAfter(std::int32_t previousWeek, double previousTime, double time) {
    if (std::fabs(previousTime - time) > 302400.0 &&
        previousWeek < std::numeric_limits<std::int32_t>::max())
        return previousWeek + 1;
    return previousWeek;
}

}  // namespace

int BFileReader::CheckHeader(std::FILE* bfile, BFileHeader& header) {
    if (bfile == nullptr) {
        error_ = kObsNoHeader;
        return 0;
    }
    const off_t start = ftello(bfile);
    if (fseeko(bfile, 0, SEEK_SET) != 0 ||
        std::fread(header.bytes.data(), 1, BFileHeader::kSize, bfile) != BFileHeader::kSize) {
        error_ = kObsNoHeader;
        return 0;
    }
    static constexpr char kTag[] = "VERSION";
    for (std::size_t i = 0; i < 7; ++i) {
        if (std::toupper(header.bytes[i]) != kTag[i]) {
            error_ = kObsNotBFile;
            return 0;
        }
    }
    if (header.FormatVersion() != 3) {
        error_ = kObsBadVersion;
        return 0;
    }
    if (start > 0) fseeko(bfile, start, SEEK_SET);
    return 1;
}

int BFileReader::Open(std::FILE* bfile, bool buildIndex, bool gatherStatistics) {
    header_ = BFileHeader{};
    blockCount_ = 0;
    firstWeek_ = 0;
    firstTime_ = -1.0;
    currentWeek_ = 0;
    interval_ = 0.0f;
    for (int k = 0; k < 3; ++k) {
        for (int s = 0; s <= kMaxSatNumber; ++s) {
            codeCount_[k][s] = 0;
            carrierCount_[k][s] = 0;
        }
    }
    sumX_ = sumY_ = sumZ_ = 0.0;
    weightTotal_ = 0.0;
    intervalValues_.fill(0.0f);
    intervalCounts_.fill(0);
    intervalUsed_ = 0;
    previousRounded_ = 0.0f;
    bfile_ = bfile;
    error_ = kObsReadOk;
    indexBuilt_ = false;
    gatherStatistics_ = gatherStatistics;
    lastWeek_ = 0;
    lastTime_ = -1.0;
    lastEpoch_ = -1;
    scanning_ = false;
    windowStart_ = 0;
    windowLength_ = 0;
    windowPos_ = 0;
    useWindow_ = false;
    offsets_.clear();
    damagedStretches_ = 0;
    damagedBytes_ = 0;
    firstDamage_ = -1;
    bodyBytes_ = 0;

    if (bfile == nullptr) {
        error_ = kObsNoHeader;
        return 0;
    }
    std::clearerr(bfile);
    if (fseeko(bfile, 0, SEEK_SET) != 0 || CheckHeader(bfile, header_) == 0) {
        if (error_ == kObsReadOk) error_ = kObsNoHeader;
        return 0;
    }
    // The in-memory slots hold three observation blocks; any other count cannot be laid out.
    const int n = header_.BlockCount();
    if (n < 1 || n > 3) {
        error_ = kObsBadBlockCount;
        return 0;
    }
    blockCount_ = n;
    firstWeek_ = currentWeek_ = lastWeek_ = header_.Week();
    if (!buildIndex) return 1;
    return BuildIndex();
}

bool BFileReader::PlausibleSuccessor(std::int32_t previousWeek, double previousTime, double time) {
    const std::int32_t week = WeekAfter(previousWeek, previousTime, time);
    const double step =
        static_cast<double>(week - previousWeek) * kSecondsPerWeek + (time - previousTime);
    return step >= -kMaxStepBack && step <= kMaxGap;
}

BFileReader::Candidate BFileReader::ReadCandidate(std::int64_t offset, EpochRecord& epoch,
                                                  SatelliteSlots& satellites, std::int64_t& size) {
    windowPos_ = offset;
    if (!ReadBytes(epoch.bytes.data(), EpochRecord::kSize)) return Candidate::Short;
    const int count = epoch.SatCount();
    // No receiver tracks more than 24 satellites.
    if (count < 0 || count > kMaxSatellites) return Candidate::Implausible;
    const double time = epoch.Time();
    if (!(time >= 0.0 && time < kSecondsPerWeek)) return Candidate::Implausible;
    // Earth-fixed coordinates of a receiver on or near the ground (or 0 without a fix).
    for (double v : {epoch.X(), epoch.Y(), epoch.Z()})
        if (!(std::fabs(v) < kMaxCoordinate)) return Candidate::Implausible;
    // The site name is text (or unset); an all-zero record is padding, not an epoch.
    const auto isZero = [](std::uint8_t b) { return b == 0; };
    if (std::all_of(epoch.bytes.begin(), epoch.bytes.end(), isZero)) return Candidate::Implausible;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t c = epoch.bytes[i];
        if (c != 0 && (c < 0x20 || c > 0x7e)) return Candidate::Implausible;
    }
    const std::size_t blockBytes =
        kSatPrefixSize + static_cast<std::size_t>(blockCount_) * kObsBlockSize;
    size = static_cast<std::int64_t>(EpochRecord::kSize +
                                     static_cast<std::size_t>(count) * blockBytes);
    if (blockBytes == kSatSlotStride) {
        // Three blocks: the file's satellite blocks are laid out exactly as the slots.
        if (!ReadBytes(satellites.bytes.data(), static_cast<std::size_t>(count) * kSatSlotStride))
            return Candidate::Short;
    } else {
        for (int s = 0; s < count; ++s)
            if (!ReadBytes(satellites.Slot(s), blockBytes)) return Candidate::Short;
    }
    for (int s = 0; s < count; ++s) {
        // 0 is an empty channel.
        if (satellites.SatNumber(s) > kMaxSatNumber) return Candidate::Implausible;
    }
    return Candidate::Plausible;
}

void BFileReader::CountDamage(std::int64_t from, std::int64_t to) {
    if (to <= from) return;
    ++damagedStretches_;
    damagedBytes_ += to - from;
    if (firstDamage_ < 0) firstDamage_ = from;
}

std::int64_t BFileReader::Resynchronise(std::int64_t from, std::int64_t end) {
    // As robust decoders of binary streams do: look at every byte for an epoch that is
    // plausible on its own, follows the last good epoch, and is confirmed by the record after
    // it (or ends the file). Unused fields are zero, so inside a record a run of zeros can
    // pass for an epoch without satellites: away from the start of the data, the epoch found
    // and the one confirming it must hold satellites, and time must advance between them.
    const auto headerSize = static_cast<std::int64_t>(BFileHeader::kSize);
    EpochRecord epoch;
    EpochRecord next;
    auto satellites = std::make_unique<SatelliteSlots>();
    for (std::int64_t at = from; at + static_cast<std::int64_t>(EpochRecord::kSize) <= end; ++at) {
        at = PastZeros(at, end);
        std::int64_t size = 0;
        if (ReadCandidate(at, epoch, *satellites, size) != Candidate::Plausible) continue;
        const bool strict = at != headerSize;
        if (strict && epoch.SatCount() < 1) continue;
        if (firstTime_ >= 0.0 && !PlausibleSuccessor(lastWeek_, lastTime_, epoch.Time())) continue;
        if (at + size >= end) return at;
        std::int64_t nextSize = 0;
        const Candidate after = ReadCandidate(at + size, next, *satellites, nextSize);
        if (after == Candidate::Short) return at;
        if (after != Candidate::Plausible || !PlausibleSuccessor(0, epoch.Time(), next.Time()))
            continue;
        if (!strict) return at;
        const std::int32_t week = WeekAfter(0, epoch.Time(), next.Time());
        if (next.SatCount() >= 1 && (week > 0 || next.Time() > epoch.Time())) return at;
    }
    return end;
}

std::int64_t BFileReader::PastZeros(std::int64_t from, std::int64_t end) {
    const auto record = static_cast<std::int64_t>(EpochRecord::kSize);
    std::int64_t at = from;
    while (at < end) {
        windowPos_ = at;
        if (!ReadBytes(nullptr, 1)) return from;
        const auto first = static_cast<std::size_t>(at - windowStart_);
        std::size_t i = first;
        while (i < windowLength_ && window_[i] == 0)
            ++i;
        if (i < windowLength_) {
            // A record holding the byte at i may start up to a record's length before it.
            const std::int64_t nonZero = windowStart_ + static_cast<std::int64_t>(i);
            return std::max(from, nonZero - record + 1);
        }
        at = windowStart_ + static_cast<std::int64_t>(windowLength_);
    }
    return std::max(from, end - record + 1);
}

int BFileReader::BuildIndex() {
    std::int64_t end = 0;
    if (fseeko(bfile_, 0, SEEK_END) != 0 || (end = ftello(bfile_)) < 0) {
        error_ = kObsReadFailed;
        return 0;
    }
    const auto headerSize = static_cast<std::int64_t>(BFileHeader::kSize);
    bodyBytes_ = end > headerSize ? end - headerSize : 0;
    window_.resize(kWindowSize);
    // A day of 1-second epochs is 86400 offsets: reserve by a typical epoch size.
    offsets_.reserve(static_cast<std::size_t>(bodyBytes_ / 700 + 16));

    // Two buffers: the epoch about to be indexed and the one after it, which confirms it.
    EpochRecord epochs[2];
    auto slots = std::make_unique<SatelliteSlots[]>(2);
    int cur = 0;
    scanning_ = true;
    useWindow_ = true;
    std::int64_t at = Resynchronise(headerSize, end);
    CountDamage(headerSize, at);
    std::int64_t size = 0;
    bool haveCurrent =
        at < end && ReadCandidate(at, epochs[cur], slots[cur], size) == Candidate::Plausible;
    const auto restartAt = [&](std::int64_t from) {
        at = Resynchronise(from, end);
        CountDamage(from - 1, at);
        return at < end && ReadCandidate(at, epochs[cur], slots[cur], size) == Candidate::Plausible;
    };
    while (haveCurrent) {
        const std::int64_t next = at + size;
        const int nxt = 1 - cur;
        std::int64_t nextSize = 0;
        const Candidate after =
            next < end ? ReadCandidate(next, epochs[nxt], slots[nxt], nextSize) : Candidate::Short;
        const bool nextFollowsLast = after == Candidate::Plausible &&
                                     PlausibleSuccessor(lastWeek_, lastTime_, epochs[nxt].Time());
        // Two neighbours whose times do not fit: the one that does not follow the last good
        // epoch is the damaged one.
        if (after == Candidate::Plausible && firstTime_ >= 0.0 && nextFollowsLast &&
            !PlausibleSuccessor(0, epochs[cur].Time(), epochs[nxt].Time())) {
            CountDamage(at, next);
            at = next;
            size = nextSize;
            cur = nxt;
            continue;
        }
        offsets_.Add(at);
        ++lastEpoch_;
        TrackWeek(epochs[cur].Time());
        if (gatherStatistics_) GatherStatistics(epochs[cur], slots[cur]);
        if (next >= end) break;
        if (after == Candidate::Short) {
            CountDamage(next, end);  // a last epoch cut short
            break;
        }
        if (after == Candidate::Plausible &&
            PlausibleSuccessor(lastWeek_, lastTime_, epochs[nxt].Time())) {
            at = next;
            size = nextSize;
            cur = nxt;
            continue;
        }
        haveCurrent = restartAt(next + 1);
    }
    scanning_ = false;
    windowStart_ = 0;
    windowLength_ = 0;
    windowPos_ = 0;
    useWindow_ = false;
    if (std::ferror(bfile_) != 0) {
        error_ = kObsReadFailed;
        return 0;
    }
    if (gatherStatistics_) FinishStatistics();
    indexBuilt_ = true;
    return 1;
}

bool BFileReader::ReadBytes(std::uint8_t* dst, std::size_t n) {
    if (useWindow_) {
        const std::int64_t need = static_cast<std::int64_t>(n);
        if (windowPos_ < windowStart_ ||
            windowPos_ + need > windowStart_ + static_cast<std::int64_t>(windowLength_)) {
            // Refill from the wanted position; n never exceeds the window.
            if (n > window_.size() || !SeekTo(bfile_, windowPos_)) return false;
            windowStart_ = windowPos_;
            windowLength_ = std::fread(window_.data(), 1, window_.size(), bfile_);
            if (windowLength_ < n) return false;
        }
        if (dst != nullptr)
            std::memcpy(dst, &window_[static_cast<std::size_t>(windowPos_ - windowStart_)], n);
        windowPos_ += need;
        return true;
    }
    if (dst != nullptr) return std::fread(dst, 1, n, bfile_) == n;
    std::uint8_t sink[kSatSlotStride];
    while (n > 0) {
        const std::size_t part = n < sizeof sink ? n : sizeof sink;
        if (std::fread(sink, 1, part, bfile_) != part) return false;
        n -= part;
    }
    return true;
}

int BFileReader::ReadEpoch(std::int32_t i, EpochRecord& epoch, SatelliteSlots& satellites) {
    if (bfile_ == nullptr || blockCount_ < 1 || blockCount_ > 3 || i < 0) return 0;
    if (!indexBuilt_ || i > lastEpoch_) return 0;
    windowPos_ = offsets_[static_cast<std::size_t>(i)];
    useWindow_ = true;
    const int ok = ReadEpochBody(epoch, satellites);
    useWindow_ = false;
    return ok;
}

int BFileReader::ReadEpochBody(EpochRecord& epoch, SatelliteSlots& satellites) {
    if (!ReadBytes(epoch.bytes.data(), EpochRecord::kSize)) return 0;
    const int held = epoch.SatellitesHeld();
    const std::size_t blockBytes =
        kSatPrefixSize + static_cast<std::size_t>(blockCount_) * kObsBlockSize;
    if (blockBytes == kSatSlotStride) {
        if (!ReadBytes(satellites.bytes.data(), static_cast<std::size_t>(held) * kSatSlotStride))
            return 0;
    } else {
        for (int s = 0; s < held; ++s)
            if (!ReadBytes(satellites.Slot(s), blockBytes)) return 0;
    }
    return 1;
}

void BFileReader::TrackWeek(double epochTime) {
    if (firstTime_ < 0.0) {
        currentWeek_ = lastWeek_ = firstWeek_ = header_.Week();
        firstTime_ = lastTime_ = epochTime;
        return;
    }
    currentWeek_ = WeekAfter(currentWeek_, lastTime_, epochTime);
    lastWeek_ = currentWeek_;
    lastTime_ = epochTime;
}

void BFileReader::GatherStatistics(const EpochRecord& epoch, const SatelliteSlots& satellites) {
    const int held = epoch.SatellitesHeld();
    for (int i = 0; i < held; ++i) {
        const int s = satellites.SatNumber(i);
        if (s > kMaxSatNumber) continue;
        for (int k = 0; k < blockCount_; ++k) {
            const std::uint8_t warning = satellites.Block(i, k).Warning();
            if ((warning & 0x08) == 0) ++codeCount_[k][s];
            if ((warning & 0x04) == 0) ++carrierCount_[k][s];
        }
    }

    const std::uint16_t pdop100 = epoch.Pdop100();
    if (pdop100 > 0 && pdop100 < 10000) {
        const double p = pdop100 * 0.01;
        const double w = p * p;
        sumX_ += epoch.X() / w;
        sumY_ += epoch.Y() / w;
        sumZ_ += epoch.Z() / w;
        weightTotal_ += 1.0 / w;
    }

    // Spacings are taken between epoch times rounded to 0.01 s and held in single precision,
    // so sub-second spacings late in the week spread over neighbouring values.
    const float rounded = static_cast<float>(std::trunc(epoch.Time() * 100.0 + 0.5) * 0.01);
    if (lastEpoch_ > 0 && intervalUsed_ < kIntervalTableLimit) {
        const float d = rounded - previousRounded_;
        int found = -1;
        for (int j = 0; j < intervalUsed_; ++j) {
            if (std::fabs(d - intervalValues_[static_cast<std::size_t>(j)]) < 1e-9) {
                found = j;
                break;
            }
        }
        if (found < 0) {
            found = intervalUsed_++;
            intervalValues_[static_cast<std::size_t>(found)] = d;
        }
        ++intervalCounts_[static_cast<std::size_t>(found)];
    }
    previousRounded_ = rounded;
}

void BFileReader::FinishStatistics() {
    if (std::fabs(weightTotal_) > 1e-9) {
        sumX_ /= weightTotal_;
        sumY_ /= weightTotal_;
        sumZ_ /= weightTotal_;
    }
    interval_ = 0.0f;
    std::int32_t best = 0;
    for (int j = 0; j < intervalUsed_; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        if (intervalCounts_[jj] > best) {
            best = intervalCounts_[jj];
            interval_ = intervalValues_[jj];
        }
    }
}

std::int32_t BFileReader::LastEpochIndex() const {
    return indexBuilt_ ? lastEpoch_ : -1;
}

void BFileReader::GetTimeSpan(std::int32_t& firstWeek, double& firstTime, std::int32_t& lastWeek,
                              double& lastTime) const {
    firstWeek = firstWeek_;
    firstTime = firstTime_;
    if (indexBuilt_) {
        lastWeek = lastWeek_;
        lastTime = lastTime_;
    } else {
        lastWeek = -1;
        lastTime = -1.0;
    }
}

int BFileReader::TakeError() {
    const int e = error_;
    error_ = kObsReadOk;
    return e;
}

std::string ReadBFileReceiverType(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return {};
    BFileReader reader;
    std::string type;
    if (reader.Open(f, false, false) == 1) type = reader.Header().ReceiverType();
    std::fclose(f);
    return type;
}

}  // namespace kelvrant
