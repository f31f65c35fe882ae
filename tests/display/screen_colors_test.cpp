// Screen colours: the presets and the pens derived from them, the "Color"
// dialog's picks, OK and Cancel, "Bright Grid", and the colours kept in
// Darvik48.ini from one session to the next.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "display/color_dialog.h"
#include "display/display_state.h"
#include "display/screen_colors.h"
#include "engine/control_panel.h"
#include "engine/startup_fixture.h"
#include "picture_fixture.h"
#include "recorder/recorder_state.h"
#include "support/program_states.h"

namespace {

using picture_test::Picture;
using picture_test::PictureTest;
using picture_test::Pixel;

constexpr TColor kGrey = 0x808080;

// The program's picture shows `colour` where a not-xor trace of its pen
// lies on the background: what the derivation is for.
TColor ShownOverBackground(TColor pen) { return ~(pen ^ DisplayState().BackgroundColor) & 0xFFFFFF; }

// Runs "Colors..." from the menu; `user` acts on the dialog while it is up.
void RunColorDialog(ScriptedDialogs& dialogs, std::function<void(TBtnBottomDlg2&)> user) {
  dialogs.AnswerModal([user](TForm& form) {
    user(static_cast<TBtnBottomDlg2&>(form));
    return mrNone;
  });
  Form1->Colors1->Click();
}

class ColorTest : public PictureTest {
 protected:
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }

  // A CH1 trace at code 100 across the grid, on a fresh picture.
  void DrawFlatCh1() {
    picture_test::FillCh1([](int) { return 100; });
    picture_test::Wipe();
    Form1->piirrot();
  }
  int Ch1TraceRow() const { return ScopeState().ScreenY0 + 255 - 100; }
};

TEST_F(ColorTest, PresetsLoadTheirColoursPensAndPicture) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) { dlg.GrSpeedButton3->Click(); });
  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_EQ(Dialogs().Forms()[0].Caption, "Color");
  EXPECT_EQ(display::CurrentScreenColors(DisplayState()),
            (display::ScreenColorSet{0x000000, 0x00FFFF, 0x00FF00, 0xFFFFFF, 0xFF00FF, 0x800000, 0xFF0000, 0xFFFF00}));
  EXPECT_EQ(DisplayState().DefaultColors, 1);
  EXPECT_EQ(DisplayState().BlackScreenPreset, 1);
  // On black every pen is the colour inverted; the grid is drawn as it is.
  EXPECT_EQ(DisplayState().Ch1PenColor, 0xFF0000u);
  EXPECT_EQ(DisplayState().Ch2PenColor, 0xFF00FFu);
  EXPECT_EQ(DisplayState().Math1PenColor, 0x000000u);
  EXPECT_EQ(DisplayState().Math2PenColor, 0x00FF00u);
  EXPECT_EQ(DisplayState().TimeMarkerPenColor, 0x0000FFu);
  EXPECT_EQ(DisplayState().GridPenColor, 0x800000u);
  EXPECT_EQ(DisplayState().BrightGridPenColor, 0xFF0000u);
  // The picture was rebuilt in the new colours.
  EXPECT_EQ(Pixel(2, 2), 0x000000u);
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 50, ScopeState().ScreenY0 + 5), 0x800000u);  // grid line
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 - 1, ScopeState().ScreenY0 + 5), 0xFF0000u);   // frame
  DrawFlatCh1();
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 101, Ch1TraceRow()), 0x00FFFFu);
  // The recorder takes the same colours.
  EXPECT_EQ(RecorderState().RecBackgroundColor, 0x000000u);
  EXPECT_EQ(RecorderState().RecTimeMarkerColor, 0xFFFF00u);

  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) { dlg.GrSpeedButton4->Click(); });
  EXPECT_EQ(display::CurrentScreenColors(DisplayState()),
            (display::ScreenColorSet{0xF5FFFF, 0xDC0000, 0x0000DC, 0xFF0080, 0xFF00FF, 0xC0C0C0, 0x808080, 0x400080}));
  EXPECT_EQ(DisplayState().BlackScreenPreset, 0);
  EXPECT_EQ(DisplayState().Ch1PenColor, 0xD60000u);
  for (auto [pen, colour] : {std::pair{DisplayState().Ch2PenColor, DisplayState().Ch2Color}, std::pair{DisplayState().Math1PenColor, DisplayState().Math1Color},
                             std::pair{DisplayState().Math2PenColor, DisplayState().Math2Color}, std::pair{DisplayState().TimeMarkerPenColor, DisplayState().TimeMarkerColor}})
    EXPECT_EQ(ShownOverBackground(pen), colour);
  DrawFlatCh1();
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 101, Ch1TraceRow()), 0xDC0000u);
  EXPECT_EQ(Pixel(2, 2), 0xF5FFFFu);
}

