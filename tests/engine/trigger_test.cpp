// The trigger group: what each control puts on the wire (and that it puts
// nothing there when the state stays), the ticks and status it shows, the
// twin panel kept in step, and the device level following demo mode.
#include <QImage>

#include "device_fixture.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/notice_dialogs.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

using namespace device_test;

class TriggerTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    ScopeState().DisplayStart = 1024;
    Wipe();
    Device().ClearLog();
  }

  static void Wipe() {
    ScopeState().ClearPending = 1;
    Form1->putsataanko();
  }
  static QImage Picture() { return Form1->Image1->Picture()->Image().copy(); }
  static TColor Pixel(int x, int y) { return Form1->Image1->Canvas()->Pixels(x, y); }
  static int DifferentPixels(const QImage& a, const QImage& b) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
  }
  // The picture the graticule draws from the current state.
  static QImage Rebuilt() {
    Wipe();
    return Picture();
  }

  std::size_t Packets() { return Device().SettingsHistory().size(); }
  SimScopeSettings Last() {
    const auto s = Device().LastSettings();
    EXPECT_TRUE(s.has_value());
    return s.value_or(SimScopeSettings{});
  }
  static TLabel* TwinLabel3() { return Form11->Label3; }
};

TEST_F(TriggerTest, StartsWithChannel1RisingOffAtMidLevel) {
  EXPECT_EQ(ScopeState().Settings.TriggerSource, 16);
  EXPECT_EQ(ScopeState().Settings.TriggerSlope, 32);
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 64);
  EXPECT_EQ(Form1->TrackBar3->Position(), 128);
  EXPECT_TRUE(Form1->SpeedButton3->Down() && Form1->SpeedButton5->Down() && Form1->SpeedButton8->Down());
  EXPECT_EQ(Form1->Label3->Caption(), "Trigger off");
}

TEST_F(TriggerTest, SourceButtonsSetTheSourceBitAndExternalKeepsTheLastChannel) {
  Form1->SpeedButton4->Click();
  EXPECT_EQ(ScopeState().Settings.TriggerSource, 0);
  EXPECT_TRUE(Last().TriggerSourceCh2());
  EXPECT_TRUE(Form11->SpeedButton4->Down());
  EXPECT_FALSE(Form11->SpeedButton3->Down());

  Form1->FrontPanel().SpeedButton_extClick(Form1);
  EXPECT_EQ(ScopeState().Settings.TriggerSource, 1);
  EXPECT_TRUE(Form1->SpeedButton_ext->Down());
  EXPECT_TRUE(Last().TriggerSourceCh2());

  Form1->SpeedButton3->Click();
  EXPECT_FALSE(Last().TriggerSourceCh2());
  Form1->FrontPanel().SpeedButton_extClick(Form1);
  EXPECT_FALSE(Last().TriggerSourceCh2());
  // Every change of source sends the settings and then the level again.
  for (const SimScopeSettings& s : Device().SettingsHistory()) {
    EXPECT_EQ(s.TriggerLevel(), 128);
    EXPECT_EQ(s.UnusedBits(), 0);
  }
  EXPECT_EQ(Packets(), 8u);
}

TEST_F(TriggerTest, PressingTheSelectedSourceChangesNothing) {
  Form1->SpeedButton7->Click();
  ScopeState().DisplayStart = 900;  // the trigger-position tick too
  const QImage before = Rebuilt();
  Device().ClearLog();

  Form1->SpeedButton3->Click();
  EXPECT_TRUE(Form1->SpeedButton3->Down());
  EXPECT_TRUE(Device().Transfers().empty());
  EXPECT_EQ(DifferentPixels(Picture(), before), 0);
}

TEST_F(TriggerTest, ANewSourceRecoloursBothTicksAndTheStatusLabel) {
  Form1->SpeedButton7->Click();
  Form1->TrackBar3->SetPosition(100);
  ScopeState().DisplayStart = 900;
  const QImage ch1Ticks = Rebuilt();

  Form1->SpeedButton4->Click();
  const QImage switched = Picture();
  EXPECT_GT(DifferentPixels(switched, ch1Ticks), 10);
  // Exactly what the graticule draws for a CH2 source.
  EXPECT_EQ(DifferentPixels(switched, Rebuilt()), 0);
  const int x0 = ScopeState().ScreenX0, y0 = ScopeState().ScreenY0;
  EXPECT_EQ(Pixel(x0 + 2, y0 + 101), DisplayState().Ch2Color);

  for (TLabel* label : {Form1->Label3, TwinLabel3()}) EXPECT_EQ(label->Font().Color, DisplayState().Ch2Color);
  Form1->FrontPanel().SpeedButton_extClick(Form1);
  for (TLabel* label : {Form1->Label3, TwinLabel3()}) EXPECT_EQ(label->Font().Color, DisplayState().Math1Color);
  EXPECT_EQ(Pixel(x0 + 2, y0 + 101), DisplayState().Math1Color);
}

