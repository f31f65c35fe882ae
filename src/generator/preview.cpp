#include "generator/preview.h"

#include <algorithm>
#include <vector>

#include "generator/generator_state.h"
#include "platform/os/numeric.h"

namespace generator {
namespace {

std::int32_t At(std::span<const std::int32_t> table, double position) {
  if (table.empty()) return 127;
  const std::int64_t i = std::clamp<std::int64_t>(numeric::Round(position), 0, static_cast<std::int64_t>(table.size()) - 1);
  return table[static_cast<std::size_t>(i)];
}

void DrawGrid(TCanvas& c, int w, int h) {
  c.Pen = TPen{};
  c.Pen.Color = kPreviewGridColor;
  c.Pen.Width = 1;
  c.Brush.Style = bsSolid;
  c.Brush.Color = clWhite;
  c.FillRect({0, 0, w, h});
  for (int k = 0; k <= 8; ++k) {
    const int y = k * (h / 8);
    c.LineInclusive(0, y, w - 1, y);
  }
  for (int k = 0; k <= 10; ++k) {
    const int x = k * (w / 10);
    c.LineInclusive(x, 0, x, h - 1);
  }
  c.LineInclusive(0, 0, w - 1, 0);
  c.LineInclusive(w - 1, 0, w - 1, h - 1);
  c.LineInclusive(0, h - 1, w - 1, h - 1);
  c.LineInclusive(0, 0, 0, h - 1);
  c.Pen.Color = clBlack;
  c.LineInclusive(0, h / 2, w - 1, h / 2);
}

}  // namespace

void DrawPreview(TCanvas& c, int w, int h, const PreviewInput& in, std::span<const std::int32_t> table) {
  DrawPreviewWave(c, w, h, PreviewWave(w, h, in, table));
}

void DrawPreviewWave(TCanvas& c, int w, int h, const std::vector<TPoint>& points) {
  if (w <= 0 || h <= 0) return;
  DrawGrid(c, w, h);
  c.Pen.Color = kPreviewWaveColor;
  c.Pen.Width = 2;
  if (points.size() >= 2) {
    c.MoveTo(points.front().x, points.front().y);
    for (std::size_t i = 1; i < points.size(); ++i) c.LineTo(points[i].x, points[i].y);
  }
}

std::vector<TPoint> PreviewWave(int w, int h, const PreviewInput& in, std::span<const std::int32_t> table) {
  if (w <= 0 || h <= 0 || in.OutputOff) return {};

  // 1/64 of the full height on range 1 up to all of it on range 7.
  const double g = 1.0 / (128 >> std::clamp<int>(in.AttenuatorRange, 1, 7));
  const double halfH = h / 2.0;
  const double offsetShift = -halfH * (in.OffsetDac - 127) / 255.0 + halfH;
  const bool dc = in.Shape == kShapeDc;
  const double span = dc ? 255.0 : 0.86 * 255;
  const auto rowOf = [&](double level) { return numeric::Round32(g * level / span * halfH + offsetShift); };
  const auto tableRow = [&](std::int32_t v) {
    return rowOf(in.Shape == kShapeSine ? 128.0 - v : v - 127.0);
  };

  std::vector<TPoint> points;
  points.reserve(static_cast<std::size_t>(w) + 1);
  const auto stepped = [&](double step) {
    double q = 0;
    for (int x = 0; x <= w; ++x) {
      points.push_back({x, tableRow(At(table, q))});
      q += step;
      if (q > kPeriodPoints) q -= kPeriodPoints;
    }
  };

  switch (in.Shape) {
    case kShapeSine:
    case kShapeLibrary:
    case kShapeDc:
    case kShapePoints:
      stepped(kPeriodPoints * 2.0 / w);
      break;
    case kShapeSinc:
      stepped(static_cast<double>(kPeriodPoints) / w);
      break;
    case kShapeNoise:
      for (int x = 0; x <= w; ++x) points.push_back({x, tableRow(At(table, x))});
      break;
    case kShapeSweep: {
      // The envelope of the chirp: one band of entries per pixel.
      const double band = static_cast<double>(kBasePeriod) / w;
      for (int x = 0; x <= w; ++x) {
        const auto from = static_cast<std::size_t>(std::min<double>(x * band, static_cast<double>(table.size())));
        const auto to = static_cast<std::size_t>(std::min<double>((x + 1) * band, static_cast<double>(table.size())));
        std::int32_t lo = 255, hi = 0;
        for (std::size_t i = from; i < to; ++i) {
          lo = std::min(lo, table[i]);
          hi = std::max(hi, table[i]);
        }
        if (from >= to) lo = hi = 127;
        std::int32_t v = 0;
        if ((lo >= 127 && hi >= 127) || (lo <= 127 && hi <= 127)) v = (lo + hi) / 2;
        else v = x % 2 == 0 ? hi : lo;
        points.push_back({x, tableRow(v)});
      }
      break;
    }
    case kShapeSquare:
    case kShapeTriangle: {
      std::int32_t lo = 127, hi = 127;
      for (std::int32_t v : table) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
      }
      const double sgn = in.PeakOffset ? 1 : -1;
      const int yLo = rowOf(sgn * (lo - 127));
      const int yHi = rowOf(sgn * (hi - 127));
      if (in.Shape == kShapeSquare) {
        const double duty = in.DutyCycle / 100.0;
        const int x1 = numeric::Round32((in.PeakOffset ? 1 - duty : duty) * w / 2);
        const int half = w / 2;
        points = {{1, yLo},        {1, yHi},        {x1, yHi},       {x1, yLo},    {half, yLo},
                  {half, yHi},     {half + x1, yHi}, {half + x1, yLo}, {w - 1, yLo}, {w - 1, yHi}};
      } else {
        points = {{0, yLo}, {w / 4, yHi}, {w / 2, yLo}, {3 * w / 4, yHi}, {w, yLo}};
      }
      break;
    }
    default:
      break;
  }
  return points;
}

void DrawEditorPreview(TCanvas& c, int w, int h, std::span<const std::int32_t> table) {
  if (w <= 0 || h <= 0) return;
  DrawGrid(c, w, h);
  if (!table.empty()) {
    c.Pen.Color = kPreviewWaveColor;
    c.Pen.Width = 2;
    const double step = 64000.0 / w;
    double q = 0;
    for (int x = 0; x < w; ++x) {
      const int y = numeric::Round32((At(table, q) - 127) * 1.5 / 255 * h / 2 + h / 2.0);
      if (x == 0) c.MoveTo(x, y);
      else c.LineTo(x, y);
      q += step;
      if (q > kBasePeriod) q = 0;
    }
  }
  c.Pen.Width = 1;
  c.Pen.Color = clBlack;
  c.LineInclusive(0, 0, w - 1, 0);
  c.LineInclusive(w - 1, 0, w - 1, h - 1);
  c.LineInclusive(0, h - 1, w - 1, h - 1);
  c.LineInclusive(0, 0, 0, h - 1);
}

}  // namespace generator