TEST_F(ColorTest, PicksShowInTheSwatchesAndCancelPutsEverythingBack) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  // Colours of a previous session, no OK since this start (DefaultColors 1).
  display::SetScreenColors(DisplayState(), {0x101010, 0x123456, 0x0000DC, 0xFF0080, 0xFF00FF, 0xC0C0C0, 0x808080, 0x400080});
  Form1->DerivePens();
  DisplayState().DefaultColors = 1;
  DrawFlatCh1();
  const QImage before = Picture();
  const TColor ch1Pen = DisplayState().Ch1PenColor;

  Dialogs().AnswerColor(0x00FF00);  // Ch1
  Dialogs().AnswerColor(0x000000);  // Background
  Dialogs().CancelColor();          // Time Marker: the system dialog cancelled
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) {
    dlg.SpeedButton1->Click();
    dlg.SpeedButton3->Click();
    dlg.SpeedButton6->Click();
    // Each pick is in the table at once and the swatches show it over the
    // new background.
    EXPECT_EQ(DisplayState().Ch1Color, 0x00FF00u);
    EXPECT_EQ(DisplayState().TimeMarkerColor, 0x400080u);
    TCanvas* swatch = dlg.Image1->Canvas();
    EXPECT_EQ(swatch->Pixels(5, 10), 0x00FF00u);
    EXPECT_EQ(swatch->Pixels(5, 34), 0x0000DCu);
    EXPECT_EQ(swatch->Pixels(5, 106), 0xC0C0C0u);
    EXPECT_EQ(swatch->Pixels(5, 154), 0x400080u);
    EXPECT_EQ(swatch->Pixels(5, 20), 0x000000u);
    dlg.GrSpeedButton2->Click();
  });

  const auto& asked = Dialogs().ColorDialogs();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].Initial, 0x123456u);  // preset to the current colour
  EXPECT_EQ(asked[1].Initial, 0x101010u);
  // Cancel leaves the table as the dialog found it, even with no OK since
  // the start: no preset comes in.
  EXPECT_EQ(display::CurrentScreenColors(DisplayState()),
            (display::ScreenColorSet{0x101010, 0x123456, 0x0000DC, 0xFF0080, 0xFF00FF, 0xC0C0C0, 0x808080, 0x400080}));
  EXPECT_EQ(DisplayState().Ch1PenColor, ch1Pen);
  EXPECT_EQ(DisplayState().DefaultColors, 1);
  EXPECT_EQ(Picture(), before);

  // Closing the dialog by its frame is a Cancel too.
  Dialogs().AnswerColor(0x00FF00);
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) { dlg.SpeedButton2->Click(); });
  EXPECT_EQ(DisplayState().Ch2Color, 0x0000DCu);
  EXPECT_EQ(DisplayState().ColorsAccepted, 0);
}

TEST_F(ColorTest, OkDerivesEveryPenFromTheNewColours) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  // CH2 hidden: its label is grey and stays so.
  Form1->LabelCh2->Font().Color = kGrey;
  Form11->LabelCh2->Font().Color = kGrey;
  Dialogs().AnswerColor(0x00FF00);  // Ch1
  Dialogs().AnswerColor(0x202020);  // Background
  Dialogs().AnswerColor(0x3050A0);  // Time Marker
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) {
    dlg.SpeedButton1->Click();
    dlg.SpeedButton3->Click();
    dlg.SpeedButton6->Click();
    dlg.GrSpeedButton1->Click();
  });
  EXPECT_EQ(DisplayState().ColorsAccepted, 1);
  EXPECT_EQ(DisplayState().DefaultColors, 0);
  EXPECT_EQ(DisplayState().Ch1PenColor, DisplayState().Ch1XorColor);
  EXPECT_EQ(ShownOverBackground(DisplayState().Ch1PenColor), 0x00FF00u);
  EXPECT_EQ(ShownOverBackground(DisplayState().Ch2PenColor), 0x0000DCu);
  EXPECT_EQ(ShownOverBackground(DisplayState().TimeMarkerPenColor), 0x3050A0u);
  EXPECT_EQ(Pixel(2, 2), 0x202020u);
  DrawFlatCh1();
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 101, Ch1TraceRow()), 0x00FF00u);

  EXPECT_EQ(Form1->LabelCh1->Font().Color, 0x00FF00u);
  EXPECT_EQ(Form11->LabelCh1->Font().Color, 0x00FF00u);
  EXPECT_EQ(Form1->LabelCh2->Font().Color, kGrey);
  EXPECT_EQ(Form11->LabelCh2->Font().Color, kGrey);
}

