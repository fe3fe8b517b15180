// The E-file reader: indexes the 129-byte ephemeris records once, drops implausible GPS
// records and repeats, sorts by time (then satellite number) and hands the records out in that
// order, GPS angles turned to radians.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ashtech/ByteOrder.h"

namespace kelvrant {

/// One E-file record: the satellite number and the 128-byte body in file layout. Offsets of
/// the accessors are those of the whole 129-byte record (body offset + 1).
struct AshNavRecord {
    static constexpr std::size_t kRecordSize = 129;
    static constexpr std::size_t kBodySize = 128;
    std::int16_t satellite = 0;
    std::array<std::uint8_t, kBodySize> body{};

    const std::uint8_t* At(std::size_t recordOffset) const { return &body[recordOffset - 1]; }
    std::uint8_t* At(std::size_t recordOffset) { return &body[recordOffset - 1]; }

    /// True for a GPS PRN (satellite numbers up to 32); above are GLONASS slot + 32.
    bool IsGps() const { return satellite <= 32; }

    // GPS fields.
    std::int16_t Week() const { return le::I2(At(1)); }
    std::int32_t Seconds() const { return le::I4(At(3)); }
    float Tgd() const { return le::R4(At(7)); }
    std::int32_t Iodc() const { return le::I4(At(11)); }
    std::int32_t Toc() const { return le::I4(At(15)); }
    float Af2() const { return le::R4(At(19)); }
    float Af1() const { return le::R4(At(23)); }
    float Af0() const { return le::R4(At(27)); }
    std::int32_t Iode() const { return le::I4(At(31)); }
    float DeltaN() const { return le::R4(At(35)); }
    double M0() const { return le::R8(At(39)); }
    double Ecc() const { return le::R8(At(47)); }
    double SqrtA() const { return le::R8(At(55)); }
    std::int32_t Toe() const { return le::I4(At(63)); }
    float Cic() const { return le::R4(At(67)); }
    float Crc() const { return le::R4(At(71)); }
    float Cis() const { return le::R4(At(75)); }
    float Crs() const { return le::R4(At(79)); }
    float Cuc() const { return le::R4(At(83)); }
    float Cus() const { return le::R4(At(87)); }
    double Omega0() const { return le::R8(At(91)); }
    double Omega() const { return le::R8(At(99)); }
    double I0() const { return le::R8(At(107)); }
    float OmegaDot() const { return le::R4(At(115)); }
    float Idot() const { return le::R4(At(119)); }
    std::int16_t Accuracy() const { return le::I2(At(123)); }
    std::int16_t Health() const { return le::I2(At(125)); }

    // GLONASS fields.
    std::uint16_t GloWeek() const { return le::U2(At(1)); }
    std::uint32_t GloSeconds() const { return le::U4(At(3)); }
    std::int32_t Tk() const { return le::I4(At(11)); }
    double Tb() const { return le::R8(At(15)); }
    float TauN() const { return le::R4(At(23)); }
    float GammaN() const { return le::R4(At(27)); }
    double TauC() const { return le::R8(At(31)); }
    double PosX() const { return le::R8(At(39)); }
    double PosY() const { return le::R8(At(47)); }
    double PosZ() const { return le::R8(At(55)); }
    double VelX() const { return le::R8(At(63)); }
    double VelY() const { return le::R8(At(71)); }
    double VelZ() const { return le::R8(At(79)); }
    double AccX() const { return le::R8(At(87)); }
    double AccY() const { return le::R8(At(95)); }
    double AccZ() const { return le::R8(At(103)); }
    std::int8_t FrequencyNumber() const { return le::I1(At(119)); }
    std::uint8_t Age() const { return *At(120); }
    std::uint16_t GloHealth() const { return le::U2(At(121)); }
};

/// One accepted record of the index: where it lies in the file and when it was sent.
struct NavIndexEntry {
    std::int32_t satellite = 0;
    std::int64_t offset = 0;  ///< file offset of the record's first byte
    std::int32_t week = 0;    ///< GPS: sign-extended from 16 bits; GLONASS: zero-extended
    double seconds = 0.0;     ///< GPS: signed field; GLONASS: unsigned field
};

class EFileReader {
  public:
    /// The index count is a signed 16-bit number: a file with more accepted records is refused.
    static constexpr int kMaxRecords = 32767;
    /// The index grows in steps of this many entries.
    static constexpr std::size_t kGrowthStep = 100;

    std::int32_t StartWeek = 0;
    double StartSeconds = 0.0;
    std::int32_t EndWeek = 0;
    double EndSeconds = 0.0;

    /// Indexes the whole file (not owned; kept for NextRecord), sets the start and end times
    /// (-1 when no record was accepted) and leaves the file at offset 0. 1, or 0 when the index
    /// cannot be enlarged (memory exhausted, or more than kMaxRecords accepted records).
    int Open(std::FILE* file);
    /// Reads the next record in time order again from its offset (GPS angles in radians).
    /// 1, or 0 when all were handed out or the record cannot be read again.
    int NextRecord(AshNavRecord& record);
    /// Number of accepted records.
    int Count() const { return static_cast<int>(index_.size()); }
    /// The sorted index (read-only).
    const std::vector<NavIndexEntry>& Index() const { return index_; }

    /// Reads one record at the file's current position: zeroes it, reads the satellite number
    /// and the body, and turns the seven GPS angles from semicircles to radians in place.
    /// 1, or 0 on a short read.
    static int ReadRecord(std::FILE* file, AshNavRecord& record);

  private:
    std::FILE* file_ = nullptr;
    std::int16_t cursor_ = 0;
    std::vector<NavIndexEntry> index_;
};

}  // namespace kelvrant
