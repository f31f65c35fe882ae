// The time base as the user drives it: every time/div and span button, the
// settings packet each sends, the labels, rates and magnification it leaves,
// "S/L", and the horizontal position bar through the record.
#include "device_fixture.h"

#include "display/display_state.h"
#include "engine/control_panel.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

struct Row {
  const char* button;
  const char* caption;
  std::int32_t timePerDiv;
  std::uint8_t code;
  std::uint8_t reg;
  std::uint16_t sampleStep;
  const char* rate;
  int pixelStep;
  const char* label;
};

// Written out from the instrument's time-base table, fastest last.
const Row kRows[] = {
    {"SpeedButton500ms", "500ms", 50000000, 5, 0xC1, 5, "250S/s", 2, "500ms"},
    {"SpeedButton200ms", "200ms", 20000000, 2, 0xC2, 5, "625S/s", 2, "200ms"},
    {"SpeedButton50us", "100ms", 10000000, 93, 0xE0, 5, "1.25kS/s", 2, "100ms"},
    {"SpeedButton01s", "50ms", 5000000, 64, 0xE1, 5, "2.5kS/s", 2, "50ms"},
    {"SpeedButton50ms", "20ms", 2000000, 65, 0xE2, 5, "6.25kS/s", 2, "20ms"},
    {"SpeedButton20ms", "10ms", 1000000, 66, 0xF0, 5, "12.5kS/s", 2, "10ms"},
    {"SpeedButton10ms", "5ms", 500000, 80, 0xF1, 5, "25kS/s", 2, "5ms"},
    {"SpeedButton5ms", "2ms", 200000, 81, 0xF2, 5, "62.5kS/s", 2, "2ms"},
    {"SpeedButton2ms", "1ms", 100000, 82, 0xF8, 5, "125kS/s", 2, "1ms"},
    {"SpeedButton1ms", "0.5ms", 50000, 88, 0xF9, 5, "250kS/s", 2, "0.5ms"},
    {"SpeedButton05ms", "0.2ms", 20000, 89, 0xFA, 5, "625kS/s", 2, "0.2ms"},
    {"SpeedButton02ms", "0.1ms", 10000, 90, 0xFC, 5, "1.25MS/s", 2, "0.1ms"},
    {"SpeedButton01ms", "50us", 5000, 92, 0xFD, 5, "2.5MS/s", 2, "50us"},
    {"SpeedButton20us", "20us", 2000, 85, 0xFE, 5, "6.25MS/s", 2, "20us"},
    {"SpeedButton10us", "10us", 1000, 94, 0x80, 5, "12.5MS/s", 2, "10us"},
    {"SpeedButton5us", "5us", 500, 32, 0x40, 5, "25MS/s", 2, "5us"},
    {"SpeedButton2us", "2us", 500, 32, 0x40, 2, "25MS/s", 2, "2us"},
    {"SpeedButton1us", "1us", 500, 32, 0x40, 1, "25MS/s", 2, "1us"},
    {"SpeedButton05us", "0.5us", 500, 32, 0x40, 1, "25MS/s", 4, "0.5us"},
    {"SpeedButton02us", "0.2us", 500, 32, 0x40, 1, "25MS/s", 10, "0.2us"},
    {"SpeedButton01us", "0.1us", 500, 32, 0x40, 1, "25MS/s", 20, "0.1us"},
};

class TimeBaseTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    ScopeState().SpectrumMode = 0;
    ScopeState().Settings.DigitalMode = 0;
    ScopeState().SampleRateOn = 1;
  }

  TSpeedButton* Button(TComponent* form, const std::string& name) {
    auto* b = form->FindComponentAs<TSpeedButton>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  SimScopeSettings Last() { return Device().LastSettings().value_or(SimScopeSettings{}); }
};

