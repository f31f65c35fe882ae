// The graticule, the trigger-level tick, the marker lines and the screen
// texts on the main picture: where each pixel lands, and that every not-xor
// item and every text comes off again without a trace.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "display/annotation.h"
#include "display/graticule.h"
#include "picture_fixture.h"
#include "display/display_state.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

int X0() { return View().X0; }
int Y0() { return View().Y0; }

// The normal graticule as the drawing rules lay it out, for a pixel at
// (dx, dy) from the grid's top-left corner, frame included.
TColor ExpectedGridPixel(int dx, int dy) {
  using namespace engine;
  using namespace display;
  if (dx == -1 || dx == 651 || dy == -1 || dy == 257) return DisplayState().BrightGridPenColor;
  const bool horizontalLine = dy % 32 == 0 && dx >= 0 && dx <= 650;
  const bool verticalLine = dx % 50 == 0 && dy >= 0 && dy <= 256;
  const bool centreTick = dx % 10 == 0 && dy >= 126 && dy <= 130;
  bool edgeTick = false;
  for (int offset : {0, 6, 13, 19, 26, 32, 39, 45, 52, 58})
    if (dy % 64 == offset && ((dx >= 1 && dx <= 3) || (dx >= 647 && dx <= 649))) edgeTick = true;
  return horizontalLine || verticalLine || centreTick || edgeTick ? DisplayState().GridPenColor : DisplayState().BackgroundColor;
}

// Pixels inside the frame (frame included) that differ from the layout.
int GridMismatches() {
  int n = 0;
  for (int dy = -1; dy <= 257; ++dy)
    for (int dx = -1; dx <= 651; ++dx) {
      const TColor want = ExpectedGridPixel(dx, dy);
      const TColor got = Pixel(X0() + dx, Y0() + dy);
      if (got != want && n++ < 5)
        ADD_FAILURE() << "pixel (" << dx << ", " << dy << ") from the grid corner: " << std::hex << got
                      << " instead of " << want;
    }
  return n;
}

// The not-xor result of a pen over a pixel colour.
TColor NotXor(TColor pen, TColor under) { return ~(pen ^ under) & 0xFFFFFF; }

// Trigger off, markers off, no optional read-outs, markers where the window
// puts them at start.
class GraticuleTest : public PictureTest {
 protected:
  void SetUp() override {
    DisplayState().TriggerOn = DisplayState().MarkersOn = DisplayState().FftMarkersOn = 0;
    DisplayState().FreqMarkerShown = 0;
    DisplayState().SpanText.clear();
    DisplayState().TimeMarkerText.clear();
    DisplayState().InvTimeMarkerText.clear();
    DisplayState().VoltMarkerText = "0.0V";
    ScopeState().SampleRateOn = ScopeState().RmsOn = ScopeState().DbmOn = 0;
    ScopeState().Settings.TriggerLevel = 128;
    PictureTest::SetUp();
  }
};

TEST_F(GraticuleTest, GridLinesTicksAndFrameLieOnTheirRowsAndColumns) {
  EXPECT_EQ(GridMismatches(), 0);
  // Nothing of the graticule left of the frame or between it and the text lines.
  EXPECT_EQ(Pixel(X0() - 2, Y0() + 100), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(X0() + 652, Y0() + 100), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(X0() + 300, Y0() - 2), DisplayState().BackgroundColor);
}

TEST_F(GraticuleTest, CentreLineHasFiveTicksPerDivisionAndNoneOnTheRightEdge) {
  // 13 divisions on the main picture, 19 on the Big Screen.
  for (const auto& [view, divisions] : {std::pair{View(), 13}, std::pair{display::BigScopeView(nullptr, {}), 19}}) {
    const std::vector<int> columns = display::CentreTickColumns(view);
    ASSERT_EQ(static_cast<int>(columns.size()), 5 * divisions);
    for (std::size_t k = 0; k < columns.size(); ++k) EXPECT_EQ(columns[k], view.X0 + 10 * static_cast<int>(k));
    EXPECT_LT(columns.back(), view.X0 + view.GridWidth);
  }
  // Each tick stands across the centre line, five rows high.
  EXPECT_EQ(Pixel(X0() + 640, Y0() + 125), DisplayState().BackgroundColor);
  for (int y = Y0() + 126; y <= Y0() + 130; ++y) EXPECT_EQ(Pixel(X0() + 640, y), DisplayState().GridPenColor) << y;
  EXPECT_EQ(Pixel(X0() + 640, Y0() + 131), DisplayState().BackgroundColor);
}

