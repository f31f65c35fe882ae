#include "platform/ui/canvas.h"
#include "platform/os/files.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <QPainter>
#include <QString>

namespace {

// Raster operations on 0xFFRRGGBB pixels; the alpha byte always ends up 0xFF.
// kOnce marks the operations that would be undone by a second visit.
struct OpCopy {
  static constexpr bool kOnce = false;
  static std::uint32_t Apply(std::uint32_t, std::uint32_t pen) { return pen; }
};
struct OpNotXor {
  static constexpr bool kOnce = true;
  static std::uint32_t Apply(std::uint32_t px, std::uint32_t pen) { return ~(pen ^ px) | 0xFF000000u; }
};
struct OpXor {
  static constexpr bool kOnce = true;
  static std::uint32_t Apply(std::uint32_t px, std::uint32_t pen) { return (pen ^ px) | 0xFF000000u; }
};
struct OpNot {
  static constexpr bool kOnce = true;
  static std::uint32_t Apply(std::uint32_t px, std::uint32_t) { return ~px | 0xFF000000u; }
};

template <class F>
void WithOp(TPenMode mode, F&& f) {
  switch (mode) {
    case pmCopy: f(OpCopy{}); break;
    case pmNotXor: f(OpNotXor{}); break;
    case pmXor: f(OpXor{}); break;
    case pmNot: f(OpNot{}); break;
    case pmNop: break;
  }
}

inline bool Marked(const std::uint64_t* marks, std::size_t i) { return (marks[i >> 6] >> (i & 63)) & 1; }

// Sets the pixel's bit; false when it was set already.
inline bool Mark(std::uint64_t* marks, std::size_t i) {
  std::uint64_t& word = marks[i >> 6];
  const std::uint64_t bit = std::uint64_t{1} << (i & 63);
  if (word & bit) return false;
  word |= bit;
  return true;
}

// Writes one colour with one operation; with marks, a pixel is changed at
// most once per drawing call.
template <class Op>
struct Writer {
  raster::Surface s;
  std::uint32_t color = 0;
  std::uint64_t* marks = nullptr;  // one bit per pixel, by the pixel's index y * w + x

