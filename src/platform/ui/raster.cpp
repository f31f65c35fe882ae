#include "platform/ui/raster.h"

#include <algorithm>
#include <cmath>

namespace raster {

namespace {

// Products of a line length and a coordinate difference outgrow 64 bits for
// coordinates near the int limits, so the clipping arithmetic is done wider.
using Wide = __int128;

template <class T>
std::int64_t CeilDivPositive(T a, T b) { return static_cast<std::int64_t>((a + b - 1) / b); }
template <class T>
std::int64_t FloorDivPositive(T a, T b) { return static_cast<std::int64_t>(a / b); }

// Below 2^30 every product of the clipping fits 64 bits: the screen's lines
// take the fast division, lines far outside the picture the wide one.
bool Narrow(std::int64_t v) { return v > -(std::int64_t{1} << 30) && v < (std::int64_t{1} << 30); }

// The first and last steps inside the minor bounds, and off(lo) with its
// remainder, in arithmetic of type T.
template <class T>
void ClipMinor(LinePlan& p, std::int64_t kLo, std::int64_t kHi, std::int64_t& lo, std::int64_t& hi) {
  const T twoMajor = 2 * static_cast<T>(p.majorLen);
  const T twoMinor = 2 * static_cast<T>(p.minorLen);
  if (kLo > 0) lo = std::max(lo, CeilDivPositive<T>(twoMajor * kLo - p.majorLen, twoMinor));
  hi = std::min(hi, FloorDivPositive<T>(twoMajor * kHi + p.majorLen - 1, twoMinor));
}
template <class T>
void StartOffset(LinePlan& p, std::int64_t lo) {
  const T num = 2 * static_cast<T>(lo) * p.minorLen + p.majorLen;
  const T twoMajor = 2 * static_cast<T>(p.majorLen);
  p.quot = static_cast<std::int64_t>(num / twoMajor);
  p.rem = static_cast<std::int64_t>(num % twoMajor);
}

// Floor division for any sign of the dividend (divisor > 0).
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

}  // namespace

void ClipPlan(LinePlan& p, const Box& box) {
  std::int64_t majorLo, majorHi, minorLo, minorHi;
  if (p.xMajor) {
    majorLo = box.xmin;
    majorHi = box.xmax;
    minorLo = box.ymin;
    minorHi = box.ymax;
  } else {
    majorLo = box.ymin;
    majorHi = box.ymax;
    minorLo = box.xmin;
    minorHi = box.xmax;
  }
  p.first = 0;
  p.last = -1;

  // Steps allowed by the major axis.
  std::int64_t lo, hi;
  if (p.majorStep > 0) {
    lo = majorLo - p.major0;
    hi = majorHi - p.major0;
  } else {
    lo = p.major0 - majorHi;
    hi = p.major0 - majorLo;
  }
  // Minor offsets allowed; off(i) never decreases, so each bound becomes a
  // bound on i.
  std::int64_t kLo, kHi;
  if (p.minorStep > 0) {
    kLo = minorLo - p.minor0;
    kHi = minorHi - p.minor0;
  } else {
    kLo = p.minor0 - minorHi;
    kHi = p.minor0 - minorLo;
  }
  if (kHi < 0) return;
  if (p.minorLen == 0) {
    if (kLo > 0) return;
  } else if (Narrow(p.majorLen) && Narrow(kLo) && Narrow(kHi)) {
    ClipMinor<std::int64_t>(p, kLo, kHi, lo, hi);
  } else {
    ClipMinor<Wide>(p, kLo, kHi, lo, hi);
  }
  lo = std::max<std::int64_t>(lo, 0);
  hi = std::min(hi, p.count - 1);
  if (lo > hi) return;
  p.first = lo;
  p.last = hi;
  if (p.majorLen == 0) {
    p.quot = 0;
    p.rem = 0;
  } else if (lo == 0) {
    p.quot = 0;  // off(0) = majorLen div 2 majorLen
    p.rem = p.majorLen;
  } else if (Narrow(p.majorLen)) {
    StartOffset<std::int64_t>(p, lo);
  } else {
    StartOffset<Wide>(p, lo);
  }
  return;
}

void EllipseSpans(int x1, int y1, int x2, int y2, int rowMin, int rowMax, std::vector<Span>& out) {
  out.clear();
  const std::int64_t w = static_cast<std::int64_t>(x2) - x1;
  const std::int64_t h = static_cast<std::int64_t>(y2) - y1;
  if (w <= 0 || h <= 0) return;
  const int top = std::max(y1, rowMin);
  const int bottom = static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(y2) - 1, rowMax));
  // Radii measured between the centres of the outermost pixels, so that the
  // extreme rows and columns of the box are reached.
  const double ra = (static_cast<double>(w) - 1) / 2;
  const double rb = (static_cast<double>(h) - 1) / 2;
  // Centre pixel(s) of each row and column: one for an odd size, two for an
  // even one (then each lies half a pixel from the centre).
  const std::int64_t centreLeft = FloorDiv(static_cast<std::int64_t>(x1) + x2 - 1, 2);
  const std::int64_t centreRight = FloorDiv(static_cast<std::int64_t>(x1) + x2, 2);
  const std::int64_t centreTop = FloorDiv(static_cast<std::int64_t>(y1) + y2 - 1, 2);
  const std::int64_t centreBottom = FloorDiv(static_cast<std::int64_t>(y1) + y2, 2);
  const double gapX = static_cast<double>(centreRight - centreLeft) / 2;  // 0 or 0.5
  const double gapY = static_cast<double>(centreBottom - centreTop) / 2;
  const double cy = static_cast<double>(centreTop + centreBottom + 1) / 2;
  constexpr double kSlack = 1e-9;
  for (int y = top; y <= bottom; ++y) {
    // Sampled along the row: the curve's half width at this row, rounded to
    // the nearest pixel.
    double halfWidth = ra;
    if (rb > 0) {
      const double dy = (y + 0.5 - cy) / rb;
      halfWidth = ra * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    }
    std::int64_t extra = static_cast<std::int64_t>(std::floor(std::max(0.0, halfWidth - gapX) + 0.5));
    // Sampled along the columns: the columns whose rounded half height
    // reaches this row. Flat ellipses need this to reach their ends.
    const std::int64_t k = y < centreTop ? centreTop - y : (y > centreBottom ? y - centreBottom : 0);
    if (k == 0) {
      extra = std::max<std::int64_t>(extra, w);
    } else {
      const double need = static_cast<double>(k) - 0.5 + gapY;
      if (rb > 0 && need <= rb) {
        const double q = need / rb;
        const double dxMax = ra * std::sqrt(std::max(0.0, 1.0 - q * q));
        if (dxMax + kSlack >= gapX)
          extra = std::max(extra, static_cast<std::int64_t>(std::floor(dxMax - gapX + kSlack)));
      }
    }
    std::int64_t left = centreLeft - extra;
    std::int64_t right = centreRight + extra;
    left = std::max<std::int64_t>(left, x1);
    right = std::min<std::int64_t>(right, static_cast<std::int64_t>(x2) - 1);
    out.push_back(Span{y, static_cast<int>(left), static_cast<int>(right)});
  }
}

}  // namespace raster
