// The shared blocks when something else is at their names or another program
// of the user spoils them while the program runs: the instrument goes on and
// the user is told once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/windows.h"
#include "display/history_state.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/sample_export.h"
#include "remote_fixture.h"
#include "support/held_startup_test.h"
#include "support/scripted_dialogs.h"

namespace {

const std::string kOffTail =
    ".\rOther programs can neither read the captures nor control the Darvik48 software in this session.";

class SharedBlockFaultTest : public HeldStartupTest {
 protected:
  // Demo mode, as a start without a device leaves it.
  void StartDemo() {
    engine::DemoMode = 1;
    Form1->tee_demo_taulut();
    engine::StartupModeReady = 1;
  }
  void PressRun() {
    Form1->SpeedButtonRun->SetDown(true);
    Form1->SpeedButtonRunClick(Form1);
  }
  // Waits for `n` more captures of the Run loop.
  bool CapturesGoOn(int n) {
    display::HistoryIndex = 0;
    return harness_->PumpUntil([&] { return display::HistoryIndex >= n; }, 5000);
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  SharedBlockNames names_;
};

// Something that is no block of ours at one of the three names: one message
// that says what is off and why, nothing followed or changed there, and the
// scope runs on.
TEST_F(SharedBlockFaultTest, AFolderOrLinkAtABlockNameTurnsExportAndRemoteControlOffWithOneMessage) {
  const std::string target = harness_->Home().Path() + "/precious.txt";
  struct Case {
    const char* base;
    bool folder;  // else a symbolic link to `target`
    const char* reason;
  };
  const Case cases[] = {
      {io::kSampleExportName, true, " is a folder, not a shared-memory block"},
      {io::kSampleExportName, false, " is a symbolic link, which is not followed"},
      {io::kScopeMailboxName, true, " is a folder, not a shared-memory block"},
      {io::kScopeMailboxName, false, " is a symbolic link, which is not followed"},
      {io::kGeneratorMailboxName, false, " is a symbolic link, which is not followed"},
  };
  for (const Case& c : cases) {
    const std::string path = SharedBlockNames::Path(c.base);
    SCOPED_TRACE(path);
    if (c.folder) {
      ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    } else {
      std::ofstream(target, std::ios::trunc) << "keep";
      ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    }
    Dialogs().ClearRecords();

    EXPECT_FALSE(OpenSharedMemory());

    ASSERT_EQ(Dialogs().Messages().size(), 1u);
    EXPECT_EQ(Dialogs().Messages()[0].Text, "Sample export and remote control are off: " + path + c.reason + kOffTail);
    EXPECT_EQ(Dialogs().Messages()[0].Kind, mtWarning);
    EXPECT_FALSE(io::SampleExportBlock);
    EXPECT_FALSE(io::ScopeMailboxBlock);
    EXPECT_FALSE(io::GeneratorMailboxBlock);
    if (!c.folder) {
      struct stat st {};
      ASSERT_EQ(::stat(target.c_str(), &st), 0);
      EXPECT_EQ(st.st_size, 4) << "the link's target was touched";
    }
    ::rmdir(path.c_str());
    ::unlink(path.c_str());
    // The blocks made before the start gave up.
    for (const char* base : {io::kSampleExportName, io::kScopeMailboxName, io::kGeneratorMailboxName})
      ::unlink(SharedBlockNames::Path(base).c_str());
  }

  // The scope works without them: Run captures in demo mode, and the two
  // mailbox polls find nothing to do.
  ASSERT_EQ(::mkdir(SharedBlockNames::Path(io::kSampleExportName).c_str(), 0700), 0);
  Dialogs().ClearRecords();
  EXPECT_FALSE(OpenSharedMemory());
  StartDemo();
  PressRun();
  EXPECT_TRUE(CapturesGoOn(5));
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  EXPECT_EQ(Dialogs().Messages().size(), 1u);
  ::rmdir(SharedBlockNames::Path(io::kSampleExportName).c_str());
}

// Another program of the user shrinks the export block again and again
// while Run writes every capture into it: the program survives, grows the
// block back, and, should a write still run past the block's end, stops the
// export with one message while the scope goes on.
TEST_F(SharedBlockFaultTest, AnotherProgramShrinkingTheExportBlockDuringRunNeverEndsTheProgram) {
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  StartDemo();
  const std::string exportPath = SharedBlockNames::Path(io::kSampleExportName);
  const std::string exportName = "/" + io::SharedBlockName(io::kSampleExportName);
  PressRun();
  ASSERT_TRUE(CapturesGoOn(3));

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int fd = ::shm_open(exportName.c_str(), O_RDWR, 0);
    if (fd < 0) ::_exit(2);
    const off_t sizes[] = {0, 4096, 20000};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
      if (::ftruncate(fd, sizes[i % 3]) != 0) ::_exit(3);
      ::usleep(100);
    }
    ::_exit(0);
  }
  int status = -1;
  ASSERT_TRUE(harness_->PumpUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 10000));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  const std::string stopped = "Sample export stopped: another program made " + exportPath +
                              " smaller while a capture was written to it.\rOther programs get no more captures "
                              "until the Darvik48 software is started again.";
  EXPECT_LE(Dialogs().CountMessages(stopped), 1);
  EXPECT_EQ(Dialogs().Messages().size(), static_cast<std::size_t>(Dialogs().CountMessages(stopped)));
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  ASSERT_TRUE(CapturesGoOn(3));
  if (io::SampleExportBlock) {
    // Still exporting: the block is whole again and holds the last capture.
    struct stat st {};
    ASSERT_EQ(::stat(exportPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 40000);
    EXPECT_EQ(io::SampleExportBlock->Get(io::kExportDataReady), 1);
  } else {
    EXPECT_EQ(Dialogs().CountMessages(stopped), 1);
  }
}

}  // namespace