TEST_F(TimeBaseTest, EveryStepSendsItsRegisterAndLeavesItsRateLabelAndScale) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.caption);
    Device().ClearLog();
    TSpeedButton* b = Button(Form1, row.button);
    EXPECT_EQ(b->Caption(), row.caption);
    b->Click();

    ASSERT_EQ(Device().SettingsHistory().size(), 1u) << "one packet per step";
    EXPECT_EQ(Last().TimeBaseRegister(), row.reg);
    EXPECT_EQ(ScopeState().TimePerDiv, row.timePerDiv);
    EXPECT_EQ(ScopeState().Settings.TimeBaseCode, row.code);
    EXPECT_EQ(ScopeState().SampleStep, row.sampleStep);
    EXPECT_EQ(ScopeState().PixelStep, row.pixelStep);
    EXPECT_EQ(ScopeState().TimeDivText, row.label);
    EXPECT_EQ(ScopeState().SampleRateText, row.rate);
    EXPECT_EQ(ScopeState().Channels[0].RateTrim, 0);
    EXPECT_TRUE(b->Down());
    EXPECT_TRUE(Button(Form11, row.button)->Down()) << "the twin follows";
    // The rest of the group is up on both windows.
    for (const Row& other : kRows)
      if (&other != &row) {
        EXPECT_FALSE(Button(Form1, other.button)->Down()) << other.caption;
        EXPECT_FALSE(Button(Form11, other.button)->Down()) << other.caption;
      }
    // "S/L" only for the two finest steps.
    const bool fine = std::string(row.caption) == "0.2us" || std::string(row.caption) == "0.1us";
    EXPECT_EQ(Form1->SpeedButton005us->Enabled(), fine);
    EXPECT_EQ(Form11->SpeedButton005us->Enabled(), fine);
  }
}

TEST_F(TimeBaseTest, StepsFromFiveMicrosecondsDownSendTheSameDeviceSettings) {
  Form1->FrontPanel().SpeedButton5usClick(Form1);
  const auto reference = Last().c;
  for (auto handler : {&engine::front_panel::FrontPanelController::SpeedButton2usClick, &engine::front_panel::FrontPanelController::SpeedButton1usClick, &engine::front_panel::FrontPanelController::SpeedButton05usClick,
                       &engine::front_panel::FrontPanelController::SpeedButton02usClick, &engine::front_panel::FrontPanelController::SpeedButton01usClick}) {
    (Form1->FrontPanel().*handler)(Form1);
    EXPECT_EQ(Last().c, reference);
  }
}

TEST_F(TimeBaseTest, HandlersCalledFromCodePressTheirOwnButton) {
  Form1->FrontPanel().SpeedButton500msClick(Form1);
  EXPECT_TRUE(Form1->SpeedButton500ms->Down());
  EXPECT_FALSE(Form1->SpeedButton2ms->Down());
  Form1->FrontPanel().SpeedButton01usClick(Form1);
  EXPECT_TRUE(Form1->SpeedButton01us->Down());
  EXPECT_TRUE(Form11->SpeedButton01us->Down());

  // Re-applying runs the step the panel shows: the span in spectrum mode.
  Form1->FrontPanel().peedButton50msClick(Form1);  // "20ms", named as documented
  ScopeState().TimePerDiv = 1;
  Form1->ReapplyTimeBase();
  EXPECT_EQ(ScopeState().TimePerDiv, 2000000);
  ScopeState().SpectrumMode = 1;
  Form1->FrontPanel().SpeedButton10usClick(Form1);
  EXPECT_TRUE(Form1->SpeedButton19->Down());
  EXPECT_TRUE(Form11->SpeedButton19->Down());
  EXPECT_TRUE(Form1->SpeedButton50ms->Down());  // the time view keeps its row
  ScopeState().TimePerDiv = 1;
  Form1->ReapplyTimeBase();
  EXPECT_EQ(ScopeState().TimePerDiv, 500);
  EXPECT_EQ(ScopeState().SampleStep, 10);
}

