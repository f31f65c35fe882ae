// The shared blocks when something else is at their names or another program
// of the user spoils them while the program runs: the instrument goes on and
// the user is told once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/windows.h"
#include "display/history_state.h"
#include "engine/main_form.h"
#include "engine/remote_control_form.h"
#include "engine/scope_state.h"
#include "io/generator_mailbox.h"
#include "io/sample_export.h"
#include "remote_fixture.h"
#include "support/held_startup_test.h"
#include "support/scripted_dialogs.h"
#include "support/program_states.h"

namespace {

const std::string kOffTail =
    ".\rOther programs can neither read the captures nor control the Darvik48 software in this session.";

class SharedBlockFaultTest : public HeldStartupTest {
 protected:
  // Demo mode, as a start without a device leaves it.
  void StartDemo() {
    ScopeState().DemoMode = 1;
    Form1->Acquisition().tee_demo_taulut();
    ScopeState().StartupModeReady = 1;
  }
  void PressRun() {
    Form1->SpeedButtonRun->SetDown(true);
    Form1->SpeedButtonRunClick(Form1);
  }
  // Waits for `n` more captures of the Run loop.
  bool CapturesGoOn(int n) {
    HistoryState().HistoryIndex = 0;
    return harness_->PumpUntil([&] { return HistoryState().HistoryIndex >= n; }, 5000);
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  // A second process of the user that makes the block `base` smaller again
  // and again for `ms` milliseconds, while this one goes on; true when it
  // did so to the end.
  bool ShrinkFromAnotherProcess(const char* base, std::initializer_list<off_t> sizes, int pauseUs, int ms) {
    const std::string name = "/" + io::SharedBlockName(base);
    const std::vector<off_t> cycle(sizes);
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
      const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
      if (fd < 0) ::_exit(2);
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      for (std::size_t i = 0; std::chrono::steady_clock::now() < end; ++i) {
        if (::ftruncate(fd, cycle[i % cycle.size()]) != 0) ::_exit(3);
        if (pauseUs) ::usleep(static_cast<useconds_t>(pauseUs));
      }
      ::_exit(0);
    }
    int status = -1;
    if (!harness_->WaitForOutside([&] { return ::waitpid(child, &status, WNOHANG) == child; }, ms + 10000)) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
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
// block back each time and goes on exporting, without a word to the user.
TEST_F(SharedBlockFaultTest, AnotherProgramShrinkingTheExportBlockDuringRunNeitherEndsNorStopsTheExport) {
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  StartDemo();
  const std::string exportPath = SharedBlockNames::Path(io::kSampleExportName);
  PressRun();
  ASSERT_TRUE(CapturesGoOn(3));

  // With and without pauses: a peer that leaves the block small most of
  // the time also meets the writes mid-way.
  ASSERT_TRUE(ShrinkFromAnotherProcess(io::kSampleExportName, {0, 4096, 20000}, 100, 1500));
  ASSERT_TRUE(ShrinkFromAnotherProcess(io::kSampleExportName, {0, 12}, 0, 1000));

  EXPECT_TRUE(Dialogs().Messages().empty());
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  ASSERT_TRUE(io::SampleExportBlock) << "the export was given up";
  // The peer leaves it at 12 bytes; the next capture makes it whole again
  // and sets the data-ready word a reader cleared.
  ASSERT_TRUE(CapturesGoOn(3));
  struct stat st {};
  ASSERT_EQ(::stat(exportPath.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 40000);
  io::SampleExportBlock->Set(io::kExportDataReady, 0);
  EXPECT_TRUE(harness_->PumpUntil([] { return io::SampleExportBlock->Get(io::kExportDataReady) == 1; }, 3000));
}

// The same for the two mailboxes, which the program reads and writes every
// 10 and 50 ms: shrunk once or again and again, a mailbox is grown back by
// the polls and works on, without a word to the user.
TEST_F(SharedBlockFaultTest, AnotherProgramShrinkingAMailboxWhileItIsPolledNeitherEndsNorStopsTheRemoteControl) {
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  StartDemo();
  struct Case {
    const char* base;
    std::unique_ptr<io::SharedWords>* block;
    off_t bytes;
    const char* device;  // what the mailbox controls
    // A controller's request through the block takes effect.
    std::function<bool()> answered;
  };
  const Case cases[] = {
      {io::kScopeMailboxName, &io::ScopeMailboxBlock, 400, "the oscilloscope",
       [&] {
         io::SharedWords& box = *io::ScopeMailboxBlock;
         const int position = Form1->TrackBar1->Position() == 40 ? -40 : 40;
         box.Set(io::kMailboxArgument, position);
         box.Set(io::kMailboxCommand, 6, std::memory_order_release);
         return harness_->PumpUntil([&] { return Form1->TrackBar1->Position() == position; }, 3000) &&
                box.Get(io::kMailboxCommand) == 0;
       }},
      {io::kGeneratorMailboxName, &io::GeneratorMailboxBlock, 1000, "the generator",
       [&] {
         io::SharedWords& box = *io::GeneratorMailboxBlock;
         box.Set(io::kGenAlive, 0);
         return harness_->PumpUntil([&] { return box.Get(io::kGenAlive) == io::kGenAliveValue; }, 3000);
       }},
  };
  for (const Case& c : cases) {
    const std::string path = SharedBlockNames::Path(c.base);
    SCOPED_TRACE(path);
    // Only once the poll has grown the block back may this process touch it.
    const auto grownBack = [&] {
      return harness_->PumpUntil(
          [&] {
            struct stat st {};
            return ::stat(path.c_str(), &st) == 0 && st.st_size == c.bytes;
          },
          3000);
    };
    Dialogs().ClearRecords();

    const int fd = ::shm_open(("/" + io::SharedBlockName(c.base)).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ::close(fd);
    ASSERT_TRUE(grownBack());
    EXPECT_TRUE(c.answered());
    EXPECT_TRUE(Dialogs().Messages().empty());

    // With and without pauses: a peer that leaves the block small most of
    // the time also meets the polls mid-way.
    ASSERT_TRUE(ShrinkFromAnotherProcess(c.base, {0, 12, 200}, 50, 1000));
    ASSERT_TRUE(ShrinkFromAnotherProcess(c.base, {0, 12}, 0, 1000));

    EXPECT_TRUE(Dialogs().Messages().empty());
    ASSERT_TRUE(*c.block) << "the mailbox was given up";
    ASSERT_TRUE(grownBack());
    EXPECT_TRUE(c.answered());
  }
  // The scope itself went on throughout.
  PressRun();
  EXPECT_TRUE(CapturesGoOn(3));
}

// A block that cannot be grown back (here the file-size limit forbids it,
// as a full /dev/shm would) is given up with one message, on screen and on
// standard error, that names it and says why; the rest goes on.
TEST_F(SharedBlockFaultTest, ABlockThatCannotBeGrownBackIsGivenUpWithOneMessageOnScreenAndOnStandardError) {
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  StartDemo();
  PressRun();
  struct Case {
    const char* base;
    std::unique_ptr<io::SharedWords>* block;
    const char* lead;
    const char* tail;
  };
  const Case cases[] = {
      {io::kSampleExportName, &io::SampleExportBlock, "Sample export stopped: another program made ",
       "Other programs get no more captures until the Darvik48 software is started again."},
      {io::kScopeMailboxName, &io::ScopeMailboxBlock, "Remote control of the oscilloscope stopped: another program made ",
       "Other programs cannot control the oscilloscope until the Darvik48 software is started again."},
      {io::kGeneratorMailboxName, &io::GeneratorMailboxBlock,
       "Remote control of the generator stopped: another program made ",
       "Other programs cannot control the generator until the Darvik48 software is started again."},
  };
  ::signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) {
    const std::string path = SharedBlockNames::Path(c.base);
    SCOPED_TRACE(path);
    Dialogs().ClearRecords();
    // Standard error into a pipe, which no file-size limit touches.
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::fflush(stderr);
    const int savedStderr = ::dup(2);
    ::dup2(pipeEnds[1], 2);
    ::close(pipeEnds[1]);
    rlimit previous {};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);

    const int fd = ::shm_open(("/" + io::SharedBlockName(c.base)).c_str(), O_RDWR, 0);
    const bool shrunk = fd >= 0 && ::ftruncate(fd, 0) == 0;
    if (fd >= 0) ::close(fd);
    const bool told = shrunk && harness_->PumpUntil([&] { return !Dialogs().Messages().empty(); }, 3000);
    harness_->Pump(100);  // a second message would come now

    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::fflush(stderr);
    ::dup2(savedStderr, 2);
    ::close(savedStderr);
    std::string printed;
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;) printed.append(chunk, static_cast<std::size_t>(n));
    ::close(pipeEnds[0]);

    ASSERT_TRUE(shrunk);
    ASSERT_TRUE(told);
    const std::string why = std::strerror(EFBIG);
    const std::string said = c.lead + path + " smaller, and it cannot be grown back: " + why + ".";
    ASSERT_EQ(Dialogs().Messages().size(), 1u);
    EXPECT_EQ(Dialogs().Messages()[0].Text, said + "\r" + c.tail);
    EXPECT_EQ(Dialogs().Messages()[0].Kind, mtWarning);
    EXPECT_EQ(printed, "darvik48: " + said + " " + c.tail + "\n");
    EXPECT_FALSE(*c.block);
  }
  // The scope runs on without any of them, and nothing more is said.
  Dialogs().ClearRecords();
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  EXPECT_TRUE(CapturesGoOn(3));
  EXPECT_TRUE(Dialogs().Messages().empty());
  ::signal(SIGXFSZ, SIG_DFL);
}

}  // namespace
