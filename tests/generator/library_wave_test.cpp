// Library waveform texts to table entries, and finding a library file by a
// name from another system.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "generator/library_wave.h"
#include "support/temp_home.h"

namespace {

using generator::LibraryWave;
using generator::ParseLibraryWave;

struct Probe {
  std::size_t index;
  int value;
};

TEST(LibraryWave, TextsGiveTheirTables) {
  struct Row {
    const char* name;
    const char* text;
    int points;
    std::vector<Probe> probes;
  };
  const Row rows[] = {
      {"integer ramp", "0\r\n255\r\n", 2, {{0, -32766}, {8000, -16383}, {16000, 0}, {31999, 32764}}},
      {"real mode by a decimal comma", "0.5\n-0,5\n", 2, {{0, 16383}, {16000, 0}, {31999, -16382}}},
      {"real values clamp to one", "1,5\n0\n", 2, {{0, 32766}, {16000, 16383}}},
      {"repeat counts three points", "128 (3)\n0\n", 4, {{0, 128}, {21332, 128}, {31999, -32764}}},
      {"span stretches one segment", "0\n(4)\n255\n0\n", 6, {{0, -32766}, {12800, 0}, {25600, 32766}, {31999, -32756}}},
      {"jump steps at the segment start", "0\n0\n(0)\n255\n255\n", 4, {{10666, -32766}, {10667, 32766}, {31999, 32766}}},
      {"title without digits is skipped, with a digit it is a value", "Wave title\nWave 1\n255\n", 2,
       {{0, -32510}, {31999, 32764}}},
      {"malformed parentheses drop the line", "0\n)3(\n5()\n(3\n255\n", 2, {{0, -32766}, {31999, 32764}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const LibraryWave wave = ParseLibraryWave(row.text);
    EXPECT_FALSE(wave.Error);
    EXPECT_EQ(wave.Points, row.points);
    ASSERT_EQ(wave.Entries.size(), 32000u);
    for (const Probe& p : row.probes) EXPECT_EQ(wave.Entries[p.index], p.value) << "entry " << p.index;
  }
}

TEST(LibraryWave, BadNumbersAreFlaggedAndTheRestStays) {
  // A count that does not convert and a value that does not: both flagged,
  // the good points still make their ramp.
  const LibraryWave wave = ParseLibraryWave("0\n(x1)\n255\n12-3\n");
  EXPECT_TRUE(wave.Error);
  EXPECT_EQ(wave.Points, 3);
  ASSERT_EQ(wave.Entries.size(), 32000u);
  EXPECT_EQ(wave.Entries[0], -32766);
  EXPECT_EQ(wave.Entries[15999], 32762);
  // The bad point holds the level before it.
  EXPECT_EQ(wave.Entries[31999], 32766);
}

TEST(LibraryWave, TooFewPointsLeaveTheTableAlone) {
  for (const char* text : {"", "title only\n", "128\n", "0 (1)\n", "(5)\n128\n"}) {
    SCOPED_TRACE(text);
    const LibraryWave wave = ParseLibraryWave(text);
    EXPECT_TRUE(wave.Entries.empty());
    std::vector<std::int16_t> table(32768, 77);
    EXPECT_FALSE(generator::ApplyLibraryWave(wave, table));
    EXPECT_EQ(std::count(table.begin(), table.end(), 77), 32768);
  }
}

TEST(LibraryWave, OversizedExpansionsStayInTheTable) {
  std::string manyLines;
  for (int i = 0; i < 40000; ++i) manyLines += (i % 2 ? "255\n" : "0\n");
  for (const std::string& text : {std::string("0 (2000000000)\n255\n"), std::string("0\n(999999999999)\n255\n"),
                                  manyLines}) {
    const LibraryWave wave = ParseLibraryWave(text);
    EXPECT_TRUE(wave.Error);
    EXPECT_EQ(wave.Points, generator::kLibraryMaxPoints);
    EXPECT_LE(wave.Entries.size(), 32000u);
    std::vector<std::int16_t> table(16, 0);  // a short table is never overrun either
    generator::ApplyLibraryWave(wave, table);
  }
}

TEST(LibraryWave, NamesFromOtherSystemsAreFoundInTheLibraryFolders) {
  namespace fs = std::filesystem;
  TempHome home;
  const std::string user = home.Path() + "/user/lib", program = home.Path() + "/program/lib";
  fs::create_directories(user + "/Waves");
  fs::create_directories(program + "/Sub");
  const auto touch = [](const std::string& path) { std::ofstream(path) << "0\n255\n"; };
  touch(user + "/Waves/Burst01.LIB");
  touch(program + "/burst01.lib");
  touch(program + "/Ramp.lib");
  touch(home.Path() + "/outside.lib");
  const std::vector<std::string> folders{user, program};

  struct Row {
    std::string name;
    std::string found;  // empty: not found
  };
  const Row rows[] = {
      {"BURST01.lib", program + "/burst01.lib"},
      {"waves\\burst01.lib", user + "/Waves/Burst01.LIB"},
      {".\\WAVES/BURST01.lib", user + "/Waves/Burst01.LIB"},
      {"ramp.LIB", program + "/Ramp.lib"},
      {"..\\outside.lib", ""},
      {"Sub", ""},
      {"missing.lib", ""},
      {"", ""},
      // Names from the root are no library names, even of a file that is there.
      {home.Path() + "/OUTSIDE.lib", ""},
      {"/etc/passwd", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::optional<std::string> found = generator::FindLibraryFile(row.name, folders);
    EXPECT_EQ(found.value_or(""), row.found);
  }
}

TEST(LibraryWave, UnreadableAndOversizedFiles) {
  TempHome home;
  EXPECT_FALSE(generator::ReadLibraryWaveFile(home.Path() + "/none.lib"));
  EXPECT_FALSE(generator::ReadLibraryWaveFile(home.Path()));
  // A file beyond the limit is refused unread.
  const std::string big = home.Path() + "/big.lib";
  {
    std::ofstream out(big);
    out << "0\n255\n" << std::string(generator::kLibraryMaxFileBytes, 'x');
  }
  std::string why;
  EXPECT_FALSE(generator::ReadLibraryWaveFile(big, &why));
  EXPECT_EQ(why, "File too large (over 4 MB)");
}

}  // namespace