  void PutInside(int x, int y) {
    if (marks && !Mark(marks, static_cast<std::size_t>(y) * static_cast<std::size_t>(s.w) + static_cast<std::size_t>(x)))
      return;
    std::uint32_t& px = s.bits[y * s.stride + x];
    px = Op::Apply(px, color);
  }
  void Put(int x, int y) {
    if (x < 0 || y < 0 || x >= s.w || y >= s.h) return;
    PutInside(x, y);
  }
  // The pen's square footprint x+lo..x+hi, y+lo..y+hi, cut to the surface.
  void PutFootprint(int x, int y, int lo, int hi) {
    if (lo == 0 && hi == 0) {
      Put(x, y);
      return;
    }
    const int xa = std::max(0, x + lo), xb = std::min(s.w - 1, x + hi);
    const int ya = std::max(0, y + lo), yb = std::min(s.h - 1, y + hi);
    for (int yy = ya; yy <= yb; ++yy)
      for (int xx = xa; xx <= xb; ++xx) PutInside(xx, yy);
  }
  // Row y, columns x1..x2 (inclusive), cut to the surface.
  void PutRow(int y, std::int64_t x1, std::int64_t x2) {
    if (y < 0 || y >= s.h) return;
    const int xa = static_cast<int>(std::max<std::int64_t>(0, x1));
    const int xb = static_cast<int>(std::min<std::int64_t>(s.w - 1, x2));
    if constexpr (std::is_same_v<Op, OpCopy>) {
      // A copied row is the colour, whatever was there: filled as a block.
      if (!marks && xa <= xb) {
        std::fill_n(s.bits + y * s.stride + xa, xb - xa + 1, color);
        return;
      }
    }
    for (int x = xa; x <= xb; ++x) PutInside(x, y);
  }
};

// Run patterns of the cosmetic styles, one entry per pixel, 1 = drawn.
constexpr std::uint8_t kDot[] = {1, 0};
constexpr std::uint8_t kDash[] = {1, 1, 1, 1, 1, 1, 0, 0};
constexpr std::uint8_t kDashDot[] = {1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 0};
constexpr std::uint8_t kDashDotDot[] = {1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0};

struct PenShape {
  int lo = 0, hi = 0;  // footprint offsets around a line pixel
  const std::uint8_t* pattern = nullptr;
  std::uint64_t period = 1;
};

PenShape MakePenShape(const TPen& pen) {
  PenShape shape;
  const int w = std::max(1, pen.Width);
  shape.lo = -((w - 1) / 2);
  shape.hi = w / 2;
  if (w == 1) {
    switch (pen.Style) {
      case psDot: shape.pattern = kDot; shape.period = sizeof kDot; break;
      case psDash: shape.pattern = kDash; shape.period = sizeof kDash; break;
      case psDashDot: shape.pattern = kDashDot; shape.period = sizeof kDashDot; break;
      case psDashDotDot: shape.pattern = kDashDotDot; shape.period = sizeof kDashDotDot; break;
      case psSolid:
      case psClear: break;
    }
  }
  return shape;
}

// One segment of a path by the clipping walker: the pixels of the line from a
// to b (b itself only when incl) that lie on the surface, each through the
// pen's footprint and style pattern. Returns the segment's pixel count.
template <class Op>
std::uint64_t StrokeClipped(Writer<Op>& wr, const PenShape& pen, TPoint a, TPoint b, bool incl, std::uint64_t base) {
  const raster::Box box{-pen.hi, wr.s.w - 1 - static_cast<std::int64_t>(pen.lo), -pen.hi,
                        wr.s.h - 1 - static_cast<std::int64_t>(pen.lo)};
  const raster::LinePlan plan = raster::PlanLine(a.x, a.y, b.x, b.y, incl, box);
  if (pen.pattern) {
    raster::WalkLine(plan, [&](int x, int y, std::int64_t i) {
      if (pen.pattern[(base + static_cast<std::uint64_t>(i)) % pen.period]) wr.PutFootprint(x, y, pen.lo, pen.hi);
    });
  } else {
    raster::WalkLine(plan, [&](int x, int y, std::int64_t) { wr.PutFootprint(x, y, pen.lo, pen.hi); });
  }
  return static_cast<std::uint64_t>(plan.count);
}

// A solid one-pixel path. Its segments whose ends both lie on the surface -
// all of them, nearly always: a trace is hundreds of such short lines - have
// every pixel on it too, so they are stepped (as raster::WalkLine steps them)
// by pixel index, without clipping or bounds checks; the others go through
// the clipping walker. The marks share the pixels' index, the picture's rows
// being exactly its width. kInside: every point is known to lie on the
// surface. Returns the number of pixels of the whole path.
constexpr int kPrefetchPoints = 64;

template <bool kMarked, bool kInside, class Op>
std::uint64_t StrokeThin(Writer<Op>& wr, const PenShape& pen, const TPoint* pts, int n, bool includeLast) {
  std::uint32_t* const bits = wr.s.bits;
  std::uint64_t* const marks = wr.marks;
  const std::uint32_t color = wr.color;
  const std::ptrdiff_t stride = wr.s.stride;
  const unsigned w = static_cast<unsigned>(wr.s.w), h = static_cast<unsigned>(wr.s.h);
  const auto put = [&](std::ptrdiff_t i) {
    if constexpr (kMarked) {
      if (!Mark(marks, static_cast<std::size_t>(i))) return;
    }
    bits[i] = Op::Apply(bits[i], color);
  };
  // Lines of two pixels or more, from the pixel at index pi; full keeps the end pixel.
  const auto line = [&](int dx, int dy, std::ptrdiff_t pi, bool full) {
    const int adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const int twoMajor = 2 * (xMajor ? adx : ady), twoMinor = 2 * (xMajor ? ady : adx);
    const int count = (xMajor ? adx : ady) + (full ? 1 : 0);
    const std::ptrdiff_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -stride : stride;
    const std::ptrdiff_t stepMajor = xMajor ? sx : sy, stepMinor = xMajor ? sy : sx;
    for (int i = 0, r = twoMajor / 2; i < count; ++i) {
      put(pi);
      pi += stepMajor;
      r += twoMinor;
      if (r >= twoMajor) {
        r -= twoMajor;
        pi += stepMinor;
      }
    }
    return static_cast<std::uint64_t>(count);
  };
  const auto on = [w, h](TPoint p) {
    return kInside || ((static_cast<unsigned>(p.x) < w) & (static_cast<unsigned>(p.y) < h));
  };
  // A picture's memory has mostly left the caches between two pictures, and a
  // steep segment meets a new row at every pixel: the rows of a long path
  // are asked for all together before its pixels are changed one by one.
  if (n >= kPrefetchPoints) {
    for (int k = 0; k + 1 < n; ++k) {
      const TPoint a = pts[k], b = pts[k + 1];
      if (!(on(a) & on(b))) continue;
      const int step = b.y < a.y ? -1 : 1;
      for (int y = a.y; y != b.y; y += step) __builtin_prefetch(bits + static_cast<std::ptrdiff_t>(y) * stride + a.x, 1);
    }
  }
  std::uint64_t pixels = 0;
  const int open = includeLast ? n - 2 : n - 1;  // segments that leave out their end pixel
  TPoint a = pts[0];
  bool aOn = on(a);
  std::ptrdiff_t pa = static_cast<std::ptrdiff_t>(a.y) * stride + a.x;
  for (int k = 0; k < open; ++k) {
    const TPoint b = pts[k + 1];
    const bool bOn = on(b);
    const std::ptrdiff_t pb = static_cast<std::ptrdiff_t>(b.y) * stride + b.x;
    if (aOn & bOn) {
      const int dx = b.x - a.x, dy = b.y - a.y;
      if ((static_cast<unsigned>(dx + 1) <= 2u) & (static_cast<unsigned>(dy + 1) <= 2u)) {
        // A step to a neighbouring pixel (most of a trace's segments) is its
        // start pixel alone.
        if (pa != pb) {
          put(pa);
          ++pixels;
        }
      } else {
        pixels += line(dx, dy, pa, false);
      }
    } else {
      pixels += StrokeClipped(wr, pen, a, b, false, 0);
    }
    a = b;
    aOn = bOn;
    pa = pb;
  }
  if (open < n - 1) {
    const TPoint b = pts[n - 1];
    if (aOn && on(b))
      pixels += line(b.x - a.x, b.y - a.y, pa, true);
    else
      pixels += StrokeClipped(wr, pen, a, b, true, 0);
  }
  return pixels;
}

// Strokes the segments of a polyline; pixel i of the whole path is drawn when
// the pattern says so at phase stylePos + i. Returns the phase after the path.
// inside: every point lies on the surface.
template <class Op>
std::uint64_t StrokePath(Writer<Op>& wr, const PenShape& pen, const TPoint* pts, int n, bool includeLast,
                         std::uint64_t stylePos, bool inside = false) {
  if (!pen.pattern && pen.lo == 0 && pen.hi == 0 && wr.s.stride == wr.s.w) {
    if (inside)
      return stylePos + (wr.marks ? StrokeThin<true, true>(wr, pen, pts, n, includeLast)
                                   : StrokeThin<false, true>(wr, pen, pts, n, includeLast));
    return stylePos + (wr.marks ? StrokeThin<true, false>(wr, pen, pts, n, includeLast)
                                 : StrokeThin<false, false>(wr, pen, pts, n, includeLast));
  }
  for (int k = 0; k + 1 < n; ++k)
    stylePos += StrokeClipped(wr, pen, pts[k], pts[k + 1], includeLast && k + 2 == n, stylePos);
  return stylePos;
}

// The smallest rectangle holding the points (right and bottom exclusive),
// each coordinate taken within +-32767: on a picture no larger, what lies
// beyond is off it either way. A trace is thousands of points.
TRect Bounds(const TPoint* pts, int n) {
  static_assert(sizeof(TPoint) == 8 && offsetof(TPoint, y) == 4);
  int i = 0;
  std::int16_t lo[2] = {0x7FFF, 0x7FFF}, hi[2] = {-0x7FFF, -0x7FFF};
#if defined(__SSE2__)
  if (n >= 4) {
    // Four points at a time as x y x y x y x y in 16 bits (saturated).
    __m128i mn = _mm_set1_epi16(0x7FFF), mx = _mm_set1_epi16(-0x7FFF);
    for (; i + 4 <= n; i += 4) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pts + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pts + i + 2));
      const __m128i v = _mm_packs_epi32(a, b);
      mn = _mm_min_epi16(mn, v);
      mx = _mm_max_epi16(mx, v);
    }
    alignas(16) std::int16_t m[8], x[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(m), mn);
    _mm_store_si128(reinterpret_cast<__m128i*>(x), mx);
    for (int k = 0; k < 8; ++k) lo[k & 1] = std::min(lo[k & 1], m[k]), hi[k & 1] = std::max(hi[k & 1], x[k]);
  }