// The level read-out belongs to the spectrum markers: with them off it is
// neither updated nor shown, though the text of their last use is kept.
TEST_F(GraticuleTest, SpectrumLevelReadoutShowsOnlyWithTheSpectrumMarkers) {
  ScopeState().SpectrumMode = 1;
  DisplayState().LevelMarkerText = "V: -12.00dBV";
  Wipe();
  const QImage withoutMarkers = Picture();
  Form1->TulostaTeksti(DisplayState().LevelMarkerText, X0(), ScopeState().TextLineY, DisplayState().Ch1Color);
  const QImage printed = Picture();
  ASSERT_GT(DifferentPixels(printed, withoutMarkers), 10);

  DisplayState().FftMarkersOn = 1;
  DisplayState().FreqMarkerBin = 4000;  // no frequency line or read-out in the way
  DisplayState().FreqMarker1X = 0;
  Wipe();
  int bottomDiffers = 0;
  for (int y = ScopeState().TextLineY; y < TForm1::kImage1Height; ++y)
    for (int x = 0; x < 120; ++x) bottomDiffers += Picture().pixel(x, y) != printed.pixel(x, y);
  EXPECT_EQ(bottomDiffers, 0);
}

TEST_F(GraticuleTest, BrightGridDrawsTheSameLayoutInTheBrightColour) {
  DisplayState().GridPenColor = DisplayState().BrightGridPenColor;
  Wipe();
  EXPECT_EQ(GridMismatches(), 0);
  EXPECT_EQ(Pixel(X0() + 50, Y0() + 100), DisplayState().BrightGridPenColor);
}

TEST_F(GraticuleTest, XYLayoutIsAnEightByEightSquareWithItsOwnFrame) {
  ScopeState().MathOff = 0;
  DisplayState().XYPlotMode = 1;
  Wipe();
  const int l = X0() + 197;
  // Lines of the square and its right edge one column further out.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Pixel(l + 32 * i, Y0() + 100), DisplayState().GridPenColor) << i;
  EXPECT_EQ(Pixel(l + 256, Y0() + 100), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(l + 257, Y0() + 100), DisplayState().GridPenColor);
  for (int i = 0; i <= 8; ++i) EXPECT_EQ(Pixel(l + 10, Y0() + 32 * i), DisplayState().GridPenColor) << i;
  // Inner frame beside the square, outer frame round the whole grid.
  EXPECT_EQ(Pixel(X0() + 196, Y0() + 100), DisplayState().BrightGridPenColor);
  EXPECT_EQ(Pixel(X0() + 455, Y0() + 100), DisplayState().BrightGridPenColor);
  EXPECT_EQ(Pixel(X0() - 1, Y0() + 100), DisplayState().BrightGridPenColor);
  EXPECT_EQ(Pixel(X0() + 651, Y0() + 100), DisplayState().BrightGridPenColor);
  // No scope grid outside the square.
  EXPECT_EQ(Pixel(X0() + 50, Y0() + 100), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(X0() + 100, Y0() + 64), DisplayState().BackgroundColor);
  // Centre ticks in the 13/-1 pattern on both centre lines.
  EXPECT_EQ(Pixel(l + 6, Y0() + 127), DisplayState().GridPenColor);
  EXPECT_EQ(Pixel(l + 3, Y0() + 127), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(X0() + 324, Y0() + 6), DisplayState().GridPenColor);
  EXPECT_EQ(Pixel(X0() + 324, Y0() + 3), DisplayState().BackgroundColor);
}

