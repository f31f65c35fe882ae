// Dragging the markers on the main picture with the mouse: what the read-outs
// say, where the lines stop, and that a drag leaves the picture as a rebuild
// with the markers at their new places would.
#include <gtest/gtest.h>

#include <string>

#include "engine/add_text.h"
#include "engine/markers/markers_controller.h"
#include "picture_fixture.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

int X0() { return View().X0; }
int Y0() { return View().Y0; }

class MarkerMouseTest : public PictureTest {
 protected:
  void SetUp() override {
    PictureTest::SetUp();
    ScopeState().TimeDivText = "1ms";
    ScopeState().Settings.Channels[0].GainCode = 27;
    ScopeState().Channels[0].ProbeFactor = 1;
    // Demo mode: the ground level follows the position bar, 128 at the centre.
    ScopeState().DemoMode = 1;
    ScopeState().Settings.Channels[0].Position = 0;
    ScopeState().Channels[0].FileGround = display::kNoFileGround;
    DisplayState().TimeMarker1X = X0() + 16;
    DisplayState().TimeMarker2X = X0() + 634;
    DisplayState().VoltMarker1Y = Y0() + 16;
    DisplayState().VoltMarker2Y = Y0() + 240;
    Form1->Markers1Click(nullptr);  // markers on
  }
  void Press(int x, int y) { Form1->Markers().Image1MouseDown(nullptr, mbLeft, 0, x, y); }
  void Move(int x, int y) { Form1->Markers().Image1MouseMove(nullptr, ssLeft, x, y); }
  void Release(int x, int y) { Form1->Markers().Image1MouseUp(nullptr, mbLeft, 0, x, y); }
};

TEST_F(MarkerMouseTest, DraggedTimeMarkerReadsOutAndLeavesTheRebuiltPicture) {
  ASSERT_TRUE(DisplayState().MarkersOn);
  // Start places: 618 pixels of 1 ms/div = 12.36 ms.
  EXPECT_EQ(DisplayState().TimeMarkerText, "dt: 12.36ms");
  EXPECT_EQ(DisplayState().VoltMarkerText, "dV: 7.00V  (3.50) (-3.50)");

  // Drag time marker 2 from x0 + 634 to x0 + 116: 100 pixels = 2 ms, 500 Hz.
  Press(X0() + 630, Y0() + 128);
  Move(X0() + 400, Y0() + 130);
  Move(X0() + 116, Y0() + 131);
  Release(X0() + 116, Y0() + 131);
  EXPECT_EQ(DisplayState().TimeMarker2X, X0() + 116);
  EXPECT_EQ(DisplayState().TimeMarkerText, "dt: 2.00ms");
  EXPECT_EQ(DisplayState().InvTimeMarkerText, "1/dt: 500.00Hz");
  EXPECT_EQ(Form1->Markers().Drag.Active, 0);

  // No solid line, no dotted line left at the old places: the picture is
  // the one a rebuild draws with the markers where they are now.
  const QImage dragged = Picture();
  Wipe();
  EXPECT_EQ(DifferentPixels(dragged, Picture()), 0);
}

TEST_F(MarkerMouseTest, DragsStopAtTheGraticuleEdges) {
  struct Case {
    int pressX, pressY, toX, toY;
    std::int32_t* marker;
    int expected;
  } cases[] = {
      {X0() + 634, Y0() + 128, X0() + 900, Y0() + 128, &DisplayState().TimeMarker2X, X0() + 650},
      {X0() + 16, Y0() + 128, -40, Y0() + 128, &DisplayState().TimeMarker1X, X0()},
      {X0() + 300, Y0() + 16, X0() + 300, -50, &DisplayState().VoltMarker1Y, Y0()},
      {X0() + 300, Y0() + 240, X0() + 300, 800, &DisplayState().VoltMarker2Y, Y0() + 256},
  };
  for (const Case& k : cases) {
    Press(k.pressX, k.pressY);
    Move(k.toX, k.toY);
    Release(k.toX, k.toY);
    EXPECT_EQ(*k.marker, k.expected) << k.toX << "," << k.toY;
  }
  // Voltage markers at the top and bottom lines: 8 divisions of 1 V.
  EXPECT_EQ(DisplayState().VoltMarkerText, "dV: 8.00V  (4.00) (-4.00)");
  const QImage dragged = Picture();
  Wipe();
  EXPECT_EQ(DifferentPixels(dragged, Picture()), 0);
}

