// Ground-level markers: the fit through the calibration pairs, the glyphs
// left of the grid, the position bar moving them, and the "Calibration
// failed" notice of an unusable record.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "display/ground_markers.h"
#include "engine/calibration.h"
#include "engine/device_fixture.h"
#include "engine/startup_fixture.h"
#include "picture_fixture.h"
#include "display/display_state.h"
#include "support/program_states.h"

namespace {

using picture_test::Picture;
using picture_test::PictureTest;
using picture_test::Pixel;
using picture_test::Wipe;

const char* const kNotice = "Communication error. Calibration failed.";

using PixelSet = std::set<std::pair<int, int>>;

// The pixels of the "1" whose level row is l (last point of the polyline left out).
PixelSet GlyphOne(int x0, int l) {
  PixelSet p{{x0 - 9, l - 2}};
  for (int y = l - 3; y <= l + 3; ++y) p.insert({x0 - 8, y});
  return p;
}

// The pixels of the "2".
PixelSet GlyphTwo(int x0, int l) {
  return {{x0 - 6, l - 2}, {x0 - 5, l - 3}, {x0 - 4, l - 3}, {x0 - 3, l - 2}, {x0 - 3, l - 1},
          {x0 - 3, l},     {x0 - 4, l + 1}, {x0 - 5, l + 2}, {x0 - 6, l + 3}, {x0 - 5, l + 3},
          {x0 - 4, l + 3}, {x0 - 3, l + 3}};
}

// Pixels of `colour` in the strip left of the grid's frame.
PixelSet PixelsOf(TColor colour) {
  PixelSet found;
  const int x0 = ScopeState().ScreenX0;
  for (int x = 0; x < x0 - 1; ++x)
    for (int y = 0; y < TForm1::kImage1Height; ++y)
      if (Pixel(x, y) == colour) found.insert({x, y});
  return found;
}

// The records of both channels: CH1 the defaults, CH2 a line of slope 2
// through (100, 128), so that D = 120 gives 168.
void UseKnownRecords() {
  using namespace engine;
  using namespace display;
  ScopeState().Channels[0].ad0 = 120, ScopeState().Channels[0].ad1 = 75, ScopeState().Channels[0].ad2 = 164;
  ScopeState().Channels[0].pos0 = 128, ScopeState().Channels[0].pos1 = 32, ScopeState().Channels[0].pos2 = 224;
  ScopeState().Channels[1].ad0 = 100, ScopeState().Channels[1].ad1 = 50, ScopeState().Channels[1].ad2 = 150;
  ScopeState().Channels[1].pos0 = 128, ScopeState().Channels[1].pos1 = 28, ScopeState().Channels[1].pos2 = 228;
  ScopeState().Channels[0].OffsetDac = ScopeState().Channels[1].OffsetDac = 120;
}

// ---------------------------------------------------------------- the fit

TEST(GroundLevelFitTest, DefaultPairsGiveTheirLineAndLevel) {
  const engine::GroundLevelLine line = engine::GroundLevelFit(120, 75, 164, 128, 32, 224);
  ASSERT_TRUE(line.Valid);
  EXPECT_NEAR(line.Slope, 2.15748, 1e-5);
  EXPECT_NEAR(line.Intercept, -130.179, 1e-3);
  EXPECT_EQ(engine::GroundLevelAt(line, 120), 129);  // 128.719
}

TEST(GroundLevelFitTest, LevelsRoundHalvesToEven) {
  // Slope 0.5 through the origin: odd DAC values land on halves.
  const engine::GroundLevelLine line = engine::GroundLevelFit(0, 10, 20, 0, 5, 10);
  ASSERT_TRUE(line.Valid);
  EXPECT_EQ(engine::GroundLevelAt(line, 1), 0);
  EXPECT_EQ(engine::GroundLevelAt(line, 3), 2);
  EXPECT_EQ(engine::GroundLevelAt(line, 5), 2);
  EXPECT_EQ(engine::GroundLevelAt(line, 7), 4);
  EXPECT_EQ(engine::GroundLevelAt(line, -3), -2);
}

TEST(GroundLevelFitTest, NoLineThroughEqualDacValuesAndFiniteLevelsForAnyRecord) {
  EXPECT_FALSE(engine::GroundLevelFit(120, 120, 164, 128, 32, 224).Valid);
  EXPECT_FALSE(engine::GroundLevelFit(120, 75, 120, 128, 32, 224).Valid);
  EXPECT_FALSE(engine::GroundLevelFit(120, 75, 75, 128, 32, 224).Valid);
  // A damaged file: the level stays within reach of pixel arithmetic.
  EXPECT_EQ(engine::GroundLevelAt(engine::GroundLevelFit(0, 1, 2, INT_MIN, 0, INT_MAX), INT_MAX), 1000000);
}

// ---------------------------------------------------------------- glyphs

TEST_F(PictureTest, EachRebuildDrawsBothGlyphsAtTheFittedLevels) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  Wipe();
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 129);
  EXPECT_EQ(ScopeState().Channels[0].MarkerLevel, 129);
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 168);
  EXPECT_EQ(ScopeState().Channels[1].MarkerLevel, 168);
  // On the background the not-xor pens show the channel colours.
  EXPECT_EQ(PixelsOf(DisplayState().Ch1Color), GlyphOne(ScopeState().ScreenX0, ScopeState().ScreenY0 + 129));
  EXPECT_EQ(PixelsOf(DisplayState().Ch2Color), GlyphTwo(ScopeState().ScreenX0, ScopeState().ScreenY0 + 168));
}

