// Pascal-style arithmetic that the instrument code relies on: round to nearest
// with ties to even, trunc toward zero, and conversions that never turn a NaN or
// an infinity into an integer (undefined in C++).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace numeric {

namespace detail {
template <typename T>
T Saturate(double x, T fallback) {
  if (std::isnan(x)) return fallback;
  // The largest double below 2^63 (or 2^31) converts safely.
  constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
  constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
  if (x >= hi) return std::numeric_limits<T>::max();
  if (x <= lo) return std::numeric_limits<T>::min();
  return static_cast<T>(x);
}

// Ties to even in integer arithmetic, whatever rounding mode the processor
// is in, for |x| < 2^52 (larger doubles hold no fraction).
inline std::int64_t RoundHalfEvenSmall(double x) {
  std::int64_t i = static_cast<std::int64_t>(x);
  const double f = x - static_cast<double>(i);  // exact
  if (f > 0.5 || (f == 0.5 && (i & 1))) ++i;
  else if (f < -0.5 || (f == -0.5 && (i & 1))) --i;
  return i;
}
inline constexpr double kNoFractionFrom = 4503599627370496.0;  // 2^52
}  // namespace detail

// Nearest integer, ties to even; NaN gives `fallback`, infinities and values
// beyond the 64-bit range saturate. Inline: the sample loops call it per sample.
inline std::int64_t Round(double x, std::int64_t fallback = 0) {
  if (std::fabs(x) < detail::kNoFractionFrom) return detail::RoundHalfEvenSmall(x);
  return detail::Saturate<std::int64_t>(x, fallback);
}
// Drops the fraction; NaN gives `fallback`, out-of-range values saturate.
inline std::int64_t Trunc(double x, std::int64_t fallback = 0) {
  return detail::Saturate<std::int64_t>(std::trunc(x), fallback);
}
// Same for 32-bit targets.
inline std::int32_t Round32(double x, std::int32_t fallback = 0) {
  if (std::fabs(x) < detail::kNoFractionFrom) {
    const std::int64_t r = detail::RoundHalfEvenSmall(x);
    if (r > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (r < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
  }
  return detail::Saturate<std::int32_t>(x, fallback);
}
inline std::int32_t Trunc32(double x, std::int32_t fallback = 0) {
  return detail::Saturate<std::int32_t>(std::trunc(x), fallback);
}

// Numbers as the entry fields take them: a comma stands for the decimal
// point, blanks around the number are ignored; anything else (or a number
// beyond the double range) gives nothing.
std::optional<double> ParseEntryNumber(const std::string& text);

// Masks every floating-point exception and selects round to nearest, so a
// division by zero yields an infinity or NaN instead of a trap.
void SetupFloatingPoint();

}  // namespace numeric
