// Where the plotters put the points: plain plots with their interpolation
// between samples, the linear and sine interpolators at 0.2 and 0.1 us/div,
// the shortened windows near the end of the record, clipped points on the
// frame, the stopped-trace shift, and the Big Screen's doubled scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "picture_fixture.h"
#include "platform/ui/image.h"
#include "display/display_state.h"
#include "engine/picture_settings.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

std::vector<TPoint> Points(int count) {
  return std::vector<TPoint>(View().PlotPoints.begin(), View().PlotPoints.begin() + count);
}

// The code a plotted y stands for (before the drawing step moves it).
int CodeAt(const TPoint& p) { return View().Y0 + 255 - p.y; }

TEST_F(PictureTest, PlainPlotInterpolatesBetweenSamplesAndRoundsHalvesToEven) {
  // 1 ms/div: 5 samples per 2 pixels, one point per pixel.
  ScopeState().DisplayStart = 1024;
  FillCh2([](int i) { return std::clamp(i - 1024, 0, 255); });
  const int n = display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096);
  ASSERT_EQ(n, 651);
  const std::vector<TPoint> pts = Points(n);
  EXPECT_EQ(pts.front().x, View().X0);
  EXPECT_EQ(pts.back().x, View().X0 + 650);
  // Point k lies at sample 1024 + 2.5 k: 2.5 rounds to 2, 7.5 to 8, 12.5 to 12.
  const int expected[][2] = {{0, 0}, {1, 2}, {2, 5}, {3, 8}, {5, 12}, {40, 100}, {101, 252}};
  for (const auto& [k, code] : expected) EXPECT_EQ(CodeAt(pts[k]), code) << "point " << k;
}

TEST_F(PictureTest, PlottersDrawTheCaptureTheyAreGivenNotTheScopesBlock) {
  // The scope's own block stays silent; a CH1 capture held elsewhere, shown
  // from another start, is what every plotter draws.
  ScopeState().ScopeSampleBlock.fill(0);
  std::vector<std::int32_t> held(display::kSampleBlockEntries, 0);
  std::fill(held.begin() + 4096, held.begin() + 8192, 77);
  display::PictureSettings s;
  s.Samples = display::SampleBlockView(held.data(), display::kSampleBlockEntries);
  s.DisplayStart = 100;
  const std::pair<const char*, std::function<int()>> plotters[] = {
      {"plain", [&] { return display::PlotPlainPoints(View(), s, 4096, 8192); }},
      {"sine", [&] { return display::PlotSinePoints(View(), s, 4096, 8192, 2); }},
      {"linear", [&] { return display::PlotLinearPoints(View(), s, 4096, 8192, 2); }},
  };
  for (const auto& [name, plot] : plotters) {
    const int n = plot();
    ASSERT_EQ(n, 651) << name;
    for (int p = 0; p < n; ++p) ASSERT_EQ(CodeAt(View().PlotPoints[p]), 77) << name << " " << p;
  }
}

TEST_F(PictureTest, PlainPlotAtMagnifiedStepsJoinsTheSamples) {
  // 0.5 us/div: one sample per 4 pixels.
  UsePlainTimeBase(4, 1.0);
  ScopeState().DisplayStart = 2000;
  FillCh1([](int i) { return i % 256; });
  const int n = display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 4096, 8192);
  ASSERT_EQ(n, 163);
  for (int k = 0; k < n; ++k) {
    EXPECT_EQ(View().PlotPoints[k].x, View().X0 + 4 * k);
    EXPECT_EQ(CodeAt(View().PlotPoints[k]), (2000 + k) % 256) << k;
  }
}

// A step from code 50 to 250 between samples 3 and 4 of the window.
void FillStep(int at) {
  FillCh2([at](int i) { return i < ScopeState().DisplayStart + at ? 50 : 250; });
}

TEST_F(PictureTest, LinearInterpolationDrawsStraightLinesBetweenSamples) {
  ScopeState().DisplayStart = 1500;
  FillStep(4);
  for (int step : {1, 2}) {
    UseInterpolatedTimeBase(step, true);
    const int n = display::PlotLinearPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step);
    ASSERT_EQ(n, 651);
    const int perSample = 20 / step;
    // Sample 3 at 3 x perSample pixels, sample 4 one sample later, the
    // midpoint halfway between.
    EXPECT_EQ(CodeAt(View().PlotPoints[3 * perSample]), 50) << step;
    EXPECT_EQ(CodeAt(View().PlotPoints[3 * perSample + perSample / 2]), 150) << step;
    EXPECT_EQ(CodeAt(View().PlotPoints[4 * perSample]), 250) << step;
    EXPECT_EQ(CodeAt(View().PlotPoints[3 * perSample - 1]), 50) << step;
    for (int p = 3 * perSample; p < 4 * perSample; ++p)
      EXPECT_LT(CodeAt(View().PlotPoints[p]), CodeAt(View().PlotPoints[p + 1])) << step << " " << p;
  }
}

