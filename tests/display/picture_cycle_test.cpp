// The erase/draw cycle on the main picture: not-xor traces come off again
// pixel for pixel, the drawn-state flags keep erase and draw idempotent, and
// the wipe forgets what was drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "engine/control_panel.h"
#include "picture_fixture.h"
#include "display/display_state.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

// Two busy traces that also touch both rails, so clipped points are drawn too.
void FillBusySignals() {
  FillCh1([](int i) {
    const int v = static_cast<int>(std::lround(128 + 150 * std::sin(i * 0.07)));
    return v < 0 ? 0 : v > 255 ? 255 : v;
  });
  FillCh2([](int i) { return (i / 37) % 2 ? 40 + (i * 7) % 60 : 200 - (i % 50); });
}

struct Mode {
  std::string name;
  void (*apply)();
};

void PrintTo(const Mode& mode, std::ostream* os) { *os << mode.name; }

class EveryModeTest : public PictureTest, public ::testing::WithParamInterface<Mode> {};

// Draw then erase, in every kind of trace the cycle draws: the picture is the
// wiped one again (the frame rows being the graticule's frame colour).
TEST_P(EveryModeTest, EraseAfterDrawRestoresTheWipedPicture) {
  // Left of the trigger point, so that the trigger tick is drawn as well.
  ScopeState().DisplayStart = 900;
  GetParam().apply();
  FillBusySignals();
  Wipe();
  // The graticule's trigger tick comes off with the first erase, as the
  // traces do: start from there.
  Form1->poisto();
  const QImage wiped = Picture();

  Form1->piirrot();
  const QImage drawn = Picture();
  EXPECT_GT(DifferentPixels(drawn, wiped), 300);

  Form1->poisto();
  EXPECT_EQ(DifferentPixels(Picture(), WithFrameRows(wiped, View())), 0);
  EXPECT_FALSE(View().Ch1Drawn || View().Ch2Drawn || View().MathDrawn);

  // The next capture cycle draws the same again.
  Form1->piirrot();
  EXPECT_EQ(DifferentPixels(Picture(), drawn), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, EveryModeTest,
    ::testing::Values(Mode{"Plain1msPerDiv", [] { UsePlainTimeBase(2, 5.0); }},
                      Mode{"Plain0_5usPerDiv", [] { UsePlainTimeBase(4, 1.0); }},
                      Mode{"Sine0_2us", [] { UseInterpolatedTimeBase(2, false); }},
                      Mode{"Sine0_1us", [] { UseInterpolatedTimeBase(1, false); }},
                      Mode{"Linear0_2us", [] { UseInterpolatedTimeBase(2, true); }},
                      Mode{"Linear0_1us", [] { UseInterpolatedTimeBase(1, true); }},
                      Mode{"Sum",
                           [] {
                             ScopeState().MathOff = 0;
                             DisplayState().Ch1PlusCh2Mode = 1;
                           }},
                      Mode{"Quotient",
                           [] {
                             ScopeState().MathOff = 0;
                             DisplayState().DivideMode = 1;
                           }},
                      Mode{"InvertCh2",
                           [] {
                             ScopeState().MathOff = 0;
                             ScopeState().InvertCh2Mode = 1;
                           }},
                      // The XY erase leaves the trigger tick (it stays drawn), so
                      // this one starts right of the trigger point.
                      Mode{"XY",
                           [] {
                             ScopeState().MathOff = 0;
                             DisplayState().XYPlotMode = 1;
                             ScopeState().DisplayStart = 1024;
                           }},
                      Mode{"Spectrum", [] { ScopeState().SpectrumMode = 1; }},
                      Mode{"StoppedAndShifted",
                           [] {
                             ScopeState().AcquisitionIdle = 1;
                             DisplayState().Channels[0].CapturePos = 12;
                             DisplayState().Channels[1].CapturePos = -30;
                           }}),
    [](const ::testing::TestParamInfo<Mode>& info) { return info.param.name; });

TEST_F(PictureTest, DrawingTwiceDrawsOnceAndErasingTwiceErasesOnce) {
  ScopeState().DisplayStart = 900;
  FillBusySignals();
  Wipe();
  Form1->poisto();  // the graticule's trigger tick
  const QImage wiped = Picture();

  Form1->piirrot();
  EXPECT_TRUE(View().Ch1Drawn && View().Ch2Drawn && View().LineDrawn);
  const QImage once = Picture();
  Form1->piirrot();
  EXPECT_EQ(DifferentPixels(Picture(), once), 0);

  Form1->poisto();
  const QImage erased = Picture();
  EXPECT_EQ(DifferentPixels(erased, WithFrameRows(wiped, View())), 0);
  Form1->poisto();
  EXPECT_EQ(DifferentPixels(Picture(), erased), 0);
}

TEST_F(PictureTest, AfterAWipeEraseDrawsNothing) {
  ScopeState().DisplayStart = 900;
  FillBusySignals();
  Wipe();
  const QImage fresh = Picture();
  Form1->piirrot();
  Wipe();
  const QImage wiped = Picture();
  EXPECT_FALSE(View().Ch1Drawn || View().Ch2Drawn || View().MathDrawn);
  // The graticule alone again, its trigger tick drawn with it.
  EXPECT_TRUE(View().LineDrawn);
  EXPECT_EQ(DifferentPixels(wiped, fresh), 0);

  // No trace comes off (drawing one would put it on): only the tick goes.
  Form1->poisto();
  Form1->viiva();
  EXPECT_EQ(DifferentPixels(Picture(), wiped), 0);
}

TEST_F(PictureTest, WithCh1OffOnlyCh2AndTheTriggerTickAreDrawn) {
  // The erase before a new start point, as the position controls do.
  Form1->poisto();
  ScopeState().DisplayStart = 900;
  // CH1 flat at code 200 (row y0 + 55), CH2 flat at code 50 (row y0 + 205).
  FillCh1([](int) { return 200; });
  FillCh2([](int) { return 50; });
  ScopeState().Settings.Channels[0].On = 0;
  const int x0 = View().X0, y0 = View().Y0;

  Form1->piirrot();
  EXPECT_FALSE(View().Ch1Drawn);
  EXPECT_TRUE(View().Ch2Drawn);
  EXPECT_TRUE(View().LineDrawn);
  EXPECT_EQ(Pixel(x0 + 305, y0 + 55), DisplayState().BackgroundColor);
  EXPECT_EQ(Pixel(x0 + 305, y0 + 205), DisplayState().Ch2Color);
  // Samples 900 + 5k reach the trigger point 1015 at k = 23: 46 pixels in.
  EXPECT_EQ(Pixel(x0 + 46, y0 + 253), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(x0 + 40, y0 + 253), DisplayState().BackgroundColor);
}

TEST_F(PictureTest, SpectrumViewLeavesTheTriggerTickAlone) {
  Form1->poisto();
  ScopeState().DisplayStart = 900;
  ScopeState().SpectrumMode = 1;
  Form1->piirrot();
  EXPECT_FALSE(View().LineDrawn);

  ScopeState().SpectrumMode = 0;
  Form1->poisto();
  Form1->piirrot();
  ASSERT_TRUE(View().LineDrawn);
  const QImage withTick = Picture();
  ScopeState().SpectrumMode = 1;
  Form1->poisto();
  EXPECT_TRUE(View().LineDrawn);
  const int x0 = View().X0, y0 = View().Y0;
  EXPECT_EQ(FromQRgb(Picture().pixel(x0 + 46, y0 + 253)), FromQRgb(withTick.pixel(x0 + 46, y0 + 253)));
}

TEST_F(PictureTest, MathModesChooseWhichTracesAreDrawn) {
  FillBusySignals();
  ScopeState().MathOff = 0;
  DisplayState().XYPlotMode = 1;
  Form1->piirrot();
  EXPECT_FALSE(View().Ch1Drawn || View().Ch2Drawn);
  EXPECT_TRUE(View().MathDrawn);
  Form1->poisto();
  DisplayState().XYPlotMode = 0;

  // An arithmetic trace is shown with both channels, drawn with a wide pen.
  DisplayState().Ch1MinusCh2Mode = 1;
  Form1->piirrot();
  EXPECT_TRUE(View().Ch1Drawn && View().Ch2Drawn && View().MathDrawn);
  EXPECT_EQ(picture_test::View().TracePenWidth, 1);
  EXPECT_EQ(ScopeState().MathOff, 0);
  EXPECT_EQ(DisplayState().Ch2PenColor, DisplayState().Ch2XorColor);

  // Both channels at their ground codes (200 and 50) put the math trace at
  // mid-screen, clear of the channel traces, in the math colour.
  Form1->poisto();
  ScopeState().Channels[0].GroundLevel = 55;
  ScopeState().Channels[1].GroundLevel = 205;
  FillCh1([](int) { return 200; });
  FillCh2([](int) { return 50; });
  Form1->piirrot();
  // (Row 128 is the centre line of the graticule.)
  EXPECT_EQ(Pixel(View().X0 + 205, View().Y0 + 128), ~(DisplayState().Math1PenColor ^ DisplayState().GridPenColor) & 0xFFFFFF);
  EXPECT_EQ(Pixel(View().X0 + 205, View().Y0 + 129), DisplayState().Math1Color);  // width 2
}

TEST_F(PictureTest, DotsStayUntilTheNextWipe) {
  FillBusySignals();
  ScopeState().DotJoin = 0;
  Wipe();
  const QImage wiped = Picture();
  Form1->piirrot();
  const QImage dots = Picture();
  Form1->poisto();
  Form1->piirrot();
  // Setting a pixel twice leaves it set: the dots of both captures remain.
  EXPECT_EQ(DifferentPixels(Picture(), dots), 0);
  EXPECT_GT(DifferentPixels(dots, wiped), 300);
  Wipe();
  EXPECT_EQ(DifferentPixels(Picture(), wiped), 0);
}

TEST_F(PictureTest, AutosetButtonsFollowMathAndSpectrumModes) {
  ASSERT_NE(Form11, nullptr);
  TSpeedButton* buttons[4];
  int n = 0;
  for (TComponent* owner : {static_cast<TComponent*>(Form1), static_cast<TComponent*>(Form11)}) {
    for (const char* name : {"Autoset1", "Autoset2"}) {
      auto* b = owner->FindComponentAs<TSpeedButton>(name);
      if (!b) {
        b = new TSpeedButton(owner);
        b->Name = name;
      }
      buttons[n++] = b;
    }
  }
  auto all = [&](bool enabled) {
    for (TSpeedButton* b : buttons)
      if (b->Enabled() != enabled) return false;
    return true;
  };

  ScopeState().MathOff = 0;  // any math mode, XY and Invert CH2 included
  Form1->putsataanko();
  EXPECT_TRUE(all(false));
  ScopeState().MathOff = 1;
  Form1->putsataanko();
  EXPECT_TRUE(all(true));
  ScopeState().SpectrumMode = 1;
  Form1->putsataanko();
  EXPECT_TRUE(all(false));
}

// The bit view draws each captured byte as 8 logic samples per channel, read
// from the copy of the capture; what the bytes do not reach becomes 0.
TEST_F(PictureTest, BitViewExpandsTheCapturedBytes) {
  ScopeState().Settings.DigitalMode = 1;
  ScopeState().CaptureStart = 4080;
  ScopeState().SampleCopy.fill(0);
  ScopeState().SampleCopy[4090] = 0b00000101;         // CH2 byte
  ScopeState().SampleCopy[4096 + 4090] = 0b10000000;  // CH1 byte
  FillCh1([](int) { return 77; });
  FillCh2([](int) { return 77; });

  Form1->piirrot();
  const int ch2[8] = {96, 32, 96, 32, 32, 32, 32, 32};
  for (int b = 0; b < 8; ++b) {
    EXPECT_EQ(ScopeState().Ch2Samples()[1024 + b], ch2[b]) << b;
    EXPECT_EQ(ScopeState().Ch1Samples()[1024 + b], b == 7 ? 224 : 160) << b;
  }
  // Bytes 4090..4095 fill entries 1024..1071.
  EXPECT_EQ(ScopeState().Ch2Samples()[1071], 32);
  EXPECT_EQ(ScopeState().Ch1Samples()[1071], 160);
  for (int j : {1072, 2000, 4095}) {
    EXPECT_EQ(ScopeState().Ch2Samples()[j], 0) << j;
    EXPECT_EQ(ScopeState().Ch1Samples()[j], 0) << j;
  }
  EXPECT_EQ(ScopeState().Ch2Samples()[1023], 77);
}

}  // namespace
