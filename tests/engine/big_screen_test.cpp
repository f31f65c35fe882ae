// The Big Screen as the user meets it: opened and closed by its button, the
// close box and Alt+B; the same traces, texts and markers as the main picture
// at its own scale; its own marker read-outs.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QWidget>
#include <string>

#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "display/picture_fixture.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

QImage BigPicture() { return Form10->Image10->Picture()->Image().copy(); }
TColor BigPixel(int x, int y) { return Form10->Image10->Canvas()->Pixels(x, y); }

class BigScreenTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    ScopeState().DemoMode = 1;
    ScopeState().Settings.Channels[0].Position = ScopeState().Settings.Channels[1].Position = 0;
    ScopeState().Channels[0].FileGround = ScopeState().Channels[1].FileGround = display::kNoFileGround;
    ScopeState().TimeDivText = "1ms";
    ScopeState().Settings.Channels[0].GainCode = 27;
    ScopeState().Channels[0].ProbeFactor = 1;
  }
  void Open() {
    Form1->GrSpeedButton1->Click();
    ASSERT_TRUE(Form10->Visible());
  }
};

TEST_F(BigScreenTest, ButtonCloseBoxAndHotKeyOpenAndCloseIt) {
  EXPECT_EQ(Form10->Caption(), "Oscilloscope");
  Open();
  EXPECT_TRUE(Form1->GrSpeedButton1->Down());
  EXPECT_EQ(ScopeState().BigScreenOn, 1);

  // The close box puts the main window's button up, whether the window
  // manager asks the window to close or the program closes it.
  QCloseEvent byWindowManager;
  ASSERT_NE(Form10->Widget(), nullptr);
  QCoreApplication::sendEvent(Form10->Widget(), &byWindowManager);
  EXPECT_FALSE(Form10->Visible());
  EXPECT_FALSE(Form1->GrSpeedButton1->Down());
  EXPECT_EQ(ScopeState().BigScreenOn, 0);
  Open();
  Form10->Close();
  EXPECT_FALSE(Form10->Visible());
  EXPECT_FALSE(Form1->GrSpeedButton1->Down());
  EXPECT_EQ(ScopeState().BigScreenOn, 0);

  // Alt+B toggles it.
  Form1->WMHotKey(TForm1::kHotKeyId);
  EXPECT_TRUE(Form10->Visible());
  Form1->WMHotKey(TForm1::kHotKeyId);
  EXPECT_FALSE(Form10->Visible());

  // "Normal Screen" on the twin panel leaves it off, so Alt+B opens it again.
  Form1->WMHotKey(TForm1::kHotKeyId);
  Form11->GrSpeedButton1->Click();
  EXPECT_FALSE(Form10->Visible());
  EXPECT_EQ(ScopeState().BigScreenOn, 0);
  Form1->WMHotKey(TForm1::kHotKeyId);
  EXPECT_TRUE(Form10->Visible());
}

TEST_F(BigScreenTest, DrawsAndErasesTheTracesAtTwiceTheHeight) {
  Open();
  const display::ScopeView& big = Form10->BigView;
  ASSERT_EQ(big.X0, 25);
  ASSERT_EQ(big.Y0, 24);
  Form1->poisto();
  const QImage empty = BigPicture();

  // CH1 flat at code 100, CH2 one code above the bottom rail.
  FillCh1([](int) { return 100; });
  FillCh2([](int) { return 1; });
  Form1->piirrot();
  EXPECT_EQ(BigPixel(big.X0 + 410, big.Y0 + 2 * (255 - 100)), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(View().X0 + 410, View().Y0 + 255 - 100), DisplayState().Ch1Color);
  EXPECT_EQ(BigPixel(big.X0 + 410, big.Y0 + 508), DisplayState().Ch2Color);
  EXPECT_TRUE(big.Ch1Drawn);

  // Erasing on the main window erases on the Big Screen with its own flags.
  Form1->poisto();
  EXPECT_FALSE(big.Ch1Drawn);
  EXPECT_EQ(DifferentPixels(BigPicture(), WithFrameRows(empty, big)), 0);
}