TEST_F(GraticuleTest, TriggerLevelTickIsDrawnOnlyWhileTheTriggerIsOn) {
  ScopeState().Settings.TriggerLevel = 100;
  const QImage off = Picture();
  EXPECT_EQ(Pixel(X0() + 2, Y0() + 101), DisplayState().BackgroundColor);

  DisplayState().TriggerOn = 1;
  Wipe();
  // Two 5-pixel rows just under the level, in the CH1 colour over the background.
  for (int y : {Y0() + 101, Y0() + 102}) {
    for (int x = X0() + 1; x <= X0() + 4; ++x) EXPECT_EQ(Pixel(x, y), DisplayState().Ch1Color) << x << "," << y;
    EXPECT_EQ(Pixel(X0(), y), NotXor(DisplayState().Ch1PenColor, DisplayState().GridPenColor));
    EXPECT_EQ(Pixel(X0() + 5, y), DisplayState().BackgroundColor);
  }
  EXPECT_EQ(DifferentPixels(Picture(), off), 10);

  // Drawn again it is gone.
  Form1->t_viiva();
  EXPECT_EQ(DifferentPixels(Picture(), off), 0);
}

TEST_F(GraticuleTest, InvertedCh2SourceMirrorsTheLevelTick) {
  ScopeState().Settings.TriggerSource = 0;
  ScopeState().Settings.TriggerLevel = 40;
  ScopeState().MathOff = 0;
  ScopeState().InvertCh2Mode = 1;
  DisplayState().Ch2PenColor = DisplayState().Math2PenColor;
  DisplayState().TriggerOn = 1;
  Wipe();
  const int row = Y0() - 40 + 256;
  EXPECT_EQ(Pixel(X0() + 2, row), DisplayState().Math2Color);
  EXPECT_EQ(Pixel(X0() + 2, row + 1), DisplayState().Math2Color);
  EXPECT_EQ(Pixel(X0() + 2, Y0() + 41), DisplayState().BackgroundColor);
}

TEST_F(GraticuleTest, MarkerLinesAreDottedAndComeOffWhenDrawnAgain) {
  const QImage bare = Picture();
  DisplayState().MarkersOn = 1;
  Wipe();
  const int v1 = DisplayState().VoltMarker1Y, t1 = DisplayState().TimeMarker1X;
  ASSERT_EQ(v1, Y0() + 16);
  ASSERT_EQ(t1, X0() + 16);
  // Dotted: every other pixel from the first one, the gaps untouched.
  EXPECT_EQ(Pixel(X0() + 1, v1), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(X0() + 2, v1), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(X0() + 3, v1), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(t1, Y0() + 1), DisplayState().TimeMarkerColor);
  EXPECT_EQ(Pixel(t1, Y0() + 2), DisplayState().BackgroundColor);
  // The lines end one pixel short of the marker limits, at the grid's edges.
  EXPECT_EQ(Pixel(X0() + 649, v1), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(X0() + 650, v1), DisplayState().GridPenColor);
  EXPECT_EQ(Pixel(t1, Y0() + 255), DisplayState().TimeMarkerColor);
  EXPECT_EQ(Pixel(t1, Y0() + 256), DisplayState().GridPenColor);

  Form1->kursorit();
  // Only the read-outs the markers brought along remain, below the grid.
  const QImage after = Picture();
  for (int y = Y0() - 1; y <= Y0() + 257; ++y)
    for (int x = 0; x < TForm1::kImage1Width; ++x) ASSERT_EQ(after.pixel(x, y), bare.pixel(x, y)) << x << "," << y;
}

TEST_F(GraticuleTest, MarkersLeftOfOrAboveTheGridAreNotDrawn) {
  const QImage bare = Picture();
  DisplayState().MarkersOn = 1;
  DisplayState().TimeMarker1X = DisplayState().TimeMarker2X = X0() - 3;
  DisplayState().VoltMarker1Y = DisplayState().VoltMarker2Y = Y0() - 3;
  DisplayState().TimeMarkerText = "dt: 1.00ms";
  DisplayState().VoltMarkerText = "dV: 1.00V";
  Wipe();
  EXPECT_EQ(DifferentPixels(Picture(), bare), 0);
}

