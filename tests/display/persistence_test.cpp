// Persistence on the main picture: the options dialog's edits, the colour
// ramps and their legend, the graded hit counts with their ageing, the
// variable mode's fading, and how the modes and math traces release "Persist".
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <string>

#include "engine/picture_settings.h"
#include "engine/big_screen.h"
#include "display/persistence.h"
#include "display/persistence_drawing.h"
#include "engine/persistence_options.h"
#include "engine/control_panel.h"
#include "picture_fixture.h"
#include "platform/ui/keys.h"

namespace {

using namespace picture_test;
using display::PersistenceState;

// Types the text into the edit and presses Enter, as the user does.
void Enter(TEdit* edit, const std::string& text) {
  edit->SetText(text);
  unsigned short key = VK_RETURN;
  edit->OnKeyDown(edit, key, 0);
}

TEST_F(PictureTest, OptionEditsAreLimitedRoundedAndWrittenBack) {
  struct Row {
    TEdit* TOKRightDlg::*edit;
    std::string typed;
    std::string shown;
  };
  // Low and high colour start at 1 and 32; the rows run in order.
  const Row rows[] = {
      {&TOKRightDlg::Edit1, "abc", "0"},
      {&TOKRightDlg::Edit1, "12,6", "13"},
      {&TOKRightDlg::Edit1, " 12.5 ", "12"},
      {&TOKRightDlg::Edit1, "-3", "0"},
      {&TOKRightDlg::Edit1, "4000000000", "4000000000"},
      {&TOKRightDlg::Edit1, "5e9", "4000000000"},
      {&TOKRightDlg::Edit2, "32", "31"},
      {&TOKRightDlg::Edit2, "0", "1"},
      {&TOKRightDlg::Edit2, "1", "1"},
      {&TOKRightDlg::Edit4, "1", "2"},
      {&TOKRightDlg::Edit4, "99999", "768"},
      {&TOKRightDlg::Edit4, "32", "32"},
  };
  for (const Row& r : rows) {
    TEdit* edit = OKRightDlg->*r.edit;
    Enter(edit, r.typed);
    EXPECT_EQ(edit->Text(), r.shown) << r.typed;
  }
  // The acquisition limit and its countdown hold the largest value whole.
  Enter(OKRightDlg->Edit1, "4000000000");
  EXPECT_EQ(engine::ScopeState.AcquisitionLimit, 4000000000u);
  EXPECT_EQ(engine::ScopeState.AcquisitionCountdown, 4000000000u);

  // The high colour follows a raised low colour: never more than 767 above it.
  Enter(OKRightDlg->Edit2, "20");
  Enter(OKRightDlg->Edit4, "2000");
  EXPECT_EQ(OKRightDlg->Edit4->Text(), "787");
  EXPECT_EQ(display::PersistenceState.HighColorCount, 787);
  Enter(OKRightDlg->Edit4, "5");
  EXPECT_EQ(display::PersistenceState.HighColorCount, 21);
}

TEST(PersistenceRamps, RunFromTheChannelColourToTheirEnd) {
  using display::GradedRamp;
  using display::VariableRamp;
  constexpr TColor kMaroon = 0x000080, kBackground = 0x123456;
  // 0x000080 needs 255 + 127 + 255 steps to white: a ramp of 638 entries
  // holds every step. CH1 raises blue first, then red, then green; CH2 red,
  // then green, then blue.
  const display::PersistRamp ch1 = GradedRamp(0, kMaroon, kBackground, 637);
  const display::PersistRamp ch2 = GradedRamp(1, kMaroon, kBackground, 637);
  struct Entry {
    const display::PersistRamp& ramp;
    std::size_t index;
    TColor colour;
  };
  const Entry graded[] = {
      {ch1, 0, kMaroon},  {ch1, 255, 0xFF0080}, {ch1, 382, 0xFF00FF}, {ch1, 637, 0xFFFFFF}, {ch1, 638, kBackground},
      {ch2, 0, kMaroon},  {ch2, 127, 0x0000FF}, {ch2, 382, 0x00FFFF}, {ch2, 637, 0xFFFFFF}, {ch2, 767, kBackground},
  };
  for (const Entry& e : graded) EXPECT_EQ(e.ramp[e.index], e.colour) << e.index;

  // A short ramp picks evenly from the walk: its ends are the channel colour and white.
  const display::PersistRamp short1 = GradedRamp(0, 0xD60000, 0xF5FFFF, 31);
  EXPECT_EQ(short1[0], 0xD60000u);
  EXPECT_EQ(short1[31], 0xFFFFFFu);

  // Variable: towards black on a dark background, towards white on a light one.
  const display::PersistRamp dark = VariableRamp(0x00C0FF, 0x000000, 15);
  EXPECT_EQ(dark[0], 0x00C0FFu);
  EXPECT_EQ(dark[5], 0x006BAAu);  // 85 of 255 steps down
  EXPECT_EQ(dark[15], 0x000000u);
  const display::PersistRamp light = VariableRamp(0xD60000, 0xF5FFFF, 7);
  EXPECT_EQ(light[0], 0xD60000u);
  EXPECT_EQ(light[7], 0xFFFFFFu);
  EXPECT_EQ(light[8], 0xF5FFFFu);
}

// ---------------------------------------------------------------- on the picture

class PersistenceTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    UsePlainTimeBase(2, 4.0);  // one point per pixel: 651 points
    Form1->PersistencewithIntensityGrading1Click(Form1);
    FillCh2([](int) { return 250; });
  }
  void Press() {
    Form1->SpeedButton23->SetDown(true);
    Form1->SpeedButton23Click(Form1);
  }
  // One capture of a flat CH1 trace at `code`, taken in as the cycle erases it.
  void Capture(int code) {
    FillCh1([code](int) { return code; });
    Form1->piirrot();
    Form1->poisto();
  }
  static int Row(int code) { return engine::ScopeState.ScreenY0 + 255 - code; }
  display::PersistenceStores& Stores() { return display::PersistenceStoresOf(View()); }
};

