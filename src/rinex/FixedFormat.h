// Fast number formatting for the observation writer's hot path, producing exactly the bytes
// of printf's "%W.Pf" and "%Wld" / "%0Wld" forms without a printf call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvrant {

/// The most characters AppendFixed writes for a precision up to 9 and a width up to 20
/// (the widest double has 309 integral digits).
inline constexpr std::size_t kMaxFixedChars = 340;

/// Writes `value` as printf's "%<width>.<precision>f" does (right-aligned, '-' for negative
/// values and negative zero, "nan"/"-nan"/"inf"/"-inf" for non-finite values) and returns
/// the end. `precision` 0..9, `width` 0..20; `out` must have room for kMaxFixedChars.
char* AppendFixed(char* out, double value, int width, int precision);

/// Writes `value` as printf's "%<width>ld" (zeroPad false) or "%0<width>ld" (zeroPad true)
/// does and returns the end. `width` 0..20; `out` must have room for 21 characters.
char* AppendInt(char* out, std::int64_t value, int width, bool zeroPad);

}  // namespace kelvrant