#endif
  for (; i < n; ++i) {
    const int c[2] = {std::clamp(pts[i].x, -0x7FFF, 0x7FFF), std::clamp(pts[i].y, -0x7FFF, 0x7FFF)};
    for (int k = 0; k < 2; ++k)
      lo[k] = std::min<std::int16_t>(lo[k], static_cast<std::int16_t>(c[k])),
      hi[k] = std::max<std::int16_t>(hi[k], static_cast<std::int16_t>(c[k]));
  }
  return TRect{lo[0], lo[1], hi[0] + 1, hi[1] + 1};
}

bool IsDirect32(QImage::Format f) {
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
}

// Orders a pair of corners; false when the box is empty.
bool OrderBox(int& x1, int& y1, int& x2, int& y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return x1 < x2 && y1 < y2;
}

}  // namespace

// ---------------------------------------------------------------------------

TCanvas::TCanvas(QImage* target) : target_(target) {}

void TCanvas::SetTarget(QImage* target) {
  target_ = target;
  MarkChanged(kWholePicture);
}

namespace {

std::int64_t Area(const TRect& r) {
  return (static_cast<std::int64_t>(r.Right) - r.Left) * (static_cast<std::int64_t>(r.Bottom) - r.Top);
}

TRect Union(const TRect& a, const TRect& b) {
  return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// Overlapping or side by side.
bool Meet(const TRect& a, const TRect& b) {
  return a.Left <= b.Right && b.Left <= a.Right && a.Top <= b.Bottom && b.Top <= a.Bottom;
}

}  // namespace

void TCanvas::MarkChanged(const TRect& r) { Touch(r.Left, r.Top, r.Right, r.Bottom); }

void TCanvas::Touch(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
  constexpr std::int64_t kFar = kWholePicture.Right;
  x1 = std::clamp(x1, -kFar, kFar), x2 = std::clamp(x2, -kFar, kFar);
  y1 = std::clamp(y1, -kFar, kFar), y2 = std::clamp(y2, -kFar, kFar);
  if (x1 >= x2 || y1 >= y2) return;
  TRect add{static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2), static_cast<int>(y2)};
  for (;;) {
    int join = -1;
    for (int i = 0; i < changedCount_ && join < 0; ++i)
      if (Meet(changed_[static_cast<std::size_t>(i)], add)) join = i;
    if (join < 0 && changedCount_ == kChangedSlots) {
      std::int64_t least = 0;
      for (int i = 0; i < changedCount_; ++i) {
        const TRect& c = changed_[static_cast<std::size_t>(i)];
        const std::int64_t growth = Area(Union(c, add)) - Area(c) - Area(add);
        if (join < 0 || growth < least) join = i, least = growth;
      }
    }
    if (join < 0) break;
    // The joined rectangle may now meet others: it is added again.
    add = Union(add, changed_[static_cast<std::size_t>(join)]);
    changed_[static_cast<std::size_t>(join)] = changed_[static_cast<std::size_t>(--changedCount_)];
  }
  changed_[static_cast<std::size_t>(changedCount_++)] = add;
}