TEST_F(PersistenceTest, PressDrawsTheLegendOfBothRampsAndHidesTheLiveTrace) {
  Press();
  const int x0 = engine::ScopeState.ScreenX0, l = display::PersistenceState.HighColorCount - display::PersistenceState.LowColorCount;
  ASSERT_EQ(display::PersistenceState.GradedRampTop, l);
  const TColor ch1 = ~(display::DisplayState.Ch1PenColor ^ display::DisplayState.BackgroundColor) & 0xFFFFFF;
  EXPECT_EQ(PersistenceState.PersistColorTable[0][0], ch1);
  EXPECT_EQ(PersistenceState.PersistColorTable[0][static_cast<std::size_t>(l)], 0xFFFFFFu);
  const int ch1Row = engine::ScopeState.ScreenY0 - 6, ch2Row = engine::ScopeState.TextLineY + 13;
  for (int f : {0, 7, l}) {
    for (int dy = 0; dy < 4; ++dy) {
      EXPECT_EQ(Pixel(x0 + 3 * f + 1, ch1Row + dy), PersistenceState.PersistColorTable[0][static_cast<std::size_t>(f)]) << f;
      EXPECT_EQ(Pixel(x0 + 3 * f, ch2Row + dy), PersistenceState.PersistColorTable[1][static_cast<std::size_t>(f)]) << f;
    }
  }
  EXPECT_EQ(display::PersistenceState.LiveTraceOn, 0);
  // The first trace is drawn only as it is taken in.
  const QImage before = Picture();
  FillCh1([](int) { return 100; });
  Form1->piirrot();
  EXPECT_EQ(DifferentPixels(Picture(), WithFrameRows(before, View())), 0);
}

TEST_F(PersistenceTest, GradedCountsSaturateAtTheRingLengthAndStay) {
  Press();
  const int y = Row(100), x = engine::ScopeState.ScreenX0 + 300;
  struct Step {
    int captures;  // taken so far
    std::int32_t hits;
  };
  int taken = 0;
  for (const Step s : {Step{1, 1}, Step{31, 31}, Step{32, 32}, Step{33, 32}, Step{100, 32}}) {
    for (; taken < s.captures; ++taken) Capture(100);
    EXPECT_EQ(Stores().Hits(0, x, y), s.hits) << s.captures;
  }
  // At the top of the ramp: the last colour; CH2 was counted on its own.
  EXPECT_EQ(Pixel(x, y), 0xFFFFFFu);
  EXPECT_EQ(Stores().Hits(1, x, Row(250)), 32);
  EXPECT_EQ(Stores().Hits(1, x, y), 0);
}

