// The generator mailbox's rules and a request left in the blocks by an
// earlier run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "io/generator_mailbox.h"
#include "io/scope_mailbox.h"
#include "platform/shm/shared_memory.h"
#include "remote_fixture.h"

namespace {

TEST(GeneratorMailboxRulesTest, FrequencyPicksItsRangeAndUnit) {
  struct Case {
    double hz;
    std::size_t range;  // 0 = "500k" .. 7 = "0.05Hz"
    double value;
  };
  const Case cases[] = {
      {2e6, 0, 1000},   {50000, 0, 50},     {49999, 1, 49.999}, {5000, 1, 5},       {1000, 2, 1000},
      {499.9, 3, 499.9}, {50, 3, 50},       {5, 4, 5},          {0.5, 5, 0.5},      {0.1, 6, 0.1},
      {0.075, 6, 0.075}, {0.05, 6, 0.05},   {0.049, 7, 49},     {0.001, 7, 1},      {0, 7, 0.005},
      {-3, 7, 0.005},
  };
  for (const Case& c : cases) {
    const std::size_t range = io::RemoteFrequencyRange(c.hz);
    EXPECT_EQ(range, c.range) << c.hz;
    EXPECT_NEAR(io::RemoteFrequencyInRangeUnit(c.hz, range), c.value, 1e-9) << c.hz;
  }
}

TEST(GeneratorMailboxRulesTest, LibraryNameIsBoundedAndTakesLatin1Only) {
  std::vector<std::int32_t> words(219, 'a');
  const std::vector<std::int32_t> mixed{'w', 0xE9, 'v', 0, -1, 256, 0x263A, '.', 'l', 'i', 'b'};
  std::copy(mixed.begin(), mixed.end(), words.begin());
  EXPECT_EQ(io::RemoteLibraryName(words, 11), "w\xC3\xA9v.lib");
  EXPECT_EQ(io::RemoteLibraryName(words, 0), "");
  EXPECT_EQ(io::RemoteLibraryName(words, -5), "");
  // A length beyond the block reads no further than the block.
  // 219 codes, four of them not Latin-1, one of two bytes in UTF-8.
  EXPECT_EQ(io::RemoteLibraryName(words, 100000).size(), 219u - 4u + 1u);
  EXPECT_EQ(io::RemoteLibraryName(std::span(words).first(3), 100000), "w\xC3\xA9v");
}

// The named blocks outlive a run; what an earlier run's controller asked
// for is not carried out by the next start.
TEST(SharedBlocksTest, ARequestLeftFromAnEarlierRunIsVoid) {
  SharedBlockNames names;
  {
    shm::SharedMemory generator(io::SharedBlockName(io::kGeneratorMailboxName), io::kGeneratorMailboxBytes);
    shm::SharedMemory scope(io::SharedBlockName(io::kScopeMailboxName), io::kScopeMailboxBytes);
    ASSERT_TRUE(generator.IsOpen() && scope.IsOpen());
    auto* g = static_cast<std::int32_t*>(generator.Data());
    g[io::kGenWave] = 1;
    g[io::kGenFrequency] = 1000000;
    g[io::kGenControl] = 223;
    static_cast<std::int32_t*>(scope.Data())[io::kMailboxCommand] = 5;
  }
  ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
  EXPECT_EQ(io::GeneratorMailboxBlock->Get(io::kGenWave), 0);
  EXPECT_EQ(io::GeneratorMailboxBlock->Get(io::kGenControl), 0);
  EXPECT_EQ(io::ScopeMailboxBlock->Get(io::kMailboxCommand), 0);
  // What the request held beside its wave stays for a controller to read.
  EXPECT_EQ(io::GeneratorMailboxBlock->Get(io::kGenFrequency), 1000000);
}

}  // namespace