TEST_F(TriggerTest, InvertedCh2ColoursTheLabelInTheSecondMathColour) {
  ScopeState().MathOff = 0;
  ScopeState().InvertCh2Mode = 1;
  Form1->SpeedButton4->Click();
  Form1->SpeedButton7->Click();
  EXPECT_EQ(Form1->Label3->Font().Color, DisplayState().Math2Color);
  ScopeState().MathOff = 1;
  ScopeState().InvertCh2Mode = 0;
}

TEST_F(TriggerTest, SlopeButtonsSetTheEdgeBitOncePerChange) {
  Form1->SpeedButton6->Click();
  EXPECT_EQ(ScopeState().Settings.TriggerSlope, 0);
  EXPECT_TRUE(Last().FallingEdge());
  EXPECT_TRUE(Form11->SpeedButton6->Down());
  EXPECT_EQ(Packets(), 1u);

  Form1->SpeedButton6->Click();
  Form1->FrontPanel().SpeedButton6Click(Form1);
  EXPECT_EQ(Packets(), 1u);

  Form1->SpeedButton5->Click();
  EXPECT_FALSE(Last().FallingEdge());
  EXPECT_EQ(Packets(), 2u);
}

TEST_F(TriggerTest, OnAndOffSetTheBitStatusPanelTickAndWaitCounter) {
  const QImage off = Picture();
  ScopeState().TriggerWaitTicks = 7;
  Form1->SpeedButton7->Click();
  EXPECT_TRUE(Last().TriggerOn());
  EXPECT_EQ(Packets(), 1u);
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 0);
  EXPECT_EQ(ScopeState().Settings.TriggerWanted, 1);
  EXPECT_EQ(DisplayState().TriggerOn, 1);
  EXPECT_TRUE(Form1->Timer2->Enabled());
  EXPECT_EQ(ScopeState().TriggerWaitTicks, 0);
  for (TLabel* label : {Form1->Label3, TwinLabel3()}) {
    EXPECT_EQ(label->Caption(), "Trigger on");
    EXPECT_EQ(label->Font().Color, DisplayState().Ch1Color);
  }
  for (TPanel* panel : {Form1->Panel2, Form11->Panel2}) EXPECT_EQ(panel->Color(), 0xC0B0B0u);
  EXPECT_TRUE(Form11->SpeedButton7->Down());
  // The level tick at mid-level, drawn once however often "On" is pressed.
  EXPECT_EQ(DifferentPixels(Picture(), off), 10);
  Form1->FrontPanel().SpeedButton7Click(Form1);
  EXPECT_EQ(DifferentPixels(Picture(), off), 10);
  EXPECT_EQ(Packets(), 1u);

  ScopeState().TriggerWaitTicks = 5;
  Form1->SpeedButton8->Click();
  EXPECT_FALSE(Last().TriggerOn());
  EXPECT_EQ(Packets(), 2u);
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 64);
  EXPECT_EQ(ScopeState().Settings.TriggerWanted, 0);
  EXPECT_EQ(DisplayState().TriggerOn, 0);
  EXPECT_FALSE(Form1->Timer2->Enabled());
  EXPECT_EQ(ScopeState().TriggerWaitTicks, 0);
  for (TLabel* label : {Form1->Label3, TwinLabel3()}) {
    EXPECT_EQ(label->Caption(), "Trigger off");
    EXPECT_EQ(label->Font().Color, clBlack);
  }
  for (TPanel* panel : {Form1->Panel2, Form11->Panel2}) EXPECT_EQ(panel->Color(), clBtnFace);
  EXPECT_EQ(DifferentPixels(Picture(), off), 0);
  Form1->SpeedButton8->Click();
  EXPECT_EQ(Packets(), 2u);
}

