// The computed math trace point by point: sum and difference on the coarser
// channel's scale with halves rounded to even, product and quotient in volts,
// saturation at the screen's edges, and a grounded divisor.
#include <gtest/gtest.h>

#include "display/math_trace.h"

namespace {

using display::MathCode;
using display::MathFunction;

TEST(MathTrace, CodesAtMixedRangesAndTheEdges) {
  struct Row {
    MathFunction f;
    int c1, c2;    // codes from each channel's ground
    double a1, a2; // mV/div
    int expected;  // 127 = zero
  };
  const Row rows[] = {
      // CH1 1 V/div, CH2 0.1 V/div: CH2 is scaled by 0.1 onto CH1's scale.
      {MathFunction::Sum, 40, -50, 1000, 100, 40 - 5 + 127},
      {MathFunction::Difference, 40, -50, 1000, 100, 40 + 5 + 127},
      // CH1 the finer one: CH1 scaled instead.
      {MathFunction::Sum, -50, 40, 100, 1000, -5 + 40 + 127},
      {MathFunction::Difference, -50, 40, 100, 1000, -5 - 40 + 127},
      // 0.1 x 25 = 2.5 rounds to 2, 0.1 x 35 = 3.5 to 4.
      {MathFunction::Sum, 0, 25, 1000, 100, 129},
      {MathFunction::Sum, 0, 35, 1000, 100, 131},
      // Equal ranges add as they are; the screen's edges hold.
      {MathFunction::Sum, 10, 20, 300, 300, 157},
      {MathFunction::Sum, 200, 200, 300, 300, 255},
      {MathFunction::Difference, -200, 200, 300, 300, 0},
      // Product in V^2 on the coarser volts scale (32 codes a division):
      // 1 V x 1 V = 1 -> 32 codes at 1 V/div; 2 V x -1 V = -2 -> -64.
      {MathFunction::Product, 32, 32, 1000, 1000, 159},
      {MathFunction::Product, 64, -32, 1000, 1000, 63},
      // 1 V x 0.05 V (16 codes at 0.1 V/div... of 100 mV: 0.5 div) at 1 V/div: 0.05 -> 1.6 -> 2.
      {MathFunction::Product, 32, 16, 1000, 100, 129},
      // Quotient: 2 V / 1 V = 2 -> 64 codes at 1 V/div.
      {MathFunction::Quotient, 64, 32, 1000, 1000, 191},
      // 0.1 V / 1 V = 0.1 -> 3.2 codes -> 3.
      {MathFunction::Quotient, 32, 32, 100, 1000, 130},
      // A grounded divisor: divided by 0.00001 V, saturated, no division error.
      {MathFunction::Quotient, 10, 0, 1000, 1000, 255},
      {MathFunction::Quotient, -10, 0, 1000, 1000, 0},
      {MathFunction::Quotient, 0, 0, 1000, 1000, 127},
      {MathFunction::Quotient, 255, 0, 3000, 10, 255},
  };
  for (const Row& r : rows)
    EXPECT_EQ(MathCode(r.f, r.c1, r.c2, r.a1, r.a2), r.expected)
        << static_cast<int>(r.f) << " c1=" << r.c1 << " c2=" << r.c2 << " a1=" << r.a1 << " a2=" << r.a2;
}

TEST(MathTrace, UnknownRangeCodeKeepsTheCurrentScale) {
  EXPECT_EQ(display::MilliVoltsOfRange(30, 5), 10);
  EXPECT_EQ(display::MilliVoltsOfRange(1, 5), 3000);
  EXPECT_EQ(display::MilliVoltsOfRange(0, 300), 300);
  EXPECT_EQ(display::MilliVoltsOfRange(255, 1000), 1000);
}

}  // namespace
