#include "platform/shm/shared_memory.h"

#include <cstdint>
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

}  // namespace
