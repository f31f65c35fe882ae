#include "display/persistence_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

#include "display/graticule.h"
#include "display/scope_view.h"
#include "platform/os/zero_pages.h"
#include "platform/ui/image.h"

namespace display {

namespace {

constexpr int kFirstUsedPoint = 5;  // the first and last five points never enter the stores

// The picture's pixels, written one by one; pixels outside are left alone.
class Pixels {
 public:
  explicit Pixels(const ScopeView& view) {
    if (!view.Image) return;
    canvas_ = view.Image->Canvas();
    QImage* image = canvas_->Target();
    if (!image || image->isNull()) return;
    if (image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32) {
      bits_ = reinterpret_cast<std::uint32_t*>(image->bits());
      stride_ = image->bytesPerLine() / 4;
    }
    w_ = image->width();
    h_ = image->height();
  }
  void Put(int x, int y, TColor colour) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    if (bits_)
      bits_[static_cast<std::ptrdiff_t>(y) * stride_ + x] = ToQRgb(colour);
    else if (canvas_)
      canvas_->SetPixel(x, y, colour);
  }
  // One column of the pixels (rows 0 and below): where the picture's own
  // pixels can be written, the place is worked out once for the column.
  class Column {
   public:
    Column(Pixels& pixels, int x)
        : pixels_(pixels), x_(x), bits_(pixels.bits_ && x >= 0 && x < pixels.w_ ? pixels.bits_ + x : nullptr) {}
    void Put(int y, TColor colour) {
      if (bits_) {
        if (y < pixels_.h_) bits_[static_cast<std::ptrdiff_t>(y) * pixels_.stride_] = ToQRgb(colour);
      } else if (!pixels_.bits_) {
        pixels_.Put(x_, y, colour);
      }
    }

   private:
    Pixels& pixels_;
    int x_;
    std::uint32_t* bits_;
  };