TCanvas::ChangedRects TCanvas::TakeChanged() {
  ChangedRects out;
  const int w = bitmap_ ? bitmap_->Width() : target_ ? target_->width() : 0;
  const int h = bitmap_ ? bitmap_->Height() : target_ ? target_->height() : 0;
  for (int i = 0; i < changedCount_; ++i) {
    const TRect& c = changed_[static_cast<std::size_t>(i)];
    const TRect r{std::max(c.Left, 0), std::max(c.Top, 0), std::min(c.Right, w), std::min(c.Bottom, h)};
    if (r.Left < r.Right && r.Top < r.Bottom) out.Rects[static_cast<std::size_t>(out.Count++)] = r;
  }
  changedCount_ = 0;
  return out;
}

QImage* TCanvas::Own() const {
  if (bitmap_) bitmap_->Materialize();
  return target_;
}

bool TCanvas::Prepare(raster::Surface& s) {
  if (!Own() || target_->isNull()) return false;
  if (!IsDirect32(target_->format())) target_->convertTo(QImage::Format_RGB32);
  s.bits = reinterpret_cast<std::uint32_t*>(target_->bits());
  s.stride = target_->bytesPerLine() / 4;
  s.w = target_->width();
  s.h = target_->height();
  return s.bits != nullptr;
}

std::uint64_t* TCanvas::Marks(const raster::Surface& s, std::int64_t top, std::int64_t bottom) {
  const std::size_t w = static_cast<std::size_t>(s.w), h = static_cast<std::size_t>(s.h);
  const std::size_t words = (w * h + 63) / 64;
  if (marks_.size() != words) marks_.assign(words, 0);
  // Only the rows the call can reach are cleared: a trace's rows, not the picture's.
  const std::size_t a = static_cast<std::size_t>(std::clamp<std::int64_t>(top, 0, s.h));
  const std::size_t b = static_cast<std::size_t>(std::clamp<std::int64_t>(bottom, 0, s.h));
  if (a < b) std::fill(marks_.begin() + static_cast<std::ptrdiff_t>(a * w / 64),
                       marks_.begin() + static_cast<std::ptrdiff_t>((b * w + 63) / 64), 0);
  return marks_.data();
}

std::uint64_t TCanvas::DrawStroke(const TPoint* points, int count, bool includeLast, std::uint64_t stylePos) {
  if (count < 2 || Pen.Style == psClear || Pen.Mode == pmNop) return stylePos;
  raster::Surface s;
  if (!Prepare(s)) return stylePos;
  const PenShape shape = MakePenShape(Pen);
  // The bounds are taken within +-32767: pictures beyond that change whole.
  const bool small = s.w <= 0x7FFF && s.h <= 0x7FFF;
  const TRect box = small ? Bounds(points, count) : kWholePicture;
  Touch(std::int64_t{box.Left} + shape.lo, std::int64_t{box.Top} + shape.lo, std::int64_t{box.Right} + shape.hi,
        std::int64_t{box.Bottom} + shape.hi);
  const bool inside = small && box.Left >= 0 && box.Top >= 0 && box.Right <= s.w && box.Bottom <= s.h;
  std::uint64_t end = stylePos;
  WithOp(Pen.Mode, [&](auto op) {
    using Op = decltype(op);
    Writer<Op> wr{s, ToQRgb(Pen.Color)};
    // A single thin segment never meets itself; everything else may.
    if (Op::kOnce && (count > 2 || shape.hi > 0))
      wr.marks = small ? Marks(s, std::int64_t{box.Top} + shape.lo, std::int64_t{box.Bottom} + shape.hi) : Marks(s, 0, s.h);
    end = StrokePath(wr, shape, points, count, includeLast, stylePos, inside);
  });
  return end;
}

void TCanvas::MoveTo(int x, int y) {
  PenPos = TPoint{x, y};
  stylePos_ = 0;
}

void TCanvas::LineTo(int x, int y) {
  const TPoint pts[2] = {PenPos, TPoint{x, y}};
  stylePos_ = DrawStroke(pts, 2, false, stylePos_);
  PenPos = pts[1];
}

void TCanvas::LineInclusive(int x1, int y1, int x2, int y2) {
  const TPoint pts[2] = {TPoint{x1, y1}, TPoint{x2, y2}};
  DrawStroke(pts, 2, true, 0);
}

