// Autoset against the simulated Darvik48: the settings it starts from, where
// it settles for a sine and for a signal that never crosses mid-screen, and
// a link lost in the middle of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "acquisition_fixture.h"
#include "engine/big_screen.h"
#include "engine/autoset.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "support/program_states.h"

namespace {

using acquisition_test::AcquisitionTest;

// A front end with gain: the signal is given in hundredths of a volt around
// code 128; the device shows it at 32 codes per division of the range the
// last settings chose, clipped to the rails.
double VoltsPerDiv(std::uint8_t gainBits) {
  switch (gainBits) {
    case 0x08: return 3.0;
    case 0x28: return 1.0;
    case 0x04: return 0.3;
    case 0x24: return 0.1;
    case 0x02: return 0.03;
    default: return 0.01;
  }
}

std::uint8_t FrontEnd(int channel, std::uint8_t code, const SimScopeSettings* settings) {
  if (!settings) return code;
  const double volts = (code - 128) / 100.0;
  const double shown = 128 + volts * 32 / VoltsPerDiv(settings->GainBits(channel));
  return static_cast<std::uint8_t>(std::clamp(std::lround(shown), 0L, 255L));
}

class AutosetTest : public AcquisitionTest {
 protected:
  void SetUp() override {
    AcquisitionTest::SetUp();
    Device().SetResponse(FrontEnd);
  }
  // The time/div register the device gets for a time/div button.
  std::uint8_t RegisterOf(TGrSpeedButton* FrontPanelControls::*button) {
    (Form1->*button)->Click();
    const std::uint8_t reg = Device().LastSettings()->TimeBaseRegister();
    Form1->SpeedButton2ms->Click();
    Device().ClearLog();
    return reg;
  }
  // The settings in force when the first capture was asked for.
  SimScopeSettings SettingsAtFirstCapture() {
    std::size_t packets = 0;
    for (const SimTransfer& t : Device().Transfers()) {
      if (t.kind != SimTransfer::Kind::Write || t.data.empty()) continue;
      if (t.data.size() == 1 && t.data[0] == 10) break;
      if (t.data.size() > 3 && t.data[0] == 14 && t.data[1] == 128) ++packets;
    }
    EXPECT_GT(packets, 0u);
    return Device().SettingsHistory().at(packets - 1);
  }
};

TEST_F(AutosetTest, SettlesOnTheSignalAndRuns) {
  const std::uint8_t reg2ms = RegisterOf(&FrontPanelControls::SpeedButton5ms);
  const std::uint8_t reg5us = RegisterOf(&FrontPanelControls::SpeedButton5us);
  const std::uint8_t reg100ms = RegisterOf(&FrontPanelControls::SpeedButton50us);
  struct Case {
    const char* name;
    SimulatedDarvik48::Signal ch1;
    std::uint8_t gainBits;
    std::uint8_t timeBase;
    bool triggerOn;
    int level;
  } cases[] = {
      // 2 V peak to peak, 150 samples a period: 0.3 V/div spans codes 21..235.
      {"sine", [](int i) { return static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(i * 2 * M_PI / 150))); },
       0x04, reg5us, true, 127},
      // Never below mid-screen and flat: every round one step slower up to
      // 100 ms/div, the trigger left off.
      {"flat", [](int) { return std::uint8_t{128}; }, 0x22, reg100ms, false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Device().SetSignal(c.ch1, [](int) { return std::uint8_t{128}; });
    Form1->SpeedButton_dc1->Click();
    Form1->SpeedButton7->Click();
    Form1->SpeedButtonSingle->SetDown(false);
    Form1->TrackBar1->SetPosition(20);
    Device().ClearLog();
    Form1->Autoset1->Click();

    // Trigger off, CH1 in AC at 3 V/div and 2 ms/div before the first capture.
    const SimScopeSettings first = SettingsAtFirstCapture();
    EXPECT_FALSE(first.TriggerOn());
    EXPECT_FALSE(first.DcCoupled(1));
    EXPECT_EQ(first.GainBits(1), 0x08);
    EXPECT_EQ(first.TimeBaseRegister(), reg2ms);

    const auto last = Device().LastSettings();
    ASSERT_TRUE(last.has_value());
    EXPECT_EQ(last->GainBits(1), c.gainBits);
    EXPECT_EQ(last->TimeBaseRegister(), c.timeBase);
    EXPECT_EQ(last->TriggerOn(), c.triggerOn);
    EXPECT_FALSE(last->TriggerSourceCh2());
    if (c.level >= 0) {
      EXPECT_EQ(Form1->TrackBar3->Position(), c.level);
    }
    EXPECT_EQ(Form1->TrackBar1->Position(), 0);
    EXPECT_TRUE(Form1->SpeedButtonRun->Down());
    EXPECT_TRUE(Form1->SpeedButton_ac1->Down());
    EXPECT_FALSE(Form1->Panel1->Visible());
    EXPECT_TRUE(Form1->Enabled());
    EXPECT_EQ(ScopeState().AutosetRunning, 0);
    Form1->SpeedButtonRun->Click();
    PumpUntil([] { return ScopeState().AcquisitionIdle == 1; });
  }
}

