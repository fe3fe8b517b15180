// The units and flags of Ashtech raw observations: what the bits of an observation block's
// warning byte mean, and the constants that turn raw ranges, phases and Dopplers into RINEX
// units. Shared by the epoch converter and the clock-jump detectors.
#pragma once

#include <cstdint>

namespace kelvrant {

inline constexpr double kSpeedOfLight = 299792458.0;           ///< m/s
inline constexpr double kGpsL1Frequency = 1575.42e6;           ///< Hz
inline constexpr double kGpsL2Frequency = 1227.60e6;           ///< Hz
inline constexpr double kGpsL1Wavelength = 0.190293672798365;  ///< metres

/// The receiver's Doppler unit is 0.0001 Hz, with the opposite sign to RINEX.
inline constexpr double kDopplerToHz = -0.0001;

/// Bits of an observation block's warning byte.
namespace warning {
inline constexpr std::uint8_t kCarrierNotGood = 0x04;
inline constexpr std::uint8_t kCodeNotGood = 0x08;
inline constexpr std::uint8_t kBit4 = 0x10;  ///< a further receiver warning, never mapped
/// P-code tracked under anti-spoofing: RINEX loss-of-lock bit 2.
inline constexpr std::uint8_t kAntiSpoofing = 0x20;
inline constexpr std::uint8_t kLossOfLock = 0xC0;
/// Blocks with any of these are not trusted to show a clock jump.
inline constexpr std::uint8_t kNotForJumps = kLossOfLock | kBit4 | kCodeNotGood | kCarrierNotGood;
}  // namespace warning

/// The measurement quality at which the receiver's millisecond clock jumps become detectable.
inline constexpr std::uint8_t kQualityClockJumps = 24;

}  // namespace kelvrant