TEST_F(TriggerTest, LevelBarSendsTheComplementedLevelAndMirrorsOntoTheTwin) {
  const QImage off = Picture();
  Form1->TrackBar3->SetPosition(200);
  EXPECT_EQ(Packets(), 1u);
  EXPECT_EQ(Last().TriggerLevelByte(), 55);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 200);
  EXPECT_EQ(ScopeState().Settings.TriggerLevel, 200);
  EXPECT_EQ(Form11->TrackBar3->Position(), 200);
  // With the trigger off no tick is drawn.
  EXPECT_EQ(DifferentPixels(Picture(), off), 0);

  // The extremes go out complemented.
  Form1->TrackBar3->SetPosition(0);
  EXPECT_EQ(Last().TriggerLevelByte(), 255);
  Form1->TrackBar3->SetPosition(255);
  EXPECT_EQ(Last().TriggerLevelByte(), 0);
}

TEST_F(TriggerTest, LevelBarMovesTheTickWhileTheTriggerIsOn) {
  Form1->SpeedButton7->Click();
  Form1->TrackBar3->SetPosition(30);
  const QImage moved = Picture();
  EXPECT_EQ(DifferentPixels(moved, Rebuilt()), 0);
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 2, ScopeState().ScreenY0 + 31), DisplayState().Ch1Color);
  EXPECT_EQ(Pixel(ScopeState().ScreenX0 + 2, ScopeState().ScreenY0 + 129), DisplayState().BackgroundColor);
}

TEST_F(TriggerTest, TheTwinsLevelBarMovesTheMainBarAndSendsTheLevelOnce) {
  Form11->TrackBar3->SetPosition(60);
  EXPECT_EQ(Form1->TrackBar3->Position(), 60);
  EXPECT_EQ(Form11->TrackBar3->Position(), 60);
  EXPECT_EQ(Packets(), 1u);
  EXPECT_EQ(Last().TriggerLevel(), 60);

  Form11->SpeedButton4->Click();
  EXPECT_TRUE(Form1->SpeedButton4->Down());
  EXPECT_EQ(ScopeState().Settings.TriggerSource, 0);
  EXPECT_TRUE(Last().TriggerSourceCh2());
}

TEST_F(TriggerTest, DemoModeInvertsTheInstrumentLevelAndSendsNothing) {
  ScopeState().DemoMode = 1;
  Form1->TrackBar3->SetPosition(200);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 55);
  EXPECT_EQ(ScopeState().ScopeControlBlock[4], 200);
  EXPECT_TRUE(Device().Transfers().empty());
}

// The hardware dialog's mode buttons: the level the device works from turns
// round with the mode, and the device hears of it when it is back in charge.
TEST_F(TriggerTest, HardwareDialogModeChangeRecomputesAndResendsTheLevel) {
  Form1->TrackBar3->SetPosition(200);
  Device().ClearLog();

  BtnBottomDlg->RadioButton2->SetChecked(true);
  EXPECT_EQ(ScopeState().DemoMode, 1);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 55);
  EXPECT_TRUE(Device().Transfers().empty());

  BtnBottomDlg->RadioButton1->SetChecked(true);
  EXPECT_EQ(ScopeState().DemoMode, 0);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 200);
  ASSERT_EQ(Packets(), 1u);
  EXPECT_EQ(Last().TriggerLevelByte(), 55);

  // The same mode again changes nothing.
  BtnBottomDlg->RadioButton1Click(BtnBottomDlg);
  EXPECT_EQ(Packets(), 1u);
}

// ---------------------------------------------------------------- start-up

class TriggerStartupTest : public startup_test::StartupTest {};

TEST_F(TriggerStartupTest, FallbackToDemoModeTurnsTheInstrumentLevelRound) {
  StartAndRun();
  ASSERT_EQ(ScopeState().DemoMode, 1);
  const int position = Form1->TrackBar3->Position();
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 255 - position);
  EXPECT_EQ(ScopeState().ScopeControlBlock[4], position);
}

TEST_F(TriggerStartupTest, DemoModeFromTheSettingsFileTurnsTheInstrumentLevelRound) {
  WriteIni("[Hardware]\r\nDemoMode=1\r\n");
  StartAndRun();
  ASSERT_EQ(ScopeState().DemoMode, 1);
  EXPECT_EQ(ScopeState().Settings.DeviceTriggerLevel, 255 - Form1->TrackBar3->Position());
}

}  // namespace
