// Persistence on the main picture: the options dialog's edits, the colour
// ramps and their legend, the graded hit counts with their ageing, the
// variable mode's fading, and how the modes and math traces release "Persist".
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include <string>

#include "engine/picture_settings.h"
#include "engine/big_screen.h"
#include "display/persistence.h"
#include "display/persistence_drawing.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/persistence_options.h"
#include "engine/control_panel.h"
#include "picture_fixture.h"
#include "platform/ui/keys.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

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
  EXPECT_EQ(ScopeState().AcquisitionLimit, 4000000000u);
  EXPECT_EQ(ScopeState().AcquisitionCountdown, 4000000000u);

  // The high colour follows a raised low colour: never more than 767 above it.
  Enter(OKRightDlg->Edit2, "20");
  Enter(OKRightDlg->Edit4, "2000");
  EXPECT_EQ(OKRightDlg->Edit4->Text(), "787");
  EXPECT_EQ(PersistenceState().HighColorCount, 787);
  Enter(OKRightDlg->Edit4, "5");
  EXPECT_EQ(PersistenceState().HighColorCount, 21);
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
    Form1->Persistence().SpeedButton23Click(Form1);
  }
  // One capture of a flat CH1 trace at `code`, taken in as the cycle erases it.
  void Capture(int code) {
    FillCh1([code](int) { return code; });
    Form1->piirrot();
    Form1->poisto();
  }
  static int Row(int code) { return ScopeState().ScreenY0 + 255 - code; }
  display::PersistenceStores& Stores() { return display::PersistenceStoresOf(View()); }
};

TEST_F(PersistenceTest, PressDrawsTheLegendOfBothRampsAndHidesTheLiveTrace) {
  Press();
  const int x0 = ScopeState().ScreenX0, l = PersistenceState().HighColorCount - PersistenceState().LowColorCount;
  ASSERT_EQ(PersistenceState().GradedRampTop, l);
  const TColor ch1 = ~(DisplayState().Ch1PenColor ^ DisplayState().BackgroundColor) & 0xFFFFFF;
  EXPECT_EQ(PersistenceState().PersistColorTable[0][0], ch1);
  EXPECT_EQ(PersistenceState().PersistColorTable[0][static_cast<std::size_t>(l)], 0xFFFFFFu);
  const int ch1Row = ScopeState().ScreenY0 - 6, ch2Row = ScopeState().TextLineY + 13;
  for (int f : {0, 7, l}) {
    for (int dy = 0; dy < 4; ++dy) {
      EXPECT_EQ(Pixel(x0 + 3 * f + 1, ch1Row + dy), PersistenceState().PersistColorTable[0][static_cast<std::size_t>(f)]) << f;
      EXPECT_EQ(Pixel(x0 + 3 * f, ch2Row + dy), PersistenceState().PersistColorTable[1][static_cast<std::size_t>(f)]) << f;
    }
  }
  EXPECT_EQ(PersistenceState().LiveTraceOn, 0);
  // The first trace is drawn only as it is taken in.
  const QImage before = Picture();
  FillCh1([](int) { return 100; });
  Form1->piirrot();
  EXPECT_EQ(DifferentPixels(Picture(), WithFrameRows(before, View())), 0);
}

TEST_F(PersistenceTest, GradedCountsSaturateAtTheRingLengthAndStay) {
  Press();
  const int y = Row(100), x = ScopeState().ScreenX0 + 300;
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
  const int x = ScopeState().ScreenX0 + 200;
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
    for (int x = ScopeState().ScreenX0 + 5; x <= ScopeState().ScreenX0 + 646; ++x) {
      EXPECT_EQ(Stores().Hits(0, x, y), 0);
      different += Pixel(x, y) != FromQRgb(wiped.pixel(x, y));
    }
    EXPECT_EQ(different, 0) << code;
  }
}

