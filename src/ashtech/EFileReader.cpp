// The E-file reader (see EFileReader.h).
#include "ashtech/EFileReader.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <unordered_set>

#include "geo/TimeConstants.h"

namespace kelvrant {
namespace {

constexpr double kPi = 3.141592653589793;

// Plausible GPS orbits: the square root of the semi-major axis lies within 500 of 5152 m^1/2.
constexpr double kNominalSqrtA = 5152.0;
constexpr double kSqrtATolerance = 500.0;

void ScaleR8(AshNavRecord& record, std::size_t offset) {
    le::PutR8(record.At(offset), le::R8(record.At(offset)) * kPi);
}

// The 32-bit angle fields keep their width: the product is rounded back to single precision.
void ScaleR4(AshNavRecord& record, std::size_t offset) {
    le::PutR4(record.At(offset),
              static_cast<float>(static_cast<double>(le::R4(record.At(offset))) * kPi));
}

// Two records are the same broadcast when satellite, 16-bit week and whole seconds agree.
std::uint64_t RepeatKey(const AshNavRecord& record) {
    const std::uint64_t satellite = static_cast<std::uint16_t>(record.satellite);
    return (satellite << 48) | (static_cast<std::uint64_t>(le::U2(record.At(1))) << 32) |
           le::U4(record.At(3));
}

// Time order; equal times by satellite number, so GPS comes before GLONASS at one instant.
bool EarlierEntry(const NavIndexEntry& a, const NavIndexEntry& b) {
    const double difference =
        static_cast<double>(a.week - b.week) * kSecondsPerWeek + (a.seconds - b.seconds);
    if (difference != 0.0) return difference < 0.0;
    return a.satellite < b.satellite;
}

}  // namespace

int EFileReader::ReadRecord(std::FILE* file, AshNavRecord& record) {
    record = AshNavRecord{};
    if (file == nullptr) return 0;
    std::uint8_t satellite = 0;
    if (std::fread(&satellite, 1, 1, file) != 1) return 0;
    if (std::fread(record.body.data(), 1, record.body.size(), file) != record.body.size()) return 0;
    record.satellite = satellite;
    if (record.IsGps()) {
        ScaleR4(record, 35);   // delta n
        ScaleR8(record, 39);   // M0
        ScaleR8(record, 91);   // Omega0
        ScaleR8(record, 99);   // omega
        ScaleR8(record, 107);  // i0
        ScaleR4(record, 115);  // Omega dot
        ScaleR4(record, 119);  // IDOT
    }
    return 1;
}

int EFileReader::Open(std::FILE* file) {
    file_ = file;
    cursor_ = 0;
    index_.clear();
    StartWeek = -1;
    StartSeconds = -1.0;
    EndWeek = -1;
    EndSeconds = -1.0;
    if (file_ == nullptr || std::fseek(file_, 0, SEEK_SET) != 0) return 0;

    bool refused = false;
    try {
        std::unordered_set<std::uint64_t> seen;
        std::int64_t offset = 0;
        AshNavRecord record;
        for (;; offset += static_cast<std::int64_t>(AshNavRecord::kRecordSize)) {
            if (ReadRecord(file_, record) == 0) break;  // end of file or a trailing piece
            // Written so that a NaN square root of the semi-major axis is dropped too.
            if (record.IsGps() && !(std::fabs(record.SqrtA() - kNominalSqrtA) <= kSqrtATolerance))
                continue;
            if (!seen.insert(RepeatKey(record)).second) continue;  // the first one is kept
            if (index_.size() >= static_cast<std::size_t>(kMaxRecords)) {
                refused = true;
                break;
            }
            if (index_.size() % kGrowthStep == 0) index_.reserve(index_.size() + kGrowthStep);
            NavIndexEntry entry;
            entry.satellite = record.satellite;
            entry.offset = offset;
            if (record.IsGps()) {
                entry.week = record.Week();
                entry.seconds = record.Seconds();
            } else {
                entry.week = record.GloWeek();
                entry.seconds = record.GloSeconds();
            }
            index_.push_back(entry);
        }
    } catch (const std::bad_alloc&) {
        refused = true;
    }
    if (refused) {
        index_.clear();
        std::fseek(file_, 0, SEEK_SET);
        return 0;
    }

    std::stable_sort(index_.begin(), index_.end(), EarlierEntry);
    if (!index_.empty()) {
        const auto gps = std::find_if(index_.begin(), index_.end(),
                                      [](const NavIndexEntry& e) { return e.satellite <= 32; });
        const NavIndexEntry& start = gps != index_.end() ? *gps : index_.front();
        StartWeek = start.week;
        StartSeconds = start.seconds;
        EndWeek = index_.back().week;
        EndSeconds = index_.back().seconds;
    }
    std::fseek(file_, 0, SEEK_SET);
    return 1;
}

int EFileReader::NextRecord(AshNavRecord& record) {
    if (cursor_ < 0 || static_cast<std::size_t>(cursor_) >= index_.size()) return 0;
    const NavIndexEntry& entry = index_[static_cast<std::size_t>(cursor_)];
    ++cursor_;
    if (file_ == nullptr || entry.offset > LONG_MAX ||
        std::fseek(file_, static_cast<long>(entry.offset), SEEK_SET) != 0)
        return 0;
    return ReadRecord(file_, record);
}

}  // namespace kelvrant
