// Run, Single and the blocking captures against the simulated Darvik48: the
// bytes and time-outs on the wire, the status texts, and that only a status
// byte that arrived and a capture that arrived whole count.

#include <chrono>

#include "acquisition_fixture.h"
#include "display/history_state.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/persistence_options.h"
#include "support/program_states.h"

using namespace acquisition_test;

namespace {

const std::string kPacket = "W14+9/10";  // the settings packet
// The first tick re-sends both channel positions and applies the settings:
// three packets before the capture commands.
const std::string kStop = "W9/10";
const std::string kArm = "W11/10";
const std::string kRequest = "W10/10";
const std::string kBusy = "R1/200:1=0";
const std::string kDone = "R1/200:1=68";

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Distinct codes per channel and sample, so a capture can be recognised.
std::uint8_t Ch1Code(int i) { return static_cast<std::uint8_t>(i * 7 + 1); }
std::uint8_t Ch2Code(int i) { return static_cast<std::uint8_t>(255 - i * 3); }

void ExpectSamplesOfSignal() {
  for (int i = 0; i < 4096; ++i) {
    ASSERT_EQ(ScopeState().Ch1Samples()[i], Ch1Code(i)) << "CH1 sample " << i;
    ASSERT_EQ(ScopeState().Ch2Samples()[i], Ch2Code(i)) << "CH2 sample " << i;
  }
}

class RunTest : public AcquisitionTest {
 protected:
  void SetUp() override {
    AcquisitionTest::SetUp();
    Device().SetSignal(Ch1Code, Ch2Code);
  }
};

TEST_F(RunTest, RunArmsPollsUntilDoneReadsEightBlocksAndRearmsBeforeTheNextPoll) {
  Device().SetBusyPolls(2);
  ClickRun();
  EXPECT_FALSE(Form1->SpeedButtonSingle->Enabled());
  PumpUntil([&] { return Device().CapturesSent() >= 2; });
  EXPECT_EQ(ScopeState().AcquisitionIdle, 0);  // the close waits for the loop
  EXPECT_EQ(Status(), "Running");
  ClickRun();

  const std::vector<std::string> log = Log();
  const std::vector<std::string> capture =
      Concat({{kBusy, kBusy, kDone, kRequest}, BlockReads(200), {kStop, kArm}});
  const std::vector<std::string> expected = Concat({{kPacket, kPacket, kPacket, kStop, kArm}, capture, capture});
  ASSERT_GE(log.size(), expected.size()) << Device().Dump();
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + static_cast<long>(expected.size())), expected)
      << Device().Dump();
  EXPECT_TRUE(Device().ProtocolErrors().empty()) << Device().ProtocolErrors().front();

  ExpectSamplesOfSignal();
  EXPECT_EQ(HistoryState().HistoryIndex, 2);
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());
  EXPECT_FALSE(Form1->Fasttimer1->Enabled());

  // Nothing more goes over the wire once Run is up.
  const std::size_t after = Device().Transfers().size();
  Pump(60);
  EXPECT_EQ(Device().Transfers().size(), after) << Device().Dump();
}

TEST_F(RunTest, StatusReadsRunningThenWaitingForTriggerAfterThreeSecondsWithout) {
  ScopeState().Settings.TriggerOff = 0;
  Device().SetBusyPolls(1000000);
  ClickRun();
  PumpUntil([&] { return Status() == "Running"; }, 500);
  PumpUntil([&] { return Status() == "Waiting for trigger"; }, 5000);
  EXPECT_EQ(Device().CapturesSent(), 0);
  ClickRun();
  EXPECT_EQ(Status(), "Stopped");
}

TEST_F(RunTest, SingleTakesOneCaptureWithItsPollAndBlockTimeOutsAndDoesNotRearm) {
  ClickSingle();
  EXPECT_TRUE(Form1->SpeedButtonSingle->Down());
  PumpUntil([&] { return !Form1->SpeedButtonSingle->Down(); });
  Pump(50);

  EXPECT_EQ(Log(), Concat({{kPacket, kPacket, kPacket, kStop, kArm, kDone, kRequest}, BlockReads(200)})) << Device().Dump();
  ExpectSamplesOfSignal();
  EXPECT_EQ(Status(), "Ready");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_EQ(ScopeState().SinglePhase, 5);
  EXPECT_NE(ScopeState().StartupTick & 4, 0);
}

