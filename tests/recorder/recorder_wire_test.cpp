// The recorder against the simulated Darvik48: the commands and reads of a
// recording, and what happens when the device stops answering.
#include <algorithm>

#include "recorder_fixture.h"
#include "support/program_states.h"

using namespace recorder_test;
using acquisition_test::BlockReads;

namespace {

std::uint8_t Ch1Code(int i) { return static_cast<std::uint8_t>(i * 7 + 1); }
std::uint8_t Ch2Code(int i) { return static_cast<std::uint8_t>(255 - i * 3); }

const std::string kNoData = "NO DATA - CHECK OSCILLOSCOPE CONNECTION!";
const std::vector<std::string> kTick{"R1/20:1=68", "W12/10", "R64/20:64"};

class RecorderWire : public RecorderWireTest {
 protected:
  void SetUp() override {
    RecorderWireTest::SetUp();
    Device().SetSignal(Ch1Code, Ch2Code);
  }
  // The log from the start capture's first command on.
  std::vector<std::string> LogFromStartCapture() {
    std::vector<std::string> log = Log();
    const auto first = std::find(log.begin(), log.end(), "W9/10");
    return {first, log.end()};
  }
};

}  // namespace

TEST_F(RecorderWire, SingleAtOneSecondTakesOneSamplePairPerTickAndEndsAfter2001) {
  Rec().SpeedButtonSingle->Click();
  EXPECT_EQ(Status(), "Recording");
  EXPECT_FALSE(Rec().SpeedButtonRun->Enabled());
  EXPECT_FALSE(Rec().Time_div->Enabled());
  EXPECT_EQ(Rec().FastTimer1->Interval(), 10u);
  // The settings packet: trigger off, the recorder's time-base register.
  ASSERT_TRUE(Device().LastSettings());
  EXPECT_FALSE(Device().LastSettings()->TriggerOn());
  EXPECT_EQ(Device().LastSettings()->TimeBaseRegister(), 0x02);

  EXPECT_EQ(TickUntilStopped(), 2001);
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_EQ(RecorderState().RecLength, 2000);
  EXPECT_FALSE(Rec().SpeedButtonSingle->Down());
  EXPECT_EQ(Status(), "    Stopped");
  EXPECT_TRUE(Rec().Time_div->Enabled());

  // Start capture, one sample, re-arm; one poll and one sample per tick; one more at the stop.
  std::vector<std::string> expected{"W9/10", "W11/10", "R4/200:4=68", "W10/10"};
  const auto blocks = BlockReads(20);
  expected.insert(expected.end(), blocks.begin(), blocks.end());
  expected.insert(expected.end(), {"W12/10", "R64/20:64", "W9/10", "W11/10"});
  for (int i = 0; i < 2001; ++i) expected.insert(expected.end(), kTick.begin(), kTick.end());
  expected.insert(expected.end(), {"W12/10", "R64/20:64"});
  EXPECT_EQ(LogFromStartCapture(), expected);
  EXPECT_EQ(Count("W12/10"), 2003);
  EXPECT_TRUE(Device().ProtocolErrors().empty());

  // Tick n stored the device's n-th slow sample at index n - 1; the ends are empty.
  for (int i = 0; i < 2000; ++i) {
    ASSERT_EQ(Rec().RecBufCh1[i], 255 - Ch1Code(i + 1)) << i;
    ASSERT_EQ(Rec().RecBufCh2[i], 255 - Ch2Code(i + 1)) << i;
  }
  EXPECT_EQ(Rec().RecBufCh1[2001], 255);
  EXPECT_EQ(Rec().RecBufCh2[2002], 255);
  // The record is on the picture: CH1 sample 0 at its row.
  const QImage& pic = Rec().Image1->Picture()->Image();
  EXPECT_NE(pic.pixel(Rec().X0, Rec().Y0 + Rec().RecBufCh1[0]) & 0xFFFFFF,
            static_cast<unsigned>(RecorderState().RecBackgroundColor) & 0xFFFFFF);
}