TEST_F(TimeBaseTest, StoppedTraceIsStretchedByTheMagnification) {
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  ScopeState().ShownTimePerDiv = 100000;  // the trace on screen was taken at 1 ms/div
  Form1->FrontPanel().SpeedButton1msClick(Form1);
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 2.5);

  ScopeState().ShownTimePerDiv = 50000000;  // taken at 500 ms/div
  Form1->FrontPanel().SpeedButton01usClick(Form1);
  EXPECT_NEAR(ScopeState().Magnification, 0.00001, 1e-12);

  // A trace taken at a time base that gives no usable factor shows at 100.
  ScopeState().ShownTimePerDiv = 0;
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 100.0);
}

TEST_F(TimeBaseTest, SpectrumSpansSelectTheSpectrumRates) {
  // Spectrum mode shows the span box instead of the time/div box.
  ScopeState().SpectrumMode = 1;
  Form1->Time_div->Hide();
  Form1->Freq_Range->Show();
  Device().ClearLog();
  Form1->SpeedButton19->Click();  // "12M": the 10 us handler
  EXPECT_EQ(Last().TimeBaseRegister(), 0x40);
  EXPECT_EQ(ScopeState().TimePerDiv, 500);
  EXPECT_EQ(ScopeState().SampleStep, 10);
  EXPECT_TRUE(Form11->SpeedButton19->Down());

  Form1->SpeedButton17->Click();  // "6M": span only
  EXPECT_EQ(Last().TimeBaseRegister(), 0x80);
  EXPECT_EQ(ScopeState().TimePerDiv, 1000);
  EXPECT_EQ(ScopeState().SampleStep, 10);
  EXPECT_EQ(ScopeState().Settings.TimeBaseCode, 94);
  EXPECT_TRUE(Form1->SpeedButton17->Down());
  EXPECT_FALSE(Form1->SpeedButton19->Down());

  // The time/div handler presses the span button in spectrum mode.
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  EXPECT_TRUE(Form1->SpeedButton12->Down());
  EXPECT_TRUE(Form11->SpeedButton12->Down());
  EXPECT_EQ(Last().TimeBaseRegister(), 0xF8);
}

TEST_F(TimeBaseTest, DemoModeSendsNothing) {
  ScopeState().DemoMode = 1;
  Device().ClearLog();
  for (const Row& row : kRows) Button(Form1, row.button)->Click();
  EXPECT_TRUE(Device().Transfers().empty());
  EXPECT_EQ(ScopeState().TimeDivText, "0.1us");
}

TEST_F(TimeBaseTest, PositionBarReachesBothEndsOfTheRecord) {
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  // At 1 ms/div a bar step is 16 samples and the bar spans the record.
  EXPECT_EQ(Form1->ScrollBar2->Min(), -32);
  EXPECT_EQ(Form1->ScrollBar2->Max(), 224);
  Form1->ScrollBar2->SetPosition(-32);
  EXPECT_EQ(ScopeState().DisplayStart, 1);
  Form1->ScrollBar2->SetPosition(224);
  EXPECT_EQ(ScopeState().DisplayStart, 4066);
  Form1->ScrollBar2->SetPosition(32);
  EXPECT_EQ(ScopeState().DisplayStart, 1024);
  Form1->ScrollBar2->SetPosition(33);
  EXPECT_EQ(ScopeState().DisplayStart, 1040);
}

TEST_F(TimeBaseTest, PositionBarClampsAtTheEndsInBitViewAndSpectrum) {
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  ScopeState().Settings.DigitalMode = 1;
  Form1->ScrollBar2->SetPosition(224);  // 0.125 samples a step x 32 x 192 = 768
  EXPECT_EQ(ScopeState().DisplayStart, 1024);
  EXPECT_EQ(ScopeState().CaptureStart, 1792);
  Form1->ScrollBar2->SetMax(2000);
  Form1->ScrollBar2->SetPosition(2000);
  EXPECT_EQ(ScopeState().CaptureStart, 4080);
  ScopeState().Settings.DigitalMode = 0;

  ScopeState().SpectrumMode = 1;
  Form1->ScrollBar2->SetPosition(0);  // one sample per step: 1024 - 32 x 32
  EXPECT_EQ(ScopeState().DisplayStart, 1);
  Form1->ScrollBar2->SetPosition(40);
  EXPECT_EQ(ScopeState().DisplayStart, 1280);
}