TEST_F(PersistenceTest, ATraceCountsOnPixelsLastPassedLongAgo) {
  // A row passed once, aged out of the ring, and passed again after a long
  // run of traces elsewhere (the marks of the walks over the picture come
  // round again): the new trace counts once, whatever the gap.
  Press();
  const int x = engine::ScopeState.ScreenX0 + 200;
  for (int gap = 90; gap <= 100; ++gap) {
    Capture(120);
    for (int i = 1; i < gap; ++i) Capture(60);
    Capture(120);
    EXPECT_EQ(Stores().Hits(0, x, Row(120)), 1) << "gap " << gap;
  }
}

TEST_F(PersistenceTest, CountsFallingToZeroRestoreTheGraticule) {
  // Codes 128 (row Y0 + 127, across the centre-line ticks) and 200, then
  // 32 captures elsewhere: every pixel the old traces held is as the
  // graticule drew it.
  const QImage wiped = Picture();
  Press();
  for (int i = 0; i < 5; ++i) {
    Capture(128);
    Capture(200);
  }
  for (int i = 0; i < 32; ++i) Capture(60);
  for (int code : {128, 200}) {
    const int y = Row(code);
    int different = 0;
    for (int x = engine::ScopeState.ScreenX0 + 5; x <= engine::ScopeState.ScreenX0 + 646; ++x) {
      EXPECT_EQ(Stores().Hits(0, x, y), 0);
      different += Pixel(x, y) != FromQRgb(wiped.pixel(x, y));
    }
    EXPECT_EQ(different, 0) << code;
  }
}

TEST_F(PictureTest, TheGridTestKnowsTheGraticuleAndTheXYDisplay) {
  const int x0 = engine::ScopeState.ScreenX0, y0 = engine::ScopeState.ScreenY0;
  struct Row {
    int x, y;
    bool xy;
    TColor colour;
  };
  const TColor grid = display::DisplayState.GridPenColor, bg = display::DisplayState.BackgroundColor;
  const Row rows[] = {
      {x0 + 50, y0 + 77, false, grid},   // division line
      {x0 + 13, y0 + 64, false, grid},   // division row
      {x0 + 20, y0 + 126, false, grid},  // centre-line tick, rows 146..150 of the picture
      {x0 + 20, y0 + 130, false, grid},
      {x0 + 20, y0 + 131, false, bg},
      {x0 + 21, y0 + 127, false, bg},
      {x0 + 13, y0 + 77, false, bg},
      {x0 + 50, y0 + 77, true, bg},      // the XY display restores the background
  };
  for (const Row& r : rows) {
    engine::ScopeState.MathOff = r.xy ? 0 : 1;
    display::DisplayState.XYPlotMode = r.xy ? 1 : 0;
    EXPECT_EQ(display::RestoredPixelColor(View(), engine::CurrentPictureSettings(), r.x, r.y), r.colour) << r.x << "," << r.y;
  }
}

TEST_F(PersistenceTest, TheFirstAndLastFivePointsNeverCount) {
  struct Case {
    std::uint8_t dotJoin;
    int pixelStep;
    double magnification;
    int lastCounted;  // x of the last counted pixel, from X0
    int between;      // hits of the pixel after the first counted one
  };
  // Joined: 651 points, 5 .. 646 counted. Dots 4 pixels apart: 163 points,
  // 5 .. 158 counted, at x = 20 .. 632, nothing between them.
  for (const Case c : {Case{1, 2, 4.0, 646, 1}, Case{0, 8, 4.0, 632, 0}}) {
    engine::ScopeState.DotJoin = c.dotJoin;
    UsePlainTimeBase(c.pixelStep, c.magnification);
    Press();
    Capture(150);
    const int y = Row(150), x0 = engine::ScopeState.ScreenX0;
    const int first = c.dotJoin ? 5 : 20;
    EXPECT_EQ(Stores().Hits(0, x0 + first - 1, y), 0);
    EXPECT_EQ(Stores().Hits(0, x0 + first, y), 1);
    EXPECT_EQ(Stores().Hits(0, x0 + first + 1, y), c.between);
    EXPECT_EQ(Stores().Hits(0, x0 + c.lastCounted, y), 1);
    EXPECT_EQ(Stores().Hits(0, x0 + c.lastCounted + 1, y), 0);
    Form1->ReleasePersist();
  }
}