TEST_F(PictureTest, SineInterpolationKeepsFlatTracesFlatAndClippedOnTheRails) {
  ScopeState().DisplayStart = 1500;
  for (int code : {0, 1, 127, 254, 255}) {
    FillCh2([code](int) { return code; });
    for (int step : {1, 2}) {
      UseInterpolatedTimeBase(step, false);
      const int n = display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step);
      ASSERT_EQ(n, 651);
      for (int p = 0; p < n; ++p) ASSERT_EQ(CodeAt(View().PlotPoints[p]), code) << code << " " << step << " " << p;
    }
  }
}

TEST_F(PictureTest, SineInterpolationSettlesAndMovesTwentyOverStepPixelsPerSample) {
  ScopeState().DisplayStart = 1500;
  for (int step : {1, 2}) {
    UseInterpolatedTimeBase(step, false);
    const int perSample = 20 / step;
    FillStep(14);
    ASSERT_EQ(display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step), 651);
    const std::vector<TPoint> first = Points(651);
    // The kernel reaches 12 samples: away from the step the trace is exact.
    EXPECT_EQ(CodeAt(first[perSample / 2]), 50);
    EXPECT_EQ(CodeAt(first[28 * perSample]), 250);
    // It rings around the step but stays on the screen.
    for (const TPoint& p : first) {
      EXPECT_GE(CodeAt(p), 0);
      EXPECT_LE(CodeAt(p), 255);
    }
    // Sample k is centred at pixel k x perSample: the step between samples 13
    // and 14 crosses half way at 13.5 x perSample.
    const auto crossing = std::find_if(first.begin(), first.end(), [](const TPoint& p) { return CodeAt(p) >= 150; });
    ASSERT_NE(crossing, first.end());
    EXPECT_NEAR(crossing - first.begin(), 13.5 * perSample, 2);

    // One sample later, the same picture one sample to the right.
    FillStep(15);
    ASSERT_EQ(display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step), 651);
    for (int p = 0; p + perSample < 651; ++p)
      ASSERT_EQ(View().PlotPoints[p + perSample].y, first[p].y) << step << " " << p;
  }
}

TEST_F(PictureTest, InterpolatedPlotsDrawFewerPointsNearTheEndOfTheRecord) {
  FillCh2([](int) { return 100; });
  struct Case {
    int start, step;
    int sine, linear;
  };
  // The window stops where the record ends.
  const Case cases[] = {{4066, 1, 200, 230}, {4066, 2, 85, 90}, {3953, 2, 651, 651}, {4024, 1, 651, 651}};
  for (const Case& c : cases) {
    ScopeState().DisplayStart = c.start;
    UseInterpolatedTimeBase(c.step, false);
    EXPECT_EQ(display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, c.step), c.sine) << c.start << " " << c.step;
    EXPECT_EQ(display::PlotLinearPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, c.step), c.linear) << c.start << " " << c.step;
  }
  // Past the end nothing is drawn, and never more than the window holds.
  ScopeState().DisplayStart = 4095;
  EXPECT_EQ(display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, 1), 0);
  EXPECT_EQ(display::PlotLinearPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, 1), 0);
  ScopeState().DisplayStart = 1;
  EXPECT_EQ(display::PlotLinearPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, 2), 651);
}

// The last sample of a channel is read for anything beyond it: CH2's trace
// never picks up CH1's first sample, nor CH1's the spare entry.
TEST_F(PictureTest, PlottersNeverReadPastAChannelsLastSample) {
  FillCh2([](int) { return 100; });
  FillCh1([](int i) { return i == 0 ? 0 : 250; });
  ScopeState().ScopeSampleBlock[8192] = 0;

  for (int step : {1, 2}) {
    ScopeState().DisplayStart = 4066;
    UseInterpolatedTimeBase(step, false);
    int n = display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step);
    for (int p = 0; p < n; ++p) ASSERT_EQ(CodeAt(View().PlotPoints[p]), 100) << p;
    UseInterpolatedTimeBase(step, true);
    n = display::PlotLinearPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096, step);
    for (int p = 0; p < n; ++p) ASSERT_EQ(CodeAt(View().PlotPoints[p]), 100) << p;
  }

  // The XY figure walks up to the last sample, half a sample per step.
  ScopeState().MathOff = 0;
  DisplayState().XYPlotMode = 1;
  ScopeState().DisplayStart = 4000;
  UsePlainTimeBase(2, 0.5);
  const int n = display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096);
  ASSERT_EQ(n, 192);
  for (int p = 0; p < n; ++p) {
    ASSERT_EQ(View().PlotPoints[p].x, View().X0 + 198 + 100) << p;
    ASSERT_EQ(View().PlotPoints[p].y, View().Y0 + 5) << p;
  }
}

