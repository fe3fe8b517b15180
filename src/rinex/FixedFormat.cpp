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

// Decimal digits of n written backwards ending at `end`; returns the first digit.
char* DigitsBackward(char* end, std::uint64_t n) {
    while (n >= 100) {
        const std::size_t i = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        *--end = kDigitPairs[i + 1];
        *--end = kDigitPairs[i];
    }
    if (n >= 10) {
        const std::size_t i = static_cast<std::size_t>(n) * 2;
        *--end = kDigitPairs[i + 1];
        *--end = kDigitPairs[i];
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
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
        if (rest > half || (rest == half && (n & 1) != 0)) ++n;
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
        char text[32];
        char* end = text + sizeof text;
        char* first = DigitsBackward(end, scaled);
        // At least one integral digit before the fraction digits.
        while (end - first < precision + 1)
            *--first = '0';
        if (precision > 0) {
            char* point = end - precision;
            std::memmove(first - 1, first, static_cast<std::size_t>(point - first));
            --first;
            *(point - 1) = '.';
        }
        if (negative) *--first = '-';
        return PadLeft(out, first, static_cast<std::size_t>(end - first), width);
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