void TCanvas::Polyline(const TPoint* points, int count) {
  if (!points) return;
  DrawStroke(points, count, false, 0);
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  Polyline(points.data(), static_cast<int>(std::min<std::size_t>(points.size(), 0x7FFFFFFF)));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (!OrderBox(x1, y1, x2, y2) || Pen.Mode == pmNop) return;
  raster::Surface s;
  if (!Prepare(s)) return;
  const bool outline = Pen.Style != psClear;
  const bool fill = Brush.Style != bsClear;
  const PenShape shape = MakePenShape(Pen);
  Touch(std::int64_t{x1} + shape.lo, std::int64_t{y1} + shape.lo, std::int64_t{x2} + shape.hi, std::int64_t{y2} + shape.hi);
  WithOp(Pen.Mode, [&](auto op) {
    using Op = decltype(op);
    Writer<Op> pen{s, ToQRgb(Pen.Color)};
    if (Op::kOnce) pen.marks = Marks(s, std::int64_t{y1} + shape.lo, std::int64_t{y2} + shape.hi);
    Writer<Op> brush{s, ToQRgb(Brush.Color), pen.marks};
    std::int64_t fx1 = x1, fy1 = y1, fx2 = static_cast<std::int64_t>(x2) - 1, fy2 = static_cast<std::int64_t>(y2) - 1;
    if (outline) {
      const TPoint pts[5] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}, {x1, y1}};
      StrokePath(pen, shape, pts, 5, false, 0);
      ++fx1, ++fy1, --fx2, --fy2;
    } else {
      --fx2, --fy2;
    }
    if (fill) {
      const std::int64_t ya = std::max<std::int64_t>(fy1, 0), yb = std::min<std::int64_t>(fy2, s.h - 1);
      for (std::int64_t y = ya; y <= yb; ++y) brush.PutRow(static_cast<int>(y), fx1, fx2);
    }
  });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  if (!OrderBox(x1, y1, x2, y2) || Pen.Mode == pmNop) return;
  raster::Surface s;
  if (!Prepare(s)) return;
  const bool outline = Pen.Style != psClear;
  const bool fill = Brush.Style != bsClear;
  PenShape shape = MakePenShape(Pen);
  // Rows whose footprint can reach the surface, one more each way so that
  // every such row knows its neighbours.
  const int rowMin = -shape.hi - 1;
  const int rowMax = s.h - shape.lo;
  raster::EllipseSpans(x1, y1, x2, y2, rowMin, rowMax, spans_);
  Touch(std::int64_t{x1} + shape.lo, std::int64_t{y1} + shape.lo, std::int64_t{x2} + shape.hi, std::int64_t{y2} + shape.hi);
  WithOp(Pen.Mode, [&](auto op) {
    using Op = decltype(op);
    Writer<Op> pen{s, ToQRgb(Pen.Color)};
    if (Op::kOnce && !spans_.empty()) {
      const auto [lowest, highest] = std::minmax_element(
          spans_.begin(), spans_.end(), [](const raster::Span& l, const raster::Span& r) { return l.y < r.y; });
      pen.marks = Marks(s, std::int64_t{lowest->y} + shape.lo, std::int64_t{highest->y} + shape.hi + 1);
    }
    Writer<Op> brush{s, ToQRgb(Brush.Color), pen.marks};
    const std::int64_t colMin = -shape.hi, colMax = static_cast<std::int64_t>(s.w) - 1 - shape.lo;
    for (std::size_t j = 0; j < spans_.size(); ++j) {
      const raster::Span& row = spans_[j];
      // Inside pixels: not at the row's ends and covered by the rows above and below.
      std::int64_t inL = static_cast<std::int64_t>(row.left) + 1, inR = static_cast<std::int64_t>(row.right) - 1;
      const bool hasAbove = j > 0 && spans_[j - 1].y == row.y - 1;
      const bool hasBelow = j + 1 < spans_.size() && spans_[j + 1].y == row.y + 1;
      if (hasAbove && hasBelow) {
        inL = std::max<std::int64_t>({inL, spans_[j - 1].left, spans_[j + 1].left});
        inR = std::min<std::int64_t>({inR, spans_[j - 1].right, spans_[j + 1].right});
      } else {
        inL = 1, inR = 0;  // an edge row is all outline
      }
      if (outline) {
        auto edge = [&](std::int64_t a, std::int64_t b) {
          a = std::max(a, colMin);
          b = std::min(b, colMax);
          for (std::int64_t x = a; x <= b; ++x) pen.PutFootprint(static_cast<int>(x), row.y, shape.lo, shape.hi);
        };
        if (inL > inR) {
          edge(row.left, row.right);
        } else {
          edge(row.left, inL - 1);
          edge(inR + 1, row.right);
        }
      }
      if (fill) {
        if (!outline)
          brush.PutRow(row.y, row.left, row.right);
        else if (inL <= inR)
          brush.PutRow(row.y, inL, inR);
      }
    }
  });
}

void TCanvas::FillRect(const TRect& r) {
  if (Brush.Style == bsClear) return;
  raster::Surface s;
  if (!Prepare(s)) return;
  // Only what really changes counts as changed: a fill that repeats what is
  // there (the frame lines drawn again after every trace) repaints nothing.
  const std::uint32_t color = ToQRgb(Brush.Color);
  const int xa = std::max(0, r.Left), xb = std::min(s.w, r.Right);
  const int ya = std::max(0, r.Top), yb = std::min(s.h, r.Bottom);
  int left = xb, right = xa, top = yb, bottom = ya;
  for (int y = ya; y < yb && xa < xb; ++y) {
    std::uint32_t* row = s.bits + static_cast<std::ptrdiff_t>(y) * s.stride;
    int a = xa, b = xb;
    while (a < b && row[a] == color) ++a;
    while (b > a && row[b - 1] == color) --b;
    if (a == b) continue;
    std::fill(row + a, row + b, color);
    left = std::min(left, a), right = std::max(right, b);
    top = std::min(top, y), bottom = y + 1;
  }
  Touch(left, top, right, bottom);
}

