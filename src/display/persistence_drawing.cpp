#include "display/persistence_drawing.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>

#include "display/display_state.h"
#include "display/graticule.h"
#include "display/persistence_state.h"
#include "display/scope_view.h"
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

// Colour of a graded count.
TColor CountColor(const PersistRamp& ramp, std::int32_t n) {
  const int top = std::clamp<std::int32_t>(PersistenceState.GradedRampTop, 0, static_cast<std::int32_t>(kPersistColorEntries) - 1);
  if (n < PersistenceState.LowColorCount) return ramp[0];
  if (n >= PersistenceState.HighColorCount) return ramp[static_cast<std::size_t>(top)];
  const std::int64_t i = static_cast<std::int64_t>(n) - PersistenceState.LowColorCount;
  return ramp[static_cast<std::size_t>(std::clamp<std::int64_t>(i, 0, top))];
}

bool XYShown(const PictureSettings& s) { return !s.MathOff && DisplayState.XYPlotMode; }

}  // namespace

// ---------------------------------------------------------------- grid test

bool OnPersistGraticule(const ScopeView& view, int x, int y) {
  const int dx = x - view.X0, dy = y - view.Y0;
  if (dx % kDivisionWidth == 0 || dy % (32 * view.VScale) == 0) return true;
  const TickRows rows = CentreTickRows(view);
  return dy >= rows.top && dy < rows.bottom && dx % kCentreTickStep == 0;
}

TColor RestoredPixelColor(const ScopeView& view, const PictureSettings& s, int x, int y) {
  return !XYShown(s) && OnPersistGraticule(view, x, y) ? DisplayState.GridPenColor : DisplayState.BackgroundColor;
}

// ---------------------------------------------------------------- stores

PersistenceStores::PersistenceStores(int columns, int rows) : columns_(std::max(columns, 1)), rows_(std::max(rows, 1)) {
  visited_.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0);
  for (Channel& c : ch_) {
    c.Hits.assign(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_), 0);
    c.Ring.assign(static_cast<std::size_t>(kPersistRingSlots) * kPersistRingPoints, TPoint{});
  }
}

std::int32_t PersistenceStores::Hits(int channel, int x, int y) const {
  if (x < 0 || y < 0 || x >= columns_ || y >= rows_) return 0;
  return ch_[Index(channel)].Hits[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_) +
                                  static_cast<std::size_t>(y)];
}

void PersistenceStores::Clear() {
  for (Channel& c : ch_) {
    std::fill(c.Hits.begin(), c.Hits.end(), 0);
    c.Counts.fill(0);
    c.RingIndex = 0;
  }
}

std::int32_t* PersistenceStores::HitAt(Channel& c, int x, int y) {
  if (x < 0 || y < 0 || x >= columns_ || y >= rows_) return nullptr;
  return &c.Hits[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(y)];
}

