// The command set and the settings packet as the device receives them, and
// what the volts/div and time/div rows do to the engine state.
#include "device_fixture.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

class DeviceCommandsTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
  }

  // c0..c6 of the last packet the device took.
  SimScopeSettings Last() {
    const auto s = Device().LastSettings();
    EXPECT_TRUE(s.has_value());
    return s.value_or(SimScopeSettings{});
  }
};

TEST_F(DeviceCommandsTest, CaptureControlPairsMapToTheirCommands) {
  const std::vector<std::pair<int, int>> pairs{{0, 0}, {1, 0}, {1, 1}, {2, 0}, {3, 0}, {2, 1}, {0, 1}};
  for (auto [state, armed] : pairs)
    Driver().Reset_500(static_cast<std::uint8_t>(state), static_cast<std::uint8_t>(armed));
  EXPECT_EQ(Device().Commands(), (std::vector<std::uint8_t>{9, 10, 11, 12, 13}));
  for (const SimTransfer& t : Device().Transfers()) {
    EXPECT_EQ(t.length, 1u);
    EXPECT_EQ(t.timeout_ms, 10u);
  }
}

TEST_F(DeviceCommandsTest, ReArmSendsStopThenArmAndRecordsThePhase) {
  Driver().Resetoi_500();
  EXPECT_EQ(Device().Commands(), (std::vector<std::uint8_t>{9, 11}));
  EXPECT_EQ(Driver().AcquisitionState(), 1);
  EXPECT_EQ(Driver().Armed(), 1);
}

TEST_F(DeviceCommandsTest, DemoModeSendsNeitherCommandsNorPackets) {
  ScopeState().DemoMode = 1;
  Driver().Reset_500(0, 0);
  Form1->Set_DACs();
  Form1->FrontPanel().SpeedButton15v1Click(Form1);
  EXPECT_TRUE(Device().Transfers().empty());
  // The control bytes are still kept up to date.
  EXPECT_EQ(ScopeState().ScopeControlBlock[0], 0x29);
}

TEST_F(DeviceCommandsTest, ChannelBytesCarryGainGroundAndCoupling) {
  ScopeState().Settings.Channels[0].GainCode = 30;  // 10 mV/div
  ScopeState().Settings.Channels[0].Ac = 1;
  ScopeState().Settings.Channels[0].InputOn = 0;
  ScopeState().Settings.Channels[1].GainCode = 1;   // 3 V/div, DC, connected
  Form1->Set500();
  EXPECT_EQ(Last().c[0], 0x32);
  EXPECT_EQ(Last().c[1], 0x09);
  ScopeState().Settings.Channels[0].InputOn = 1;
  Form1->Set500();
  EXPECT_EQ(Last().c[0], 0x22);
}

TEST_F(DeviceCommandsTest, EachRangeRowSendsItsGainBits) {
  const std::uint8_t expected[] = {0x08, 0x28, 0x04, 0x24, 0x02, 0x22};
  for (std::size_t i = 0; i < engine::RangeTable.size(); ++i) {
    Form1->FrontPanel().ApplyRangeStep(1, engine::RangeTable[i]);
    Form1->FrontPanel().ApplyRangeStep(2, engine::RangeTable[i]);
    EXPECT_EQ(Last().GainBits(1), expected[i]) << engine::RangeTable[i].LabelX1;
    EXPECT_EQ(Last().GainBits(2), expected[i]) << engine::RangeTable[i].LabelX1;
  }
}

TEST_F(DeviceCommandsTest, OffsetTermsWrapAroundInEightBits) {
  ScopeState().Channels[0].OffsetCal = 124;
  ScopeState().Channels[0].PositionDac = 200;
  ScopeState().Channels[1].OffsetCal = 10;
  ScopeState().Channels[1].RangeTrim = -20;
  Form1->Set_DACs();
  EXPECT_EQ(Last().OffsetDac(1), 68);
  EXPECT_EQ(Last().OffsetDac(2), 246);
}

TEST_F(DeviceCommandsTest, OneVoltRowLoadsTheCalibratedTrimAndTimeStepClearsRateTrims) {
  ScopeState().Channels[0].V5Offset = 5;
  ScopeState().Channels[1].V5Offset = -4;
  ScopeState().Channels[0].RateTrim = 7;
  ScopeState().Channels[1].RateTrim = 7;
  Form1->FrontPanel().SpeedButton15v1Click(Form1);
  Form1->FrontPanel().SpeedButton15v2Click(Form1);
  EXPECT_EQ(Last().OffsetDac(1), 124 + 5 + 7);
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  EXPECT_EQ(Last().OffsetDac(1), 129);
  EXPECT_EQ(Last().OffsetDac(2), 120);
  // The 3 V row has no trim.
  Form1->FrontPanel().ApplyRangeStep(1, engine::RangeTable[0]);
  EXPECT_EQ(Last().OffsetDac(1), 124);
}

TEST_F(DeviceCommandsTest, TriggerLevelIsSentComplemented) {
  ScopeState().Settings.DeviceTriggerLevel = 0;
  Form1->Set500();
  EXPECT_EQ(Last().c[4], 255);
  ScopeState().Settings.DeviceTriggerLevel = 254;
  Form1->Set500();
  EXPECT_EQ(Last().c[4], 1);
}