TEST_F(PictureTest, TheGridTestKnowsTheGraticuleAndTheXYDisplay) {
  const int x0 = ScopeState().ScreenX0, y0 = ScopeState().ScreenY0;
  struct Row {
    int x, y;
    bool xy;
    TColor colour;
  };
  const TColor grid = DisplayState().GridPenColor, bg = DisplayState().BackgroundColor;
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
    ScopeState().MathOff = r.xy ? 0 : 1;
    DisplayState().XYPlotMode = r.xy ? 1 : 0;
    EXPECT_EQ(display::RestoredPixelColor(View(), engine::CurrentPictureSettings(States()), r.x, r.y), r.colour) << r.x << "," << r.y;
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
    ScopeState().DotJoin = c.dotJoin;
    UsePlainTimeBase(c.pixelStep, c.magnification);
    Press();
    Capture(150);
    const int y = Row(150), x0 = ScopeState().ScreenX0;
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
    DisplayState().BackgroundColor = background;
    Form1->DerivePens();
    Form1->VariablePersistence1Click(Form1);
    OKRightDlg->RadioButton1->SetChecked(true);  // 8 traces
    ASSERT_EQ(PersistenceState().VariablePersistenceMask, 7);
    Press();
    const TColor end = background == 0 ? 0x000000u : 0xFFFFFFu;
    EXPECT_EQ(PersistenceState().PersistColorTable[0][7], end);
    // Ten captures at codes 20, 40 .. 200: the last taken in is kept for the
    // next repaint; the eight before it show, newest in the channel colour.
    for (int k = 1; k <= 10; ++k) Capture(20 * k);
    const int x = ScopeState().ScreenX0 + 113;
    for (int k = 2; k <= 9; ++k)
      EXPECT_EQ(Pixel(x, Row(20 * k)), PersistenceState().PersistColorTable[0][static_cast<std::size_t>(9 - k)]) << k;
    EXPECT_EQ(Pixel(x, Row(200)), DisplayState().BackgroundColor);
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
  EXPECT_EQ(PersistenceState().LiveTraceOn, 1);

  // A math trace in graded mode: released, "Persist" and the two mode items
  // disabled until the trace goes again.
  Form1->PersistencewithIntensityGrading1Click(Form1);
  Press();
  Form1->Spectrum().CH1CH21Click(Form1);
  EXPECT_FALSE(Form1->SpeedButton23->Down());
  EXPECT_FALSE(Form1->SpeedButton23->Enabled());
  EXPECT_FALSE(Form11->VariablePersistence1->Enabled());
  Form1->Spectrum().CH1CH21Click(Form1);
  EXPECT_TRUE(Form1->SpeedButton23->Enabled());
  EXPECT_TRUE(Form1->VariablePersistence1->Enabled());

  // Infinite persistence stays on through the XY display.
  Form1->NormalPersistence1Click(Form1);
  Press();
  Form1->Spectrum().xyplot1Click(Form1);
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
          EXPECT_EQ(bigPixel(x0 + 3 * f + 1, rows[ch] + dy), PersistenceState().PersistColorTable[ch][static_cast<std::size_t>(f)]);
          // The gap between blocks stays background, and so does the place past the last.
          EXPECT_EQ(bigPixel(x0 + 3 * f + 2, rows[ch] + dy), DisplayState().BackgroundColor);
          EXPECT_EQ(bigPixel(x0 + 3 * blocks, rows[ch] + dy), DisplayState().BackgroundColor);
        }
    Form1->ReleasePersist();
  }
}

}  // namespace

// ---------------------------------------------------------------- against a plain walk

namespace {

using namespace picture_test;

// The stores as the drawing steps are meant to keep them, kept the plain way:
// a pixel set per walk, a Bresenham walk pixel by pixel, the counts in a map.
class ReferenceStores {
 public:
  ReferenceStores(int columns, int rows, QImage picture) : columns_(columns), rows_(rows), picture_(std::move(picture)) {
    for (auto& h : hits_) h.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
  }

  void AddGraded(const display::PictureSettings& s, int ch, const std::vector<TPoint>& points) {
    const display::PersistRamp& ramp = PersistenceState().PersistColorTable[static_cast<std::size_t>(ch)];
    for (const TPoint p : Walk(points, s.DotJoin)) {
      std::int32_t& n = hits_[ch][At(p)];
      Put(p, CountColor(ramp, n));
      ++n;
    }
    const std::int32_t mask = PersistenceState().GradedPersistenceMask;
    if (mask <= 0 || mask > 255) return;
    for (const TPoint p : Walk(ring_[ch][static_cast<std::size_t>(index_[ch] & mask)], s.DotJoin)) {
      std::int32_t& n = hits_[ch][At(p)];
      if (n > 0) --n;
      Put(p, n > 0 ? CountColor(ramp, n) : display::RestoredPixelColor(View(), s, p.x, p.y));
    }
    Store(ch, points, mask);
  }

  void AddVariable(const display::PictureSettings& s, int ch, const std::vector<TPoint>& points) {
    const display::PersistRamp& ramp = PersistenceState().PersistColorTable[static_cast<std::size_t>(ch)];
    const std::int32_t mask = PersistenceState().VariablePersistenceMask;
    for (std::int32_t i = 0; i <= mask; ++i) {
      for (const TPoint p : Walk(ring_[ch][static_cast<std::size_t>((index_[ch] + i) & mask)], s.DotJoin))
        Put(p, i == 0 && display::OnPersistGraticule(View(), p.x, p.y) ? display::RestoredPixelColor(View(), s, p.x, p.y)
                                                                         : ramp[static_cast<std::size_t>(mask - i)]);
    }
    Store(ch, points, mask);
  }

