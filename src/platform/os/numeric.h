// Pascal-style arithmetic that the instrument code relies on: round to nearest
// with ties to even, trunc toward zero, and conversions that never turn a NaN or
// an infinity into an integer (undefined in C++).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace numeric {

// Nearest integer, ties to even; NaN gives `fallback`, infinities and values
// beyond the 64-bit range saturate.
std::int64_t Round(double x, std::int64_t fallback = 0);
// Drops the fraction; NaN gives `fallback`, out-of-range values saturate.
std::int64_t Trunc(double x, std::int64_t fallback = 0);
// Same for 32-bit targets.
std::int32_t Round32(double x, std::int32_t fallback = 0);
std::int32_t Trunc32(double x, std::int32_t fallback = 0);

// Numbers as the entry fields take them: a comma stands for the decimal
// point, blanks around the number are ignored; anything else (or a number
// beyond the double range) gives nothing.
std::optional<double> ParseEntryNumber(const std::string& text);

// Masks every floating-point exception and selects round to nearest, so a
// division by zero yields an infinity or NaN instead of a trap.
void SetupFloatingPoint();

}  // namespace numeric
