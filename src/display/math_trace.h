// The computed traces of the math display over explicit inputs: the four
// arithmetic functions of the two channels' codes.
#pragma once

#include <cstdint>

namespace display {

enum class MathFunction { Sum, Difference, Product, Quotient };

// Volts/div of a range code in millivolts (probe factors not included);
// `current` for a code outside the table.
double MilliVoltsOfRange(std::uint8_t rangeCode, double current);

// The screen code (0..255, 127 = zero) of one point of the math trace, from
// the two channels' deviations from their ground codes (c1, c2) and their
// volts/div in millivolts (a1, a2). The result is drawn on the coarser
// channel's scale; a grounded divisor saturates the quotient instead of
// dividing by zero.
std::int32_t MathCode(MathFunction function, std::int64_t c1, std::int64_t c2, double a1, double a2);

}  // namespace display
