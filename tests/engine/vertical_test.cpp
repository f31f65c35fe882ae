// The vertical controls of both channels as the user drives them: volts/div,
// coupling, probes, positions and channel display, with the packet each
// sends and what each leaves on both windows.
#include "device_fixture.h"

#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/notice_dialogs.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

struct Range {
  const char* ch1;
  const char* ch2;
  const char* captionX1;
  const char* captionX10;
  std::uint8_t gainBits;
  bool trimmed;  // the range carries the channel's calibrated trim
  const char* labelX10;
};

const Range kRanges[] = {
    {"SpeedButton28", "SpeedButton29", "3V", "30V", 0x08, false, "30V "},
    {"SpeedButton15v1", "SpeedButton15v2", "1V", "10V", 0x28, true, "10V "},
    {"SpeedButton5v1", "SpeedButton5v2", "0.3V", "3V", 0x04, false, "3V "},
    {"SpeedButton1p5v1", "SpeedButton1p5v2", "0.1V", "1V", 0x24, true, "1V "},
    {"SpeedButton05v1", "SpeedButton05v2", "30mV", "0.3V", 0x02, false, "0.3V "},
    {"SpeedButton015v1", "SpeedButton015v2", "10mV", "0.1V", 0x22, true, "0.1V "},
};

class VerticalTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    using namespace engine;
    ScopeState().Channels[0].OffsetCal = 124;
    ScopeState().Channels[1].OffsetCal = 120;
    ScopeState().Channels[0].V5Offset = 7;
    ScopeState().Channels[1].V5Offset = -5;
    ScopeState().Channels[0].ProbeFactor = ScopeState().Channels[1].ProbeFactor = 1.0;
    ScopeState().ProbeWarningMuted = 0;
    ScopeState().SpectrumMode = 0;
    Form1->FrontPanel().SpeedButton15v1Click(Form1);
    Form1->FrontPanel().SpeedButton15v2Click(Form1);
    Device().ClearLog();
  }

  TSpeedButton* Button(TComponent* form, const std::string& name) {
    auto* b = form->FindComponentAs<TSpeedButton>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  SimScopeSettings Last() { return Device().LastSettings().value_or(SimScopeSettings{}); }
  std::vector<std::string> Captions(TComponent* form, int channel) {
    std::vector<std::string> out;
    for (const Range& r : kRanges) out.push_back(Button(form, channel == 1 ? r.ch1 : r.ch2)->Caption());
    return out;
  }
};

TEST_F(VerticalTest, EveryRangeSendsItsGainBitsTrimAndLabel) {
  for (const Range& r : kRanges) {
    SCOPED_TRACE(r.captionX1);
    Device().ClearLog();
    Button(Form1, r.ch1)->Click();
    ASSERT_FALSE(Device().SettingsHistory().empty());
    EXPECT_EQ(Last().GainBits(1), r.gainBits);
    EXPECT_EQ(Last().OffsetDac(1), r.trimmed ? 131 : 124);
    EXPECT_EQ(ScopeState().Channels[0].RangeText, r.captionX1);
    EXPECT_EQ(ScopeState().Channels[0].RangeLabel, r.captionX1);
    EXPECT_TRUE(Button(Form11, r.ch1)->Down());

    Button(Form1, r.ch2)->Click();
    EXPECT_EQ(Last().GainBits(2), r.gainBits);
    EXPECT_EQ(Last().GainBits(1), r.gainBits) << "CH1 keeps its range";
    EXPECT_EQ(Last().OffsetDac(2), r.trimmed ? 115 : 120);
    EXPECT_EQ(ScopeState().Channels[1].RangeText, r.captionX1);
    EXPECT_TRUE(Button(Form1, r.ch2)->Down());
    EXPECT_TRUE(Button(Form11, r.ch2)->Down());
  }
}