TEST_F(PictureTest, ArithmeticTracesCombineOnTheCoarserScale) {
  ScopeState().MathOff = 0;
  ScopeState().Settings.Channels[0].GainCode = 27;  // 1 V/div
  ScopeState().Settings.Channels[1].GainCode = 29;  // 0.1 V/div
  ScopeState().Channels[0].GroundLevel = ScopeState().Channels[1].GroundLevel = 128;  // ground code 127
  FillCh1([](int) { return 127 + 40; });
  FillCh2([](int) { return 127 - 50; });

  DisplayState().Ch1PlusCh2Mode = 1;
  int n = display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096);
  ASSERT_GT(n, 0);
  EXPECT_DOUBLE_EQ(View().MathScaleRatio, 0.1);
  EXPECT_EQ(CodeAt(View().PlotPoints[0]), 40 + (-5) + 127);
  DisplayState().Ch1PlusCh2Mode = 0;

  // CH2 at ground: the quotient is clamped, no division error.
  FillCh2([](int) { return 127; });
  DisplayState().DivideMode = 1;
  n = display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096);
  ASSERT_GT(n, 0);
  EXPECT_EQ(CodeAt(View().PlotPoints[n / 2]), 255);
  FillCh1([](int) { return 127; });
  display::PlotPlainPoints(View(), engine::CurrentPictureSettings(States()), 0, 4096);
  EXPECT_EQ(CodeAt(View().PlotPoints[n / 2]), 127);
}

TEST_F(PictureTest, TracesOnTheRailsLieOnTheFrameRows) {
  const int x0 = View().X0, y0 = View().Y0;
  FillCh1([](int) { return 255; });
  FillCh2([](int) { return 0; });
  // piirra draws with the not-xor pen: each second call erases.
  Form1->piirra(1);
  for (int p = 0; p < 651; ++p) ASSERT_EQ(View().PlotPoints[p].y, y0 - 1) << p;
  Form1->piirra(1);
  Form1->piirra(2);
  for (int p = 0; p < 651; ++p) ASSERT_EQ(View().PlotPoints[p].y, y0 + 257) << p;
  Form1->piirra(2);

  // Drawn: nothing on the rows of codes 255 and 0, the frame rows in the frame colour.
  const QImage graticule = Picture();
  Form1->piirrot();
  for (int x = x0; x <= x0 + 650; x += 25) {
    EXPECT_EQ(Picture().pixel(x, y0), graticule.pixel(x, y0)) << x;
    EXPECT_EQ(Picture().pixel(x, y0 + 255), graticule.pixel(x, y0 + 255)) << x;
    EXPECT_EQ(Pixel(x, y0 - 1), DisplayState().BrightGridColor) << x;
    EXPECT_EQ(Pixel(x, y0 + 257), DisplayState().BrightGridColor) << x;
  }
  Form1->poisto();

  // With a math display shown the top stays on the top grid line; inverted,
  // CH2's code 0 is drawn at the top.
  ScopeState().MathOff = 0;
  ScopeState().InvertCh2Mode = 1;
  Form1->piirra(1);
  EXPECT_EQ(View().PlotPoints[0].y, y0);
  Form1->piirra(1);
  Form1->piirra(2);
  EXPECT_EQ(View().PlotPoints[0].y, y0);
  Form1->piirra(2);
}

TEST_F(PictureTest, StoppedTraceShiftFollowsTheTraceNotThePenColour) {
  ScopeState().AcquisitionIdle = 1;
  DisplayState().Channels[0].CapturePos = 10;
  DisplayState().Channels[1].CapturePos = -20;
  // Both channels in one colour: the shift must still go by channel.
  DisplayState().Ch2PenColor = DisplayState().Ch1PenColor;
  FillCh1([](int) { return 100; });
  FillCh2([](int) { return 100; });
  const int y0 = View().Y0;

  Form1->piirra(2);
  EXPECT_EQ(View().PlotPoints[0].y, y0 + 155 + 20);
  Form1->piirra(2);
  Form1->piirra(1);
  EXPECT_EQ(View().PlotPoints[0].y, y0 + 155 - 10);
  Form1->piirra(1);

  // Running traces are never shifted.
  ScopeState().AcquisitionIdle = 0;
  Form1->piirra(1);
  EXPECT_EQ(View().PlotPoints[0].y, y0 + 155);
  Form1->piirra(1);
}

