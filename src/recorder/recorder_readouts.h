// The recorder picture's numbers: the trace points of a record, the live
// trace's columns and the two marker read-outs. Pure functions.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/canvas.h"

namespace recorder {

// Points of one channel's record: from sample `scrollOffset` at x0, one point
// per 2 pixels, `displayStep` samples apart, while the sample index is below
// `length` and x stays within the 641 pixels of the grid. With `applyShift`
// (no recording runs) each y is moved up by 2 x shift and kept on the grid.
std::vector<TPoint> RecordPoints(std::span<const std::int32_t> entries, int scrollOffset, double displayStep,
                                 int length, int x0, int y0, std::int32_t shift, bool applyShift);

// The live trace's column (0..320) of a sample index: one per 6.25 samples,
// rounded halves to even.
int LiveColumn(int recPos);

struct TimeReadoutInput {
  std::string TimeDivCaption;  // "1s", "0.5s", "50ms" ...
  int Marker1X = 0, Marker2X = 0;
  int X0 = 0;
  bool FromPageStart = false;  // "Markers dV && t": the time of the page and scroll position counts
  std::int32_t RecordedTimeUnit = 500, TimeUnitValue = 500;
  int ScrollOffset = 0;
  std::int32_t PageStart = 2000;
};
// "dt: 1.25s", or "t: ..." when a time marker is parked left of the grid.
std::string TimeReadoutText(const TimeReadoutInput& in);

struct VoltReadoutInput {
  std::uint8_t RangeCode = 27;
  double ProbeFactor = 1.0;
  int ZeroLevel = 127;  // pixel offset from Y0
  int Marker1Y = 0, Marker2Y = 0;
  int Y0 = 0;
};
// "dV: 2.00V  (1.00) (-1.00)".
std::string VoltReadoutText(const VoltReadoutInput& in);

// Two decimals, as the read-outs show numbers.
std::string TwoDecimals(double v);

}  // namespace recorder