TEST_F(DeviceCommandsTest, TriggerBitsAreStickyForUnknownValues) {
  ScopeState().Settings.TriggerSource = 0;  // CH2
  ScopeState().Settings.TriggerOff = 0;
  ScopeState().Settings.TriggerSlope = 0;
  Form1->Set500();
  EXPECT_EQ(Last().c[6], 0x07);

  // External source and values outside the known ones keep the bits.
  ScopeState().Settings.TriggerSource = 1;
  ScopeState().Settings.TriggerOff = 5;
  ScopeState().Settings.TriggerSlope = 9;
  Form1->Set500();
  EXPECT_EQ(Last().c[6], 0x07);

  ScopeState().Settings.TriggerSource = 16;
  ScopeState().Settings.TriggerOff = 64;
  ScopeState().Settings.TriggerSlope = 32;
  ScopeState().Settings.DigitalMode = 1;
  Form1->Set500();
  EXPECT_EQ(Last().c[6], 0x08);
  ScopeState().Settings.TriggerSource = 1;
  Form1->Set500();
  EXPECT_FALSE(Last().TriggerSourceCh2());
  EXPECT_EQ(Last().UnusedBits(), 0);
}

TEST_F(DeviceCommandsTest, UnknownTimeBaseCodeKeepsTheRegister) {
  ScopeState().Settings.TimeBaseCode = 82;
  Form1->Set500();
  EXPECT_EQ(Last().TimeBaseRegister(), 0xF8);
  ScopeState().Settings.TimeBaseCode = 7;
  Form1->Set500();
  EXPECT_EQ(Last().TimeBaseRegister(), 0xF8);
  ScopeState().Settings.TimeBaseCode = 153;  // the recorder's code
  Form1->Set500();
  EXPECT_EQ(Last().TimeBaseRegister(), 0x02);
}

TEST_F(DeviceCommandsTest, EveryTimeBaseRowSendsItsRegister) {
  // Register bytes from the fastest-to-slowest table, top row first.
  const std::uint8_t expected[] = {0xC1, 0xC2, 0xE0, 0xE1, 0xE2, 0xF0, 0xF1, 0xF2, 0xF8, 0xF9, 0xFA,
                                   0xFC, 0xFD, 0xFE, 0x80, 0x80, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40};
  ASSERT_EQ(std::size(expected), engine::TimeBaseTable.size());
  for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i) {
    Form1->FrontPanel().ApplyTimeBaseStep(engine::TimeBaseTable[i]);
    EXPECT_EQ(Last().TimeBaseRegister(), expected[i]) << engine::TimeBaseTable[i].Label;
    EXPECT_EQ(ScopeState().TimeDivText, engine::TimeBaseTable[i].Label);
  }
  // In spectrum mode the "12M" span (10 us row) runs at 25 MS/s, 10 samples a step.
  ScopeState().SpectrumMode = 1;
  Form1->FrontPanel().ApplyTimeBaseStep(engine::TimeBaseTable[15]);
  EXPECT_EQ(Last().TimeBaseRegister(), 0x40);
  EXPECT_EQ(ScopeState().SampleStep, 10);
  EXPECT_EQ(ScopeState().TimePerDiv, 500);
}

TEST_F(DeviceCommandsTest, TimeStepSetsTheLayoutOfThePicture) {
  Form1->FrontPanel().SpeedButton2msClick(Form1);
  EXPECT_EQ(ScopeState().TimePerDiv, 100000);
  EXPECT_EQ(ScopeState().SampleStep, 5);
  EXPECT_EQ(ScopeState().PixelStep, 2);
  EXPECT_EQ(ScopeState().SampleRateText, "125kS/s");
  EXPECT_EQ(Form1->ScrollBar2->Min(), -32);
  EXPECT_EQ(Form1->ScrollBar2->Max(), 224);
  EXPECT_EQ(ScopeState().DisplayStart, 1024);

  // The slider ends show from sample 1 and from 4066.
  Form1->ScrollBar2->SetPosition(-32);
  Form1->FrontPanel().AsetaAika(2, "1ms");
  EXPECT_EQ(ScopeState().DisplayStart, 1);
  Form1->ScrollBar2->SetPosition(224);
  Form1->FrontPanel().AsetaAika(2, "1ms");
  EXPECT_EQ(ScopeState().DisplayStart, 4066);
  ScopeState().Settings.DigitalMode = 1;
  Form1->FrontPanel().AsetaAika(2, "1ms");
  EXPECT_EQ(ScopeState().DisplayStart, 1024);
}

TEST_F(DeviceCommandsTest, MagnificationStretchesAStoppedTraceAndCapsAbsurdFactors) {
  ScopeState().ShownTimePerDiv = 100000;
  Form1->FrontPanel().ApplyTimeBaseStep(engine::TimeBaseTable[9]);  // 0.5 ms
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 2.5);

  ScopeState().TimePerDiv = 65535;
  ScopeState().ShownTimePerDiv = 1;
  ScopeState().SampleStep = 1;
  Form1->FrontPanel().AsetaAika(2, "x");
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 100.0);
  ScopeState().TimePerDiv = 65534;
  Form1->FrontPanel().AsetaAika(2, "x");
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 65534.0);
  ScopeState().ShownTimePerDiv = 0;  // no capture yet
  Form1->FrontPanel().AsetaAika(2, "x");
  EXPECT_DOUBLE_EQ(ScopeState().Magnification, 100.0);
}

TEST_F(DeviceCommandsTest, RangeLabelsFollowProbeAndCoupling) {
  ScopeState().Settings.Channels[0].Ac = 1;
  Form1->FrontPanel().SpeedButton15v1Click(Form1);
  EXPECT_EQ(ScopeState().Channels[0].RangeLabel, "1V");
  EXPECT_EQ(ScopeState().Channels[0].RangeText, "1V~");
  ScopeState().Settings.Channels[1].X10 = 1;
  Form1->FrontPanel().SpeedButton15v2Click(Form1);
  EXPECT_EQ(ScopeState().Channels[1].RangeText, "10V ");
  EXPECT_TRUE(Form1->SpeedButton15v2->Down());
}

}  // namespace