TEST_F(PictureTest, DrawingAGlyphTwiceLeavesThePictureAsItWas) {
  UseKnownRecords();
  Wipe();
  const QImage before = Picture();
  Form1->y1_viiva();
  EXPECT_TRUE(PixelsOf(DisplayState().Ch1Color).empty());
  EXPECT_EQ(picture_test::DifferentPixels(before, Picture()), 8);
  Form1->y1_viiva();
  Form1->y2_viiva();
  Form1->y2_viiva();
  EXPECT_EQ(Picture(), before);
}

TEST_F(PictureTest, InvertedCh2MirrorsItsGroundLevel) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().InvertCh2Mode = 1;
  ScopeState().MathOff = 0;
  Form1->DerivePens();  // the inverted CH2 is drawn in the second math colour
  Wipe();
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 255 - 168);
  EXPECT_EQ(ScopeState().Channels[1].MarkerLevel, 255 - 168);
  EXPECT_EQ(PixelsOf(DisplayState().Math2Color), GlyphTwo(ScopeState().ScreenX0, ScopeState().ScreenY0 + 87));
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 129);
}

TEST_F(PictureTest, DemoModeTakesTheLevelFromThePositionBar) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().DemoMode = 1;
  ScopeState().Settings.Channels[0].Position = 10;
  ScopeState().Settings.Channels[1].Position = -20;
  ScopeState().Channels[0].MarkerLevel = ScopeState().Channels[1].MarkerLevel = 77;
  ScopeState().InvertCh2Mode = 1;
  ScopeState().MathOff = 0;
  Form1->DerivePens();
  Wipe();
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 148);
  // Only the glyph of the inverted CH2 is mirrored, not the level.
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 88);
  EXPECT_EQ(PixelsOf(DisplayState().Math2Color), GlyphTwo(ScopeState().ScreenX0, ScopeState().ScreenY0 + 255 - 88));
  EXPECT_EQ(PixelsOf(DisplayState().Ch1Color), GlyphOne(ScopeState().ScreenX0, ScopeState().ScreenY0 + 148));
  // The marker levels the start-up centres belong to the calibration.
  EXPECT_EQ(ScopeState().Channels[0].MarkerLevel, 77);
  EXPECT_EQ(ScopeState().Channels[1].MarkerLevel, 77);
}

TEST_F(PictureTest, HiddenChannelsAndTheSpectrumViewGetNoGlyph) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().Settings.Channels[0].On = 0;
  ScopeState().Channels[0].GroundLevel = 55;
  Wipe();
  EXPECT_TRUE(PixelsOf(DisplayState().Ch1Color).empty());
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 55);
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 168);

  ScopeState().Settings.Channels[0].On = 1;
  ScopeState().SpectrumMode = 1;
  ScopeState().Channels[1].GroundLevel = 66;
  Wipe();
  EXPECT_TRUE(PixelsOf(DisplayState().Ch1Color).empty());
  EXPECT_TRUE(PixelsOf(DisplayState().Ch2Color).empty());
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 66);
}

TEST_F(PictureTest, ThePositionBarMovesTheGlyph) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().Channels[0].OffsetCal = 124;
  ScopeState().Channels[0].RangeTrim = ScopeState().Channels[0].RateTrim = 0;
  Form1->TrackBar1->SetPosition(-4);  // DAC 120: the level of the records above
  ASSERT_EQ(ScopeState().Channels[0].OffsetDac, 120);
  Wipe();
  ASSERT_EQ(PixelsOf(DisplayState().Ch1Color), GlyphOne(ScopeState().ScreenX0, ScopeState().ScreenY0 + 129));

  Form1->TrackBar1->SetPosition(5);  // DAC 129: 148.136
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 148);
  EXPECT_EQ(PixelsOf(DisplayState().Ch1Color), GlyphOne(ScopeState().ScreenX0, ScopeState().ScreenY0 + 148));
  // Nothing of the old glyph is left: the picture is what a rebuild draws.
  const QImage moved = Picture();
  Wipe();
  EXPECT_EQ(Picture(), moved);
}

