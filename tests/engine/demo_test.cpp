// The demo signal source: its shapes and ranges, its trigger search and
// pacing, and Run / Single / Stop in demo mode as a user without a device
// sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/main_form.h"
#include "support/held_startup_test.h"
#include "engine/scope_state.h"
#include "support/app_harness.h"
#include "display/history.h"
#include "display/history_state.h"
#include "support/program_states.h"

namespace {

using namespace engine;
using namespace display;

class DemoTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    ScopeState().DemoMode = 1;
    HistoryState().HistoryIndex = 0;
    HistoryState().HistoryStoreOn = 1;
    Form1->Acquisition().tee_demo_taulut();
  }

  // One synthetic capture as the acquisition loops take it.
  static void Capture() {
    Form1->Acquisition().triggaa_demo();
    Form1->Acquisition().luedemo();
  }
  static std::vector<std::int32_t> Channel(int channel) {
    const auto samples = channel == 1 ? ScopeState().Ch1Samples() : ScopeState().Ch2Samples();
    return {samples.begin(), samples.end()};
  }
  static std::int16_t Period(int entry) {
    std::int16_t v = 0;
    std::memcpy(&v, ScopeState().DemoSourceTable + 2 * entry, sizeof v);
    return v;
  }
  void PumpUntil(const std::function<bool()>& condition, int ms = 3000) {
    ASSERT_TRUE(harness_->PumpUntil(condition, ms));
  }

};

TEST_F(DemoTest, StartingTheDemoSelectsOneVoltOneMillisecondAndOffsetsTheTraces) {
  EXPECT_EQ(ScopeState().Settings.Channels[0].GainCode, 27);
  EXPECT_EQ(ScopeState().Settings.Channels[1].GainCode, 27);
  EXPECT_EQ(ScopeState().TimePerDiv, 100000);
  EXPECT_TRUE(Form1->SpeedButton2ms->Down());
  EXPECT_EQ(Form1->TrackBar1->Position(), -20);
  EXPECT_EQ(Form1->TrackBar2->Position(), 20);
}

TEST_F(DemoTest, AtOneMillisecondPerDivisionBothSignalsSpanTheirRanges) {
  Capture();
  const std::vector<std::int32_t> ch1 = Channel(1), ch2 = Channel(2);
  // CH1: a sine of 30 codes around 188; CH2: a square wave around 88.
  EXPECT_EQ(*std::min_element(ch1.begin(), ch1.end()), 158);
  EXPECT_EQ(*std::max_element(ch1.begin(), ch1.end()), 218);
  EXPECT_EQ(*std::min_element(ch2.begin(), ch2.end()), 42);
  EXPECT_EQ(*std::max_element(ch2.begin(), ch2.end()), 134);
  // One period is 300 samples at this time base.
  for (std::size_t i = 0; i + 300 < 4096; ++i) ASSERT_EQ(ch1[i], ch1[i + 300]) << i;
}

TEST_F(DemoTest, FasterThanTwentyMicrosecondsTheSecondPairIsShown) {
  ScopeState().TimePerDiv = 1000;
  Form1->Acquisition().tee_demo();
  std::vector<std::int16_t> ch1, ch2;
  for (int i = 0; i < 300; ++i) {
    ch1.push_back(Period(i));
    ch2.push_back(Period(300 + i));
  }
  EXPECT_EQ(*std::min_element(ch1.begin(), ch1.end()), 168);
  EXPECT_EQ(*std::max_element(ch1.begin(), ch1.end()), 228);
  EXPECT_EQ(*std::min_element(ch2.begin(), ch2.end()), 39);
  EXPECT_EQ(*std::max_element(ch2.begin(), ch2.end()), 137);
}