 private:
  TCanvas* canvas_ = nullptr;
  std::uint32_t* bits_ = nullptr;
  std::ptrdiff_t stride_ = 0;
  int w_ = 0, h_ = 0;
};

// Every pixel from a to b, both ends included: the integer Bresenham walk,
// x and y stepping by one towards the end.
template <class F>
void WalkLine(TPoint a, TPoint b, F&& f) {
  const int dx = std::abs(b.x - a.x), sx = a.x < b.x ? 1 : -1;
  const int dy = -std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  int x = a.x, y = a.y;
  for (;;) {
    f(x, y);
    if (x == b.x && y == b.y) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

// The rows from..to in that order.
template <class F>
void ForRows(int from, int to, F&& f) {
  if (from <= to)
    for (int y = from; y <= to; ++y) f(y);
  else
    for (int y = from; y >= to; --y) f(y);
}

// Colours of graded counts, with the ramp's limits read once per trace.
class GradedColours {
 public:
  GradedColours(const PersistRamp& ramp, const PersistenceLook& look)
      : ramp_(ramp),
        low_(look.LowColorCount),
        high_(look.HighColorCount),
        top_(std::clamp<std::int32_t>(look.GradedRampTop, 0, static_cast<std::int32_t>(kPersistColorEntries) - 1)) {}
  TColor Of(std::int32_t n) const {
    if (n < low_) return ramp_[0];
    if (n >= high_) return ramp_[static_cast<std::size_t>(top_)];
    const std::int64_t i = static_cast<std::int64_t>(n) - low_;
    return ramp_[static_cast<std::size_t>(std::min<std::int64_t>(i, top_))];
  }

 private:
  const PersistRamp& ramp_;
  std::int32_t low_, high_, top_;
};

}  // namespace

// ---------------------------------------------------------------- grid test

namespace {

// The grid test of one column of the view: what depends on x worked out once.
struct GraticuleColumn {
  bool line, tick;  // a division line; a column of the centre-line ticks
  int y0, rowStep;
  TickRows ticks;
  bool Has(int y) const {
    const int dy = y - y0;
    return line || dy % rowStep == 0 || (tick && dy >= ticks.top && dy < ticks.bottom);
  }
};

GraticuleColumn GraticuleColumnAt(const ScopeView& view, const TickRows& ticks, int x) {
  const int dx = x - view.X0;
  return {dx % kDivisionWidth == 0, dx % kCentreTickStep == 0, view.Y0, 32 * view.VScale, ticks};
}

}  // namespace

bool OnPersistGraticule(const ScopeView& view, int x, int y) {
  return GraticuleColumnAt(view, CentreTickRows(view), x).Has(y);
}

TColor RestoredPixelColor(const ScopeView& view, const PictureSettings& s, int x, int y) {
  return !s.XYShown() && OnPersistGraticule(view, x, y) ? s.Colors.GridPenColor : s.Colors.BackgroundColor;
}

namespace {

// The colours RestoredPixelColor gives, with what holds for a whole column
// worked out once for it.
class Restored {
 public:
  struct Column {
    bool graticule;  // false in the XY display
    GraticuleColumn grid;
    TColor gridColour, background;
    TColor Of(int y) const { return graticule && grid.Has(y) ? gridColour : background; }
  };
  Restored(const ScopeView& view, const PictureSettings& s)
      : view_(view),
        xy_(s.XYShown()),
        ticks_(CentreTickRows(view)),
        grid_(s.Colors.GridPenColor),
        background_(s.Colors.BackgroundColor) {}
  Column At(int x) const { return Column{!xy_, GraticuleColumnAt(view_, ticks_, x), grid_, background_}; }

 private:
  const ScopeView& view_;
  bool xy_;
  TickRows ticks_;
  TColor grid_, background_;
};

}  // namespace

// ---------------------------------------------------------------- stores

void PersistenceStores::FreeBlock::operator()(void* p) const { os::ReleaseLargeZeroPages(p, bytes); }

PersistenceStores::PersistenceStores(int columns, int rows)
    : columns_(std::max(columns, 1)),
      rows_(std::max(rows, 1)),
      pixels_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)),
      block_(nullptr, FreeBlock{2 * pixels_ * sizeof(std::int32_t) + pixels_}) {
  void* block = os::ReserveLargeZeroPages(block_.get_deleter().bytes);
  if (!block) throw std::bad_alloc();
  block_.reset(block);
  ch_[0].Hits = static_cast<std::int32_t*>(block);
  ch_[1].Hits = ch_[0].Hits + pixels_;
  visited_ = reinterpret_cast<std::uint8_t*>(ch_[1].Hits + pixels_);
  for (Channel& c : ch_) c.Ring.assign(static_cast<std::size_t>(kPersistRingSlots) * kPersistRingPoints, TPoint{});
}

std::int32_t PersistenceStores::Hits(int channel, int x, int y) const {
  if (x < 0 || y < 0 || x >= columns_ || y >= rows_) return 0;
  return ch_[Index(channel)].Hits[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_) +
                                  static_cast<std::size_t>(y)];
}

void PersistenceStores::Clear() {
  for (Channel& c : ch_) {
    std::fill_n(c.Hits, pixels_, 0);
    c.Counts.fill(0);
    c.RingIndex = 0;
  }
}