TEST_F(ColorTest, OkGivesAnInvertedCh2TheNewSecondMathPen) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  ScopeState().InvertCh2Mode = 1;
  ScopeState().MathOff = 0;
  Dialogs().AnswerColor(0x00FFFF);  // Math 2
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) {
    dlg.SpeedButton8->Click();
    dlg.GrSpeedButton1->Click();
  });
  EXPECT_EQ(DisplayState().Ch2PenColor, DisplayState().Math2PenColor);
  EXPECT_EQ(ShownOverBackground(DisplayState().Ch2PenColor), 0x00FFFFu);
}

TEST_F(ColorTest, BrightGridSwitchesTheGridColour) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  EXPECT_EQ(Form1->BrightGrid1->Caption(), "Bright Grid");
  EXPECT_EQ(Form1->BrightGrid1->Parent(), Form1->View1);
  EXPECT_EQ(Form1->Colors1->Caption(), "Colors...");
  EXPECT_EQ(Form1->Colors1->Parent(), Form1->Options1);
  const int gridX = ScopeState().ScreenX0 + 100, gridY = ScopeState().ScreenY0 + 10;
  EXPECT_EQ(Pixel(gridX, gridY), 0xC0C0C0u);
  Form1->BrightGrid1->Click();
  EXPECT_TRUE(Form1->BrightGrid1->Checked());
  EXPECT_EQ(DisplayState().ScopeBrightGrid, 1);
  EXPECT_EQ(DisplayState().GridPenColor, 0x808080u);
  EXPECT_EQ(Pixel(gridX, gridY), 0x808080u);
  // New colours keep the grid choice.
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) { dlg.GrSpeedButton3->Click(); });
  EXPECT_EQ(Pixel(gridX, gridY), 0xFF0000u);
  Form1->BrightGrid1->Click();
  EXPECT_FALSE(Form1->BrightGrid1->Checked());
  EXPECT_EQ(Pixel(gridX, gridY), 0x800000u);
}

// ---------------------------------------------------------------- kept between sessions

using startup_test::StartupTest;

TEST_F(StartupTest, ColoursChosenInTheDialogComeBackAtTheNextStart) {
  StartAndRun();
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) { dlg.GrSpeedButton3->Click(); });
  Form1->BrightGrid1->Click();
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Colors", "Background"), "0");
  EXPECT_EQ(IniValue("Colors", "Ch1"), "65535");
  EXPECT_EQ(IniValue("Colors", "Time_Marker"), "16776960");
  EXPECT_EQ(IniValue("Colors", "DefaultColors"), "1");
  EXPECT_EQ(IniValue("Menu", "BrightGrid_dso"), "1");

  Start();
  using namespace engine;
  using namespace display;
  using namespace recorder;
  EXPECT_EQ(display::CurrentScreenColors(DisplayState()),
            (display::ScreenColorSet{0x000000, 0x00FFFF, 0x00FF00, 0xFFFFFF, 0xFF00FF, 0x800000, 0xFF0000, 0xFFFF00}));
  EXPECT_EQ(DisplayState().Ch1PenColor, 0xFF0000u);
  EXPECT_TRUE(Form1->BrightGrid1->Checked());
  EXPECT_EQ(DisplayState().GridPenColor, 0xFF0000u);

  // A colour taken with OK is kept too, and no preset is then in force.
  Dialogs().AnswerColor(0x123456);
  RunColorDialog(Dialogs(), [](TBtnBottomDlg2& dlg) {
    dlg.SpeedButton1->Click();
    dlg.GrSpeedButton1->Click();
  });
  ASSERT_TRUE(Close());
  EXPECT_EQ(IniValue("Colors", "Ch1"), "1193046");
  EXPECT_EQ(IniValue("Colors", "DefaultColors"), "0");
  Start();
  EXPECT_EQ(DisplayState().Ch1Color, 0x123456u);
  EXPECT_EQ(ShownOverBackground(DisplayState().Ch1PenColor), 0x123456u);
}

}  // namespace