TEST_F(RecorderWire, RunWrapsAndAShortReplyIsPolledForAgainNotStored) {
  Rec().SpeedButtonRun->Click();
  ASSERT_EQ(Tick(2005), 2005);
  // Tick 2002 stored index 2001 and wrapped it to index 0.
  EXPECT_EQ(RecorderState().RecPos, 4);
  EXPECT_EQ(Rec().RecBufCh1[0], 255 - Ch1Code(2002));
  EXPECT_EQ(Rec().RecBufCh1[3], 255 - Ch1Code(2005));

  // The next reply comes short: the tick polls again and stores the next whole one.
  Device().ClearLog();
  Device().ScriptRead(UsbStatus::Ok, 1);        // the status poll
  Device().ScriptRead(UsbStatus::Timeout, 10);  // 10 of the 64 bytes
  ASSERT_EQ(Tick(1), 1);
  EXPECT_EQ(Count("W12/10"), 2);
  EXPECT_EQ(RecorderState().RecPos, 5);
  EXPECT_EQ(Rec().RecBufCh1[4], 255 - Ch1Code(2007));
  EXPECT_EQ(Rec().RecBufCh2[4], 255 - Ch2Code(2007));

  // The user stops: the record is the samples of this pass.
  Rec().SpeedButtonRun->Click();
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_EQ(RecorderState().RecLength, 4);
  EXPECT_EQ(Rec().RecBufCh1[5], 255);
  EXPECT_NE(ScopeState().StartupTick & 8, 0);
}

TEST_F(RecorderWire, DeviceSilentDuringRunEndsTheRecordAtTheSamplesRead) {
  // An earlier record fills the buffers.
  RecorderState().RecBlock.fill(100);
  Rec().SpeedButtonRun->Click();
  ASSERT_EQ(Tick(30), 30);
  // From now on every read times out.
  for (int i = 0; i < 1000; ++i) Device().ScriptRead(UsbStatus::Timeout, 0);
  Device().ClearLog();
  EXPECT_EQ(Tick(5), 1);
  EXPECT_EQ(Dialogs().CountMessages(kNoData), 1);
  EXPECT_EQ(Count("R1/20:0"), 1000);  // the poll budget of one tick
  EXPECT_EQ(Count("W12/10"), 0);      // no sample asked for at the stop either
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_FALSE(Rec().SpeedButtonRun->Down());
  EXPECT_EQ(Status(), "    Stopped");
  EXPECT_EQ(RecorderState().RecLength, 30);
  EXPECT_EQ(Rec().RecBufCh1[29], 255 - Ch1Code(30));
  for (int i = 30; i <= 2002; ++i) {
    ASSERT_EQ(Rec().RecBufCh1[i], 255) << i;
    ASSERT_EQ(Rec().RecBufCh2[i], 255) << i;
  }
}

TEST_F(RecorderWire, DeviceSilentAtTheStartEndsWithTheMessageInsteadOfWaitingForEver) {
  RecorderState().RecBlock.fill(100);
  Form1->Acquisition().RecorderCaptureLimitMs = 200;
  Device().SetBusyPolls(1000000);
  Rec().SpeedButtonSingle->Click();
  EXPECT_EQ(Dialogs().CountMessages(kNoData), 1);
  EXPECT_EQ(RecorderState().RecStopped, 1);
  EXPECT_FALSE(Rec().FastTimer1->Enabled());
  EXPECT_FALSE(Rec().SpeedButtonSingle->Down());
  EXPECT_TRUE(Rec().SpeedButtonRun->Enabled());
  EXPECT_EQ(Count("W12/10"), 0);
  EXPECT_EQ(RecorderState().RecLength, 0);
  EXPECT_EQ(*std::max_element(RecorderState().RecBlock.begin(), RecorderState().RecBlock.begin() + 2003), 255);
}

TEST_F(RecorderWire, UnpluggedDuringRunStopsWithOneMessage) {
  Rec().SpeedButtonRun->Click();
  ASSERT_EQ(Tick(10), 10);
  Device().Unplug();
  Tick(5);
  EXPECT_EQ(RecorderState().RecStopped, 1);
  // The loss is the one message.
  EXPECT_EQ(Dialogs().CountMessages(kNoData), 0);
  EXPECT_EQ(Dialogs().CountMessages(acquisition_test::kDisconnected), 1);
  EXPECT_EQ(RecorderState().RecLength, 10);
}

TEST_F(RecorderWire, RangeAndCouplingChangesWhileRecordingReachTheInstrument) {
  Rec().Ch2RangeButtons[1]->Click();  // "1V"
  Rec().SpeedButtonRun->Click();
  Tick(3);
  Rec().Ch1RangeButtons[0]->Click();  // "3V"
  EXPECT_EQ(Device().LastSettings()->GainBits(1), 0x08);
  Rec().SpeedButton_gnd2->Click();
  EXPECT_TRUE(Device().LastSettings()->Grounded(2));
  Rec().SpeedButton__ac2->Click();
  EXPECT_FALSE(Device().LastSettings()->Grounded(2));
  EXPECT_FALSE(Device().LastSettings()->DcCoupled(2));
  EXPECT_EQ(RecorderState().Channel(2).Text, "1V~");
  // GND keeps the AC mark.
  Rec().SpeedButton_gnd2->Click();
  EXPECT_EQ(RecorderState().Channel(2).Text, "1V~");
  Rec().SpeedButtonRun->Click();
}