TEST_F(MarkerMouseTest, MarkerLeftOfTheGridIsPulledInByTheDrag) {
  // Nothing placed but time marker 2; time marker 1 is the nearest line.
  DisplayState().TimeMarker1X = -600;
  DisplayState().VoltMarker1Y = DisplayState().VoltMarker2Y = -1000;
  Wipe();
  const QImage before = Picture();
  Press(X0(), Y0() + 128);
  Release(X0(), Y0() + 128);
  // Picked and dropped without a move: still not placed, nothing drawn.
  EXPECT_EQ(DisplayState().TimeMarker1X, -600);
  EXPECT_EQ(DifferentPixels(before, Picture()), 0);

  Press(X0(), Y0() + 128);
  Move(X0() + 50, Y0() + 128);
  Release(X0() + 50, Y0() + 128);
  EXPECT_EQ(DisplayState().TimeMarker1X, X0() + 50);
  const QImage dragged = Picture();
  Wipe();
  EXPECT_EQ(DifferentPixels(dragged, Picture()), 0);
}

TEST_F(MarkerMouseTest, SpectrumMarkersGiveFrequencyAndLevel) {
  ScopeState().SpectrumMode = 1;
  DisplayState().FftMarkersOn = 1;
  ScopeState().TimePerDiv = 100000;  // 62.5 kHz over 4096 points
  ScopeState().DisplayStart = 0;
  DisplayState().SpectrumZoom = 8;
  DisplayState().FreqMarker1X = X0() + 16;
  DisplayState().LevelMarker1Y = Y0() + 16;
  DisplayState().LevelMarker2Y = -300;  // not placed
  Wipe();
  // The frequency marker to x0 + 100: 8 points per 2 pixels, point 400,
  // 400 x 62.5 / 4096 = 6.10 kHz.
  Press(X0() + 18, Y0() + 200);
  Move(X0() + 100, Y0() + 200);
  Release(X0() + 100, Y0() + 200);
  EXPECT_EQ(DisplayState().FreqMarkerBin, 400);
  EXPECT_EQ(DisplayState().FreqMarkerText, "f: 6.10kHz");
  // The level marker a division down from the top at 1 V/div: 6 - 10 = -4 dBV.
  Press(X0() + 300, Y0() + 20);
  Move(X0() + 300, Y0() + 32);
  Release(X0() + 300, Y0() + 32);
  EXPECT_EQ(DisplayState().LevelMarker1Y, Y0() + 32);
  EXPECT_EQ(DisplayState().LevelMarkerText, "V: -4.00dBV");
  const QImage dragged = Picture();
  Wipe();
  EXPECT_EQ(DifferentPixels(dragged, Picture()), 0);
}

TEST_F(MarkerMouseTest, RightClickPlacesTheAnnotation) {
  ASSERT_NE(Form_9, nullptr);
  Form1->Markers().Image1MouseDown(nullptr, mbRight, 0, 120, 60);
  EXPECT_EQ(DisplayState().ScopeNoteX, 120);
  EXPECT_EQ(DisplayState().ScopeNoteY, 60);
  EXPECT_TRUE(Form_9->Visible());

  // Shown and the window open: the text moves there and is drawn.
  Form_9->Memo1->Lines().Add("Probe A");
  Form_9->GrSpeedButton3->Click();
  const QImage at60 = Picture();
  Form1->Markers().Image1MouseDown(nullptr, mbRight, 0, 200, 100);
  EXPECT_EQ(DisplayState().ScopeNoteX, 200);
  EXPECT_GT(DifferentPixels(at60, Picture()), 0);

  // Shown and the window closed: the click only opens the window.
  Form_9->Close();
  Form1->Markers().Image1MouseDown(nullptr, mbRight, 0, 300, 150);
  EXPECT_EQ(DisplayState().ScopeNoteX, 200);
  EXPECT_TRUE(Form_9->Visible());
}

}  // namespace