TEST_F(VerticalTest, TenTimesProbeRelabelsButtonsOnBothWindowsAndWarnsOnce) {
  ASSERT_NE(Form12, nullptr);
  Form1->x101->Click();
  EXPECT_TRUE(Form12->Visible()) << "the other channel is still at x1";
  EXPECT_DOUBLE_EQ(ScopeState().Channels[0].ProbeFactor, 10.0);
  EXPECT_DOUBLE_EQ(ScopeState().Channels[0].ProbeDb, 20.0);
  EXPECT_TRUE(Form11->x101->Down());
  const std::vector<std::string> x10{"30V", "10V", "3V", "1V", "0.3V", "0.1V"};
  const std::vector<std::string> x1{"3V", "1V", "0.3V", "0.1V", "30mV", "10mV"};
  EXPECT_EQ(Captions(Form1, 1), x10);
  EXPECT_EQ(Captions(Form11, 1), x10);
  EXPECT_EQ(Captions(Form1, 2), x1);
  // The picture label carries the trailing blank; the device keeps the range.
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "10V ");
  EXPECT_EQ(Last().GainBits(1), 0x28);

  for (const Range& r : kRanges) {
    Button(Form1, r.ch1)->Click();
    EXPECT_EQ(ScopeState().Channels[0].RangeText, r.labelX10);
  }

  Form12->Hide();
  Form1->x102->Click();
  EXPECT_FALSE(Form12->Visible()) << "both channels are at x10 now";
  EXPECT_EQ(Captions(Form11, 2), x10);

  Form1->x11->Click();
  EXPECT_EQ(Captions(Form1, 1), x1);
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "10mV");
  EXPECT_DOUBLE_EQ(ScopeState().Channels[0].ProbeFactor, 1.0);
  EXPECT_DOUBLE_EQ(ScopeState().Channels[0].ProbeDb, 0.0);
}

TEST_F(VerticalTest, MutedProbeWarningStaysHidden) {
  ScopeState().ProbeWarningMuted = 1;
  Form1->x102->Click();
  EXPECT_FALSE(Form12->Visible());
  EXPECT_EQ(ScopeState().Channels[1].RangeText, "10V ");
}

TEST_F(VerticalTest, CouplingSetsTheChannelBitsAndMarksTheLabel) {
  Form1->SpeedButton_ac1->Click();
  EXPECT_FALSE(Last().DcCoupled(1));
  EXPECT_FALSE(Last().Grounded(1));
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V~");
  EXPECT_TRUE(Form11->SpeedButton_ac1->Down());

  Form1->SpeedButton_gnd1->Click();
  EXPECT_TRUE(Last().Grounded(1));
  EXPECT_FALSE(Last().DcCoupled(1)) << "GND keeps the coupling";
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V~");

  Form1->SpeedButton_dc1->Click();
  EXPECT_TRUE(Last().DcCoupled(1));
  EXPECT_FALSE(Last().Grounded(1));
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V");

  Form1->SpeedButton__ac2->Click();
  EXPECT_FALSE(Last().DcCoupled(2));
  EXPECT_TRUE(Last().DcCoupled(1));
  EXPECT_EQ(ScopeState().Channels[1].RangeText, "1V~");
  EXPECT_TRUE(Form11->SpeedButton__ac2->Down());
  Form1->SpeedButton_gnd2->Click();
  EXPECT_TRUE(Last().Grounded(2));
}

TEST_F(VerticalTest, GroundingTheTriggerChannelHoldsTheTriggerOffUntilReconnected) {
  Form1->SpeedButton7->Click();  // trigger "On"
  ASSERT_TRUE(Last().TriggerOn());

  Form1->SpeedButton_gnd1->Click();
  EXPECT_FALSE(Last().TriggerOn());
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 64);
  EXPECT_EQ(ScopeState().Settings.TriggerWanted, 1) << "the user still wants it";
  EXPECT_TRUE(Form1->SpeedButton8->Down());

  Form1->SpeedButton_dc1->Click();
  EXPECT_TRUE(Last().TriggerOn());
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 0);
  EXPECT_TRUE(Form1->SpeedButton7->Down());
}

TEST_F(VerticalTest, TriggerTheUserSwitchedOffStaysOffAfterReconnecting) {
  Form1->SpeedButton_gnd2->Click();
  Form1->SpeedButton__ac2->Click();
  EXPECT_FALSE(Last().TriggerOn());
  EXPECT_EQ(ScopeState().Settings.TriggerOff, 64);
}

