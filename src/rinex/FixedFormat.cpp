// Fast printf-identical number formatting (see FixedFormat.h).
#include "rinex/FixedFormat.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

namespace kelvrant {
namespace {

constexpr std::uint64_t kPow10[10] = {1,      10,      100,      1000,      10000,
                                      100000, 1000000, 10000000, 100000000, 1000000000};
// Bits needed to hold 10^p, so that a fraction scaled by it stays within 64 bits.
constexpr int kPow10Bits[10] = {1, 4, 7, 10, 14, 17, 20, 24, 27, 30};

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of v (0..99) at p.
inline void PutPair(char* p, std::uint32_t v) {
    std::memcpy(p, &kDigitPairs[static_cast<std::size_t>(v) * 2], 2);
}

// Decimal digits of n (below 10^8) written backwards ending at `end`; returns the first digit.
char* SmallDigitsBackward(char* end, std::uint32_t n) {
    while (n >= 100) {
        const std::uint32_t pair = n % 100;
        n /= 100;
        end -= 2;
        PutPair(end, pair);
    }
    if (n >= 10) {
        end -= 2;
        PutPair(end, n);
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
}

// Exactly eight digits of n (below 10^8), zeros in front, ending at `end`.
void EightDigitsBackward(char* end, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t pair = n % 100;
        n /= 100;
        end -= 2;
        PutPair(end, pair);
    }
}

// Decimal digits of n written backwards ending at `end`; returns the first digit. Works in
// 32-bit pieces of eight digits, which is cheaper than 64-bit division by 100.
char* DigitsBackward(char* end, std::uint64_t n) {
    constexpr std::uint64_t kEight = 100000000;
    while (n >= kEight) {
        EightDigitsBackward(end, static_cast<std::uint32_t>(n % kEight));
        n /= kEight;
        end -= 8;
    }
    return SmallDigitsBackward(end, static_cast<std::uint32_t>(n));
}

// The integral and fraction parts of a value scaled by 10^precision; a constant divisor for
// each precision lets the compiler multiply instead of divide.
template <int P>
void SplitBy(std::uint64_t scaled, std::uint64_t& integral, std::uint64_t& fraction) {
    integral = scaled / kPow10[P];
    fraction = scaled % kPow10[P];
}

void SplitScaled(std::uint64_t scaled, int precision, std::uint64_t& integral,
                 std::uint64_t& fraction) {
    switch (precision) {
        case 0:
            integral = scaled;
            fraction = 0;
            return;
        case 1:
            return SplitBy<1>(scaled, integral, fraction);
        case 2:
            return SplitBy<2>(scaled, integral, fraction);
        case 3:
            return SplitBy<3>(scaled, integral, fraction);
        case 4:
            return SplitBy<4>(scaled, integral, fraction);
        case 5:
            return SplitBy<5>(scaled, integral, fraction);
        case 6:
            return SplitBy<6>(scaled, integral, fraction);
        case 7:
            return SplitBy<7>(scaled, integral, fraction);
        case 8:
            return SplitBy<8>(scaled, integral, fraction);
        default:
            return SplitBy<9>(scaled, integral, fraction);
    }
}

// How many decimal digits n has (at least 1).
int DigitCount(std::uint64_t n) {
    int count = 1;
    while (n >= 10000) {
        n /= 10000;
        count += 4;
    }
    if (n >= 1000) return count + 3;
    if (n >= 100) return count + 2;
    if (n >= 10) return count + 1;
    return count;
}

// Copies [text, text + length) right-aligned in `width` columns.
char* PadLeft(char* out, const char* text, std::size_t length, int width) {
    if (static_cast<std::size_t>(width) > length) {
        const std::size_t pad = static_cast<std::size_t>(width) - length;
        std::memset(out, ' ', pad);
        out += pad;
    }
    std::memmove(out, text, length);
    return out + length;
}

// The decimal value of |value| scaled by 10^precision and rounded to nearest, ties to even
// (as printf rounds the exact binary value), when it can be found with 64-bit integers.
bool ScaledDecimal(double magnitude, int precision, std::uint64_t& scaled) {
    if (magnitude == 0.0) {
        scaled = 0;
        return true;
    }
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    const int e = biased - 1023;
    const int k = 52 - e;  // fraction bits of the value
    const int pbits = kPow10Bits[precision];
    // Below 2^-(pbits + 1), which is less than half a unit of the last digit: rounds to 0.
    if (biased == 0 || e + 1 <= -(pbits + 1)) {
        scaled = 0;
        return true;
    }
    if (k < 0 || k + pbits > 63 || e + 1 + pbits > 63) return false;
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const std::uint64_t mask = k == 0 ? 0 : (std::uint64_t{1} << k) - 1;
    const std::uint64_t integral = mantissa >> k;
    const std::uint64_t fraction = (mantissa & mask) * kPow10[precision];
    std::uint64_t n = integral * kPow10[precision] + (fraction >> k);
    if (k > 0) {
        const std::uint64_t rest = fraction & mask;
        const std::uint64_t half = std::uint64_t{1} << (k - 1);
        n += static_cast<std::uint64_t>(rest > half) |
             (static_cast<std::uint64_t>(rest == half) & n & 1);
    }
    scaled = n;
    return true;
}

}  // namespace

char* AppendFixed(char* out, double value, int width, int precision) {
    const bool negative = std::signbit(value);
    const double magnitude = negative ? -value : value;
    std::uint64_t scaled = 0;
    if (precision >= 0 && precision <= 9 && ScaledDecimal(magnitude, precision, scaled)) {
        // Written in place: blanks, sign, integral digits, point, fraction digits.
        std::uint64_t integral = 0;
        std::uint64_t fraction = 0;
        SplitScaled(scaled, precision, integral, fraction);
        const int length =
            (negative ? 1 : 0) + DigitCount(integral) + (precision > 0 ? precision + 1 : 0);
        if (width > length) {
            std::memset(out, ' ', static_cast<std::size_t>(width - length));
            out += width - length;
        }
        char* const end = out + length;
        char* p = end;
        if (precision > 0) {
            // Exactly `precision` fraction digits, leading zeros included.
            auto f = static_cast<std::uint32_t>(fraction);
            int left = precision;
            for (; left >= 2; left -= 2) {
                p -= 2;
                PutPair(p, f % 100);
                f /= 100;
            }
            if (left == 1) *--p = static_cast<char>('0' + f % 10);
            *--p = '.';
        }
        p = DigitsBackward(p, integral);
        if (negative) *--p = '-';
        return end;
    }
    char text[kMaxFixedChars];
    const std::to_chars_result r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, precision);
    return PadLeft(out, text, static_cast<std::size_t>(r.ptr - text), width);
}

char* AppendInt(char* out, std::int64_t value, int width, bool zeroPad) {
    const bool negative = value < 0;
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
    char text[24];
    char* end = text + sizeof text;
    char* first = DigitsBackward(end, magnitude);
    std::size_t length = static_cast<std::size_t>(end - first) + (negative ? 1 : 0);
    if (zeroPad) {
        // printf puts the sign before the zeros.
        if (negative) *out++ = '-';
        while (static_cast<int>(length) < width) {
            *out++ = '0';
            ++length;
        }
        const std::size_t digits = static_cast<std::size_t>(end - first);
        std::memcpy(out, first, digits);
        return out + digits;
    }
    if (negative) *--first = '-';
    return PadLeft(out, first, static_cast<std::size_t>(end - first), width);
}

}  // namespace kelvrant
