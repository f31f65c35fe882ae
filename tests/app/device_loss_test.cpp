// The Darvik48 unplugged at every transfer of every path that talks to it:
// the start-up, Run, Single, the calibration, a generator request through its
// mailbox, settings through the scope mailbox, a Bode sweep and a recording.
// Each loss is reported once with "Darvik48 disconnected.", nothing is left
// running or waiting, and the user gets back: the device plugged in again
// and chosen under "Hardware Setup...", a Single capture comes from it.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "io/generator_mailbox.h"
#include "engine/remote_control_form.h"
#include "io/shared_blocks.h"
#include "recorder/recorder_fixture.h"
#include "io/remote_fixture.h"
#include "engine/startup_fixture.h"
#include "support/program_states.h"

namespace {

using acquisition_test::kDisconnected;

const std::string kNoDeviceToCapture =
    "The Darvik48 is not connected.\rConnect it and choose Options|Hardware Setup..., or choose demo mode there.";
const std::string kCalibrationFailed = "CALIBRATION FAILED.\rPlease check 'Calibration.log' file for more details";

// Every message of one try, for failure texts.
std::string Shown(const ScriptedDialogs& dialogs) {
  std::ostringstream s;
  for (const auto& m : dialogs.Messages()) s << "[" << m.Text << "] ";
  for (const auto& f : dialogs.Forms()) s << "<" << f.Name << "> ";
  return s.str();
}

// The shared part of both fixtures: after a loss, the checks and the way back.
template <class Base>
class LossChecks : public Base {
 protected:
  ScriptedDialogs& Dlg() { return this->harness_->Dialogs(); }
  SimulatedDarvik48& Dev() { return this->harness_->Device(); }
  bool PumpUntil(const std::function<bool()>& condition, int ms = 5000) {
    return this->harness_->PumpUntil(condition, ms);
  }

  // One loss, told once; the calibration adds no verdict of its own; nothing
  // runs on or waits for the device.
  void ExpectToldOnceAndIdle() {
    using namespace engine;
    PumpUntil([this] { return ScopeState().AcquisitionIdle && !this->BodeState().BodeSweepRunning && !ScopeState().Calibrating; }, 3000);
    this->harness_->Pump(30);
    EXPECT_EQ(Dlg().CountMessages(kDisconnected), 1) << Shown(Dlg());
    EXPECT_EQ(Dlg().CountMessages(kCalibrationFailed), 0) << Shown(Dlg());
    EXPECT_FALSE(this->Driver().IsOpen());
    EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
    EXPECT_EQ(ScopeState().Calibrating, 0);
    EXPECT_EQ(this->BodeState().BodeSweepRunning, 0);
    EXPECT_EQ(this->GeneratorState().SendBusy, 0);
    EXPECT_EQ(this->RecorderState().RecStopped, 1);
    EXPECT_TRUE(Form1->Enabled());
    EXPECT_FALSE(Form1->SpeedButtonRun->Down());
    EXPECT_FALSE(Form1->SpeedButtonSingle->Down());
    EXPECT_TRUE(Form1->SpeedButtonRun->Enabled());
    EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());
    EXPECT_FALSE(Form1->CalibratingPanel->Visible());
  }

  // Plugged in again and chosen under "Hardware Setup...": the device is
  // opened and a Single capture is taken from it and drawn.
  void ExpectTheWayBack() {
    using namespace engine;
    // Run pressed before, outside demo mode: no loop that waits for
    // nothing, but how to go on.
    Dlg().ClearRecords();
    if (!ScopeState().DemoMode) {
      Form1->SpeedButtonRun->Click();
      this->harness_->Pump(15);
      EXPECT_FALSE(Form1->SpeedButtonRun->Down());
      EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
      EXPECT_EQ(Dlg().CountMessages(kNoDeviceToCapture), 1) << Shown(Dlg());
      Dlg().ClearRecords();
    }
    Dev().Replug();
    Dlg().AnswerModal([](TForm&) {
      BtnBottomDlg->RadioButton1->Click();
      BtnBottomDlg->GrSpeedButton1->Click();
      return mrNone;
    });
    Form1->Hardware1->Click();
    ASSERT_TRUE(this->Driver().IsOpen()) << Shown(Dlg());
    ASSERT_EQ(ScopeState().DemoMode, 0);
    const int captures = Dev().CapturesSent();
    Form1->SpeedButtonSingle->Click();
    EXPECT_TRUE(PumpUntil([] { return !Form1->SpeedButtonSingle->Down(); }));
    EXPECT_EQ(Dev().CapturesSent(), captures + 1);
    EXPECT_EQ(Form1->Label3->Caption(), "Ready");
    EXPECT_EQ(Dlg().CountMessages(kDisconnected), 0) << Shown(Dlg());
    Dlg().ClearRecords();
  }
};

