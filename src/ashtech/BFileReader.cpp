// The B-file reader (see BFileReader.h).
#include "ashtech/BFileReader.h"

#include <sys/types.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
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

bool IsGlonassReceiver(std::string_view receiverType) {
    std::string upper;
    for (char c : receiverType)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper == "Z18" || upper == "GG24" || upper == "GG-XXIV";
}

namespace {

constexpr std::size_t kSatPrefixSize = 4;
// The B-file is read through a window of this size, so that the index pass and consecutive
// reads by number cost one seek and one read call per window, whatever the stream's buffer is.
constexpr std::size_t kWindowSize = std::size_t{256} << 10;
// Index entries are written, and read back, in batches of this many.
constexpr std::size_t kIndexBatch = 2048;
// Offsets in the index are int32: no epoch may start beyond this.
constexpr std::int64_t kMaxEpochOffset = std::numeric_limits<std::int32_t>::max();

bool SeekTo(std::FILE* f, std::int64_t offset) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
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

int BFileReader::Open(std::FILE* bfile, bool buildIndex, std::FILE* indexFile,
                      bool gatherStatistics) {
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
    indexFile_ = indexFile;
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
    indexCacheFirst_ = 0;
    indexCacheCount_ = 0;

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

int BFileReader::BuildIndex() {
    if (indexFile_ == nullptr || fseeko(indexFile_, 0, SEEK_SET) != 0) {
        error_ = kObsIndexWriteFailed;
        return 0;
    }
    // A file with bytes beyond what an int32 offset reaches would be indexed wrongly.
    if (fseeko(bfile_, 0, SEEK_END) == 0) {
        const off_t size = ftello(bfile_);
        if (size > static_cast<off_t>(kMaxEpochOffset) + 1) {
            error_ = kObsFileTooLarge;
            return 0;
        }
    }
    if (!SeekTo(bfile_, static_cast<std::int64_t>(BFileHeader::kSize))) {
        error_ = kObsReadFailed;
        return 0;
    }

    window_.resize(kWindowSize);
    indexCache_.resize(kIndexBatch * EpochIndexEntry::kSize);
    std::vector<std::uint8_t> batch(kIndexBatch * EpochIndexEntry::kSize);
    std::size_t batched = 0;
    bool writeFailed = false;
    const auto flushBatch = [&] {
        if (batched > 0 &&
            std::fwrite(batch.data(), EpochIndexEntry::kSize, batched, indexFile_) != batched)
            writeFailed = true;
        batched = 0;
    };

    // Fresh buffers for the pass: the slots' bytes beyond a short satellite block stay zero.
    EpochRecord epoch;
    SatelliteSlots satellites;
    windowPos_ = static_cast<std::int64_t>(BFileHeader::kSize);
    useWindow_ = true;
    scanning_ = true;
    int result = 1;
    std::int64_t offset = windowPos_;
    for (;;) {
        offset = windowPos_;
        if (ReadEpoch(-1, epoch, satellites) == 0) break;
        if (offset > kMaxEpochOffset) {
            error_ = kObsFileTooLarge;
            result = 0;
            break;
        }
        ++lastEpoch_;
        std::uint8_t* entry = &batch[batched * EpochIndexEntry::kSize];
        std::memset(entry, 0, EpochIndexEntry::kSize);
        le::PutI4(entry + 4, static_cast<std::int32_t>(offset));
        le::PutI4(entry + 8, currentWeek_);
        le::PutR8(entry + 16, epoch.Time());
        if (++batched == kIndexBatch) flushBatch();
        if (gatherStatistics_) GatherStatistics(epoch, satellites);
    }
    flushBatch();
    scanning_ = false;
    windowStart_ = 0;
    windowLength_ = 0;
    windowPos_ = 0;
    useWindow_ = false;
    indexCacheFirst_ = 0;
    indexCacheCount_ = 0;
    if (result == 0) return 0;
    if (std::ferror(bfile_) != 0) {
        error_ = kObsReadFailed;
        return 0;
    }
    if (writeFailed || std::fflush(indexFile_) != 0) {
        error_ = kObsIndexWriteFailed;
        return 0;
    }
    if (gatherStatistics_) FinishStatistics();
    indexBuilt_ = true;
    // The stream stands after the last whole epoch, where a read at the current position would
    // continue.
    SeekTo(bfile_, offset);
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

bool BFileReader::ReadIndexEntry(std::int32_t i, std::int32_t& offset) {
    if (i < indexCacheFirst_ || i >= indexCacheFirst_ + indexCacheCount_) {
        indexCacheFirst_ = i;
        indexCacheCount_ = 0;
        if (!SeekTo(indexFile_, static_cast<std::int64_t>(i) *
                                    static_cast<std::int64_t>(EpochIndexEntry::kSize)))
            return false;
        const std::size_t got =
            std::fread(indexCache_.data(), EpochIndexEntry::kSize, kIndexBatch, indexFile_);
        indexCacheCount_ = static_cast<std::int32_t>(got);
        if (indexCacheCount_ == 0) return false;
    }
    const auto at = static_cast<std::size_t>(i - indexCacheFirst_) * EpochIndexEntry::kSize;
    offset = le::I4(&indexCache_[at + 4]);
    return true;
}

int BFileReader::ReadEpoch(std::int32_t i, EpochRecord& epoch, SatelliteSlots& satellites) {
    if (bfile_ == nullptr || blockCount_ < 1 || blockCount_ > 3 || i < -1) return 0;
    if (i >= 0) {
        if (!indexBuilt_ || i > lastEpoch_ || indexFile_ == nullptr) return 0;
        std::int32_t offset = 0;
        if (!ReadIndexEntry(i, offset) || offset < 0) return 0;
        windowPos_ = offset;
        useWindow_ = true;
        const int ok = ReadEpochBody(epoch, satellites);
        useWindow_ = false;
        return ok;
    }
    return ReadEpochBody(epoch, satellites);
}

int BFileReader::ReadEpochBody(EpochRecord& epoch, SatelliteSlots& satellites) {
    if (!ReadBytes(epoch.bytes.data(), EpochRecord::kSize)) return 0;
    const int count = epoch.SatCount();
    const int held = epoch.SatellitesHeld();
    const std::size_t blockBytes =
        kSatPrefixSize + static_cast<std::size_t>(blockCount_) * kObsBlockSize;
    if (blockBytes == kSatSlotStride) {
        // Three blocks: the file's satellite blocks are laid out exactly as the slots.
        if (!ReadBytes(satellites.bytes.data(), static_cast<std::size_t>(held) * kSatSlotStride))
            return 0;
    } else {
        for (int s = 0; s < held; ++s)
            if (!ReadBytes(satellites.Slot(s), blockBytes)) return 0;
    }
    // Blocks beyond the 24 the slots hold are read past so that the next epoch is found.
    if (count > held && !ReadBytes(nullptr, static_cast<std::size_t>(count - held) * blockBytes))
        return 0;

    if (scanning_) TrackWeek(epoch.Time());
    return 1;
}

void BFileReader::TrackWeek(double epochTime) {
    if (firstTime_ < 0.0) {
        currentWeek_ = lastWeek_ = firstWeek_ = header_.Week();
        firstTime_ = lastTime_ = epochTime;
        return;
    }
    // A jump of more than half a week means the week changed, whichever way the time went.
    if (std::fabs(lastTime_ - epochTime) > 302400.0 &&
        currentWeek_ < std::numeric_limits<std::int32_t>::max())
        ++currentWeek_;
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
    if (reader.Open(f, false, nullptr, false) == 1) type = reader.Header().ReceiverType();
    std::fclose(f);
    return type;
}

}  // namespace kelvrant
