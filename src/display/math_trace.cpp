#include "display/math_trace.h"

#include <algorithm>
#include <cmath>

#include "platform/os/numeric.h"

namespace display {

namespace {

constexpr double kCodesTimesMilli = 32000.0;  // 32 codes per division, in millivolts
constexpr double kDivisorFloor = 0.00001;     // a grounded divisor in volts

// Nearest integer, halves to even; values far off the screen saturate.
std::int64_t RoundCode(double v) { return numeric::Round(std::clamp(v, -1e12, 1e12)); }

}  // namespace

double MilliVoltsOfRange(std::uint8_t rangeCode, double current) {
  switch (rangeCode) {
    case 30: return 10;
    case 13: return 30;
    case 29: return 100;
    case 11: return 300;
    case 27: return 1000;
    case 1: return 3000;
    default: return current;
  }
}

std::int32_t MathCode(MathFunction function, std::int64_t c1, std::int64_t c2, double a1, double a2) {
  // The finer channel is brought to the coarser one's scale; equal ranges take CH2's.
  const double coarser = a1 > a2 ? a1 : a2;
  const double q = coarser > 0 ? std::min(a1, a2) / coarser : 1.0;
  std::int64_t m = 127;
  switch (function) {
    case MathFunction::Sum:
      m = a1 > a2 ? c1 + RoundCode(q * static_cast<double>(c2)) + 127 : RoundCode(q * static_cast<double>(c1)) + c2 + 127;
      break;
    case MathFunction::Difference:
      m = a1 > a2 ? c1 - RoundCode(q * static_cast<double>(c2)) + 127 : RoundCode(q * static_cast<double>(c1)) - c2 + 127;
      break;
    case MathFunction::Product: {
      const double v1 = a1 * static_cast<double>(c1) / kCodesTimesMilli;
      const double v2 = a2 * static_cast<double>(c2) / kCodesTimesMilli;
      m = RoundCode(v1 * v2 * kCodesTimesMilli / coarser) + 127;
      break;
    }
    case MathFunction::Quotient: {
      const double v1 = a1 * static_cast<double>(c1) / kCodesTimesMilli;
      double v2 = a2 * static_cast<double>(c2) / kCodesTimesMilli;
      if (v2 == 0) v2 = kDivisorFloor;
      m = RoundCode(v1 / v2 * kCodesTimesMilli / coarser) + 127;
      break;
    }
  }
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(m, 0, 255));
}

}  // namespace display