template <class F>
void PersistenceStores::Walk(const TPoint* points, int count, bool joined, F&& pixel) {
  const int last = count - kFirstUsedPoint;
  if (!points || last < kFirstUsedPoint) return;
  // A trace hits a pixel once: the joints of its segments, and the places
  // it passes again, count one hit.
  if (++walk_ == 0) {
    std::fill(visited_.begin(), visited_.end(), 0);
    walk_ = 1;
  }
  auto f = [&](int x, int y) {
    if (x >= 0 && y >= 0 && x < columns_ && y < rows_) {
      std::uint8_t& v = visited_[static_cast<std::size_t>(x) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(y)];
      if (v == walk_) return;
      v = walk_;
    }
    pixel(x, y);
  };
  // Points far off the picture walk as if on its edge: the same pixels every
  // time, and never a long walk.
  auto held = [&](const TPoint& p) {
    return TPoint{std::clamp(p.x, -1, columns_), std::clamp(p.y, -1, rows_)};
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
  const PersistRamp& ramp = PersistenceState.PersistColorTable[Index(channel)];
  Pixels pixels(view);
  Walk(points, count, s.DotJoin, [&](int x, int y) {
    std::int32_t* n = HitAt(c, x, y);
    if (!n) return;
    pixels.Put(x, y, CountColor(ramp, *n));
    if (*n < std::numeric_limits<std::int32_t>::max()) ++*n;
  });
  // Only the durations the options offer make a ring; anything else is
  // taken as no ageing.
  const std::int32_t mask = PersistenceState.GradedPersistenceMask;
  if (mask <= 0 || mask >= kPersistRingSlots) return;
  const std::size_t oldest = static_cast<std::size_t>(c.RingIndex & mask);
  Walk(c.Ring.data() + oldest * kPersistRingPoints, c.Counts[oldest], s.DotJoin, [&](int x, int y) {
    std::int32_t* n = HitAt(c, x, y);
    if (!n) return;
    if (*n > 0) --*n;
    pixels.Put(x, y, *n > 0 ? CountColor(ramp, *n) : RestoredPixelColor(view, s, x, y));
  });
  Store(c, points, count, mask);
}

void PersistenceStores::AddVariable(const ScopeView& view, const PictureSettings& settings, int channel,
                                    const TPoint* points, int count) {
  Channel& c = ch_[Index(channel)];
  const PersistRamp& ramp = PersistenceState.PersistColorTable[Index(channel)];
  const std::int32_t mask = std::clamp<std::int32_t>(PersistenceState.VariablePersistenceMask, 0, kPersistRingSlots - 1);
  Pixels pixels(view);
  std::int32_t slot = c.RingIndex & mask;
  for (std::int32_t i = 0; i <= mask; ++i) {
    const std::size_t s = static_cast<std::size_t>(slot);
    const TColor colour = ramp[static_cast<std::size_t>(mask - i)];
    const bool oldest = i == 0;
    Walk(c.Ring.data() + s * kPersistRingPoints, c.Counts[s], settings.DotJoin, [&](int x, int y) {
      pixels.Put(x, y, oldest && OnPersistGraticule(view, x, y) ? RestoredPixelColor(view, settings, x, y) : colour);
    });
    slot = (slot + 1) & mask;
  }
  Store(c, points, count, mask);
}

// ---------------------------------------------------------------- legend

void DrawPersistenceLegend(ScopeView& view, int xOffset) {
  if (!view.Image) return;
  constexpr int kMaxBlocks = 200;
  TCanvas* canvas = view.Image->Canvas();
  const TBrush saved = canvas->Brush;
  canvas->Brush.Style = bsSolid;
  const int top = std::clamp<std::int32_t>(PersistenceState.GradedRampTop, 0, static_cast<int>(kPersistColorEntries) - 1);
  const int rows[2] = {view.Y0 - 6, view.TextLineY + 13};
  for (int f = 0; f <= std::min(top, kMaxBlocks); ++f) {
    const int x = view.X0 + xOffset + 3 * f;
    for (std::size_t ch = 0; ch < 2; ++ch) {
      canvas->Brush.Color = PersistenceState.PersistColorTable[ch][static_cast<std::size_t>(f)];
      canvas->FillRect(Rect(x, rows[ch], x + 2, rows[ch] + 4));
    }
  }
  canvas->Brush = saved;
}

// ---------------------------------------------------------------- pictures

namespace {

std::map<const TImage*, std::unique_ptr<PersistenceStores>>& Pictures() {
  static std::map<const TImage*, std::unique_ptr<PersistenceStores>> pictures;
  return pictures;
}

}  // namespace

PersistenceStores& PersistenceStoresOf(const ScopeView& view) {
  // Every pixel of the picture, and the frame lines just outside the grid.
  const int columns = view.Image ? view.Image->Width() + 1 : view.X0 + view.PlotWidth() + 1;
  const int rows = view.Image ? view.Image->Height() + 3 : view.FrameBottomY + 1;
  std::unique_ptr<PersistenceStores>& stores = Pictures()[view.Image];
  if (!stores || stores->Columns() != columns || stores->Rows() != rows)
    stores = std::make_unique<PersistenceStores>(columns, rows);
  return *stores;
}

void ClearPersistenceStores() {
  for (auto& [image, stores] : Pictures()) stores->Clear();
}

void ForgetPersistenceStores() { Pictures().clear(); }

}  // namespace display