template <class F>
void PersistenceStores::Walk(const TPoint* points, int count, bool joined, F&& run) {
  const int last = count - kFirstUsedPoint;
  if (!points || last < kFirstUsedPoint) return;
  // Points far off the picture walk as if on its edge: the same pixels every
  // time, and never a long walk.
  auto held = [&](const TPoint& p) {
    return TPoint{std::clamp(p.x, -1, columns_), std::clamp(p.y, -1, rows_)};
  };
  // The rows from..to (either way round) of column x that lie in the stores.
  auto inStores = [&](int x, int from, int to) {
    if (x < 0 || x >= columns_) return;
    if (from <= to) {
      from = std::max(from, 0);
      to = std::min(to, rows_ - 1);
      if (from <= to) run(x, from, to);
    } else {
      from = std::min(from, rows_ - 1);
      to = std::max(to, 0);
      if (from >= to) run(x, from, to);
    }
  };
  // A trace hits a pixel once: the joints of its segments, and the places
  // it passes again, count one hit. A joined trace whose x never turns back
  // (every time-base trace) passes each column in one stretch, and what it
  // covers of the column grows as one run of rows from where it came in, so
  // that run is all it needs to remember.
  if (joined && last > kFirstUsedPoint) {
    // (The list's own x never turning back is enough: holding keeps the order.)
    bool rising = true, falling = true;
    for (int i = kFirstUsedPoint; i < last; ++i) {
      rising &= points[i].x <= points[i + 1].x;
      falling &= points[i].x >= points[i + 1].x;
    }
    if (rising || falling) {
      int column = std::numeric_limits<int>::min(), low = 0, high = -1;
      // Rows from..to of column x in the order the walk passes them; `from`
      // is in or next to the column's run unless x is a new column.
      auto pass = [&](int x, int from, int to) {
        if (x != column) {
          column = x;
          low = std::min(from, to);
          high = std::max(from, to);
        } else if (to > high) {
          from = std::max(from, high + 1);
          high = to;
        } else if (to < low) {
          from = std::min(from, low - 1);
          low = to;
        } else {
          return;
        }
        inStores(x, from, to);
      };
      TPoint b = held(points[kFirstUsedPoint]);
      for (int i = kFirstUsedPoint; i < last; ++i) {
        const TPoint a = b;
        b = held(points[i + 1]);
        const int dx = b.x - a.x;
        if (dx == 0) {
          pass(a.x, a.y, b.y);
        } else if (dx == 1 || dx == -1) {
          // A step to the next column: the line's first half of the rows in
          // this column, the rest in the next (as the pixel walk goes).
          const int d = std::abs(b.y - a.y), sy = a.y < b.y ? 1 : -1;
          const int k = d == 0 ? 0 : (d - 1) / 2;
          pass(a.x, a.y, a.y + sy * k);
          pass(b.x, d == 0 ? a.y : a.y + sy * (k + 1), b.y);
        } else {
          WalkLine(a, b, [&](int x, int y) { pass(x, y, y); });
        }
      }
      return;
    }
  }
  if (++walk_ == 0) {
    std::fill_n(visited_, pixels_, 0);
    walk_ = 1;
  }
  const std::size_t rows = static_cast<std::size_t>(rows_);
  auto f = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= columns_ || y >= rows_) return;
    std::uint8_t& v = visited_[static_cast<std::size_t>(x) * rows + static_cast<std::size_t>(y)];
    if (v == walk_) return;
    v = walk_;
    run(x, y, y);
  };
  if (!joined || last == kFirstUsedPoint) {
    for (int i = kFirstUsedPoint; i <= last; ++i) {
      const TPoint p = held(points[i]);
      f(p.x, p.y);
    }
    return;
  }
  for (int i = kFirstUsedPoint; i < last; ++i) WalkLine(held(points[i]), held(points[i + 1]), f);
}

void PersistenceStores::Store(Channel& c, const TPoint* points, int count, std::int32_t mask) {
  const std::size_t slot = static_cast<std::size_t>(c.RingIndex & mask);
  const int n = std::clamp(count, 0, kPersistRingPoints);
  std::copy_n(points, n, c.Ring.begin() + static_cast<std::ptrdiff_t>(slot * kPersistRingPoints));
  c.Counts[slot] = n;
  c.RingIndex = static_cast<std::int32_t>((slot + 1) & static_cast<std::size_t>(mask));
}

