// The sample export and the scope mailbox's hand-shake, over the shared
// blocks as a controller sees them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "io/sample_export.h"
#include "io/scope_mailbox.h"
#include "remote_fixture.h"

namespace {

TEST(SampleExportTest, TheBlockCarriesBothChannelsScaledAndMarksItselfReady) {
  SharedBlockNames names;
  std::string error;
  ASSERT_TRUE(io::OpenSharedBlocks(&error)) << error;
  io::SharedWords& block = *io::SampleExportBlock;
  std::vector<std::int32_t> ch1(4096), ch2(4096);
  for (int i = 0; i < 4096; ++i) {
    ch1[static_cast<std::size_t>(i)] = i % 256;
    ch2[static_cast<std::size_t>(i)] = 255 - i % 200;
  }
  // CH1 at 3 V/div, CH2 at 10 mV/div, 0.5 ms/div.
  io::WriteSampleExport(block, {88, 1, 30, 100, 140, ch1, ch2});
  EXPECT_EQ(block.Get(0), 250000);
  EXPECT_EQ(block.Get(1), 80);
  EXPECT_EQ(block.Get(2), 255 - 140);
  EXPECT_EQ(block.Get(4099), 250000);
  EXPECT_EQ(block.Get(4100), 24000);
  EXPECT_EQ(block.Get(4101), 255 - 100);
  for (std::size_t i = 0; i < 4096; ++i) {
    ASSERT_EQ(block.Get(3 + i), ch2[i]) << i;
    ASSERT_EQ(block.Get(4102 + i), ch1[i]) << i;
  }
  EXPECT_EQ(block.Get(8198), 1);
  EXPECT_EQ(block.Get(8199), 0);  // beyond the used words nothing is written

  // A reader clears the ready word; the next capture sets it again and
  // replaces the samples.
  block.Set(8198, 0);
  std::fill(ch1.begin(), ch1.end(), 7);
  io::WriteSampleExport(block, {5, 27, 27, 128, 128, ch1, ch2});
  EXPECT_EQ(block.Get(0), 250);
  EXPECT_EQ(block.Get(4100), 8000);
  EXPECT_EQ(block.Get(4102 + 4095), 7);
  EXPECT_EQ(block.Get(8198), 1);
}

TEST(ScopeMailboxTest, OnlyTheCommandReadIsTakenAndOneWrittenMeanwhileStays) {
  SharedBlockNames names;
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  io::SharedWords& box = *io::ScopeMailboxBlock;
  struct Case {
    std::int32_t before;     // command word when the poll reads it
    std::int32_t meanwhile;  // what the peer writes while the status is written (0: nothing)
    bool mayTake;
    std::int32_t taken;      // 0: none
    std::int32_t after;      // command word after the poll
  };
  const Case cases[] = {
      {0, 0, true, 0, 0},
      {0, 6, true, 0, 6},   // a poll that found nothing never clears a new command
      {6, 0, true, 6, 0},
      {6, 9, true, 0, 9},   // replaced before it was taken: the newer one waits
      {6, 0, false, 0, 6},  // panel locked: untaken
      {-3, 0, true, -3, 0}, // unknown commands are taken and do nothing
  };
  for (const Case& c : cases) {
    box.Set(0, c.before);
    box.Set(1, 42);
    const auto got = io::TakeScopeCommand(box, c.mayTake, [&] {
      if (c.meanwhile) box.Set(0, c.meanwhile);
    });
    EXPECT_EQ(got ? got->Code : 0, c.taken) << c.before << " " << c.meanwhile;
    if (got) {
      EXPECT_EQ(got->Argument, 42);
    }
    EXPECT_EQ(box.Get(0), c.after) << c.before << " " << c.meanwhile;
  }
}

TEST(ScopeMailboxTest, ExistingSmallerBlocksAreGrown) {
  SharedBlockNames names;
  for (const char* base : {io::kSampleExportName, io::kScopeMailboxName, io::kGeneratorMailboxName}) {
    const int fd = ::shm_open(("/" + io::SharedBlockName(base)).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 12), 0);
    ::close(fd);
  }
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  io::SampleExportBlock->Set(8198, 1);  // far past the 12 bytes it had
  io::ScopeMailboxBlock->Set(99, 1);
  io::GeneratorMailboxBlock->Set(249, 1);
  const std::pair<const char*, off_t> sizes[] = {
      {io::kSampleExportName, 40000}, {io::kScopeMailboxName, 400}, {io::kGeneratorMailboxName, 1000}};
  for (const auto& [base, size] : sizes) {
    struct stat st {};
    ASSERT_EQ(::stat(SharedBlockNames::Path(base).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, size) << base;
  }
}

}  // namespace
