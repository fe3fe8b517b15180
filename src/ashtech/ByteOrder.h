// Little-endian field decoding and encoding at byte offsets. Every binary field is read from
// bytes by shifts and std::bit_cast; no byte buffer is ever reinterpreted as a struct.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace kelvrant::le {

static_assert(std::numeric_limits<double>::is_iec559, "IEEE 754 binary64 required");
static_assert(std::numeric_limits<float>::is_iec559, "IEEE 754 binary32 required");

inline std::uint8_t U1(const std::uint8_t* p) {
    return p[0];
}
inline std::int8_t I1(const std::uint8_t* p) {
    return std::bit_cast<std::int8_t>(p[0]);
}
inline std::uint16_t U2(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int16_t I2(const std::uint8_t* p) {
    return std::bit_cast<std::int16_t>(U2(p));
}
inline std::uint32_t U4(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t I4(const std::uint8_t* p) {
    return std::bit_cast<std::int32_t>(U4(p));
}
inline std::uint64_t U8(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(U4(p)) | (static_cast<std::uint64_t>(U4(p + 4)) << 32);
}
inline float R4(const std::uint8_t* p) {
    return std::bit_cast<float>(U4(p));
}
inline double R8(const std::uint8_t* p) {
    return std::bit_cast<double>(U8(p));
}

inline void PutU1(std::uint8_t* p, std::uint8_t v) {
    p[0] = v;
}
inline void PutU2(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutI2(std::uint8_t* p, std::int16_t v) {
    PutU2(p, std::bit_cast<std::uint16_t>(v));
}
inline void PutU4(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutI4(std::uint8_t* p, std::int32_t v) {
    PutU4(p, std::bit_cast<std::uint32_t>(v));
}
inline void PutU8(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void PutR4(std::uint8_t* p, float v) {
    PutU4(p, std::bit_cast<std::uint32_t>(v));
}
inline void PutR8(std::uint8_t* p, double v) {
    PutU8(p, std::bit_cast<std::uint64_t>(v));
}

}  // namespace kelvrant::le
