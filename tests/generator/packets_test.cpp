// The generator's packets as bytes: wave block, setting bytes, filter
// choice, frequency word and sweep fields.
#include <gtest/gtest.h>

#include <vector>

#include "generator/generator_state.h"
#include "generator/packets.h"

namespace {

using namespace generator;

TEST(GeneratorPackets, WaveBlockTakesTheLowByteOfEverySixteenthEntry) {
  std::vector<std::int32_t> table(kTableEntries, 0);
  for (std::size_t k = 0; k < 512; ++k) table[16 * k] = static_cast<std::int32_t>(0x300 + k);
  const WaveBlockBytes block = WaveBlock(table);
  for (std::size_t k = 0; k < 512; ++k) ASSERT_EQ(block[k], k & 0xFF) << k;
  for (std::uint8_t b : SilentWaveBlock()) ASSERT_EQ(b, 0x80);
}

TEST(GeneratorPackets, SettingBytesFollowShapeOutputAndTrims) {
  struct Row {
    const char* what;
    SettingInput in;
    SettingBytes expected;
  } rows[] = {
      // shape, off, offset, trim, range bits, attenuator, sync, gain, enable, sweep bit, filter
      {"sine on 5k, 5 Vpp", {kShapeSine, false, 127, 0, 6, 6, 1, 3, 2, 1, 7}, {0x7F, 0x76, 0x23, 0x0F}},
      {"square takes the offset trim and the sync bit", {kShapeSquare, false, 127, 5, 1, 6, 1, 3, 2, 0, 0},
       {132, 0x4E, 0x2B, 0x00}},
      {"square trim saturates", {kShapeSquare, false, 250, 9, 1, 6, 0, 3, 2, 0, 0}, {255, 0x4E, 0x23, 0x00}},
      {"triangle leaves the sync bit out", {kShapeTriangle, false, 100, 5, 0, 7, 1, 3, 2, 1, 1},
       {100, 0x47, 0x23, 0x09}},
      {"gain trim 8 goes out as 7", {kShapeSinc, false, 127, 0, 7, 1, 0, 8, 2, 0, 6}, {0x7F, 0x79, 0x27, 0x06}},
      {"output off", {kShapeSine, true, 200, 0, 6, 6, 0, 3, 1, 1, 0}, {0x80, 0x00, 0x13, 0x0F}},
  };
  for (const Row& r : rows) {
    const SettingBytes b = ComposeSettingBytes(r.in);
    EXPECT_EQ(b, r.expected) << r.what;
  }
  const SettingsPacketBytes packet = SettingsPacket({0x7F, 0x76, 0x23, 0x0F});
  EXPECT_EQ(packet, (SettingsPacketBytes{0x0E, 0x05, 0x04, 0x7F, 0x76, 0x23, 0x0F}));
}

TEST(GeneratorPackets, FilterFollowsShapeRangeAndFrequency) {
  struct Row {
    FilterInput in;
    int expected;
  } rows[] = {
      {{kShapeSine, 6, 5000, false, 0}, 7},  {{kShapeSine, 8, 50, false, 0}, 7},
      {{kShapeSine, 8, 51, false, 0}, 6},    {{kShapeSine, 8, 200, false, 0}, 5},
      {{kShapeSine, 8, 350, false, 0}, 3},   {{kShapeSine, 8, 450, false, 0}, 2},
      {{kShapeSine, 8, 1000, false, 0}, 1},  {{kShapeTriangle, 8, 200, false, 0}, 5},
      {{kShapeSinc, 8, 100, false, 0}, 1},   {{kShapeSinc, 7, 10, false, 0}, 6},
      {{kShapeSinc, 5, 100, false, 0}, 7},   {{kShapeSquare, 8, 100, false, 7}, 0},
      {{kShapeLibrary, 8, 100, false, 7}, 0}, {{kShapeLibrary, 6, 100, false, 0}, 7},
      {{kShapeDc, 5, 100, false, 0}, 7},     {{kShapeNoise, 5, 100, false, 3}, 3},
      {{kShapeSweep, 5, 100, false, 4}, 4},  {{kShapeSine, 6, 1000, true, 7}, 1},
      {{kShapeDc, 6, 1000, true, 7}, 1},
  };
  for (const Row& r : rows)
    EXPECT_EQ(ChooseFilter(r.in), r.expected) << r.in.Shape << " range " << r.in.RangeCode << " f " << r.in.Frequency;

  struct SweepRow {
    double start, stop;
    int expected;
  } sweeps[] = {{1000, 10000, 7}, {1000, 49999, 7}, {1000, 50000, 6}, {150000, 100, 5},
                {1, 300000, 4},   {1, 500000, 2},   {1, 700000, 1},   {1e6, 1e6, 1}};
  for (const SweepRow& r : sweeps) EXPECT_EQ(SweepFilter(r.start, r.stop), r.expected) << r.start << " " << r.stop;
}

TEST(GeneratorPackets, FrequencyFieldsForEachShape) {
  struct Row {
    const char* what;
    FrequencyInput in;
    FrequencyFields expected;
  } rows[] = {
      // shape, range, frequency, sweep start, stop, time, log, filter
      {"1 kHz sine on 5k", {kShapeSine, 6, 1000, 1000, 10000, 10, false, 7}, {0, 2814749767u, 100000, 0}},
      {"500 Hz square, full clock", {kShapeSquare, 5, 500, 1000, 10000, 10, false, 0}, {0, 703687441u, 100000, 0}},
      {"0.05Hz range counts mHz", {kShapeSine, 1, 50, 1000, 10000, 10, false, 7}, {0, 140737, 100000, 0}},
      {"top range counts kHz", {kShapeSine, 8, 1000, 1000, 10000, 10, false, 1}, {0, 1407374883553ull, 100000, 0}},
      {"log and direction bits go with every shape", {kShapeSine, 6, 1000, 5000, 100, 10, true, 7},
       {0, 2814749767u, 100000, 6}},
      {"noise", {kShapeNoise, 6, 1000, 1000, 10000, 10, false, 7}, {0, 2814749767u, 0, 1}},
      {"linear sweep 1 kHz to 10 kHz in 10 s", {kShapeSweep, 5, 500, 1000, 10000, 10, false, 7},
       {531266229322ull, 2814749767u, 50000, 0}},
      {"log sweep 100 Hz to 100 kHz in 2 s", {kShapeSweep, 5, 500, 100, 100000, 2, true, 6},
       {921414866481ull, 281474976u, 1250, 2}},
      {"tiny sweep step becomes 1", {kShapeSweep, 5, 500, 1000, 1000, 10, false, 7}, {1, 2814749767u, 50000, 0}},
  };
  for (const Row& r : rows) {
    const FrequencyFields f = ComputeFrequencyFields(r.in);
    EXPECT_EQ(f.SweepIncrement, r.expected.SweepIncrement) << r.what;
    EXPECT_EQ(f.FrequencyWord, r.expected.FrequencyWord) << r.what;
    EXPECT_EQ(f.SweepLength, r.expected.SweepLength) << r.what;
    EXPECT_EQ(f.Mode, r.expected.Mode) << r.what;
  }
}

TEST(GeneratorPackets, FrequencyPacketIsLittleEndianAfterItsHeader) {
  const FrequencyPacketBytes p = FrequencyPacket({0x0102030405060708ull, 0xA7C5AC47u, 100000, 6});
  const FrequencyPacketBytes expected{0x0E, 0x02, 0x13, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02,
                                      0x01, 0x47, 0xAC, 0xC5, 0xA7, 0x00, 0x00, 0xA0, 0x86, 0x01,
                                      0x00, 0x06};
  EXPECT_EQ(p, expected);
}

}  // namespace
