// The ION file: GPS ionosphere coefficients and GPS-UTC parameters, one 74-byte record.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

#include "ashtech/ByteOrder.h"

namespace kelvrant {

struct IonRecord {
    static constexpr std::size_t kSize = 74;
    std::int32_t loaded = 0;  ///< 0: no ION values for this job
    std::array<std::uint8_t, kSize> bytes{};

    float Alpha(int i) const { return le::R4(&bytes[static_cast<std::size_t>(4 * i)]); }
    float Beta(int i) const { return le::R4(&bytes[static_cast<std::size_t>(16 + 4 * i)]); }
    double A1() const { return le::R8(&bytes[32]); }  // A1 is stored before A0
    double A0() const { return le::R8(&bytes[40]); }
    std::int32_t T() const { return le::I4(&bytes[48]); }
    std::int16_t W() const { return le::I2(&bytes[52]); }
    std::int16_t LeapSeconds() const { return le::I2(&bytes[54]); }
};

/// Reads the first 74 bytes of the file. 1, or 0 (no file, short read; loaded flag unchanged).
int ReadIonFile(IonRecord& record, std::FILE* file);
/// Marks the record as not loaded.
void ClearIonRecord(IonRecord& record);

}  // namespace kelvrant