TEST_F(DemoTest, EachChannelFollowsItsRangeAndPosition) {
  // CH2 at 3 V/div with the bar at 0: source / 200 + 128.
  ScopeState().Settings.Channels[1].GainCode = 1;
  Form1->TrackBar2->SetPosition(0);
  Form1->Acquisition().tee_demo();
  EXPECT_EQ(Period(300), 128);
  EXPECT_EQ(Period(301), 130);  // 522 / 200 = 2
  EXPECT_EQ(Period(304), 138);  // 2015 / 200 = 10

  // Pushed off the screen, the trace clips at 0 and 255.
  ScopeState().Settings.Channels[1].GainCode = 27;
  Form1->TrackBar2->SetPosition(127);
  Form1->Acquisition().tee_demo();
  Form1->TrackBar1->SetPosition(-128);
  Form1->Acquisition().tee_demo();
  Capture();
  const std::vector<std::int32_t> ch1 = Channel(1), ch2 = Channel(2);
  EXPECT_EQ(*std::min_element(ch2.begin(), ch2.end()), 0);
  EXPECT_EQ(*std::max_element(ch1.begin(), ch1.end()), 255);
}

TEST_F(DemoTest, TriggerOffCapturesMoveByTenSamplesEachTime) {
  Capture();
  const std::vector<std::int32_t> first = Channel(1);
  Capture();
  const std::vector<std::int32_t> second = Channel(1);
  EXPECT_NE(first, second);
  for (std::size_t i = 0; i + 10 < 4096; ++i) ASSERT_EQ(second[i], first[i + 10]) << i;
}

TEST_F(DemoTest, ATriggeredCaptureCrossesTheLevelAtTheLeftScreenEdge) {
  ScopeState().Settings.TriggerOff = 0;
  ScopeState().Settings.TriggerSource = 16;
  ScopeState().Settings.DeviceTriggerLevel = 188;
  for (std::uint8_t slope : {std::uint8_t{32}, std::uint8_t{0}}) {
    ScopeState().Settings.TriggerSlope = slope;
    for (int n = 0; n < 5; ++n) {
      Capture();
      ASSERT_TRUE(Driver().Demo().Triggered());
      if (slope == 32) {
        EXPECT_GT(ScopeState().Ch1Samples()[1023], 188) << n;
        EXPECT_LE(ScopeState().Ch1Samples()[1022], 189) << n;
      } else {
        EXPECT_LT(ScopeState().Ch1Samples()[1023], 189) << n;
        EXPECT_GE(ScopeState().Ch1Samples()[1022], 188) << n;
      }
    }
  }
}

TEST_F(DemoTest, LevelsAtTheEndsOfTheScaleGetNoRandomOffsetAndNeverTriggerPastThem) {
  // CH2 pushed down so that its low half clips at code 0 (base 20, swing +-46).
  Form1->TrackBar2->SetPosition(54);
  Form1->Acquisition().tee_demo();
  ASSERT_EQ(Period(525), 0);
  ASSERT_GT(Period(375), 1);
  ScopeState().Settings.TriggerOff = 0;
  ScopeState().Settings.TriggerSource = 0;  // CH2
  ScopeState().Settings.TriggerSlope = 32;
  ScopeState().Settings.DeviceTriggerLevel = 0;  // nothing is below 0 (level 1 would find the zeros)
  for (int n = 0; n < 40; ++n) {
    Form1->Acquisition().triggaa_demo();
    ASSERT_FALSE(Driver().Demo().Triggered()) << n;
  }
  // CH2 pushed up so that its high half clips at 255.
  Form1->TrackBar2->SetPosition(-51);
  Form1->Acquisition().tee_demo();
  ASSERT_EQ(Period(375), 255);
  ScopeState().Settings.TriggerSlope = 0;
  ScopeState().Settings.DeviceTriggerLevel = 255;
  for (int n = 0; n < 40; ++n) {
    Form1->Acquisition().triggaa_demo();
    ASSERT_FALSE(Driver().Demo().Triggered()) << n;
  }
}

TEST_F(DemoTest, TwentyMicrosecondsRepeatsEachValueFiftyTimesAndLeavesTheTailAlone) {
  ScopeState().TimePerDiv = 2000;
  Form1->Acquisition().tee_demo();
  ScopeState().ScopeSampleBlock.fill(-1);
  Capture();
  EXPECT_EQ(Driver().Demo().Repeat(), 50);
  EXPECT_EQ(Driver().Demo().GroupStep(), 2);
  for (std::size_t g = 0; g < 81; ++g)
    for (std::size_t r = 1; r < 50; ++r) ASSERT_EQ(ScopeState().Ch1Samples()[g * 50 + r], ScopeState().Ch1Samples()[g * 50]) << g;
  EXPECT_NE(ScopeState().Ch1Samples()[4049], -1);
  for (std::size_t i = 4050; i < 4096; ++i) {
    ASSERT_EQ(ScopeState().Ch1Samples()[i], -1) << i;
    ASSERT_EQ(ScopeState().Ch2Samples()[i], -1) << i;
  }
}