// ---------------------------------------------------------------- paths of the running program

class DeviceLossTest;

struct LossPath {
  const char* name;
  // What the user (or a controller) does; `round` tells the tries apart so
  // that each is a change the program carries out.
  void (*act)(DeviceLossTest& t, int round);
  // What the path shows the user for its work (null: nothing to count); a
  // loss must cut it short, never fill it with what was not measured.
  int (*shown)() = nullptr;
};

void PrintTo(const LossPath& path, std::ostream* os) { *os << path.name; }

class DeviceLossTest : public LossChecks<recorder_test::RecorderWireTest>,
                       public ::testing::WithParamInterface<LossPath> {
 public:
  using LossChecks::PumpUntil;
  using LossChecks::Dev;
  using LossChecks::BodeState;
  using recorder_test::RecorderWireTest::Rec;
  using recorder_test::RecorderWireTest::Tick;

  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    LossChecks::SetUp();
    ScopeState().StartupModeReady = 1;
    this->GeneratorState().GeneratorHardware = 10;
    // The generator's settle wait during a Bode sweep, shortened.
    Form1_fgen->Timer7->SetInterval(1);
    Form1->Acquisition().RecorderCaptureLimitMs = 300;
  }

  // A front end the calibration settles on in few steps: centred at the
  // start offset, and, for the position sweeps (at 10 us/div), near position 0.
  static SimulatedDarvik48::Response QuickFrontEnd() {
    SimFrontEnd centred, sweep;
    centred.Ch1 = centred.Ch2 = {.Zero3V = 110, .Slope3V = 40, .Zero1V = 110, .Slope1V = 40, .Stuck = {}};
    sweep.Ch1 = sweep.Ch2 = {.Zero3V = 2, .Slope3V = 40, .Zero1V = 2, .Slope1V = 40, .Stuck = {}};
    return [a = centred.AsResponse(), b = sweep.AsResponse()](int channel, std::uint8_t code,
                                                              const SimScopeSettings* settings) {
      return settings && settings->TimeBaseRegister() == 0x80 ? b(channel, code, settings)
                                                              : a(channel, code, settings);
    };
  }

  // Run until `captures` more captures were drawn (or the device is gone).
  void RunFor(int captures) {
    const int first = Dev().CapturesSent();
    // A user told of the loss presses Run no more.
    if (!Form1->SpeedButtonRun->Down() && this->Driver().IsOpen()) Form1->SpeedButtonRun->Click();
    PumpUntil([&] { return Dev().CapturesSent() >= first + captures || !Form1->SpeedButtonRun->Down(); });
  }
  void StopRun() {
    if (Form1->SpeedButtonRun->Down()) Form1->SpeedButtonRun->Click();
    PumpUntil([] { return ScopeState().AcquisitionIdle != 0; });
  }
  // A controller's command through the scope mailbox, taken by one poll.
  void ScopeCommand(std::int32_t command, std::int32_t argument) {
    io::ScopeMailboxBlock->Set(io::kMailboxArgument, argument);
    io::ScopeMailboxBlock->Set(io::kMailboxCommand, command);
    Formx1->FastTimer1->Tick();
  }
  // A controller's generator request, carried out by the next poll.
  void GeneratorRequest(std::int32_t wave, std::int32_t mHz) {
    io::SharedWords& box = *io::GeneratorMailboxBlock;
    box.Set(io::kGenWave, wave);
    box.Set(io::kGenFrequency, mHz);
    box.Set(io::kGenAmplitude, 4000);
    box.Set(io::kGenOffset, 0);
    box.Set(io::kGenControl, 0);
    box.Set(io::kGenAlive, 0);
    PumpUntil([&] { return box.Get(io::kGenAlive) == io::kGenAliveValue; });
  }

  SharedBlockNames names_;
};

