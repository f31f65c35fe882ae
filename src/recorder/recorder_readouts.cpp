#include "recorder/recorder_readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/os/numeric.h"

namespace recorder {

std::vector<TPoint> RecordPoints(std::span<const std::int32_t> entries, int scrollOffset, double displayStep,
                                 int length, int x0, int y0, std::int32_t shift, bool applyShift) {
  std::vector<TPoint> points;
  // A step that does not advance would never end the walk.
  if (!(displayStep > 0) || !std::isfinite(displayStep)) return points;
  const int limit = std::min<int>(length, static_cast<int>(entries.size()));
  double f = scrollOffset;
  for (int x = x0; x < x0 + 641; x += 2, f += displayStep) {
    const std::int64_t i = numeric::Trunc(f);
    if (i < 0 || i >= limit) break;
    int y = y0 + entries[static_cast<std::size_t>(i)];
    if (applyShift) y = std::clamp(y - 2 * shift, y0, y0 + 255);
    points.push_back({x, y});
  }
  return points;
}

int LiveColumn(int recPos) { return static_cast<int>(numeric::Round(recPos / 6.25)); }

std::string TwoDecimals(double v) {
  if (!std::isfinite(v)) return "???";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  // No "-0.00".
  if (std::string(buf) == "-0.00") return "0.00";
  return buf;
}

std::string TimeReadoutText(const TimeReadoutInput& in) {
  const std::string& caption = in.TimeDivCaption;
  std::string unit, number;
  if (caption.size() >= 2 && caption[caption.size() - 2] == 'm') {
    unit = "ms";
    number = caption.substr(0, caption.size() - 2);
  } else if (!caption.empty()) {
    unit = caption.substr(caption.size() - 1);
    number = caption.substr(0, caption.size() - 1);
  }
  double perDiv = 0;
  try {
    perDiv = number.empty() ? 0 : std::stod(number);
  } catch (...) {
    perDiv = 0;
  }
  const int x1 = std::max(in.Marker1X, in.X0), x2 = std::max(in.Marker2X, in.X0);
  double dt = perDiv * std::abs(x1 - x2) / 32.0;
  const bool parkedOrEdge = in.Marker1X <= in.X0 || in.Marker2X <= in.X0;
  if (parkedOrEdge && in.FromPageStart) {
    double n = perDiv;
    // The 10 ms steps all sample at 100 S/s: 1 s per 100 samples.
    if (in.TimeUnitValue == 500) n = unit == "ms" ? 1000 : 1;
    dt += static_cast<double>(in.RecordedTimeUnit) / in.TimeUnitValue * n *
          (in.ScrollOffset + in.PageStart - 2000) / 100.0;
  }
  const bool parked = in.Marker1X < in.X0 || in.Marker2X < in.X0;
  return (parked ? "t: " : "dt: ") + TwoDecimals(dt) + unit;
}

std::string VoltReadoutText(const VoltReadoutInput& in) {
  double v = 1;
  std::string unit = "V";
  switch (in.RangeCode) {
    case 1: v = 3; break;
    case 27: v = 1; break;
    case 11: v = 0.3; break;
    case 29: v = 0.1; break;
    case 13: v = 30; unit = "mV"; break;
    case 30: v = 10; unit = "mV"; break;
    default: break;
  }
  v *= in.ProbeFactor;
  const int y1 = std::max(in.Marker1Y, in.Y0), y2 = std::max(in.Marker2Y, in.Y0);
  const double dv = v * std::abs(y1 - y2) / 32.0;
  const double level1 = v * (in.ZeroLevel + in.Y0 - y1) / 32.0;
  const double level2 = v * (in.ZeroLevel + in.Y0 - y2) / 32.0;
  return "dV: " + TwoDecimals(dv) + unit + "  (" + TwoDecimals(level1) + ") (" + TwoDecimals(level2) + ")";
}

}  // namespace recorder