TEST_F(VerticalTest, PositionTermStopsAtTheEdgesOfTheOffsetDac) {
  // 3 V/div carries no range trim.
  Form1->FrontPanel().SpeedButton28Click(Form1);
  Form1->FrontPanel().SpeedButton29Click(Form1);
  Form1->TrackBar1->SetPosition(127);  // 124 + 127 = 251 fits
  EXPECT_EQ(ScopeState().Channels[0].PositionDac, 127);
  EXPECT_EQ(Last().OffsetDac(1), 251);

  ScopeState().Channels[0].OffsetCal = 200;
  Form1->TrackBar1->SetPosition(100);  // 300 would overflow: the term becomes 55
  EXPECT_EQ(ScopeState().Channels[0].PositionDac, 55);
  EXPECT_EQ(ScopeState().Channels[0].OffsetDac, 255);
  EXPECT_EQ(Last().OffsetDac(1), 255);
  EXPECT_EQ(Form1->TrackBar1->Position(), 100) << "the bar keeps the user's value";

  ScopeState().Channels[1].OffsetCal = 10;
  Form1->TrackBar2->SetPosition(-128);  // -118 would underflow: the term becomes -10
  EXPECT_EQ(ScopeState().Channels[1].PositionDac, -10);
  EXPECT_EQ(ScopeState().Channels[1].OffsetDac, 0);
  EXPECT_EQ(Last().OffsetDac(2), 0);
  EXPECT_EQ(ScopeState().Settings.Channels[1].Position, -128);
  EXPECT_EQ(Form11->TrackBar2->Position(), -128);
}

TEST_F(VerticalTest, PositionMovesAStoppedTraceOnlyOnce) {
  ScopeState().StartupTick |= 4;  // a capture has been taken
  ScopeState().AcquisitionIdle = 1;
  const int before = DisplayState().Channels[0].CapturePos;
  Form1->TrackBar1->SetPosition(10);
  EXPECT_EQ(DisplayState().Channels[0].CapturePos, before - 10);
  EXPECT_EQ(Form11->TrackBar1->Position(), 10);
  // From the twin panel: the main bar follows and the trace moves once more.
  Form11->TrackBar1->SetPosition(4);
  EXPECT_EQ(Form1->TrackBar1->Position(), 4);
  EXPECT_EQ(DisplayState().Channels[0].CapturePos, before - 4);

  // While a loop runs the next capture shows the new position by itself.
  ScopeState().AcquisitionIdle = 0;
  Form1->TrackBar1->SetPosition(20);
  EXPECT_EQ(DisplayState().Channels[0].CapturePos, before - 4);
  ScopeState().AcquisitionIdle = 1;
}

TEST_F(VerticalTest, ChannelOnButtonsHideAndShowOnBothWindows) {
  Form1->CH1on->Click();
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 0);
  EXPECT_TRUE(Form1->SpeedButtonCh1->Down());
  EXPECT_FALSE(Form11->CH1on->Down());
  EXPECT_EQ(Form1->LabelCh1->Font().Color, 0x808080u);
  EXPECT_EQ(Form11->LabelCh1->Font().Color, 0x808080u);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);

  Form11->CH1on->Click();  // the twin forwards
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 1);
  EXPECT_TRUE(Form1->CH1on->Down());
  EXPECT_EQ(Form1->LabelCh1->Font().Color, DisplayState().Ch1Color);
  EXPECT_EQ(Form11->LabelCh1->Font().Color, DisplayState().Ch1Color);
}

TEST_F(VerticalTest, SpectrumShowsExactlyOneChannel) {
  using namespace engine;
  ScopeState().SpectrumMode = 1;
  ScopeState().Settings.Channels[0].On = 1;
  ScopeState().Settings.Channels[1].On = 0;
  Form1->SpeedButtonCh2->SetDown(true);
  Form1->CH2on->SetDown(false);

  Form1->CH1on->Click();  // hide CH1: CH2 comes instead
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 0);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 1);
  EXPECT_TRUE(Form1->CH2on->Down());
  EXPECT_TRUE(Form11->CH2on->Down());
  EXPECT_FALSE(Form11->CH1on->Down());

  Form1->CH2on->Click();  // hide CH2: CH1 comes back
  EXPECT_EQ(ScopeState().Settings.Channels[0].On, 1);
  EXPECT_EQ(ScopeState().Settings.Channels[1].On, 0);
  EXPECT_TRUE(Form1->CH1on->Down());
  EXPECT_EQ(Form1->LabelCh2->Font().Color, 0x808080u);
}

}  // namespace
