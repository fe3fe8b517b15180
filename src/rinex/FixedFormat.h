// Fast number formatting for the observation writer's hot path, producing exactly the bytes
// of printf's "%W.Pf" and "%Wld" / "%0Wld" forms without a printf call.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelvrant {

/// The most characters AppendFixed writes for a precision up to 9 and a width up to 20
/// (the widest double has 309 integral digits).
inline constexpr std::size_t kMaxFixedChars = 340;

/// Writes `value` as printf's "%<width>.<precision>f" does (right-aligned, '-' for negative
/// values and negative zero, "nan"/"-nan"/"inf"/"-inf" for non-finite values) and returns
/// the end. `precision` 0..9, `width` 0..20; `out` must have room for kMaxFixedChars.
char* AppendFixed(char* out, double value, int width, int precision);

namespace fixed_detail {
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";
inline constexpr std::uint64_t kPow10[20] = {1ULL,
                                             10ULL,
                                             100ULL,
                                             1000ULL,
                                             10000ULL,
                                             100000ULL,
                                             1000000ULL,
                                             10000000ULL,
                                             100000000ULL,
                                             1000000000ULL,
                                             10000000000ULL,
                                             100000000000ULL,
                                             1000000000000ULL,
                                             10000000000000ULL,
                                             100000000000000ULL,
                                             1000000000000000ULL,
                                             10000000000000000ULL,
                                             100000000000000000ULL,
                                             1000000000000000000ULL,
                                             10000000000000000000ULL};
// GCC's and Clang's 128-bit integer (an extension, hence the marker for -Wpedantic).
__extension__ typedef unsigned __int128 UInt128;
// The fraction bits of `mantissa` below bit k, times `scale`, rounded to nearest with ties to
// even: adding half a unit less one, plus the last digit's parity, carries exactly when the
// rest is above half a unit, or is half and the digit odd. `Wide` must hold 53 bits times
// `scale` and k bits more.
template <typename Wide>
inline std::uint64_t RoundedFraction(std::uint64_t mantissa, int k, std::uint64_t scale) {
    const Wide mask = (Wide{1} << k) - 1;
    const Wide scaled = (Wide{mantissa} & mask) * scale;
    const Wide parity = (scaled >> k) & 1;
    return static_cast<std::uint64_t>((scaled + (mask >> 1) + parity) >> k);
}
inline void PutPair(char* p, std::uint64_t v) {
    std::memcpy(p, &kDigitPairs[v * 2], 2);
}
}  // namespace fixed_detail

/// AppendFixed for a precision known when compiling: the same bytes, inlined into the
/// observation lines. Values that fit their width take the short way; the rest (wider
/// values, non-finite ones, huge ones) AppendFixed's. `out` must have room for
/// kMaxFixedChars, also beyond the end returned.
template <int Precision>
inline char* AppendFixedAt(char* out, double value, int width) {
    static_assert(Precision >= 1 && Precision <= 9);
    using namespace fixed_detail;
    // Bits needed to hold 10^Precision, so that a fraction scaled by it stays within 64 bits.
    constexpr int kBits = Precision * 3 + (Precision + 2) / 3;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const int e = biased - 1023;
    const int k = 52 - e;  // fraction bits of the value
    std::uint64_t integral = 0;
    std::uint32_t fraction = 0;  // the Precision digits after the point
    // Zero, subnormals and values below half a unit of the last digit round to zero.
    if (biased != 0 && e + 1 > -(kBits + 1)) {
        if (k < 1 || e + 1 + kBits > 63) return AppendFixed(out, value, width, Precision);
        // Exactly as printf rounds the binary value: to nearest, ties to even (without a
        // branch: which way a value rounds is as good as random). The last digit's parity is
        // that of the fraction digits alone, 10^Precision being even; a fraction rounded up
        // to 10^Precision carries into the integral part.
        const std::uint64_t mantissa =
            (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
        // Values below 2^(kBits - 10), as the seconds and clock offsets of epoch lines, need
        // more than 64 bits for their scaled fraction.
        const std::uint64_t digits =
            k + kBits <= 63 ? RoundedFraction<std::uint64_t>(mantissa, k, kPow10[Precision])
                            : RoundedFraction<UInt128>(mantissa, k, kPow10[Precision]);
        integral = k < 64 ? mantissa >> k : 0;
        const std::uint64_t carry = static_cast<std::uint64_t>(digits == kPow10[Precision]);
        integral += carry;
        fraction = static_cast<std::uint32_t>(digits - carry * kPow10[Precision]);
    }
    // Written backwards from the end of the field; it must hold sign, digits and point.
    const int room = width - Precision - 1 - (negative ? 1 : 0);
    if (room < 1 || room > 19 || integral >= kPow10[room])
        return AppendFixed(out, value, width, Precision);
    // Blanks first (one store for the usual widths), then the text over their end.
    if (width <= 16)
        std::memcpy(out, "                ", 16);
    else
        std::memset(out, ' ', static_cast<std::size_t>(width));
    char* p = out + width;
    for (int left = Precision; left >= 2; left -= 2) {
        p -= 2;
        PutPair(p, fraction % 100);
        fraction /= 100;
    }
    if constexpr (Precision % 2 == 1) *--p = static_cast<char>('0' + fraction);
    *--p = '.';
    // 32-bit division is the cheaper one; the values of observations nearly always fit.
    while (integral > 0xFFFFFFFFU) {
        p -= 2;
        PutPair(p, integral % 100);
        integral /= 100;
    }
    auto small = static_cast<std::uint32_t>(integral);
    // Four digits a step, as two independent pairs: half the steps of a pair at a time.
    while (small >= 10000) {
        const std::uint32_t four = small % 10000;
        small /= 10000;
        p -= 4;
        PutPair(p, four / 100);
        PutPair(p + 2, four % 100);
    }
    if (small >= 100) {
        p -= 2;
        PutPair(p, small % 100);
        small /= 100;
    }
    if (small >= 10) {
        p -= 2;
        PutPair(p, small);
    } else {
        *--p = static_cast<char>('0' + small);
    }
    // The sign without a branch: a positive value writes its first digit over itself.
    p -= negative ? 1 : 0;
    *p = negative ? '-' : *p;
    return out + width;
}

/// Writes `value` as printf's "%<width>ld" (zeroPad false) or "%0<width>ld" (zeroPad true)
/// does and returns the end. `width` 0..20; `out` must have room for 21 characters.
char* AppendInt(char* out, std::int64_t value, int width, bool zeroPad);

/// AppendInt for a width of 2 or 3 known when compiling: values 0..99, the fields of epoch
/// lines, are written inline; the rest go to AppendInt. `out` must have room for 21
/// characters.
template <int Width, bool ZeroPad>
inline char* AppendIntAt(char* out, std::int64_t value) {
    static_assert(Width == 2 || Width == 3);
    if (value < 0 || value > 99) return AppendInt(out, value, Width, ZeroPad);
    const auto v = static_cast<std::uint64_t>(value);
    if constexpr (Width == 3) *out++ = ZeroPad ? '0' : ' ';
    fixed_detail::PutPair(out, v);
    if (!ZeroPad && v < 10) out[0] = ' ';
    return out + 2;
}

}  // namespace kelvrant