TEST_F(PictureTest, AnOffScreenRecordDrawsNothingAndDoesNotFail) {
  using namespace engine;
  using namespace display;
  ScopeState().Channels[0].ad0 = 0, ScopeState().Channels[0].ad1 = 1, ScopeState().Channels[0].ad2 = 2;
  ScopeState().Channels[0].pos0 = INT_MIN, ScopeState().Channels[0].pos1 = 0, ScopeState().Channels[0].pos2 = INT_MAX;
  ScopeState().Channels[0].OffsetDac = -5000;
  Wipe();
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, -1000000);
  EXPECT_TRUE(PixelsOf(DisplayState().Ch1Color).empty());
}

// ---------------------------------------------------------------- unusable record

TEST_F(PictureTest, UnusableCh1RecordWarnsOnceTheRebuildIsOver) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().Channels[0].ad1 = ScopeState().Channels[0].ad0;
  auto& dialogs = harness_->Dialogs();
  dialogs.ClearRecords();
  const std::int32_t markerLevel = ScopeState().Channels[0].MarkerLevel;

  Wipe();
  // Level 0: the ground at the top grid line.
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 0);
  EXPECT_EQ(PixelsOf(DisplayState().Ch1Color), GlyphOne(ScopeState().ScreenX0, ScopeState().ScreenY0));
  EXPECT_EQ(ScopeState().Channels[0].MarkerLevel, markerLevel);
  // Not from inside the rebuild, nor stacked by another rebuild meanwhile.
  EXPECT_EQ(dialogs.CountMessages(kNotice), 0);
  Wipe();
  EXPECT_EQ(dialogs.CountMessages(kNotice), 0);
  harness_->PumpUntil([&] { return dialogs.CountMessages(kNotice) > 0; }, 1000);
  harness_->Pump(20);
  ASSERT_EQ(dialogs.CountMessages(kNotice), 1);
  const auto* shown = dialogs.FindMessage(kNotice);
  EXPECT_EQ(shown->Kind, mtWarning);
  EXPECT_EQ(shown->Buttons, static_cast<TMsgDlgButtons>(mbOK));
  EXPECT_EQ(shown->X, Form1->Left() + 200);
  EXPECT_EQ(shown->Y, Form1->Top() + 200);

  // A later rebuild warns again.
  Wipe();
  harness_->Pump(20);
  EXPECT_EQ(dialogs.CountMessages(kNotice), 2);
}

TEST_F(PictureTest, OnlyCh1OutsideDemoModeRaisesTheWarning) {
  using namespace engine;
  using namespace display;
  UseKnownRecords();
  ScopeState().Channels[1].ad2 = ScopeState().Channels[1].ad0;
  auto& dialogs = harness_->Dialogs();
  dialogs.ClearRecords();
  Wipe();
  EXPECT_EQ(ScopeState().Channels[1].GroundLevel, 0);
  harness_->Pump(20);
  EXPECT_EQ(dialogs.CountMessages(kNotice), 0);

  ScopeState().Channels[0].ad1 = ScopeState().Channels[0].ad0;
  ScopeState().DemoMode = 1;
  ScopeState().Settings.Channels[0].Position = 0;
  Wipe();
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 128);
  harness_->Pump(20);
  EXPECT_EQ(dialogs.CountMessages(kNotice), 0);
}

}  // namespace

// ---------------------------------------------------------------- start-up

namespace {

class GroundStartupTest : public startup_test::StartupTest {
 protected:
  bool DevicePresent() const override { return true; }
  void InstallLogicFile() {
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  }
};

TEST_F(GroundStartupTest, StartUpCentresTheGroundMarksFromTheOffsetInForce) {
  InstallLogicFile();
  WriteIni("[Menu]\nHWdialog=0\n");
  StartAndRun();
  ASSERT_TRUE(Driver().IsOpen());
  // The calibrated offset 124 puts the default record's ground at 137; five
  // steps down bring it to 127 (DAC 119).
  EXPECT_EQ(Form1->TrackBar1->Position(), -5);
  EXPECT_EQ(Form1->TrackBar2->Position(), -5);
  EXPECT_EQ(ScopeState().Channels[0].MarkerLevel, 127);
  EXPECT_EQ(ScopeState().Channels[1].MarkerLevel, 127);
  EXPECT_EQ(ScopeState().Channels[0].GroundLevel, 127);
}

TEST_F(GroundStartupTest, FallingBackToDemoModeLeavesTheDemoBarsAlone) {
  // No logic file: the device cannot be used and the session runs the demo,
  // with the ground marks it took before the fallback out of date.
  WriteIni("[Menu]\nHWdialog=0\n");
  StartAndRun();
  ASSERT_EQ(ScopeState().DemoMode, 1);
  ASSERT_NE(ScopeState().Channels[0].MarkerLevel, 128);
  const int ch1 = Form1->TrackBar1->Position(), ch2 = Form1->TrackBar2->Position();
  // Where the demo tables put the bars.
  Form1->Acquisition().tee_demo_taulut();
  EXPECT_EQ(Form1->TrackBar1->Position(), ch1);
  EXPECT_EQ(Form1->TrackBar2->Position(), ch2);
}

}  // namespace
