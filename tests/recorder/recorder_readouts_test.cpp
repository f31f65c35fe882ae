// The numbers of the recorder picture: marker read-outs, the points a record
// is drawn with, and the demo source.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "recorder/recorder_readouts.h"
#include "recorder/recorder_tables.h"

using namespace recorder;

namespace {
constexpr int kX0 = 16, kY0 = 20;
}

TEST(RecorderReadouts, TimeReadoutOfMarkerPairs) {
  struct Case {
    const char* caption;
    int m1, m2;
    bool fromPageStart;
    std::int32_t recorded, unit;
    int scroll;
    std::int32_t pageStart;
    const char* text;
  };
  const Case cases[] = {
      {"1s", kX0 + 16, kX0 + 624, false, 500, 500, 0, 2000, "dt: 19.00s"},
      {"0.5s", kX0 + 16, kX0 + 624, false, 500, 500, 0, 2000, "dt: 9.50s"},
      {"2000s", kX0 + 624, kX0 + 16, false, 1000000, 1000000, 0, 2000, "dt: 38000.00s"},
      // Time from the start of the record: 1 s per 100 samples at every 10 ms step.
      {"0.5s", -600, kX0 + 64, true, 500, 500, 100, 4000, "t: 22.00s"},
      {"50ms", -600, kX0 + 64, true, 500, 500, 0, 2000, "t: 100.00ms"},
      {"50ms", -600, kX0 + 64, true, 500, 500, 50, 2000, "t: 600.00ms"},
      // A record taken at "1s" viewed at "2s": its samples are 1 s / 100 apart.
      {"2s", -600, kX0 + 64, true, 500, 1000, 200, 2000, "t: 6.00s"},
      // Without "dV && t" the parked marker counts from the grid's edge only.
      {"1s", -600, kX0 + 64, false, 500, 500, 300, 2000, "t: 2.00s"},
  };
  for (const Case& c : cases) {
    TimeReadoutInput in;
    in.TimeDivCaption = c.caption;
    in.Marker1X = c.m1;
    in.Marker2X = c.m2;
    in.X0 = kX0;
    in.FromPageStart = c.fromPageStart;
    in.RecordedTimeUnit = c.recorded;
    in.TimeUnitValue = c.unit;
    in.ScrollOffset = c.scroll;
    in.PageStart = c.pageStart;
    EXPECT_EQ(TimeReadoutText(in), c.text) << c.caption << " " << c.m1 << " " << c.scroll;
  }
}

TEST(RecorderReadouts, VoltReadoutFollowsRangeProbeAndZeroLevel) {
  VoltReadoutInput in;
  in.Y0 = kY0;
  in.RangeCode = 27;
  in.ZeroLevel = 128;
  in.Marker1Y = kY0 + 16;
  in.Marker2Y = kY0 + 240;
  EXPECT_EQ(VoltReadoutText(in), "dV: 7.00V  (3.50) (-3.50)");
  // 30 mV/div with a x10 probe reads 300 mV per division.
  in.RangeCode = 13;
  in.ProbeFactor = 10;
  in.Marker2Y = kY0 + 48;
  EXPECT_EQ(VoltReadoutText(in), "dV: 300.00mV  (1050.00) (750.00)");
  // A parked marker counts from the top of the grid.
  in.RangeCode = 1;
  in.ProbeFactor = 1;
  in.Marker1Y = -5;
  EXPECT_EQ(VoltReadoutText(in), "dV: 4.50V  (12.00) (7.50)");
}

TEST(RecorderReadouts, RecordPointsWalkTheRecordAtTheDisplayStep) {
  std::vector<std::int32_t> entries(4096);
  for (int i = 0; i < 4096; ++i) entries[i] = i % 200;

  // 1.25 samples per column: the same data magnified.
  std::vector<TPoint> p = RecordPoints(entries, 0, 1.25, 2000, kX0, kY0, 0, false);
  ASSERT_EQ(p.size(), 321u);
  EXPECT_EQ(p[0], (TPoint{kX0, kY0}));
  EXPECT_EQ(p[4], (TPoint{kX0 + 8, kY0 + 5}));
  EXPECT_EQ(p.back().x, kX0 + 640);
  // 12.5 samples per column: 160 columns cover the record.
  p = RecordPoints(entries, 0, 12.5, 2000, kX0, kY0, 0, false);
  EXPECT_EQ(p.size(), 160u);
  EXPECT_EQ(p[3].y, kY0 + 37);
  // Scrolled to the end nothing is left; a short record stops early.
  EXPECT_TRUE(RecordPoints(entries, 2000, 6.25, 2000, kX0, kY0, 0, false).empty());
  EXPECT_EQ(RecordPoints(entries, 0, 6.25, 10, kX0, kY0, 0, false).size(), 2u);
  // A stored record follows its shift, held on the grid; a live one does not.
  p = RecordPoints(entries, 3, 6.25, 2000, kX0, kY0, 2, true);
  EXPECT_EQ(p[0].y, kY0);          // 3 - 4 held at the top
  EXPECT_EQ(p[1].y, kY0 + 9 - 4);  // sample 9
  p = RecordPoints(entries, 3, 6.25, 2000, kX0, kY0, -200, true);
  EXPECT_EQ(p[0].y, kY0 + 255);
  EXPECT_EQ(RecordPoints(entries, 3, 6.25, 2000, kX0, kY0, 2, false)[0].y, kY0 + 3);
  // A step that would never advance draws nothing instead of hanging.
  EXPECT_TRUE(RecordPoints(entries, 0, 0.0, 2000, kX0, kY0, 0, false).empty());
  // The live trace: one column per 6.25 samples.
  EXPECT_EQ(LiveColumn(0), 0);
  EXPECT_EQ(LiveColumn(3), 0);
  EXPECT_EQ(LiveColumn(4), 1);
  EXPECT_EQ(LiveColumn(2000), 320);
}

TEST(RecorderDemo, StepsAndPeriodsFollowTheTimeBaseAndRanges) {
  std::vector<std::int32_t> steps;
  for (const auto& row : RecorderTimeTable) steps.push_back(DemoStepFor(row.TimeUnitValue));
  EXPECT_EQ(steps, (std::vector<std::int32_t>{2000, 1000, 400, 200, 100, 40, 20, 10, 4, 2, 1, 1, 1, 1, 1, 1}));

  const DemoSources s = BuildDemoSources();
  // The triangle falls for the first half period and rises after it.
  EXPECT_EQ(s.Triangle[0], 0);
  EXPECT_EQ(s.Triangle[1], -50);
  EXPECT_EQ(*std::min_element(s.Triangle.begin(), s.Triangle.end()), s.Triangle[151]);
  EXPECT_EQ(s.ThreeSines[0], 1500);  // 1500 sin(pi/2)

  DemoDisplay d = BuildDemoDisplay(s, 27, 27, 0, 0);
  EXPECT_EQ(d.Ch1[0], 128);
  EXPECT_EQ(d.Ch1[151], 128 + s.Triangle[151] / 100);
  EXPECT_EQ(d.Ch2[0], 128 + 15);
  // 10 mV/div clips the triangle at the bottom code; the position lifts the whole period.
  d = BuildDemoDisplay(s, 30, 27, 0, 20);
  EXPECT_EQ(d.Ch1[151], 0);
  EXPECT_EQ(d.Ch2[0], 128 + 15 + 40);
}
