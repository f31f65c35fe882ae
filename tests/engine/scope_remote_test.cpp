// The scope mailbox driven as a controller drives it: through the shared
// blocks, with the program running headless in demo mode, and from another
// process where timing between the two matters.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/windows.h"
#include "engine/main_form.h"
#include "engine/remote_control_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "io/remote_fixture.h"
#include "io/sample_export.h"
#include "support/held_startup_test.h"
#include "support/scripted_dialogs.h"
#include "support/program_states.h"

namespace {

using namespace engine;

// ---------------------------------------------------------------- the running program

class ScopeRemoteTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    HeldStartupTest::SetUp();
    ScopeState().DemoMode = 1;
    Form1->Acquisition().tee_demo_taulut();
    ScopeState().StartupModeReady = 1;
    box_ = io::ScopeMailboxBlock.get();
  }

  // Writes a command as a controller does (argument first) and waits until
  // the program took it.
  void Send(std::int32_t command, std::int32_t argument) {
    box_->Set(1, argument);
    box_->Set(0, command, std::memory_order_release);
    ASSERT_TRUE(harness_->PumpUntil([&] { return box_->Get(0) == 0; }, 3000)) << command;
  }
  // Waits for the status words to show `value` in `word`.
  bool StatusShows(std::size_t word, std::int32_t value) {
    return harness_->PumpUntil([&] { return box_->Get(word) == value; }, 2000);
  }

  SharedBlockNames names_;
  io::SharedWords* box_ = nullptr;
};

TEST_F(ScopeRemoteTest, EachCommandPressesItsControlAndTheStatusWordsFollow) {
  struct Case {
    std::int32_t command, argument;
    std::size_t word;  // status word that shows the effect
    std::int32_t shown;
    std::function<bool()> panel;  // the panel as a user sees it afterwards
  };
  TForm1& f = *Form1;
  const Case cases[] = {
      {1, 3, 10, 3, [&] { return f.SpeedButton1p5v1->Down() && ScopeState().Settings.Channels[0].GainCode == 29; }},
      {1, 6, 10, 3, [&] { return ScopeState().Settings.Channels[0].GainCode == 29; }},  // no such button: nothing
      {2, 5, 11, 5, [&] { return f.SpeedButton015v2->Down() && ScopeState().Settings.Channels[1].GainCode == 30; }},
      {2, 0, 11, 0, [&] { return f.SpeedButton29->Down() && ScopeState().Settings.Channels[1].GainCode == 1; }},
      {3, 0, 12, 0, [&] { return f.SpeedButton500ms->Down() && ScopeState().Settings.TimeBaseCode == 5; }},
      {3, 14, 12, 14, [&] { return f.SpeedButton10us->Down() && ScopeState().Settings.TimeBaseCode == 94; }},
      {3, 15, 12, 15, [&] { return f.SpeedButton5us->Down() && ScopeState().Settings.TimeBaseCode == 32; }},
      {3, 16, 12, 16, [&] { return f.SpeedButton2us->Down(); }},
      {3, 17, 12, 16, [&] { return f.SpeedButton2us->Down(); }},
      {3, 9, 12, 9, [&] { return f.SpeedButton1ms->Down() && ScopeState().Settings.TimeBaseCode == 88; }},
      {6, 300, 13, 127, [&] { return f.TrackBar1->Position() == 127; }},
      {6, -300, 13, -128, [&] { return f.TrackBar1->Position() == -128; }},
      {7, 40, 14, 40, [&] { return f.TrackBar2->Position() == 40; }},
      {8, 1, 17, 1, [&] { return f.SpeedButton7->Down() && ScopeState().Settings.TriggerOff == 0; }},
      {9, 255, 20, 254, [&] { return ScopeState().Settings.TriggerLevel == 254; }},
      {9, -5, 20, 0, [&] { return ScopeState().Settings.TriggerLevel == 0; }},
      {10, 7, 18, 1, [&] { return f.SpeedButton4->Down() && ScopeState().Settings.TriggerSource == 0; }},
      {10, -2, 18, 0, [&] { return f.SpeedButton3->Down() && ScopeState().Settings.TriggerSource == 16; }},
      {11, 0, 19, 0, [&] { return f.SpeedButton6->Down() && ScopeState().Settings.TriggerSlope == 0; }},
      {11, 3, 19, 1, [&] { return f.SpeedButton5->Down() && ScopeState().Settings.TriggerSlope == 32; }},
      {8, 0, 17, 0, [&] { return f.SpeedButton8->Down() && ScopeState().Settings.TriggerOff == 64; }},
      {12, 9, 15, 2, [&] { return f.SpeedButton_gnd1->Down() && ScopeState().Settings.Channels[0].InputOn == 0; }},
      {12, 0, 15, 0, [&] { return f.SpeedButton_ac1->Down() && ScopeState().Settings.Channels[0].Ac == 1; }},
      {13, 1, 16, 1, [&] { return f.SpeedButton_dc2->Down() && ScopeState().Settings.Channels[1].Ac == 0 && ScopeState().Settings.Channels[1].InputOn == 1; }},
      {0, 5, 16, 1, [] { return true; }},
      {15, 5, 16, 1, [] { return true; }},
  };
  for (const Case& c : cases) {
    Send(c.command, c.argument);
    EXPECT_TRUE(StatusShows(c.word, c.shown)) << c.command << " " << c.argument << ": " << box_->Get(c.word);
    EXPECT_TRUE(c.panel()) << c.command << " " << c.argument;
    EXPECT_EQ(box_->Get(1), c.argument);  // the argument is left as written
  }
}

