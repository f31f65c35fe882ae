#include "platform/os/numeric.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

TEST(NumericTest, RoundGoesToNearestWithTiesToEven) {
  struct Case {
    double x;
    std::int64_t expected;
  } cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {3.5, 4},   {-0.5, 0},  {-1.5, -2},
               {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {-2.5001, -3}, {124.5, 124}, {125.5, 126},
               {0.0, 0},   {-0.0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(numeric::Round(c.x), c.expected) << c.x;
    EXPECT_EQ(numeric::Round32(c.x), c.expected) << c.x;
  }
  // The last half-step a double can hold.
  EXPECT_EQ(numeric::Round(4503599627370495.5), 4503599627370496);
  EXPECT_EQ(numeric::Round(-4503599627370494.5), -4503599627370494);
}

TEST(NumericTest, RoundStaysTiesToEvenUnderAnotherRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    EXPECT_EQ(numeric::Round(2.5), 2) << mode;
    EXPECT_EQ(numeric::Round(3.5), 4) << mode;
    EXPECT_EQ(numeric::Round(-2.5), -2) << mode;
    EXPECT_EQ(numeric::Round(2.2), 2) << mode;
    EXPECT_EQ(numeric::Round(-2.7), -3) << mode;
    EXPECT_EQ(numeric::Round32(-3.5), -4) << mode;
  }
  std::fesetround(saved);
}

TEST(NumericTest, TruncDropsTheFraction) {
  EXPECT_EQ(numeric::Trunc(1.999), 1);
  EXPECT_EQ(numeric::Trunc(-1.999), -1);
  EXPECT_EQ(numeric::Trunc(-0.5), 0);
  EXPECT_EQ(numeric::Trunc32(254.99), 254);
  EXPECT_EQ(numeric::Trunc32(-128.7), -128);
}

TEST(NumericTest, NaNGivesTheFallbackAndLargeValuesSaturate) {
  EXPECT_EQ(numeric::Round(kNaN), 0);
  EXPECT_EQ(numeric::Round(kNaN, 77), 77);
  EXPECT_EQ(numeric::Trunc(kNaN, -5), -5);
  EXPECT_EQ(numeric::Round32(kNaN, 128), 128);
  EXPECT_EQ(numeric::Trunc32(-kNaN, 3), 3);

  EXPECT_EQ(numeric::Round(kInf), kMax64);
  EXPECT_EQ(numeric::Round(-kInf), kMin64);
  EXPECT_EQ(numeric::Trunc(1e300), kMax64);
  EXPECT_EQ(numeric::Trunc(-1e300), kMin64);
  EXPECT_EQ(numeric::Round(9223372036854775808.0), kMax64);  // 2^63

  EXPECT_EQ(numeric::Round32(kInf), kMax32);
  EXPECT_EQ(numeric::Trunc32(-kInf), kMin32);
  EXPECT_EQ(numeric::Round32(3e9), kMax32);
  EXPECT_EQ(numeric::Round32(-3e9), kMin32);
  EXPECT_EQ(numeric::Round32(2147483647.4), kMax32);
  EXPECT_EQ(numeric::Round32(2147483646.5), 2147483646);
  EXPECT_EQ(numeric::Trunc32(2147483647.9), kMax32);
  EXPECT_EQ(numeric::Trunc32(-2147483648.9), kMin32);
  EXPECT_EQ(numeric::Trunc32(-2147483647.9), -2147483647);
}

TEST(NumericTest, DivisionByZeroGivesInfinityWithoutTrap) {
#if defined(__GLIBC__)
  // Even with traps switched on before, the setup masks them.
  feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
#endif
  std::fesetround(FE_DOWNWARD);
  numeric::SetupFloatingPoint();
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
  volatile double zero = 0.0;
  volatile double one = 1.0;
  double inf = one / zero;
  double neg = -one / zero;
  double nan = zero / zero;
  double big = 1e308 * (one * 10.0);
  EXPECT_TRUE(std::isinf(inf) && inf > 0);
  EXPECT_TRUE(std::isinf(neg) && neg < 0);
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_TRUE(std::isinf(big));
  EXPECT_EQ(numeric::Round32(inf / 2), kMax32);
  EXPECT_EQ(numeric::Trunc32(nan, 9), 9);
}

}  // namespace