  std::int32_t Hits(int ch, int x, int y) const {
    return x < 0 || y < 0 || x >= columns_ || y >= rows_ ? 0 : hits_[ch][At({x, y})];
  }
  const QImage& Picture() const { return picture_; }

 private:
  static TColor CountColor(const display::PersistRamp& ramp, std::int32_t n) {
    const std::int32_t top = PersistenceState().GradedRampTop;
    if (n < PersistenceState().LowColorCount) return ramp[0];
    if (n >= PersistenceState().HighColorCount) return ramp[static_cast<std::size_t>(top)];
    return ramp[static_cast<std::size_t>(std::min(n - PersistenceState().LowColorCount, top))];
  }
  std::size_t At(TPoint p) const { return static_cast<std::size_t>(p.y) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(p.x); }

  // The pixels of the stores the list passes, each once, in the order passed.
  std::vector<TPoint> Walk(const std::vector<TPoint>& points, bool joined) const {
    std::vector<TPoint> line;
    const int last = static_cast<int>(points.size()) - 5;
    auto held = [&](TPoint p) { return TPoint{std::clamp(p.x, -1, columns_), std::clamp(p.y, -1, rows_)}; };
    for (int i = 5; i <= last; ++i) {
      const TPoint a = held(points[static_cast<std::size_t>(i)]);
      if (!joined || last == 5) {
        line.push_back(a);
        continue;
      }
      if (i == last) break;
      const TPoint b = held(points[static_cast<std::size_t>(i + 1)]);
      const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
      int err = dx + dy, x = a.x, y = a.y;
      for (;;) {
        line.push_back({x, y});
        if (x == b.x && y == b.y) break;
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += a.x < b.x ? 1 : -1;
        if (e2 <= dx) err += dx, y += a.y < b.y ? 1 : -1;
      }
    }
    std::vector<TPoint> once;
    seen_.resize(hits_[0].size());
    ++walks_;
    for (const TPoint p : line) {
      if (p.x < 0 || p.y < 0 || p.x >= columns_ || p.y >= rows_ || seen_[At(p)] == walks_) continue;
      seen_[At(p)] = walks_;
      once.push_back(p);
    }
    return once;
  }
  void Put(TPoint p, TColor colour) {
    if (p.x < picture_.width() && p.y < picture_.height()) picture_.setPixel(p.x, p.y, ToQRgb(colour));
  }
  void Store(int ch, const std::vector<TPoint>& points, std::int32_t mask) {
    const std::size_t slot = static_cast<std::size_t>(index_[ch] & mask);
    ring_[ch][slot].assign(points.begin(), points.begin() + std::min<std::ptrdiff_t>(std::ssize(points), 1000));
    index_[ch] = static_cast<int>((slot + 1) & static_cast<std::size_t>(mask));
  }