TEST_F(PictureTest, BigScreenViewDoublesTheVerticalScale) {
  auto* image = new TImage(Form1);
  image->SetBounds(0, 0, 1000, 560);
  display::ScopeView big = display::BigScopeView(image, {});
  EXPECT_EQ(big.X0, 25);
  EXPECT_EQ(big.Y0, 24);

  for (const auto& [code, row] : {std::pair{0, 24 + 512}, std::pair{255, 24 - 1}, std::pair{128, 24 + 254}}) {
    FillCh2([code](int) { return code; });
    display::PlotTraceOn(big, engine::CurrentPictureSettings(States()), 2);
    ASSERT_EQ(big.PlotPoints[0].y, row) << code;
    EXPECT_EQ(big.PlotPoints[950].x, 25 + 950);
    display::PlotTraceOn(big, engine::CurrentPictureSettings(States()), 2);
  }
  // Erased again: only the frame rows were repainted.
  display::WipePicture(big, DisplayState().BackgroundColor);
  const QImage empty = image->Picture()->Image().copy();
  FillCh2([](int i) { return (i * 3) % 256; });
  display::DrawTraces(big, engine::CurrentPictureSettings(States()));
  EXPECT_TRUE(big.Ch2Drawn);
  display::EraseTraces(big, engine::CurrentPictureSettings(States()));
  EXPECT_EQ(DifferentPixels(image->Picture()->Image(), WithFrameRows(empty, big)), 0);
}

}  // namespace

namespace {

using namespace picture_test;

// The sine interpolator as first described: fill, hold 4x, filter in place,
// replicate 5x, average 5 per pixel, all on plain arrays.
std::vector<int> ReferenceSine(int first, int step, int count) {
  const int ds = ScopeState().DisplayStart;
  const auto& S = ScopeState().ScopeSampleBlock;
  std::vector<int> up(4 * (ds + 400) + 200, 0);
  for (int e = 0; e <= 100; ++e) up[e] = S[first];
  for (int k = 0; k < ds + 166; ++k) {
    const int v = S[first + k];
    for (int r = 0; r < 4; ++r) up[47 + 4 * k + r] = v == 255 ? 258 : v == 0 ? -3 : v;
  }
  for (int i = 4 * ds; i <= 4 * ds + 650; ++i) {
    int sum = 0;
    for (int k = 0; k < 95; ++k) sum += display::kSineKernel[k] * up[i + 1 + k];
    up[i] = std::clamp(sum / 1007, 0, 255);
  }
  std::vector<int> replicated;
  for (int i = 4 * ds; replicated.size() < static_cast<std::size_t>(step * 670); ++i)
    for (int r = 0; r < 5; ++r) replicated.push_back(up[i]);
  std::vector<int> ys;
  for (int p = 0, o = 2; p < count; ++p, o += step) {
    int sum = 0;
    for (int q = 0; q < 5; ++q) sum += replicated[o + q];
    ys.push_back(View().Y0 - sum / 5 + 255);
  }
  return ys;
}

TEST_F(PictureTest, SineInterpolationMatchesTheFilterEntryByEntry) {
  // Busy, clipping now and then, different on each channel.
  FillCh2([](int i) { return std::clamp((i * 37) % 300 - 20, 0, 255); });
  FillCh1([](int i) { return std::clamp(128 + ((i * 53) % 200) - 100 + (i % 7) * 20, 0, 255); });
  for (int start : {1, 5, 11, 12, 1500, 3000}) {
    ScopeState().DisplayStart = start;
    for (int first : {0, 4096}) {
      for (int step : {1, 2}) {
        UseInterpolatedTimeBase(step, false);
        const int n = display::PlotSinePoints(View(), engine::CurrentPictureSettings(States()), first, first + 4096, step);
        ASSERT_EQ(n, 651);
        const std::vector<int> expected = ReferenceSine(first, step, n);
        for (int p = 0; p < n; ++p)
          ASSERT_EQ(View().PlotPoints[p].y, expected[p]) << start << " " << first << " " << step << " " << p;
      }
    }
  }
}

}  // namespace