// Transfers the path makes with the device in place; then the device is
// pulled at each of them in turn.
TEST_P(DeviceLossTest, EachTransferLostIsToldOnceAndTheUserGetsBack) {
  const LossPath& path = GetParam();
  Dev().ClearLog();
  Dlg().ClearRecords();
  path.act(*this, 0);
  const int shownWhole = path.shown ? path.shown() : 0;
  const std::size_t transfers = Dev().Transfers().size();
  ASSERT_GT(transfers, 0u);
  ASSERT_EQ(Dlg().CountMessages(kDisconnected), 0) << Shown(Dlg());
  ASSERT_TRUE(this->Driver().IsOpen());

  for (std::size_t k = 0; k < transfers; ++k) {
    SCOPED_TRACE(std::string(path.name) + ": unplugged at transfer " + std::to_string(k + 1) + " of " +
                 std::to_string(transfers));
    Dlg().ClearRecords();
    Dev().ClearLog();
    Dev().UnplugAfter(k);
    path.act(*this, static_cast<int>(k + 1));
    // Where the timing put fewer transfers into this try, the user's next
    // capture meets the loss.
    for (int i = 0; i < 5 && this->Driver().IsOpen(); ++i) {
      Form1->SpeedButtonSingle->Click();
      PumpUntil([] { return !Form1->SpeedButtonSingle->Down(); });
    }
    ExpectToldOnceAndIdle();
    // One fault, one message: nothing besides it.
    EXPECT_EQ(Dlg().Messages().size(), 1u) << Shown(Dlg());
    EXPECT_TRUE(Dlg().Forms().empty()) << Shown(Dlg());
    if (path.shown) {
      EXPECT_LT(path.shown(), shownWhole);
    }
    ExpectTheWayBack();
    if (HasFailure()) break;
  }
}

const LossPath kPaths[] = {
    {"Run", [](DeviceLossTest& t, int) {
       t.RunFor(2);
       t.StopRun();
     }},
    {"Single", [](DeviceLossTest& t, int) {
       Form1->SpeedButtonSingle->Click();
       t.PumpUntil([] { return !Form1->SpeedButtonSingle->Down(); });
     }},
    {"Calibration", [](DeviceLossTest& t, int) {
       t.Dev().SetResponse(DeviceLossTest::QuickFrontEnd());
       Form1->Calibration().RunMenuCalibration(false);
     }},
    {"GeneratorRequest", [](DeviceLossTest& t, int round) {
       t.GeneratorRequest(1 + round % 3, 1000000 + 1000 * round);
     }},
    {"GeneratorRequestDuringRun", [](DeviceLossTest& t, int round) {
       t.RunFor(1);
       t.GeneratorRequest(1 + round % 3, 2000000 + 1000 * round);
       t.RunFor(1);
       t.StopRun();
     }},
    {"SettingsDuringRun", [](DeviceLossTest& t, int round) {
       t.RunFor(1);
       t.ScopeCommand(3, 9 + round % 2);     // 0.5 ms/div or 0.2 ms/div
       t.ScopeCommand(1, 0);                 // CH1 3 V/div
       t.ScopeCommand(9, 100 + round % 50);  // trigger level
       t.RunFor(1);
       t.StopRun();
     }},
    {"BodeSweep", [](DeviceLossTest& t, int) {
       Bode_plot->StartRadios[3]->Click();
       Bode_plot->SpeedButton1->Click();
       t.PumpUntil([&t] { return !t.BodeState().BodeSweepRunning; });
     },
     [] { return Bode_plot->Memo1->Lines().Count(); }},
    {"Recorder", [](DeviceLossTest& t, int) {
       t.Rec().SpeedButtonRun->Click();
       t.Tick(3);
       if (t.Rec().SpeedButtonRun->Down()) t.Rec().SpeedButtonRun->Click();
       t.Tick(2);
     }},
};