TEST_F(GraticuleTest, FrequencyMarkerLineLandsOnItsBinAndComesOffAgain) {
  ScopeState().SpectrumMode = 1;
  DisplayState().FftMarkersOn = 1;
  ScopeState().DisplayStart = 0;
  DisplayState().SpectrumZoom = 8;
  DisplayState().FreqMarkerBin = 80;  // 8 points per 2 pixels: 20 pixels in
  Wipe();
  EXPECT_EQ(DisplayState().FreqMarkerShown, 1);
  EXPECT_EQ(DisplayState().FreqMarker1X, X0() + 20);
  EXPECT_EQ(Pixel(X0() + 20, Y0() + 1), DisplayState().TimeMarkerColor);
  EXPECT_EQ(Pixel(X0() + 20, Y0() + 2), DisplayState().BackgroundColor);

  const QImage with = Picture();
  Form1->fft_viiva_off();
  EXPECT_EQ(DisplayState().FreqMarkerShown, 0);
  EXPECT_EQ(DifferentPixels(Picture(), with), 128);  // every other pixel of rows y0+1 .. y0+255
  EXPECT_EQ(Pixel(X0() + 20, Y0() + 1), DisplayState().BackgroundColor);

  // A bin beyond the right edge has no line.
  DisplayState().FreqMarkerBin = 4000;
  Form1->fft_viiva_on();
  EXPECT_EQ(DisplayState().FreqMarkerShown, 0);
  EXPECT_EQ(DisplayState().FreqMarker1X, 0);
}

TEST_F(GraticuleTest, ATextPrintedThenErasedRestoresThePicture) {
  const QImage before = Picture();
  const int x = X0() + 510, y = ScopeState().TextLineY;
  Form1->TulostaTeksti("12.5mV", x, y, DisplayState().Ch1Color);
  const QImage printed = Picture();
  EXPECT_GT(DifferentPixels(printed, before), 10);
  Form1->TulostaTeksti("12.5mV", x, y, DisplayState().BackgroundColor);
  EXPECT_EQ(DifferentPixels(Picture(), before), 0);
}

TEST_F(GraticuleTest, EveryTextEndsBeforeTheNextFieldBegins) {
  // The longest texts each place holds, printed at their places: the ink of
  // each stops at least one pixel short of the field that follows it.
  const int x0 = X0();
  const int bottom = ScopeState().TextLineY;
  struct Field {
    const char* text;
    int x, y, next;
  } fields[] = {
      // The parameter list: labels at 470, the CH1 value 70 further, CH2 60 after that.
      {"DC Mean:", 470, 22, 540},         {"Pk-to-Pk:", 470, 22, 540},       {"Amplitude:", 470, 22, 540},
      {"AC RMS:", 470, 22, 540},          {"AC dBV:", 470, 22, 540},         {"AC dBm:", 470, 22, 540},
      {"AC+DC RMS:", 470, 22, 540},       {"AC+DC dBV:", 470, 22, 540},      {"AC+DC dBm:", 470, 22, 540},
      {"Duty Cycle:", 470, 22, 540},      {"Pos. Width:", 470, 22, 540},     {"Neg. Width:", 470, 22, 540},
      {"Rise Time:", 470, 22, 540},       {"Fall Time:", 470, 22, 540},      {"Frequency:", 470, 22, 540},
      {"-10.25 dBV", 540, 22, 600},       {"-1.234 V ??", 540, 22, 600},     {"-90.0 deg", 540, 22, 600},
      // Marker read-outs on the bottom line.
      {"dV: 10.00mV  (-10.00) (-20.00)", x0, bottom, x0 + 185},
      {"V: -45.67dBV/sqrt(Hz)", x0, bottom, x0 + 125},
      {"dt: 200.0ms", x0 + 185, bottom, x0 + 265},
      {"Vrms: 123.45mV", x0 + 510, bottom, x0 + 595},
      // Captions on the top line.
      {"30mV", x0 + 10, 3, x0 + 70},
      {"12.5MS/s", x0 + 492, 3, x0 + 592},
  };
  const TColor ink = DisplayState().Ch1Color;
  for (const Field& f : fields) {
    Wipe();
    Form1->TulostaTeksti(f.text, f.x, f.y, ink);
    int last = -1;
    for (int x = f.x; x < View().Image->Width(); ++x)
      for (int y = f.y; y < f.y + display::kNoteLinePitch; ++y)
        if (Pixel(x, y) == ink) last = x;
    EXPECT_GE(last, f.x) << f.text;
    EXPECT_LT(last, f.next - 1) << f.text;
  }
}