void PersistenceStores::AddGraded(const ScopeView& view, const PictureSettings& s, int channel, const TPoint* points,
                                  int count) {
  Channel& c = ch_[Index(channel)];
  const GradedColours colours(s.Persist.Ramp(Index(channel)), s.Persist);
  const Restored restored(view, s);
  Pixels pixels(view);
  Walk(points, count, s.DotJoin, [&](int x, int from, int to) {
    std::int32_t* hits = c.Hits + static_cast<std::ptrdiff_t>(x) * rows_;
    Pixels::Column column(pixels, x);
    ForRows(from, to, [&](int y) {
      const std::int32_t n = hits[y];
      hits[y] = n < std::numeric_limits<std::int32_t>::max() ? n + 1 : n;
      column.Put(y, colours.Of(n));
    });
  });
  // Only the durations the options offer make a ring; anything else is
  // taken as no ageing.
  const std::int32_t mask = s.Persist.GradedPersistenceMask;
  if (mask <= 0 || mask >= kPersistRingSlots) return;
  const std::size_t oldest = static_cast<std::size_t>(c.RingIndex & mask);
  Walk(c.Ring.data() + oldest * kPersistRingPoints, c.Counts[oldest], s.DotJoin, [&](int x, int from, int to) {
    std::int32_t* hits = c.Hits + static_cast<std::ptrdiff_t>(x) * rows_;
    const Restored::Column grid = restored.At(x);
    Pixels::Column column(pixels, x);
    ForRows(from, to, [&](int y) {
      const std::int32_t n = hits[y] > 0 ? hits[y] - 1 : hits[y];
      hits[y] = n;
      column.Put(y, n > 0 ? colours.Of(n) : grid.Of(y));
    });
  });
  Store(c, points, count, mask);
}

void PersistenceStores::AddVariable(const ScopeView& view, const PictureSettings& settings, int channel,
                                    const TPoint* points, int count) {
  Channel& c = ch_[Index(channel)];
  const PersistRamp& ramp = settings.Persist.Ramp(Index(channel));
  const std::int32_t mask = std::clamp<std::int32_t>(settings.Persist.VariablePersistenceMask, 0, kPersistRingSlots - 1);
  Pixels pixels(view);
  std::int32_t slot = c.RingIndex & mask;
  for (std::int32_t i = 0; i <= mask; ++i) {
    const std::size_t s = static_cast<std::size_t>(slot);
    const TColor colour = ramp[static_cast<std::size_t>(mask - i)];
    const bool oldest = i == 0;
    Walk(c.Ring.data() + s * kPersistRingPoints, c.Counts[s], settings.DotJoin, [&](int x, int from, int to) {
      ForRows(from, to, [&](int y) {
        pixels.Put(x, y, oldest && OnPersistGraticule(view, x, y) ? RestoredPixelColor(view, settings, x, y) : colour);
      });
    });
    slot = (slot + 1) & mask;
  }
  Store(c, points, count, mask);
}

// ---------------------------------------------------------------- legend

void DrawPersistenceLegend(ScopeView& view, int xOffset, const PersistenceLook& look) {
  if (!view.Image) return;
  constexpr int kMaxBlocks = 200;
  TCanvas* canvas = view.Image->Canvas();
  const TBrush saved = canvas->Brush;
  canvas->Brush.Style = bsSolid;
  const int top = std::clamp<std::int32_t>(look.GradedRampTop, 0, static_cast<int>(kPersistColorEntries) - 1);
  const int rows[2] = {view.Y0 - 6, view.TextLineY + 13};
  for (int f = 0; f <= std::min(top, kMaxBlocks); ++f) {
    const int x = view.X0 + xOffset + 3 * f;
    for (std::size_t ch = 0; ch < 2; ++ch) {
      canvas->Brush.Color = look.Ramp(ch)[static_cast<std::size_t>(f)];
      canvas->FillRect(Rect(x, rows[ch], x + 2, rows[ch] + 4));
    }
  }
  canvas->Brush = saved;
}

// ---------------------------------------------------------------- pictures

std::shared_ptr<PersistencePicture> NewPersistencePicture() { return std::make_shared<PersistencePicture>(); }

PersistenceStores& PersistenceStoresOf(ScopeView& view) {
  // Every pixel of the picture, and the frame lines just outside the grid.
  const int columns = view.Image ? view.Image->Width() + 1 : view.X0 + view.PlotWidth() + 1;
  const int rows = view.Image ? view.Image->Height() + 3 : view.FrameBottomY + 1;
  if (!view.Persistence) view.Persistence = NewPersistencePicture();
  std::unique_ptr<PersistenceStores>& stores = view.Persistence->Stores;
  if (!stores || stores->Columns() != columns || stores->Rows() != rows)
    stores = std::make_unique<PersistenceStores>(columns, rows);
  return *stores;
}

void ClearPersistenceStores(ScopeView& view) {
  if (view.Persistence && view.Persistence->Stores) view.Persistence->Stores->Clear();
}

}  // namespace display