INSTANTIATE_TEST_SUITE_P(Paths, DeviceLossTest, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<LossPath>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- the start-up

// The program starts with the device (calibrated before), while a controller
// has a generator request and a time/div command waiting.
class StartupLossTest : public LossChecks<startup_test::StartupTest> {
 protected:
  bool DevicePresent() const override { return true; }
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    StartupTest::SetUp();
    device_test::WriteFile(DataDir() + "darvik48.bit", device_test::LogicFile(5, device_test::FullData()));
  }
  void StartOnce(int round) {
    WriteIni("[Menu]\nHWdialog=0\n");
    Start();
    // The start-up's own pace is no part of what is tried here.
    Form1->Timer3->SetInterval(1);
    io::SharedWords& gen = *io::GeneratorMailboxBlock;
    gen.Set(io::kGenWave, 1 + round % 3);
    gen.Set(io::kGenFrequency, 1000000 + 1000 * round);
    gen.Set(io::kGenAmplitude, 4000);
    gen.Set(io::kGenAlive, 0);
    io::ScopeMailboxBlock->Set(io::kMailboxArgument, 9);
    io::ScopeMailboxBlock->Set(io::kMailboxCommand, 3);
    RunStartup();
    if (HasFatalFailure()) return;
    PumpUntil([&] {
      return io::ScopeMailboxBlock->Get(io::kMailboxCommand) == 0 && gen.Get(io::kGenAlive) == io::kGenAliveValue;
    });
    // Then, with the program ready: another request, a time/div command
    // and a capture.
    gen.Set(io::kGenFrequency, 3000000 + 1000 * round);
    gen.Set(io::kGenAlive, 0);
    PumpUntil([&] { return gen.Get(io::kGenAlive) == io::kGenAliveValue; });
    io::ScopeMailboxBlock->Set(io::kMailboxArgument, 10);
    io::ScopeMailboxBlock->Set(io::kMailboxCommand, 3);
    PumpUntil([] { return io::ScopeMailboxBlock->Get(io::kMailboxCommand) == 0; });
    const int captures = Dev().CapturesSent();
    if (this->Driver().IsOpen()) Form1->SpeedButtonRun->Click();
    PumpUntil([&] { return Dev().CapturesSent() > captures || !Form1->SpeedButtonRun->Down(); });
    if (Form1->SpeedButtonRun->Down()) Form1->SpeedButtonRun->Click();
    PumpUntil([] { return ScopeState().AcquisitionIdle != 0; });
  }
  SharedBlockNames names_;
};

TEST_F(StartupLossTest, EachTransferLostIsToldOnceAndTheUserGetsBack) {
  StartOnce(0);
  if (HasFatalFailure()) return;
  const std::size_t transfers = Dev().Transfers().size();
  ASSERT_GT(transfers, 0u);
  ASSERT_EQ(Dlg().CountMessages(kDisconnected), 0) << Shown(Dlg());
  ASSERT_TRUE(this->Driver().IsOpen());
  this->Driver().ReleaseDevice();

  for (std::size_t k = 0; k < transfers; ++k) {
    SCOPED_TRACE("start-up: unplugged at transfer " + std::to_string(k + 1) + " of " + std::to_string(transfers));
    Dev().Replug();
    Dlg().ClearRecords();
    Dev().UnplugAfter(k);
    StartOnce(static_cast<int>(k + 1));
    if (HasFatalFailure()) break;
    for (int i = 0; i < 5 && this->Driver().IsOpen(); ++i) {
      Form1->SpeedButtonSingle->Click();
      PumpUntil([] { return !Form1->SpeedButtonSingle->Down(); });
    }
    ExpectToldOnceAndIdle();
    ExpectTheWayBack();
    // As the close leaves it, without ending the test's program.
    this->Driver().ReleaseDevice();
    if (HasFailure()) break;
  }
}

}  // namespace