TEST_F(DemoTest, SpectrumNoiseTouchesOnlyTheEightThousandSamples) {
  Form1->Acquisition().triggaa_demo();
  Form1->Acquisition().luedemo();
  const std::vector<std::int32_t> clean(ScopeState().ScopeSampleBlock.begin(), ScopeState().ScopeSampleBlock.begin() + 8192);
  ScopeState().SpectrumMode = 1;
  ScopeState().SpectrumInputBlock[8192] = 12345;
  const std::int32_t index = HistoryState().HistoryIndex;
  Form1->Acquisition().luedemo();  // same start: the same samples plus noise
  for (std::size_t k = 0; k < 8192; ++k) {
    const std::int32_t noise = ScopeState().SpectrumInputBlock[k] - clean[k];
    ASSERT_TRUE(noise == 0 || noise == 1) << k;
  }
  EXPECT_EQ(ScopeState().SpectrumInputBlock[8192], 12345);
  EXPECT_EQ(HistoryState().HistoryIndex, index);  // no spectrum enters the history
}

// ---- Through the acquisition loops

TEST_F(DemoTest, RunShowsMovingSignalsUntilStoppedAndSingleTakesOne) {
  EXPECT_EQ(Form1->Label3->Caption(), "Trigger off");
  Form1->SpeedButtonRun->Click();
  PumpUntil([] { return HistoryState().HistoryIndex >= 3; });
  EXPECT_EQ(Form1->Label3->Caption(), "Running");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 0);
  // One Timer4 period of round(1 ms / 1 ms) + 1 = 2 ms per capture.
  EXPECT_EQ(Form1->Timer4->Interval(), 2u);
  // The stored captures differ: the traces move.
  bool moved = false;
  for (std::size_t k = 4096; k < 8192 && !moved; ++k) moved = display::HistorySample(HistoryState(), 0, k) != display::HistorySample(HistoryState(), 1, k);
  EXPECT_TRUE(moved);

  Form1->SpeedButtonRun->Click();
  EXPECT_EQ(Form1->Label3->Caption(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_FALSE(Form1->Timer4->Enabled());
  const std::int32_t stopped = HistoryState().HistoryIndex;
  harness_->Pump(60);
  EXPECT_EQ(HistoryState().HistoryIndex, stopped);

  Form1->SpeedButtonSingle->Click();
  PumpUntil([] { return !Form1->SpeedButtonSingle->Down(); });
  EXPECT_EQ(HistoryState().HistoryIndex, stopped + 1);
  EXPECT_EQ(Form1->Label3->Caption(), "Ready");
  harness_->Pump(60);
  EXPECT_EQ(HistoryState().HistoryIndex, stopped + 1);
}

TEST_F(DemoTest, AtFiveMicrosecondsRunIsNotPaced) {
  ScopeState().TimePerDiv = 500;
  Form1->SpeedButtonRun->Click();
  PumpUntil([] { return HistoryState().HistoryIndex >= 3; });
  Form1->SpeedButtonRun->Click();
  EXPECT_EQ(Form1->Timer4->Interval(), 100u);  // never set up for pacing
  EXPECT_EQ(Driver().Demo().GroupStep(), 8);
}

TEST_F(DemoTest, AnExternalTriggerNeverFiresAndSingleWaitsUntilReleased) {
  ScopeState().Settings.TriggerOff = 0;
  ScopeState().Settings.TriggerSource = 1;
  Form1->SpeedButtonSingle->Click();
  harness_->Pump(150);
  EXPECT_TRUE(Form1->SpeedButtonSingle->Down());
  EXPECT_EQ(Form1->Label3->Caption(), "Waiting for trigger");
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
  Form1->SpeedButtonSingle->Click();
  EXPECT_EQ(Form1->Label3->Caption(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
}

}  // namespace