void TCanvas::FrameRect(const TRect& r) {
  if (Brush.Style == bsClear || r.Left >= r.Right || r.Top >= r.Bottom) return;
  raster::Surface s;
  if (!Prepare(s)) return;
  Touch(r.Left, r.Top, r.Right, r.Bottom);
  Writer<OpCopy> wr{s, ToQRgb(Brush.Color)};
  const std::int64_t right = static_cast<std::int64_t>(r.Right) - 1, bottom = static_cast<std::int64_t>(r.Bottom) - 1;
  wr.PutRow(r.Top, r.Left, right);
  if (bottom >= 0 && bottom < s.h) wr.PutRow(static_cast<int>(bottom), r.Left, right);
  const int ya = std::max(0, r.Top), yb = static_cast<int>(std::min<std::int64_t>(s.h - 1, bottom));
  for (int y = ya; y <= yb; ++y) {
    wr.Put(r.Left, y);
    if (right >= 0 && right < s.w) wr.Put(static_cast<int>(right), y);
  }
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  if (Brush.Style == bsClear) return;
  raster::Surface s;
  if (!Prepare(s) || x < 0 || y < 0 || x >= s.w || y >= s.h) return;
  const std::uint32_t key = ToQRgb(color) & 0xFFFFFFu;
  const std::uint32_t paint = ToQRgb(Brush.Color);
  std::uint64_t* seen = Marks(s, 0, s.h);
  auto index = [&](int xx, int yy) { return static_cast<std::size_t>(yy) * static_cast<std::size_t>(s.w) + static_cast<std::size_t>(xx); };
  // Open: not filled yet and of the fillable colour.
  auto open = [&](int xx, int yy) {
    if (Marked(seen, index(xx, yy))) return false;
    const bool same = (s.bits[yy * s.stride + xx] & 0xFFFFFFu) == key;
    return style == fsSurface ? same : !same;
  };
  work_.clear();
  work_.push_back(static_cast<std::uint32_t>(index(x, y)));
  int fx1 = x, fy1 = y, fx2 = x, fy2 = y;
  while (!work_.empty()) {
    const std::uint32_t at = work_.back();
    work_.pop_back();
    const int py = static_cast<int>(at / static_cast<std::uint32_t>(s.w));
    const int px = static_cast<int>(at % static_cast<std::uint32_t>(s.w));
    if (!open(px, py)) continue;
    int left = px, right = px;
    while (left > 0 && open(left - 1, py)) --left;
    while (right < s.w - 1 && open(right + 1, py)) ++right;
    fx1 = std::min(fx1, left), fx2 = std::max(fx2, right);
    fy1 = std::min(fy1, py), fy2 = std::max(fy2, py);
    for (int xx = left; xx <= right; ++xx) {
      Mark(seen, index(xx, py));
      s.bits[py * s.stride + xx] = paint;
    }
    for (int ny : {py - 1, py + 1}) {
      if (ny < 0 || ny >= s.h) continue;
      bool inRun = false;
      for (int xx = left; xx <= right; ++xx) {
        const bool o = open(xx, ny);
        if (o && !inRun) work_.push_back(static_cast<std::uint32_t>(index(xx, ny)));
        inRun = o;
      }
    }
  }
  Touch(fx1, fy1, std::int64_t{fx2} + 1, std::int64_t{fy2} + 1);
}