TEST_F(PersistenceTest, VariableModeRepaintsTheRingOldestToNewest) {
  for (TColor background : {TColor{0x000000}, TColor{0xF5FFFF}}) {
    display::DisplayState.BackgroundColor = background;
    Form1->DerivePens();
    Form1->VariablePersistence1Click(Form1);
    OKRightDlg->RadioButton1->SetChecked(true);  // 8 traces
    ASSERT_EQ(display::PersistenceState.VariablePersistenceMask, 7);
    Press();
    const TColor end = background == 0 ? 0x000000u : 0xFFFFFFu;
    EXPECT_EQ(PersistenceState.PersistColorTable[0][7], end);
    // Ten captures at codes 20, 40 .. 200: the last taken in is kept for the
    // next repaint; the eight before it show, newest in the channel colour.
    for (int k = 1; k <= 10; ++k) Capture(20 * k);
    const int x = engine::ScopeState.ScreenX0 + 113;
    for (int k = 2; k <= 9; ++k)
      EXPECT_EQ(Pixel(x, Row(20 * k)), PersistenceState.PersistColorTable[0][static_cast<std::size_t>(9 - k)]) << k;
    EXPECT_EQ(Pixel(x, Row(200)), display::DisplayState.BackgroundColor);
    Form1->ReleasePersist();
  }
}

TEST_F(PersistenceTest, ModesAndMathTracesReleasePersist) {
  // Another mode: released, the picture wiped, the counts gone.
  Press();
  Capture(100);
  Form1->VariablePersistence1Click(Form1);
  EXPECT_FALSE(Form1->SpeedButton23->Down());
  EXPECT_FALSE(Form11->SpeedButton23->Down());
  EXPECT_TRUE(Form11->VariablePersistence1->Checked());
  EXPECT_FALSE(Form1->PersistencewithIntensityGrading1->Checked());
  EXPECT_EQ(display::PersistenceState.LiveTraceOn, 1);

  // A math trace in graded mode: released, "Persist" and the two mode items
  // disabled until the trace goes again.
  Form1->PersistencewithIntensityGrading1Click(Form1);
  Press();
  Form1->CH1CH21Click(Form1);
  EXPECT_FALSE(Form1->SpeedButton23->Down());
  EXPECT_FALSE(Form1->SpeedButton23->Enabled());
  EXPECT_FALSE(Form11->VariablePersistence1->Enabled());
  Form1->CH1CH21Click(Form1);
  EXPECT_TRUE(Form1->SpeedButton23->Enabled());
  EXPECT_TRUE(Form1->VariablePersistence1->Enabled());

  // Infinite persistence stays on through the XY display.
  Form1->NormalPersistence1Click(Form1);
  Press();
  Form1->xyplot1Click(Form1);
  EXPECT_TRUE(Form1->SpeedButton23->Down());
  EXPECT_TRUE(Form1->PersistencewithIntensityGrading1->Enabled());
}

}  // namespace

namespace {

using namespace picture_test;

TEST_F(PersistenceTest, TheBigScreenShowsTheLegendStripsFurtherRight) {
  Form1->GrSpeedButton1->Click();
  const display::ScopeView& big = Form10->BigView;
  auto bigPixel = [](int x, int y) { return Form10->Image10->Canvas()->Pixels(x, y); };
  // Graded (32 entries), then variable persistence (16 entries).
  for (const int blocks : {32, 16}) {
    if (blocks == 16) Form1->VariablePersistence1Click(Form1);
    Press();
    const int x0 = big.X0 + 330, rows[2] = {big.Y0 - 6, Form10->BigTextLineY + 13};
    for (std::size_t ch = 0; ch < 2; ++ch)
      for (int f : {0, 5, blocks - 1})
        for (int dy = 0; dy < 4; ++dy) {
          EXPECT_EQ(bigPixel(x0 + 3 * f + 1, rows[ch] + dy), PersistenceState.PersistColorTable[ch][static_cast<std::size_t>(f)]);
          // The gap between blocks stays background, and so does the place past the last.
          EXPECT_EQ(bigPixel(x0 + 3 * f + 2, rows[ch] + dy), display::DisplayState.BackgroundColor);
          EXPECT_EQ(bigPixel(x0 + 3 * blocks, rows[ch] + dy), display::DisplayState.BackgroundColor);
        }
    Form1->ReleasePersist();
  }
}

}  // namespace