TEST_F(BigScreenTest, TextsOfTheMainWindowMoveToTheWiderGrid) {
  Open();
  const int x0 = View().X0;
  const int bx0 = Form10->BigScreenX0;
  struct Case {
    int x, y;       // on Image1
    int bigX, bigY;  // where the same text lands on Image10
  } cases[] = {
      {x0 + 592, 3, bx0 + 892, 3},                           // time/div
      {x0 + 492, 3, bx0 + 792, 3},                           // sample rate
      {x0 + 10, 3, bx0 + 10, 3},                             // CH1 range
      {x0 + 70, 3, bx0 + 70, 3},                             // CH2 range
      {x0 + 510, ScopeState().TextLineY, bx0 + 810, 540},         // RMS
      {x0 + 595, ScopeState().TextLineY, bx0 + 895, 540},         // dBm
      {x0 + 310, ScopeState().TextLineY, bx0 + 460, 540},         // the middle gap moves right
  };
  for (const Case& c : cases) {
    ScopeState().ClearPending = 1;
    Form1->putsataanko();
    const QImage before = BigPicture();
    Form10->TulostaTeksti("Vrms: 1.23V", c.bigX, c.bigY, DisplayState().Ch1Color);
    const QImage expected = BigPicture();
    ScopeState().ClearPending = 1;
    Form1->putsataanko();
    Form1->TulostaTeksti("Vrms: 1.23V", c.x, c.y, DisplayState().Ch1Color);
    EXPECT_EQ(DifferentPixels(BigPicture(), expected), 0) << c.x << "," << c.y;
    EXPECT_GT(DifferentPixels(expected, before), 0);
  }
  // A text holding "dBV", "dV", "dt" or "f" stays on the main picture: the
  // marker read-outs are the Big Screen's own, and the digital-view notice
  // goes with them.
  struct Text {
    const char* text;
    bool onBigScreen;
  } texts[] = {{"dt: 2.00ms", false},
               {"1/dt: 500.00Hz", false},
               {"dV: 1.00V  (0.50) (-0.50)", false},
               {"V: -12.3dBV", false},
               {"f: 1.25kHz", false},
               {"Digital function is active", false},
               {"Not supported in Demo Mode", true},
               {"Vrms: 1.23V", true}};
  for (const Text& t : texts) {
    ScopeState().ClearPending = 1;
    Form1->putsataanko();
    const QImage before = BigPicture();
    Form1->TulostaTeksti(t.text, x0 + 265, 3, DisplayState().TimeMarkerColor);
    EXPECT_EQ(DifferentPixels(BigPicture(), before) > 0, t.onBigScreen) << t.text;
  }
}

TEST_F(BigScreenTest, MarkersStartAtTheCornersAndReadOutInTheBigGeometry) {
  Open();
  const int bx0 = Form10->BigScreenX0, by0 = Form10->BigScreenY0;
  EXPECT_EQ(Form10->BigTimeMarker1X, bx0 + 16);
  EXPECT_EQ(Form10->BigTimeMarker2X, bx0 + 934);
  EXPECT_EQ(Form10->BigVoltMarker1Y, by0 + 16);
  EXPECT_EQ(Form10->BigVoltMarker2Y, by0 + 496);
  EXPECT_EQ(Form10->BigMarkerLimitX, 1000 - bx0);
  EXPECT_EQ(Form10->BigMarkerLimitY, 560 - by0);

  DisplayState().TimeMarker1X = View().X0 + 16;
  DisplayState().TimeMarker2X = View().X0 + 634;
  DisplayState().VoltMarker1Y = View().Y0 + 16;
  DisplayState().VoltMarker2Y = View().Y0 + 240;
  Form1->Markers1Click(nullptr);  // markers on: both pictures read out
  EXPECT_EQ(DisplayState().TimeMarkerText, "dt: 12.36ms");
  EXPECT_EQ(Form10->BigTimeText, "dt: 18.36ms");
  // 480 pixels at 64 per 1 V division; the ground (code 128) is 256 pixels down.
  EXPECT_EQ(DisplayState().VoltMarkerText, "dV: 7.00V  (3.50) (-3.50)");
  EXPECT_EQ(Form10->BigVoltText, "dV: 7.50V  (3.75) (-3.75)");

  // Dragging a Big Screen marker moves it alone: 64 pixels are one division.
  Form10->Image10MouseDown(nullptr, mbLeft, 0, bx0 + 300, by0 + 496);
  Form10->Image10MouseMove(nullptr, ssLeft, bx0 + 300, by0 + 256 + 64);
  Form10->Image10MouseUp(nullptr, mbLeft, 0, bx0 + 300, by0 + 256 + 64);
  EXPECT_EQ(Form10->BigVoltMarker2Y, by0 + 320);
  EXPECT_EQ(Form10->BigVoltText, "dV: 4.75V  (3.75) (-1.00)");
  EXPECT_EQ(DisplayState().VoltMarker2Y, View().Y0 + 240);
  EXPECT_EQ(Form10->Drag.Active, 0);
}

}  // namespace