TEST_F(ScopeRemoteTest, CommandsWaitForTheStartUpAndCalibrationAndShowBringsTheWindowBack) {
  // Before the start-up has made its mode ready, and while calibration holds
  // the panel, a command stays in the mailbox and is taken afterwards.
  std::uint8_t* holds[] = {&ScopeState().StartupModeReady, &ScopeState().Calibrating};
  const std::uint8_t holding[] = {0, 1};
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const std::uint8_t released = *holds[i];
    *holds[i] = holding[i];
    box_->Set(1, static_cast<std::int32_t>(i));
    box_->Set(0, 1);
    harness_->Pump(100);
    EXPECT_EQ(box_->Get(0), 1);
    EXPECT_EQ(ScopeState().Settings.Channels[0].GainCode, i == 0 ? 27 : 1);
    *holds[i] = released;
    EXPECT_TRUE(harness_->PumpUntil([&] { return box_->Get(0) == 0; }, 2000));
    EXPECT_TRUE(StatusShows(10, static_cast<std::int32_t>(i)));
  }

  Form1->Show();
  Send(14, 0);
  EXPECT_FALSE(Form1->Visible());
  Form1->SetWindowState(wsMinimized);
  Send(14, 1);
  EXPECT_TRUE(Form1->Visible());
  EXPECT_EQ(Form1->WindowState(), wsNormal);
}

// A controller in another process: Single, then the samples once the
// ready word is set. It maps the blocks by name as any program would.
TEST_F(ScopeRemoteTest, SingleFromAnotherProcessDeliversTheCaptureItReads) {
  const std::string scopeName = "/" + io::SharedBlockName(io::kScopeMailboxName);
  const std::string exportName = "/" + io::SharedBlockName(io::kSampleExportName);
  int out[2];
  ASSERT_EQ(::pipe(out), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int sfd = ::shm_open(scopeName.c_str(), O_RDWR, 0);
    const int efd = ::shm_open(exportName.c_str(), O_RDWR, 0);
    if (sfd < 0 || efd < 0) ::_exit(2);
    auto* box = static_cast<std::int32_t*>(::mmap(nullptr, 400, PROT_READ | PROT_WRITE, MAP_SHARED, sfd, 0));
    auto* data = static_cast<std::int32_t*>(::mmap(nullptr, 40000, PROT_READ | PROT_WRITE, MAP_SHARED, efd, 0));
    std::atomic_ref<std::int32_t> command(box[0]), ready(data[8198]);
    ready.store(0);
    box[1] = 1;
    command.store(5, std::memory_order_release);
    for (int i = 0; i < 1000 && ready.load(std::memory_order_acquire) != 1; ++i) ::usleep(5000);
    if (ready.load(std::memory_order_acquire) != 1) ::_exit(3);
    const ssize_t n = ::write(out[1], data, 8199 * sizeof(std::int32_t));
    ::_exit(n == static_cast<ssize_t>(8199 * sizeof(std::int32_t)) && command.load() == 0 ? 0 : 4);
  }
  ::close(out[1]);
  int status = -1;
  ASSERT_TRUE(harness_->WaitForOutside([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 8000));
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  std::vector<std::int32_t> got(8199);
  ASSERT_EQ(::read(out[0], got.data(), got.size() * sizeof(std::int32_t)),
            static_cast<ssize_t>(got.size() * sizeof(std::int32_t)));
  ::close(out[0]);

  EXPECT_FALSE(Form1->SpeedButtonSingle->Down());  // the capture is over
  EXPECT_EQ(got[0], 125000);                        // 1 ms/div
  EXPECT_EQ(got[1], 8000);                          // 1 V/div
  EXPECT_EQ(got[2], 255 - ScopeState().Channels[1].GroundLevel);
  EXPECT_EQ(got[4100], 8000);
  EXPECT_EQ(got[4101], 255 - ScopeState().Channels[0].GroundLevel);
  EXPECT_TRUE(std::equal(ScopeState().Ch2Samples().begin(), ScopeState().Ch2Samples().end(), got.begin() + 3));
  EXPECT_TRUE(std::equal(ScopeState().Ch1Samples().begin(), ScopeState().Ch1Samples().end(), got.begin() + 4102));
  // The demo's sine and square, not an empty block.
  EXPECT_NE(*std::max_element(got.begin() + 4102, got.begin() + 8198), *std::min_element(got.begin() + 4102, got.begin() + 8198));
}

}  // namespace