TEST_F(RunTest, SingleWhileRunIsActiveReleasesRunAndTakesOneCapture) {
  ClickRun();
  PumpUntil([&] { return Device().CapturesSent() >= 1; });
  // Single is disabled while Run is down; the twin panel and the other
  // instruments press it by its state and handler.
  Form1->SpeedButtonSingle->SetDown(true);
  Form1->Acquisition().SpeedButtonSingleClick(Form1);
  EXPECT_FALSE(Form1->SpeedButtonRun->Down());
  PumpUntil([&] { return !Form1->SpeedButtonSingle->Down(); });
  Pump(60);

  EXPECT_EQ(Status(), "Ready");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());
  EXPECT_FALSE(Form1->Fasttimer1->Enabled());
  const int captures = Device().CapturesSent();
  Pump(60);
  EXPECT_EQ(Device().CapturesSent(), captures);
}

TEST_F(RunTest, BlockingSingleCapturePollsFourBytesAndReportsTheTrigger) {
  ScopeState().Settings.TriggerOff = 0;  // trigger on
  Device().SetBusyPolls(1);
  Form1->SingleClick();

  EXPECT_EQ(Log(), Concat({{kPacket, kPacket, kPacket, kStop, kArm, "R4/200:4=0", "R4/200:4=68", kRequest}, BlockReads(200)}))
      << Device().Dump();
  ExpectSamplesOfSignal();
  EXPECT_EQ(Status(), "Trigged");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_FALSE(Form1->SpeedButtonSingle->Down());
}

// ---- Only what really arrived counts

TEST_F(RunTest, APollThatDeliversNothingIsNotTakenForDoneEvenWithAStaleByteInTheBuffer) {
  // A poll that found the device done leaves its 0x44 in the receive buffer.
  Driver().Resetoi_500();
  bool done = false;
  for (int poll = 0; poll < 100 && !done; ++poll) done = Driver().PollDone(1, 200);
  ASSERT_TRUE(done) << Device().Dump();
  Device().ClearLog();
  Device().ScriptRead(UsbStatus::Timeout, 0);
  ClickSingle();
  PumpUntil([&] { return !Form1->SpeedButtonSingle->Down(); });

  EXPECT_EQ(Log(), Concat({{kPacket, kPacket, kPacket, kStop, kArm, "R1/200:0", kDone, kRequest}, BlockReads(200)}))
      << Device().Dump();
  EXPECT_TRUE(Device().ProtocolErrors().empty());
  EXPECT_EQ(Device().CapturesSent(), 1);
}

TEST_F(RunTest, AShortCaptureIsNotUnpackedTheInstrumentIsRearmedAndTheNextCaptureIsTaken) {
  // Each capture carries its number in CH1.
  int capture = 0;
  Device().SetSignal([&capture](int i) -> std::uint8_t {
    if (i == 0) ++capture;
    return static_cast<std::uint8_t>(10 * capture);
  }, Ch2Code);
  Device().ScriptRead(UsbStatus::Ok, 1);       // status poll
  Device().ScriptRead(UsbStatus::Ok, 1024);    // block 1
  Device().ScriptRead(UsbStatus::Timeout, 100);  // block 2 comes short

  ClickSingle();
  PumpUntil([&] { return !Form1->SpeedButtonSingle->Down(); });

  EXPECT_EQ(Log(), Concat({{kPacket, kPacket, kPacket, kStop, kArm, kDone, kRequest, "R1024/200:1024", "R1024/200:100", kStop, kArm,
                            kDone, kRequest},
                           BlockReads(200)}))
      << Device().Dump();
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(ScopeState().Ch1Samples()[i], 20) << i;
  EXPECT_EQ(HistoryState().HistoryIndex, 1);  // one capture stored, not two
  EXPECT_EQ(Status(), "Ready");
}

// ---- Persistence limit

TEST_F(RunTest, PersistenceLimitOfThreeStopsRunAfterTheThirdCapture) {
  // "Number of acquisitions" 3, then "Persist" pressed.
  OKRightDlg->Edit1->SetText("3");
  OKRightDlg->OKBtnClick(OKRightDlg);
  Form1->SpeedButton23->SetDown(true);
  Form1->Persistence().SpeedButton23Click(Form1);

  ClickRun();
  PumpUntil([&] { return !Form1->SpeedButtonRun->Down(); });
  Pump(60);

  EXPECT_EQ(Device().CapturesSent(), 3);
  EXPECT_EQ(HistoryState().HistoryIndex, 3);  // all three were drawn
  EXPECT_EQ(Count(kRequest), 3);
  // Every Run capture re-arms the device once it is read, the last one too;
  // nothing follows that arm.
  EXPECT_EQ(Device().Arms(), 4);
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(log.end() - 10, log.end()),
            Concat({BlockReads(200), {kStop, kArm}}))
      << Device().Dump();
  EXPECT_EQ(ScopeState().AcquisitionCountdown, 0u);
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());
}

// ---- The device goes away