TColor TCanvas::Pixels(int x, int y) const {
  if (!Own() || x < 0 || y < 0 || x >= target_->width() || y >= target_->height()) return CLR_INVALID;
  if (IsDirect32(target_->format()))
    return FromQRgb(reinterpret_cast<const std::uint32_t*>(target_->constScanLine(y))[x]);
  return FromQRgb(target_->pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  raster::Surface s;
  if (!Prepare(s)) return;
  Touch(x, y, std::int64_t{x} + 1, std::int64_t{y} + 1);
  Writer<OpCopy> wr{s, ToQRgb(color)};
  wr.Put(x, y);
}

// ---------------------------------------------------------------------------
// Text

const QFont& TCanvas::CurrentFont() {
  // Points at the canvas's resolution, or the height in pixels when one is
  // given; a negative size or height is taken by its magnitude.
  const double dotsPerInch = PixelsPerInch > 0 ? PixelsPerInch : 96;
  const int pixels =
      Font.Height != 0
          ? std::abs(Font.Height)
          : std::max(1, static_cast<int>(std::lround(std::abs(static_cast<double>(Font.Size)) * dotsPerInch / 72.0)));
  const unsigned style = Font.Style & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
  if (!font_ || pixels != fontPixels_ || style != fontStyle_) {
    // One sans face for every font name the drawing code asks for.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setKerning(false);
    font_ = f;
    metrics_.emplace(f);
    fontPixels_ = pixels;
    fontStyle_ = style;
  }
  return *font_;
}

int TCanvas::TextWidth(const std::string& text) {
  CurrentFont();
  return metrics_->horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int TCanvas::TextHeight(const std::string&) {
  CurrentFont();
  return metrics_->height();
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  const QFont& font = CurrentFont();
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const int w = metrics_->horizontalAdvance(s);
  raster::Surface surface;
  if (Prepare(surface)) {
    QPainter p(target_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (Brush.Style != bsClear) p.fillRect(QRect(x, y, w, metrics_->height()), ToQColor(Brush.Color));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setFont(font);
    p.setPen(ToQColor(Font.Color));
    p.drawText(QPoint(x, y + metrics_->ascent()), s);
    // Slanted and overhanging glyphs may reach past the text cell.
    const int h = metrics_->height();
    Touch(std::int64_t{x} - h / 2 - 2, std::int64_t{y} - 2, std::int64_t{x} + w + h / 2 + 2, std::int64_t{y} + h + 2);
  }
  MoveTo(x + w, y);
}

// ---------------------------------------------------------------------------
// Bitmap copies

void TCanvas::Blit(const TRect& dest, const QImage& source, const TRect& sourceRect) {
  raster::Surface d;
  if (source.isNull() || !Prepare(d)) return;
  QImage local;
  const QImage* src = &source;
  if (!IsDirect32(src->format())) {
    local = src->convertToFormat(QImage::Format_RGB32);
    src = &local;
  } else if (src->constBits() == reinterpret_cast<const uchar*>(d.bits)) {
    // Copying within one picture: read from a snapshot so overlapping areas
    // come out as they were before the copy.
    local = src->copy();
    src = &local;
  }
  std::int64_t dw = static_cast<std::int64_t>(dest.Right) - dest.Left;
  std::int64_t dh = static_cast<std::int64_t>(dest.Bottom) - dest.Top;
  std::int64_t sw = static_cast<std::int64_t>(sourceRect.Right) - sourceRect.Left;
  std::int64_t sh = static_cast<std::int64_t>(sourceRect.Bottom) - sourceRect.Top;
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
  const bool mirrorX = (dw < 0) != (sw < 0);
  const bool mirrorY = (dh < 0) != (sh < 0);
  const std::int64_t dl = std::min<std::int64_t>(dest.Left, dest.Right);
  const std::int64_t dt = std::min<std::int64_t>(dest.Top, dest.Bottom);
  const std::int64_t sl = std::min<std::int64_t>(sourceRect.Left, sourceRect.Right);
  const std::int64_t st = std::min<std::int64_t>(sourceRect.Top, sourceRect.Bottom);
  dw = std::abs(dw), dh = std::abs(dh), sw = std::abs(sw), sh = std::abs(sh);

  // Nearest source pixel of destination pixel i: the one under its centre.
  auto sourceOf = [](std::int64_t i, std::int64_t len, std::int64_t srcStart, std::int64_t srcLen, bool mirror) {
    if (mirror) i = len - 1 - i;
    return srcStart + static_cast<std::int64_t>((static_cast<__int128>(2 * i + 1) * srcLen) / (2 * len));
  };
  const std::int64_t xa = std::max<std::int64_t>(dl, 0), xb = std::min<std::int64_t>(dl + dw, d.w);
  const std::int64_t ya = std::max<std::int64_t>(dt, 0), yb = std::min<std::int64_t>(dt + dh, d.h);
  if (xa >= xb || ya >= yb) return;
  Touch(xa, ya, xb, yb);
  columnMap_.resize(static_cast<std::size_t>(xb - xa));
  for (std::int64_t x = xa; x < xb; ++x) {
    const std::int64_t sx = sourceOf(x - dl, dw, sl, sw, mirrorX);
    columnMap_[static_cast<std::size_t>(x - xa)] = (sx >= 0 && sx < src->width()) ? sx : -1;
  }
  for (std::int64_t y = ya; y < yb; ++y) {
    const std::int64_t sy = sourceOf(y - dt, dh, st, sh, mirrorY);
    if (sy < 0 || sy >= src->height()) continue;
    const auto* in = reinterpret_cast<const std::uint32_t*>(src->constScanLine(static_cast<int>(sy)));
    std::uint32_t* out = d.bits + y * d.stride;
    for (std::int64_t x = xa; x < xb; ++x) {
      const std::int64_t sx = columnMap_[static_cast<std::size_t>(x - xa)];
      if (sx >= 0) out[x] = in[sx] | 0xFF000000u;
    }
  }
}

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  const int w = bitmap.Width(), h = bitmap.Height();
  Blit(TRect{x, y, static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(x) + w, 0x7FFFFFFF)),
             static_cast<int>(std::min<std::int64_t>(static_cast<std::int64_t>(y) + h, 0x7FFFFFFF))},
       bitmap.Image(), TRect{0, 0, w, h});
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& bitmap) {
  Blit(dest, bitmap.Image(), TRect{0, 0, bitmap.Width(), bitmap.Height()});
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) {
  if (!source.Own()) return;
  Blit(dest, *source.target_, sourceRect);
}

// ---------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() : canvas_(&image_) { canvas_.bitmap_ = this; }

TBitmap::TBitmap(int w, int h) : canvas_(&image_) {
  canvas_.bitmap_ = this;
  SetSize(w, h);
}

