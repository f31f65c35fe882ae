// The real program file, started as a user starts it (headless, in demo
// mode, in a temporary home): closed by a signal, and driven by the
// controller example of the README.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "io/shared_blocks.h"
#include "support/temp_home.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

template <class F>
bool WaitFor(F&& condition, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return condition();
}

class StartedProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    suffix_ = "-prog" + std::to_string(::getpid());
    ::setenv(io::kNameSuffixVariable, suffix_.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    Unlink();
    dataDir_ = home_.Path() + "/.local/share/Brastel/Darvik48/";
    fs::create_directories(dataDir_);
    // Demo mode without the hardware question: the start shows only its notice.
    std::ofstream(dataDir_ + "Darvik48.ini") << "[Hardware]\r\nDemoMode=1\r\n[Menu]\r\nHWdialog=0\r\n";
    stderrPath_ = home_.Path() + "/stderr.txt";
  }
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    Unlink();
    ::unsetenv(io::kNameSuffixVariable);
  }
  static void Unlink() {
    for (const char* base : {io::kSampleExportName, io::kScopeMailboxName, io::kGeneratorMailboxName})
      ::shm_unlink(("/" + io::SharedBlockName(base)).c_str());
  }

  // Starts the program and waits until its remote-control poll runs.
  void Start() {
    // Fresh blocks, so that only this start's poll can answer.
    Unlink();
    pid_ = ::fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      const int err = ::open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (err >= 0) ::dup2(err, 2);
      ::execl(DARVIK48_BINARY, DARVIK48_BINARY, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ASSERT_TRUE(WaitFor(
        [&] {
          const int fd = ::shm_open(("/" + io::SharedBlockName(io::kScopeMailboxName)).c_str(), O_RDONLY, 0);
          if (fd < 0) return false;
          auto* box = static_cast<std::int32_t*>(::mmap(nullptr, 400, PROT_READ, MAP_SHARED, fd, 0));
          ::close(fd);
          if (box == MAP_FAILED) return false;
          const bool polled = std::atomic_ref<std::int32_t>(box[10]).load() == 1;  // CH1 at 1 V/div
          ::munmap(box, 400);
          return polled;
        },
        20000));
  }
  // Waits for the program to end; its exit status, or -1.
  int WaitForExit(int ms) {
    int status = 0;
    if (!WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, ms)) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  TempHome home_;
  std::string suffix_, dataDir_, stderrPath_;
  pid_t pid_ = -1;
};

TEST_F(StartedProgramTest, TerminationSignalsCloseLikeTheCloseBox) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    Start();
    ASSERT_NE(ReadText(dataDir_ + "Darvik48.ini").find("Running=1"), std::string::npos) << sig;
    ASSERT_EQ(::kill(pid_, sig), 0);
    EXPECT_EQ(WaitForExit(15000), 0) << strsignal(sig);
    // The close wrote the settings file whole: the running mark is off and
    // the window places are there.
    const std::string ini = ReadText(dataDir_ + "Darvik48.ini");
    EXPECT_NE(ini.find("Running=0"), std::string::npos) << strsignal(sig);
    EXPECT_NE(ini.find("[ScopeMainForm]"), std::string::npos) << strsignal(sig);
    EXPECT_NE(ini.find("DemoMode=1"), std::string::npos) << strsignal(sig);
  }
}

// Nobody is there to answer the box about a settings file that cannot be
// written: the signal's close says so on standard error and ends, and a
// second signal on its heels is no second close.
TEST_F(StartedProgramTest, SignalCloseTellsWhatItCouldNotWriteAndEnds) {
  const std::string generatorIni = dataDir_ + "FGen48.ini";
  Start();
  // Something took the file's name while the program ran.
  fs::create_directories(generatorIni);
  ASSERT_EQ(::kill(pid_, SIGTERM), 0);
  ASSERT_EQ(::kill(pid_, SIGTERM), 0);
  EXPECT_EQ(WaitForExit(5000), 0);
  const std::string err = ReadText(stderrPath_);
  const std::string line = "darvik48: Unable to write to " + generatorIni + "\n";
  const std::size_t at = err.find(line);
  EXPECT_NE(at, std::string::npos) << err;
  EXPECT_EQ(err.find(line, at + 1), std::string::npos) << err;
  EXPECT_NE(ReadText(dataDir_ + "Darvik48.ini").find("Running=0"), std::string::npos);
}

// The C example of the README, compiled as it stands (the block names get
// this test's suffix), takes a capture from the running program.
TEST_F(StartedProgramTest, ReadmeControllerTakesASingleCapture) {
  const std::string readme = ReadText(DARVIK48_README);
  const std::size_t start = readme.find("```c\n");
  ASSERT_NE(start, std::string::npos);
  const std::size_t end = readme.find("```", start + 5);
  ASSERT_NE(end, std::string::npos);
  std::string source = readme.substr(start + 5, end - start - 5);
  for (const std::string name : {"/Darv48Data", "/ShareDSOData"}) {
    const std::size_t at = source.find("\"" + name + "\"");
    ASSERT_NE(at, std::string::npos) << name;
    source.insert(at + 1 + name.size(), suffix_);
  }
  const std::string dir = home_.Path() + "/client/";
  fs::create_directories(dir);
  std::ofstream(dir + "single.c") << source;
  ASSERT_EQ(std::system(("cc -o " + dir + "single " + dir + "single.c 2> " + dir + "cc.log").c_str()), 0)
      << ReadText(dir + "cc.log");

  Start();
  // 1 ms/div, as a controller sets it through the scope mailbox.
  {
    const int fd = ::shm_open(("/" + io::SharedBlockName(io::kScopeMailboxName)).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    auto* box = static_cast<std::int32_t*>(::mmap(nullptr, 400, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    ::close(fd);
    ASSERT_NE(box, MAP_FAILED);
    std::atomic_ref<std::int32_t> command(box[0]);
    box[1] = 8;
    command.store(3, std::memory_order_release);
    EXPECT_TRUE(WaitFor([&] { return command.load() == 0 && std::atomic_ref<std::int32_t>(box[12]).load() == 8; },
                        20000));
    ::munmap(box, 400);
  }
  ASSERT_EQ(std::system((dir + "single > " + dir + "out.txt").c_str()), 0);
  const std::string out = ReadText(dir + "out.txt");
  // 1 ms/div at 1 V/div, and eight samples of the demo's CH1 sine (codes
  // between 158 and 218 at this range).
  int rate = 0, span = 0, ground = 0;
  ASSERT_EQ(std::sscanf(out.c_str(), "%d S/s, CH1 %d mV full scale, ground at %d:", &rate, &span, &ground), 3) << out;
  EXPECT_EQ(rate, 125000);
  EXPECT_EQ(span, 8000);
  std::istringstream samples(out.substr(out.find(':') + 1));
  int n = 0, v = 0;
  while (samples >> v) {
    EXPECT_GE(v, 100) << out;
    EXPECT_LE(v, 255) << out;
    ++n;
  }
  EXPECT_EQ(n, 8) << out;

  ASSERT_EQ(::kill(pid_, SIGTERM), 0);
  EXPECT_EQ(WaitForExit(15000), 0);
}

}  // namespace