  int columns_, rows_;
  QImage picture_;
  std::vector<std::int32_t> hits_[2];  // [y][x]
  std::array<std::vector<TPoint>, 256> ring_[2];
  int index_[2] = {0, 0};
  mutable std::vector<int> seen_;  // the walk that last passed each pixel
  mutable int walks_ = 0;
};

enum class Shape { Steep, Leftwards, Tall, Flat, OffPicture, WideSteps, Stacked, Scattered, OnePoint };

// Trace k of a shape (x0, y0: the grid's corner).
std::vector<TPoint> Trace(Shape shape, int k, int x0, int y0) {
  std::vector<TPoint> p;
  auto wave = [&](int i, double amplitude, double step, double shift) {
    return y0 + 128 + static_cast<int>(amplitude * std::sin(i * step + k * shift));
  };
  switch (shape) {
    case Shape::Steep:
    case Shape::Leftwards:  // the same, right to left
      for (int i = 0; i < 651; ++i) p.push_back({x0 + i, wave(i, 60, 0.7, 0.9) + (i * k) % 3});
      if (shape == Shape::Leftwards) std::reverse(p.begin(), p.end());
      break;
    case Shape::Tall:  // past the top and the bottom
      for (int i = 0; i < 651; ++i) p.push_back({x0 + i, wave(i, 300, 0.3, 0.5)});
      break;
    case Shape::Flat:
      for (int i = 0; i < 651; ++i) p.push_back({x0 + i, y0 + 60 + (i * 7 + k) % 3});
      break;
    case Shape::OffPicture:  // far above and below, from left of the picture to past its right edge
      for (int i = 0; i < 120; ++i) p.push_back({x0 - 40 + i * 8, i % 4 < 2 ? -5000 - k : y0 + 5000});
      break;
    case Shape::WideSteps:  // 8 pixels a point, right to left
      for (int i = 0; i < 82; ++i) p.push_back({x0 + 650 - 8 * i, y0 + 83 + (i * 37 + k * 11) % 90});
      break;
    case Shape::Stacked:  // five points a column, up and down
      for (int i = 0; i < 400; ++i) p.push_back({x0 + 100 + i / 5, y0 + 100 + (i * 13 + k) % 41});
      break;
    case Shape::Scattered:  // x turns back, as in an XY figure
      for (int i = 0; i < 300; ++i) p.push_back({x0 + 200 + (i * 97 + k * 5) % 180, y0 + 20 + (i * 53 + k) % 200});
      break;
    case Shape::OnePoint:  // one used point
      for (int i = 0; i < 11; ++i) p.push_back({x0 + 300 + i, y0 + 50 + k % 4});
      break;
  }
  return p;
}

TEST_F(PictureTest, GradedAndVariableDrawingMatchAPlainPixelWalk) {
  const int x0 = ScopeState().ScreenX0, y0 = ScopeState().ScreenY0;
  struct Case {
    const char* name;
    Shape shape;
    bool joined = true, variable = false, xy = false;
    std::int32_t ageing = 31;  // the graded ring's mask (0: no ageing)
  };
  const Case cases[] = {
      {"steep", Shape::Steep},
      {"steep, no ageing", Shape::Steep, true, false, false, 0},
      {"steep, right to left", Shape::Leftwards},
      {"flat", Shape::Flat},
      {"off the picture", Shape::OffPicture},
      {"past the top and bottom", Shape::Tall},
      {"wide steps", Shape::WideSteps},
      {"many points a column", Shape::Stacked},
      {"scattered", Shape::Scattered},
      {"scattered, XY display", Shape::Scattered, true, false, true},
      {"dots", Shape::Steep, false},
      {"dots off the picture", Shape::OffPicture, false},
      {"one point", Shape::OnePoint},
      {"variable, steep", Shape::Steep, true, true},
      {"variable, many points a column", Shape::Stacked, true, true},
      {"variable, dots", Shape::Scattered, false, true},
  };
  for (const Case& c : cases) {
    Wipe();
    ScopeState().MathOff = c.xy ? 0 : 1;
    DisplayState().XYPlotMode = c.xy ? 1 : 0;
    // Distinct colours in both ramps, counts 2 .. 6 graded.
    PersistenceState().LowColorCount = 2;
    PersistenceState().HighColorCount = 7;
    PersistenceState().GradedRampTop = 5;
    PersistenceState().GradedPersistenceMask = c.ageing;
    PersistenceState().VariablePersistenceMask = 7;
    for (std::size_t ch = 0; ch < 2; ++ch)
      for (std::size_t i = 0; i < display::kPersistColorEntries; ++i)
        PersistenceState().PersistColorTable[ch][i] = static_cast<TColor>(0x100000 * (ch + 1) + 0x0301 * i);
    display::PictureSettings s = engine::CurrentPictureSettings(States());
    s.DotJoin = c.joined ? 1 : 0;
    const int columns = Form1->Image1->Width() + 1, rows = Form1->Image1->Height() + 3;
    display::PersistenceStores stores(columns, rows);
    ReferenceStores reference(columns, rows, Picture());
    for (int k = 0; k < 40; ++k) {
      for (int ch = 0; ch < 2; ++ch) {
        // CH2 a flat trace of its own, lower down.
        const std::vector<TPoint> points = Trace(ch == 0 ? c.shape : Shape::Flat, k, x0, y0 + 150 * ch);
        if (c.variable) {
          stores.AddVariable(View(), s, ch, points.data(), static_cast<int>(points.size()));
          reference.AddVariable(s, ch, points);
        } else {
          stores.AddGraded(View(), s, ch, points.data(), static_cast<int>(points.size()));
          reference.AddGraded(s, ch, points);
        }
      }
      if (k % 8 != 3) continue;
      ASSERT_EQ(DifferentPixels(Picture(), reference.Picture()), 0) << c.name << ", trace " << k;
      int wrong = 0;
      for (int ch = 0; ch < 2; ++ch)
        for (int x = -1; x <= columns; ++x)
          for (int y = -1; y <= rows; ++y) wrong += stores.Hits(ch, x, y) != reference.Hits(ch, x, y);
      ASSERT_EQ(wrong, 0) << c.name << ", trace " << k;
    }
  }
}

}  // namespace