void TBitmap::MakeBlank() const {
  QImage made(blankW_, blankH_, QImage::Format_RGB32);
  blankW_ = blankH_ = 0;
  std::vector<std::uint32_t> runs = std::move(packed_);
  packed_ = {};
  if (made.isNull()) return;  // too large to allocate
  if (runs.empty()) {
    made.fill(ToQRgb(clWhite));
  } else {
    auto* out = reinterpret_cast<std::uint32_t*>(made.bits());
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2) out = std::fill_n(out, runs[i], runs[i + 1]);
  }
  image_ = std::move(made);
  // The bitmap itself is never const where it was declared; only its use here is.
  if (!pending_.empty()) const_cast<TBitmap*>(this)->RunDrawings(std::exchange(pending_, {}));
}

void TBitmap::RunDrawings(std::vector<std::function<void(TBitmap&)>> draws) {
  const TPen pen = canvas_.Pen;
  const TBrush brush = canvas_.Brush;
  const TFont font = canvas_.Font;
  const TPoint penPos = canvas_.PenPos;
  const std::uint64_t stylePos = canvas_.stylePos_;
  for (auto& draw : draws) draw(*this);
  canvas_.Pen = pen;
  canvas_.Brush = brush;
  canvas_.Font = font;
  canvas_.PenPos = penPos;
  canvas_.stylePos_ = stylePos;
}

void TBitmap::DrawWhenUsed(std::function<void(TBitmap&)> draw, bool wholePicture) {
  if (!draw) return;
  if (blankW_ > 0) {
    if (wholePicture) {
      pending_.clear();
      packed_ = decltype(packed_)();
    }
    pending_.push_back(std::move(draw));
    canvas_.MarkChanged(TCanvas::kWholePicture);
    return;
  }
  std::vector<std::function<void(TBitmap&)>> now;
  now.push_back(std::move(draw));
  RunDrawings(std::move(now));
}

bool TBitmap::Pack() {
  if (image_.isNull() || image_.format() != QImage::Format_RGB32 ||
      image_.bytesPerLine() != static_cast<qsizetype>(image_.width()) * 4)
    return false;
  const auto* px = reinterpret_cast<const std::uint32_t*>(image_.constBits());
  const std::size_t n = static_cast<std::size_t>(image_.width()) * static_cast<std::size_t>(image_.height());
  // Worth it only for pictures of few runs, as grids and plain faces are.
  const std::size_t limit = n / 8;
  std::vector<std::uint32_t> runs;
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && px[j] == px[i]) ++j;
    if (runs.size() >= limit) return false;
    runs.push_back(static_cast<std::uint32_t>(j - i));
    runs.push_back(px[i]);
    i = j;
  }
  runs.shrink_to_fit();
  blankW_ = image_.width();
  blankH_ = image_.height();
  packed_ = std::move(runs);
  image_ = QImage();
  // "= {}" would keep the storage; a new vector gives it back.
  canvas_.marks_ = decltype(canvas_.marks_)();
  return true;
}

void TBitmap::SetSize(int w, int h) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == Width() && h == Height()) return;
  canvas_.MarkChanged(TCanvas::kWholePicture);
  if (!packed_.empty() || !pending_.empty()) Materialize();  // its pixels are kept as well
  if (w == 0 || h == 0) {
    image_ = QImage();
    blankW_ = blankH_ = 0;
    canvas_.SetTarget(&image_);
    return;
  }
  if (image_.isNull()) {
    blankW_ = w;
    blankH_ = h;
    return;
  }
  QImage next(w, h, QImage::Format_RGB32);
  if (next.isNull()) return;  // too large to allocate: keep the old picture
  next.fill(ToQRgb(clWhite));
  if (!image_.isNull()) {
    const QImage old = image_.format() == QImage::Format_RGB32 ? image_ : image_.convertToFormat(QImage::Format_RGB32);
    const int rows = std::min(h, old.height());
    const std::size_t bytes = static_cast<std::size_t>(std::min(w, old.width())) * 4;
    for (int y = 0; y < rows; ++y) std::memcpy(next.scanLine(y), old.constScanLine(y), bytes);
  }
  image_ = std::move(next);
  canvas_.SetTarget(&image_);
}

bool TBitmap::LoadFromFile(const std::string& path) {
  const os::WholeFile file = os::ReadWholeFile(path, 512u << 20);
  QImage loaded;
  if (!file.Ok() ||
      !loaded.loadFromData(reinterpret_cast<const uchar*>(file.Bytes.data()), static_cast<int>(file.Bytes.size()), "BMP"))
    return false;
  image_ = loaded.convertToFormat(QImage::Format_RGB32);
  blankW_ = blankH_ = 0;
  packed_ = decltype(packed_)();
  pending_ = decltype(pending_)();
  canvas_.SetTarget(&image_);
  return true;
}

bool TBitmap::SaveToFile(const std::string& path) const {
  const QImage& image = Image();
  if (image.isNull()) return false;
  return image.save(QString::fromStdString(path), "BMP");
}

void TBitmap::Assign(const TBitmap& other) {
  if (&other == this) return;
  const QImage& from = other.Image();
  image_ = from.format() == QImage::Format_RGB32 || from.isNull() ? from : from.convertToFormat(QImage::Format_RGB32);
  blankW_ = blankH_ = 0;
  packed_ = decltype(packed_)();
  pending_ = decltype(pending_)();
  canvas_.SetTarget(&image_);
}