TEST_F(GraticuleTest, LabelsAreErasedByReprintingThemInTheBackground) {
  ScopeState().SampleRateOn = 1;
  ScopeState().RmsOn = 1;
  ScopeState().RmsText = "0.71V";
  Wipe();
  // The top line carries the range and time/div labels now.
  auto rowsDiffer = [](const QImage& a, int fromY, int toY) {
    int n = 0;
    for (int y = fromY; y < toY; ++y)
      for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != ToQRgb(DisplayState().BackgroundColor);
    return n;
  };
  EXPECT_GT(rowsDiffer(Picture(), 0, Y0() - 1), 50);
  EXPECT_GT(rowsDiffer(Picture(), ScopeState().TextLineY, TForm1::kImage1Height), 10);

  Form1->tekstit_pois();
  EXPECT_EQ(rowsDiffer(Picture(), 0, Y0() - 1), 0);
  EXPECT_EQ(rowsDiffer(Picture(), ScopeState().TextLineY, TForm1::kImage1Height), 0);
  EXPECT_EQ(GridMismatches(), 0);

  // And tekstit brings exactly the same picture back.
  Wipe();
  const QImage labelled = Picture();
  Form1->tekstit_pois();
  Form1->tekstit();
  EXPECT_EQ(DifferentPixels(Picture(), labelled), 0);
}

TEST_F(GraticuleTest, SpanLabelFollowsTheTimeBaseAndReplacesTheOldOne) {
  ScopeState().SpectrumMode = 1;
  Wipe();
  const QImage empty = Picture();
  ScopeState().TimePerDiv = 250;  // 2.5 us per division
  Form1->f_alue();
  EXPECT_EQ(DisplayState().SpanText, "25MHz");
  const QImage only25 = Picture();

  ScopeState().TimePerDiv = 100000;
  Form1->f_alue();
  EXPECT_EQ(DisplayState().SpanText, "60kHz");
  // The old label is gone: the same as printing the new one on a clean picture.
  const QImage replaced = Picture();
  Form1->TulostaTeksti("60kHz", X0() + 592, 3, DisplayState().BackgroundColor);
  EXPECT_EQ(DifferentPixels(Picture(), empty), 0);
  Form1->TulostaTeksti("60kHz", X0() + 592, 3, DisplayState().TimeMarkerColor);
  EXPECT_EQ(DifferentPixels(Picture(), replaced), 0);
  EXPECT_GT(DifferentPixels(only25, replaced), 0);

  // A time base with no span keeps the label that is shown.
  ScopeState().TimePerDiv = 123;
  Form1->f_alue();
  EXPECT_EQ(DisplayState().SpanText, "60kHz");
}

// Busy traces over the full graticule with every not-xor item on it: drawing
// and erasing them gives back the graticule pixel for pixel.
TEST_F(GraticuleTest, EraseThenDrawOfTracesRestoresTheGraticuleExactly) {
  ScopeState().DisplayStart = 900;  // the trigger-position tick is in the window
  DisplayState().TriggerOn = 1;
  ScopeState().Settings.TriggerLevel = 128;
  DisplayState().MarkersOn = 1;
  FillCh1([](int i) {
    const int v = static_cast<int>(std::lround(128 + 150 * std::sin(i * 0.05)));
    return v < 0 ? 0 : v > 255 ? 255 : v;
  });
  FillCh2([](int i) { return (i * 3) % 256; });
  Wipe();
  const QImage graticule = Picture();
  ASSERT_EQ(View().LineDrawn, 1);
  // The erase takes the trigger-position tick off with the traces.
  Form1->poisto();
  const QImage bare = Picture();
  EXPECT_GT(DifferentPixels(bare, graticule), 0);
  EXPECT_LE(DifferentPixels(bare, graticule), 14);

  for (int round = 0; round < 3; ++round) {
    Form1->piirrot();
    EXPECT_GT(DifferentPixels(Picture(), bare), 300);
    // The next capture: erase the old traces, change the samples, draw again.
    Form1->poisto();
    EXPECT_EQ(DifferentPixels(Picture(), bare), 0) << round;
    FillCh2([round](int i) { return (i * 5 + 40 * round) % 256; });
  }
  ScopeState().TracesShown = 0;
  Form1->piirrot();
  EXPECT_EQ(DifferentPixels(Picture(), graticule), 0);
}

}  // namespace