TEST_F(RunTest, UnplugDuringRunEndsTheLoopWithOneMessageAndUsableControls) {
  ClickRun();
  PumpUntil([&] { return Device().CapturesSent() >= 1; });
  Device().Unplug();
  PumpUntil([&] { return !Form1->SpeedButtonRun->Down(); });
  Pump(60);

  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_FALSE(Driver().IsOpen());
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_FALSE(Form1->Fasttimer1->Enabled());
  EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());

  // Run again without a device: it stops at once, without another message.
  ClickRun();
  PumpUntil([&] { return !Form1->SpeedButtonRun->Down(); });
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(Status(), "Stopped");
}

TEST_F(RunTest, UnplugInTheMiddleOfTheBlockReadsLeavesTheSamplesAlone) {
  ScopeState().ScopeSampleBlock.fill(77);
  // Packet, 9, 11, poll, 10 go through; the first block read loses the device.
  Device().UnplugAfter(5, 300);
  ClickRun();
  PumpUntil([&] { return !Form1->SpeedButtonRun->Down(); });

  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
  for (std::size_t k = 0; k < engine::kSampleBlockEntries; ++k) ASSERT_EQ(ScopeState().ScopeSampleBlock[k], 77) << k;
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
}

TEST_F(RunTest, UnplugDuringSingleReleasesSingle) {
  Device().SetBusyPolls(1000000);
  ClickSingle();
  PumpUntil([&] { return Count(kBusy) >= 2; });
  Device().Unplug();
  PumpUntil([&] { return !Form1->SpeedButtonSingle->Down(); });

  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(Status(), "Stopped");
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_FALSE(Form1->Fasttimer2->Enabled());
}

TEST_F(RunTest, UnplugDuringTheBlockingCaptureEndsItCleanly) {
  Device().SetBusyPolls(1000000);
  // Tied to this test: the pull must not fire once the program has ended.
  program_clock::Alarm pull([this] { Device().Unplug(); });
  pull.Start(std::chrono::milliseconds(80), false);
  Form1->SingleClick();

  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_FALSE(Form1->SpeedButtonSingle->Down());
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
  EXPECT_EQ(Device().CapturesSent(), 0);
}

TEST_F(RunTest, ClosingTheProgramEndsTheBlockingCaptureAndThenTheProgram) {
  Device().SetBusyPolls(1000000);
  program_clock::Alarm close([] { Form1->Close(); });
  close.Start(std::chrono::milliseconds(80), false);
  Form1->SingleClick();

  EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
  EXPECT_EQ(ScopeState().SingleStop, 1);
  EXPECT_EQ(Device().CapturesSent(), 0);
  PumpUntil([] { return Application->Terminated(); }, 2000);
}

// ---- The recorder's start capture

TEST_F(RunTest, RecorderStartCaptureReadsTheRawBlockWithShortTimeOutsAndDoesNotUnpack) {
  ScopeState().ScopeSampleBlock.fill(77);
  Device().SetBusyPolls(1);
  EXPECT_TRUE(Form1->SingleClick0());

  EXPECT_EQ(Log(), Concat({{kStop, kArm, "R4/200:4=0", "R4/200:4=68", kRequest}, BlockReads(20)})) << Device().Dump();
  std::vector<std::uint8_t> ch1(4096), ch2(4096);
  for (int i = 0; i < 4096; ++i) {
    ch1[static_cast<std::size_t>(i)] = Ch1Code(i);
    ch2[static_cast<std::size_t>(i)] = Ch2Code(i);
  }
  const std::vector<std::uint8_t> raw = SimulatedDarvik48::PackCapture(ch1, ch2);
  const std::optional<display::Capture> held = Driver().LueData_500(device::UnpackOptions{});
  ASSERT_TRUE(held.has_value());
  for (std::size_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(held->Ch1()[i], ch1[i]) << i;
    ASSERT_EQ(held->Ch2()[i], ch2[i]) << i;
  }
  EXPECT_EQ(ScopeState().ScopeSampleBlock[4096], 77);
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
}

TEST_F(RunTest, RecorderStartCaptureGivesUpAfterItsLimitOrWhenTheInstrumentGoes) {
  Device().SetBusyPolls(1000000);
  Form1->Acquisition().RecorderCaptureLimitMs = 300;
  const auto started = program_clock::Now();
  EXPECT_FALSE(Form1->SingleClick0());
  const auto waited = program_clock::Now() - started;
  EXPECT_GE(waited, std::chrono::milliseconds(300));
  EXPECT_LT(waited, std::chrono::milliseconds(2000));
  EXPECT_EQ(Count(kRequest), 0);

  Form1->Acquisition().RecorderCaptureLimitMs = 60000;
  // Tied to this test: the pull must not fire once the program has ended.
  program_clock::Alarm pull([this] { Device().Unplug(); });
  pull.Start(std::chrono::milliseconds(80), false);
  EXPECT_FALSE(Form1->SingleClick0());
  EXPECT_EQ(Dialogs().CountMessages(kDisconnected), 1);
}

}  // namespace