TEST_F(TimeBaseTest, PresetButtonPutsTheTriggerPointAtTheStepsPlace) {
  struct Case {
    void (engine::front_panel::FrontPanelController::*step)(TObject*);
    int preset;
  } cases[] = {{&engine::front_panel::FrontPanelController::SpeedButton1usClick, 22},  {&engine::front_panel::FrontPanelController::SpeedButton05usClick, 19},
               {&engine::front_panel::FrontPanelController::SpeedButton02usClick, 11}, {&engine::front_panel::FrontPanelController::SpeedButton01usClick, 0},
               {&engine::front_panel::FrontPanelController::SpeedButton2msClick, 24}};
  for (const Case& c : cases) {
    (Form1->FrontPanel().*c.step)(Form1);
    Form1->ScrollBar2->SetPosition(Form1->ScrollBar2->Min() + 3);
    Form1->SpeedButton24->Click();
    EXPECT_EQ(Form1->ScrollBar2->Position(), c.preset);
  }
  // At 1 ms/div, position 24 starts the picture 128 samples earlier.
  EXPECT_EQ(ScopeState().DisplayStart, 896);
  // From the twin panel too, and the same position again still re-applies it.
  ScopeState().DisplayStart = 5;
  Form11->SpeedButton24->Click();
  EXPECT_EQ(ScopeState().DisplayStart, 896);
}

TEST_F(TimeBaseTest, InterpolationButtonChoosesLinearOrSineOnBothWindows) {
  Form1->FrontPanel().SpeedButton02usClick(Form1);
  ASSERT_TRUE(Form1->SpeedButton005us->Enabled());
  Form1->SpeedButton005us->Click();
  EXPECT_EQ(DisplayState().InterpolationChoice, 1);
  EXPECT_TRUE(Form11->SpeedButton005us->Down());
  EXPECT_EQ(Form1->Label3->Caption(), "Linear interpolation");
  EXPECT_EQ(Form11->Label3->Caption(), "Linear interpolation");

  Form11->SpeedButton005us->Click();  // the twin forwards
  EXPECT_EQ(DisplayState().InterpolationChoice, 0);
  EXPECT_FALSE(Form1->SpeedButton005us->Down());
  EXPECT_EQ(Form1->Label3->Caption(), "Sine interpolation");
  EXPECT_EQ(Form11->Label3->Caption(), "Sine interpolation");

  // Leaving the fine steps disables it; the bit view keeps its state.
  Form1->FrontPanel().SpeedButton5usClick(Form1);
  EXPECT_FALSE(Form1->SpeedButton005us->Enabled());
  ScopeState().Settings.DigitalMode = 1;
  Form1->FrontPanel().SpeedButton01usClick(Form1);
  EXPECT_FALSE(Form1->SpeedButton005us->Enabled());
}

TEST_F(TimeBaseTest, StepsEnableAutosetOnBothWindows) {
  for (FrontPanelControls* p : {static_cast<FrontPanelControls*>(Form1), static_cast<FrontPanelControls*>(Form11)}) {
    p->Autoset1->SetEnabled(false);
    p->Autoset2->SetEnabled(false);
  }
  Form1->FrontPanel().SpeedButton10msClick(Form1);
  for (FrontPanelControls* p : {static_cast<FrontPanelControls*>(Form1), static_cast<FrontPanelControls*>(Form11)}) {
    EXPECT_TRUE(p->Autoset1->Enabled());
    EXPECT_TRUE(p->Autoset2->Enabled());
  }
}

}  // namespace