TEST_F(AutosetTest, Ch2AutosetHidesCh1OnlyWhileItRuns) {
  Device().SetSignal([](int) { return std::uint8_t{128}; },
                     [](int i) { return static_cast<std::uint8_t>(128 + std::lround(100 * std::sin(i * 2 * M_PI / 150))); });
  Form1->Autoset2->Click();
  const auto last = Device().LastSettings();
  ASSERT_TRUE(last.has_value());
  EXPECT_EQ(last->GainBits(2), 0x04);
  EXPECT_TRUE(last->TriggerSourceCh2());
  EXPECT_TRUE(last->TriggerOn());
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 1);
  EXPECT_FALSE(Form1->SpeedButtonCh1->Down());
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  Form1->SpeedButtonRun->Click();
}

TEST_F(AutosetTest, LostLinkEndsItWithoutRunning) {
  Device().SetSignal([](int) { return std::uint8_t{128}; }, [](int) { return std::uint8_t{128}; });
  Device().UnplugAfter(60);
  Form1->Autoset1->Click();
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(ScopeState().AutosetRunning, 0);
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());
  EXPECT_FALSE(Form1->Panel1->Visible());
  EXPECT_FALSE(Form10->Panel2->Visible());
  EXPECT_TRUE(Form1->Enabled());
  EXPECT_TRUE(Form11->Enabled());
  EXPECT_EQ(Dialogs().CountMessages(acquisition_test::kDisconnected), 1);

  // Without a device or demo mode the button does nothing.
  Device().ClearLog();
  Form1->Autoset1->Click();
  EXPECT_TRUE(Device().Transfers().empty());
  EXPECT_EQ(ScopeState().AutosetRunning, 0);
}

TEST(AutosetStepsTest, TimeBaseAndRangeStepsStopAtTheirEnds) {
  using namespace engine;
  // Rows: 0 500 ms, 2 100 ms, 3 50 ms, 13 20 us, 15 10 us, 16 5 us, 17 2 us, 21 0.1 us.
  struct Case {
    std::size_t row, slower, faster;
  } autoset[] = {{2, 2, 3}, {3, 2, 4}, {13, 12, 15}, {15, 13, 16}, {16, 15, 17}, {17, 15, 17}, {21, 15, 17}};
  for (const Case& c : autoset) {
    EXPECT_EQ(AutosetSlowerRow(c.row), c.slower) << c.row;
    EXPECT_EQ(AutosetFasterRow(c.row), c.faster) << c.row;
  }
  EXPECT_FALSE(SlowerTimeRow(0).has_value());
  EXPECT_FALSE(FasterTimeRow(21).has_value());
  EXPECT_EQ(FasterTimeRow(13), 15u);  // past the span-only row
  EXPECT_FALSE(LessSensitiveRange(0).has_value());
  EXPECT_FALSE(MoreSensitiveRange(5).has_value());

  std::vector<std::int32_t> block(4096, 200);
  for (std::size_t i = 100; i < 160; ++i) block[i] = 10;
  const SignalSpan s = MeasureSignal(block);
  EXPECT_EQ(s.Min, 10);
  EXPECT_EQ(s.Max, 200);
  EXPECT_EQ(s.LowRun, 60);
  EXPECT_EQ(s.HighRun, 4004 - 160 + 1);
  EXPECT_EQ(TimeBaseMoveFor(s), TimeBaseMove::Slower);
}

}  // namespace
