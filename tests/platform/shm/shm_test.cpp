#include "platform/shm/shared_memory.h"

#include <csignal>
#include <cstdint>
#include <functional>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// A name no other test run uses, removed when the test ends.
class ShmName {
 public:
  explicit ShmName(const char* tag)
      : name_(std::string("darvik48-test-") + tag + "-" + std::to_string(getpid())) {
    shm::SharedMemory::Unlink(name_);
  }
  ~ShmName() { shm::SharedMemory::Unlink(name_); }
  const std::string& operator()() const { return name_; }

 private:
  std::string name_;
};

bool AllZero(const void* p, std::size_t n) {
  const auto* b = static_cast<const unsigned char*>(p);
  for (std::size_t i = 0; i < n; ++i)
    if (b[i] != 0) return false;
  return true;
}

TEST(SharedMemoryTest, SecondObjectSeesTheSameBytes) {
  ShmName name("same");
  shm::SharedMemory first(name(), 400);
  ASSERT_NE(first.Data(), nullptr) << first.Error();
  EXPECT_TRUE(first.Created());
  EXPECT_EQ(first.Size(), 400u);
  EXPECT_TRUE(AllZero(first.Data(), 400));

  auto* words = static_cast<std::int32_t*>(first.Data());
  words[0] = 14;
  words[99] = -7;

  shm::SharedMemory second(name(), 400);
  ASSERT_NE(second.Data(), nullptr) << second.Error();
  EXPECT_FALSE(second.Created());
  EXPECT_NE(second.Data(), first.Data());
  EXPECT_EQ(std::memcmp(first.Data(), second.Data(), 400), 0);
  static_cast<std::int32_t*>(second.Data())[1] = 300;
  EXPECT_EQ(words[1], 300);

  // Readable by other programs of the user only, at the size asked for.
  struct stat st {};
  ASSERT_EQ(stat(("/dev/shm/" + name()).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(st.st_size, 400);
}

TEST(SharedMemoryTest, OutlivesItsCreatorForOtherProcessesUntilUnlinked) {
  ShmName name("process");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    shm::SharedMemory block(name(), 40000);
    if (!block.Data() || !block.Created()) _exit(1);
    static_cast<std::int32_t*>(block.Data())[8198] = 1;
    _exit(0);  // unmapped, not removed
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  {
    shm::SharedMemory block(name(), 40000);
    ASSERT_NE(block.Data(), nullptr) << block.Error();
    EXPECT_FALSE(block.Created());
    EXPECT_EQ(static_cast<std::int32_t*>(block.Data())[8198], 1);
    EXPECT_TRUE(block.Unlink());
  }
  shm::SharedMemory fresh(name(), 40000);
  ASSERT_NE(fresh.Data(), nullptr);
  EXPECT_TRUE(fresh.Created());
  EXPECT_TRUE(AllZero(fresh.Data(), 40000));
}

TEST(SharedMemoryTest, SmallerObjectMadeByAnotherProgramIsGrownNotOverrun) {
  ShmName name("small");
  int fd = shm_open(("/" + name()).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 10), 0);
  close(fd);

  shm::SharedMemory block(name(), 1000);
  ASSERT_NE(block.Data(), nullptr) << block.Error();
  EXPECT_FALSE(block.Created());
  auto* bytes = static_cast<unsigned char*>(block.Data());
  bytes[999] = 0xAB;  // would fault if the object had stayed at 10 bytes
  EXPECT_EQ(bytes[999], 0xAB);

  // A larger object is used as it is, never shrunk.
  shm::SharedMemory smaller_view(name(), 100);
  ASSERT_NE(smaller_view.Data(), nullptr);
  EXPECT_EQ(bytes[999], 0xAB);
  struct stat st {};
  ASSERT_EQ(stat(("/dev/shm/" + name()).c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 1000);
}

TEST(SharedMemoryTest, FailureIsReportedWithNullData) {
  for (const std::string& bad : {std::string(), std::string("a/b"), std::string(300, 'n'), std::string("..")}) {
    shm::SharedMemory block(bad, 400);
    EXPECT_EQ(block.Data(), nullptr) << bad;
    EXPECT_EQ(block.Size(), 0u);
    EXPECT_FALSE(block.Created());
    EXPECT_FALSE(block.Error().empty());
    EXPECT_FALSE(block.Unlink());
  }
  ShmName name("zero");
  shm::SharedMemory empty(name(), 0);
  EXPECT_EQ(empty.Data(), nullptr);
  EXPECT_FALSE(empty.Error().empty());
}

// A block that another program makes smaller: the next write grows it back;
// a write that still runs past its end ends without the process; a bus
// error that is not the guarded write's still ends the process.
TEST(SharedMemoryTest, AShrunkBlockIsGrownBackAndAFaultingWriteEndsAloneButOtherFaultsStayFatal) {
  ShmName name("shrink");
  ShmName other("other");
  constexpr std::size_t kSize = 40000;
  const auto truncateTo = [](const std::string& n, off_t size) {
    const int fd = shm_open(("/" + n).c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);
    close(fd);
  };
  struct Case {
    const char* what;
    // Runs in a child process; returns what the guarded write reported.
    std::function<bool(shm::SharedMemory& block, shm::SharedMemory& elsewhere)> act;
    bool survives;
    bool written;  // what the guarded write reports
  };
  const Case cases[] = {
      {"shrunk before the write",
       [&](shm::SharedMemory& b, shm::SharedMemory&) {
         truncateTo(name(), 100);
         const bool ok = b.EnsureSize() &&
                         b.RunGuarded([&] { std::memset(b.Data(), 0x5A, kSize); });
         struct stat st {};
         return ok && stat(("/dev/shm/" + name()).c_str(), &st) == 0 && st.st_size == 40000;
       },
       true, true},
      {"shrunk during the write",
       [&](shm::SharedMemory& b, shm::SharedMemory&) {
         return b.RunGuarded([&] {
           truncateTo(name(), 0);
           std::memset(b.Data(), 0x5A, kSize);
         });
       },
       true, false},
      {"two writes in a row fault, each ends alone",
       [&](shm::SharedMemory& b, shm::SharedMemory&) {
         const auto faulting = [&] {
           return b.RunGuarded([&] {
             truncateTo(name(), 0);
             std::memset(b.Data(), 0x5A, kSize);
           });
         };
         const bool first = faulting(), second = faulting();
         return first || second;
       },
       true, false},
      {"another mapping faults during the write",
       [&](shm::SharedMemory& b, shm::SharedMemory& e) {
         return b.RunGuarded([&] {
           truncateTo(other(), 0);
           static_cast<volatile char*>(e.Data())[1000] = 1;
         });
       },
       false, false},
      {"the block faults after the write",
       [&](shm::SharedMemory& b, shm::SharedMemory&) {
         const bool ok = b.RunGuarded([&] { std::memset(b.Data(), 1, kSize); });
         truncateTo(name(), 0);
         static_cast<volatile char*>(b.Data())[1000] = 1;
         return ok;
       },
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shm::SharedMemory::Unlink(name());
    shm::SharedMemory::Unlink(other());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      shm::SharedMemory block(name(), kSize);
      shm::SharedMemory elsewhere(other(), 4096);
      if (!block.IsOpen() || !elsewhere.IsOpen()) _exit(3);
      const bool written = c.act(block, elsewhere);
      _exit(written ? 10 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const bool survived = WIFEXITED(status) && (WEXITSTATUS(status) == 10 || WEXITSTATUS(status) == 11);
    EXPECT_EQ(survived, c.survives) << "status " << status;
    if (c.survives && survived) {
      EXPECT_EQ(WEXITSTATUS(status) == 10, c.written);
    }
  }
}

}  // namespace
