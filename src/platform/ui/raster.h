// The canvas's own line and ellipse stepping, with the pixel choices of GDI
// cosmetic pens. Nothing here touches an image: the walkers hand out pixel
// coordinates and the canvas decides what a pixel becomes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace raster {

// Pixels of a 32-bit image: row y starts at bits + y * stride.
struct Surface {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // in pixels
  int w = 0, h = 0;
};

// Inclusive bounds of the coordinates a walker may hand out.
struct Box {
  std::int64_t xmin, xmax, ymin, ymax;
};

// A line reduced to its major axis: step i (0..count-1) lies at
// major = major0 + majorStep * i, minor = minor0 + minorStep * off(i), with
// off(i) = floor((2 i minorLen + majorLen) / (2 majorLen)) (Bresenham, halves
// rounded away from the start).
struct LinePlan {
  bool xMajor = true;
  std::int64_t major0 = 0, minor0 = 0;
  int majorStep = 1, minorStep = 1;
  std::int64_t majorLen = 0, minorLen = 0;
  std::int64_t count = 0;  // pixels of the whole line
  // The part of 0..count-1 that lies inside the box; empty when first > last.
  std::int64_t first = 0, last = -1;
  // off(first) and its remainder, to start stepping there.
  std::int64_t quot = 0, rem = 0;
};

// Cuts a plan whose ends are not both inside the box down to the box.
void ClipPlan(LinePlan& p, const Box& box);

// Plans the line from (x1, y1) to (x2, y2), leaving out the end pixel unless
// includeLast, and clips it to box analytically: the pixels kept are exactly
// those the unclipped line would have inside the box, however far away its
// ends are. Inline: a trace is hundreds of short lines.
inline LinePlan PlanLine(int x1, int y1, int x2, int y2, bool includeLast, const Box& box) {
  LinePlan p;
  const std::int64_t dx = static_cast<std::int64_t>(x2) - x1;
  const std::int64_t dy = static_cast<std::int64_t>(y2) - y1;
  const std::int64_t adx = dx < 0 ? -dx : dx;
  const std::int64_t ady = dy < 0 ? -dy : dy;
  p.xMajor = adx >= ady;
  p.major0 = p.xMajor ? x1 : y1;
  p.minor0 = p.xMajor ? y1 : x1;
  p.majorStep = (p.xMajor ? dx : dy) < 0 ? -1 : 1;
  p.minorStep = (p.xMajor ? dy : dx) < 0 ? -1 : 1;
  p.majorLen = p.xMajor ? adx : ady;
  p.minorLen = p.xMajor ? ady : adx;
  p.count = p.majorLen + (includeLast ? 1 : 0);
  if (p.count == 0) return p;
  // Off(0) = majorLen div 2 majorLen, remainder majorLen (0 for a point).
  p.first = 0;
  p.last = p.count - 1;
  p.quot = 0;
  p.rem = p.majorLen;
  // Both ends inside the box (most of the lines drawn): every pixel lies
  // between them, so nothing is clipped.
  const auto inside = [&box](std::int64_t x, std::int64_t y) {
    return x >= box.xmin && x <= box.xmax && y >= box.ymin && y <= box.ymax;
  };
  if (!inside(x1, y1) || !inside(x2, y2)) ClipPlan(p, box);
  return p;
}

// Calls f(x, y, i) for every pixel of the planned line inside the box, i being
// the pixel's index along the whole line.
template <class F>
inline void WalkLine(const LinePlan& p, F&& f) {
  if (p.first > p.last) return;
  const std::int64_t twoMajor = 2 * p.majorLen, twoMinor = 2 * p.minorLen;
  std::int64_t q = p.quot, r = p.rem;
  std::int64_t major = p.major0 + p.majorStep * p.first;
  for (std::int64_t i = p.first; i <= p.last; ++i) {
    const std::int64_t minor = p.minor0 + p.minorStep * q;
    if (p.xMajor)
      f(static_cast<int>(major), static_cast<int>(minor), i);
    else
      f(static_cast<int>(minor), static_cast<int>(major), i);
    major += p.majorStep;
    r += twoMinor;
    if (r >= twoMajor) {
      r -= twoMajor;
      ++q;
    }
  }
}

// One row of a filled ellipse: pixels left..right (inclusive) of row y.
struct Span {
  int y, left, right;
};

// The rows rowMin..rowMax (limited to the box) of the filled ellipse inscribed
// in the box x1..x2-1, y1..y2-1 (ordered, non-empty), top to bottom. Every row
// of the box holds at least its centre pixel(s), and the widest rows reach the
// box's left and right columns, as a midpoint ellipse does.
void EllipseSpans(int x1, int y1, int x2, int y2, int rowMin, int rowMax, std::vector<Span>& out);

}  // namespace raster
